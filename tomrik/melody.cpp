// The melody generator: which of twelve melodies the station plays into a
// city line (record 130) and how loud (record 131), on the melody screen
// both programs share.
#include "editors/screen_entry.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "settings/melody_screen.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"

namespace {

constexpr int melody_group = facts::tomrik_group::melody;
constexpr int volume_group = facts::tomrik_group::volume;
const char* const melody_label = " Мелодия           "_cp;

// The name editor types only while the cursor is before the last of the 31
// places, where it stops.
const MelodyScreenLook look{
    {30, 2}, "Генератор мелодий"_cp, melody_label, true, false, '=', '#', {{40, 8}, 30}, nullptr,
};

// One-byte records. A record of another length counts as none: it shows
// blank and is not edited. A failed read or write ends the screen with the
// link's box, and "name.mld" stays as it was.
class TomrikMelody : public MelodyStation {
  int failure_ = 0;

  static int group(MelodyItem item) { return item == MelodyItem::melody ? melody_group : volume_group; }

 public:
  bool enter() override { return station_screen_allowed(ScreenNeeds::station); }
  void start() override { link_rts_on(); }
  ValueRead read(MelodyItem item) override {
    if ((failure_ = table_read(group(item), 1)) != 0) return {ValueRead::end};
    if (!table_is_length(1)) return {ValueRead::none};
    return {ValueRead::value, table_record[1]};
  }
  ValueWrite write(MelodyItem item, int byte) override {
    table_record[0] = 1;
    table_record[1] = byte & 0xFF;
    if ((failure_ = link_write_record(table_record, group(item), 1)) != 0) return ValueWrite::end;
    wait_ms(500);
    return ValueWrite::stored;
  }
  bool names_kept_after_failure() override {
    link_error_box(failure_);
    return false;
  }
};

}  // namespace

void melody_screen() {
  TomrikMelody station;
  run_melody_screen(look, station);
}

void list_melody(TomrikListing& listing) {
  const std::string section = tomrik_menu_name(2, 16);
  const ListedMelodies melodies;
  listing.add_byte(section, trimmed(melody_label), melody_group, 1, 1,
                   [&](int melody) { return melodies.text(melody); });
  // The level comes from the low four bits; the form an edit stores is the
  // one the level alone tells.
  if (const std::uint8_t* stored = listing.record_bytes(volume_group, 1, 1, 1)) {
    const int level = volume_level(*stored);
    listing.add(section, trimmed(melody_volume_label), volume_group, 1, 1, 1,
                listed_value(format("%d", level), "", stored_volume(level) == *stored, stored, 1));
  }
}
