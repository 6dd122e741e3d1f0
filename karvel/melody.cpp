// The melody a city caller hears on hold and its volume, two bytes of the
// station's memory (or of a loaded settings file), on the melody screen both
// programs share.
#include "facts/karvel_memory.h"
#include "karvel/context_help.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "settings/melody_screen.h"
#include "toolkit/field_editors.h"

namespace {

constexpr int melody_topic = 168, volume_topic = 169;
constexpr int melody_choice_topic = 170, volume_choice_topic = 171, name_topic = 172;
const bool help_registered = register_help_topics(
    "melody", {melody_topic, volume_topic, melody_choice_topic, volume_choice_topic, name_topic});

constexpr ScreenPos key_trace_at{20, 18};
constexpr MelodyHelp help{show_help, melody_topic, volume_topic, melody_choice_topic, volume_choice_topic};

// The name editor types into the 31 places and lets the cursor stand just
// after them. Every key's code is traced on row 18, as the station's
// engineers know it.
const MelodyScreenLook look{
    {20, 2},
    "Выбор мелодии звучащей для городского абонента"_cp,
    " Мелодия "_cp,
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
  static int address(MelodyItem item) {
    return item == MelodyItem::melody ? facts::karvel_melody_address : facts::karvel_volume_address;
  }
  static bool page_goes_on() { return key_reads().last != key::esc; }

 public:
  bool enter() override {
    if (link_state.station_connected || link_state.file_mode) return true;
    link_error_box(link_not_connected);
    return false;
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
