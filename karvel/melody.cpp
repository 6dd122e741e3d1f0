// The melody a city caller hears on hold and its volume, two bytes of the
// station's memory (or of a loaded settings file), on the melody screen both
// programs share.
#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/karvel_memory.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "settings/melody_screen.h"

namespace {

constexpr int melody_topic = 168, volume_topic = 169;
constexpr int melody_choice_topic = 170, volume_choice_topic = 171, name_topic = 172;
const bool help_registered = register_help_topics(
    "melody", {melody_topic, volume_topic, melody_choice_topic, volume_choice_topic, name_topic});

constexpr int melody_address = facts::karvel_melody_address;
constexpr int volume_address = facts::karvel_volume_address;
const char* const melody_label = " Мелодия "_cp;

constexpr ScreenPos key_trace_at{20, 18};
constexpr MelodyHelp help{show_help, melody_topic, volume_topic, melody_choice_topic, volume_choice_topic};

// The name editor types into the 31 places and lets the cursor stand just
// after them. Every key's code is traced on row 18, as the station's
// engineers know it.
const MelodyScreenLook look{
    {20, 2},
    "Выбор мелодии звучащей для городского абонента"_cp,
    melody_label,
    false,
    true,
    static_cast<char>(boxch::d_horizontal),
    "█"_cp[0],
    {{40, 8}, 31, true, &key_trace_at, [] { show_help(name_topic); }},
    &help,
};

// The two bytes through the field editors' reads and writes: a failure has
// shown its one box, and Esc at it ends the screen.
class KarvelMelody : public MelodyStation {
  static int address(MelodyItem item) { return item == MelodyItem::melody ? melody_address : volume_address; }
  static bool page_goes_on() { return key_reads().last != key::esc; }

 public:
  bool enter() override {
    return station_screen_allowed(ScreenNeeds::station_or_file);
  }
  void start() override {
    if (link_state.station_connected) link_rts_on();
  }
  // Within the opening drawing a read after a failed one asks nothing.
  ValueRead read(MelodyItem item) override {
    if (drawing_read_block(address(item), 1) == link_ok) return {ValueRead::value, link_buffer[0] & 0xFF};
    return {page_goes_on() ? ValueRead::none : ValueRead::end};
  }
  // A write whose read-back found another byte has that byte to show.
  ValueWrite write(MelodyItem item, int byte) override {
    link_buffer[0] = byte & 0xFF;
    if (link_write_block(address(item), 1) == link_ok || link_read_back_differed()) return ValueWrite::stored;
    return page_goes_on() ? ValueWrite::not_stored : ValueWrite::end;
  }
  bool names_kept_after_failure() override { return true; }
};

}  // namespace

void edit_melody() {
  KarvelMelody station;
  run_melody_screen(look, station);
}

void list_melody(KarvelListing& listing) {
  const std::string section = karvel_menu_name(edit_melody);
  const ListedMelodies melodies;
  const std::uint8_t melody = static_cast<std::uint8_t>(listing.byte(melody_address));
  listing.add(section, trimmed(melody_label), 0, melody_address, 1,
              listed_value(melodies.text(melody), "", melody_known(melody), &melody, 1, true));
  const std::uint8_t stored = static_cast<std::uint8_t>(listing.byte(volume_address));
  const int level = volume_level(stored);
  listing.add(section, trimmed(melody_volume_label), 0, volume_address, 1,
              listed_value(format("%d", level), "", stored_volume(level) == stored, &stored, 1));
}
