// The melody a city caller hears on hold (0x8030, melodies 0..11 shown as
// 1..12) and its volume (0x8031), with the melodies' names kept on the
// computer in "name.mld".
#include <algorithm>
#include <array>
#include <string>

#include "editors/field_editors.h"
#include "editors/melody_name_editor.h"
#include "facts/karvel_memory.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

constexpr int melody_address = facts::karvel_melody_address;
constexpr int volume_address = facts::karvel_volume_address;
constexpr int last_melody = 11;
constexpr int name_places = 31;  // the name editor leaves a record's last byte alone

constexpr int melody_topic = 168, volume_topic = 169;
constexpr int melody_choice_topic = 170, volume_choice_topic = 171, name_topic = 172;
const bool help_registered = register_help_topics(
    "melody", {melody_topic, volume_topic, melody_choice_topic, volume_choice_topic, name_topic});

constexpr ScreenPos melody_label_at{10, 8};
constexpr ScreenPos volume_label_at{10, 11};
constexpr ScreenPos melody_number_at{35, 8};
constexpr ScreenPos melody_name_at{40, 8};
constexpr ScreenPos volume_bar_at{40, 11};
constexpr ScreenPos key_trace_at{20, 18};

enum class Item { melody, volume };

const char* const melody_label = " Мелодия "_cp;
const char* const volume_label = " Уровень громкости "_cp;

void draw_layout() {
  set_colour(COLOR_SCREEN);
  draw_frame(1, 6, 80, 14, boxch::d_horizontal);
  draw_frame(38, 10, 57, 12, boxch::horizontal);
  print_at(20, 2, "Выбор мелодии звучащей для городского абонента"_cp, COLOR_SCREEN);
}

void draw_labels(Item highlighted, bool any) {
  print_at(melody_label_at, melody_label, any && highlighted == Item::melody ? COLOR_BOX : COLOR_SCREEN);
  print_at(volume_label_at, volume_label, any && highlighted == Item::volume ? COLOR_BOX : COLOR_SCREEN);
}

// A melody the station names outside 0..11 shows blank: there is no name
// record for it.
void draw_melody(const MelodyNameFile& names, int melody, std::uint8_t number_colour, std::uint8_t name_colour) {
  const bool known = melody >= 0 && melody <= last_melody;
  print_at(melody_number_at, known ? format("%2d.", melody + 1) : std::string(3, ' '), number_colour);
  print_at(melody_name_at, known ? names.shown(melody) : std::string(MelodyNameFile::slot_size, ' '), name_colour);
}

void draw_volume(int level, std::uint8_t colour) {
  static const VolumeBar bar{volume_bar_at, static_cast<char>(boxch::d_horizontal), "█"_cp[0]};
  draw_volume_bar(bar, level, colour);
}

// Reads one station byte; -1 when the read failed (the link has shown its
// box, or within a drawing that has failed, asked nothing).
int read_byte(int address) { return drawing_read_block(address, 1) == link_ok ? (link_buffer[0] & 0xFF) : -1; }

// True when the station took the byte, or holds another that can be shown:
// a write that failed on the line has shown its one box, and nothing is
// read again for it.
bool write_byte(int address, int value) {
  link_buffer[0] = value & 0xFF;
  return link_write_block(address, 1) == link_ok || link_read_back_differed();
}

// After the one box of a failed exchange: Esc at it ends the page.
bool page_goes_on() { return key_reads().last != key::esc; }

void show_stored_melody(const MelodyNameFile& names) {
  int melody = read_byte(melody_address);
  if (melody >= 0) draw_melody(names, melody, COLOR_SCREEN, COLOR_SCREEN);
}

void show_stored_volume() {
  int stored = read_byte(volume_address);
  if (stored >= 0) draw_volume(volume_level(stored), COLOR_SCREEN);
}

// The name editor types into the 31 places and lets the cursor stand just
// after them. Every key's code is traced on row 18, as the station's
// engineers know it.
constexpr MelodyNameEditor name_editor{melody_name_at, name_places, true, &key_trace_at,
                                       [] { show_help(name_topic); }};

// Enter on the melody: the arrows choose, F4 edits the chosen melody's
// name, Enter stores the choice, Esc shows the stored one again. A stored
// melody outside 0..11 starts from the nearest end.
// False when the page ends.
bool choose_melody(MelodyNameFile& names) {
  int melody = read_byte(melody_address);
  if (melody < 0) return page_goes_on();
  melody = std::clamp(melody, 0, last_melody);
  draw_melody(names, melody, COLOR_BOX, COLOR_SCREEN);
  for (;;) {
    hint_melody_keys();
    goto_xy(melody_number_at);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) break;
    if (k == key::enter) {
      if (!write_byte(melody_address, melody)) return page_goes_on();
      break;
    }
    if (k != key::extended) continue;
    int before = melody;
    if ((scan == key::right || scan == key::up) && melody < last_melody) ++melody;
    if ((scan == key::left || scan == key::down) && melody > 0) --melody;
    if (melody != before) draw_melody(names, melody, COLOR_BOX, COLOR_SCREEN);
    if (scan == key::f10) show_help(melody_choice_topic);
    if (scan == key::f4) {
      hint_name_edit();
      draw_melody(names, melody, COLOR_BOX, COLOR_BOX);
      edit_melody_name(names, melody, name_editor);
      draw_melody(names, melody, COLOR_BOX, COLOR_SCREEN);
    }
  }
  show_stored_melody(names);
  return true;
}

// Enter on the volume: the arrows move the level, Enter stores it, Esc
// shows the stored one again. False when the page ends.
bool choose_volume() {
  int stored = read_byte(volume_address);
  if (stored < 0) return page_goes_on();
  int level = volume_level(stored);
  for (;;) {
    draw_volume(level, COLOR_BOX);
    hint_volume_keys();
    goto_xy(volume_bar_at.column + level, volume_bar_at.row);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) break;
    if (k == key::enter) {
      if (!write_byte(volume_address, stored_volume(level))) return page_goes_on();
      break;
    }
    if (k != key::extended) continue;
    if ((scan == key::right || scan == key::up) && level < loudest_volume) ++level;
    if ((scan == key::left || scan == key::down) && level > 0) --level;
    if (scan == key::f10) show_help(volume_choice_topic);
  }
  show_stored_volume();
  return true;
}

// The choice between the two items until Esc.
void run_items(MelodyNameFile& names) {
  Item current = Item::melody;
  for (;;) {
    draw_labels(current, true);
    hint_choose_param();
    goto_xy(current == Item::melody ? melody_label_at : volume_label_at);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) return;
    if (k == key::extended && (scan == key::up || scan == key::down))
      current = current == Item::melody ? Item::volume : Item::melody;
    if (k == key::extended && scan == key::f10) show_help(current == Item::melody ? melody_topic : volume_topic);
    if (k == key::enter) {
      draw_labels(current, false);
      bool goes_on = current == Item::melody ? choose_melody(names) : choose_volume();
      if (!goes_on) return;
    }
  }
}

}  // namespace

void edit_melody() {
  clear_screen();
  if (!link_state.station_connected && !link_state.file_mode) {
    link_error_box(link_not_connected);
    return;
  }
  if (link_state.station_connected) link_rts_on();
  draw_layout();
  draw_labels(Item::melody, true);
  // A new installation has no "name.mld" yet: open() starts one with empty
  // names, so the message is left for a file that can be neither opened
  // nor made.
  MelodyNameFile names;
  if (!names.open()) {
    show_names_file_error(false);
    return;
  }
  hint_help_key();
  bool left = false;
  {
    // The two values are one drawing: a silent station costs one box, and
    // Esc there closes the screen.
    FieldDrawing drawing;
    show_stored_melody(names);
    show_stored_volume();
    left = drawing.left();
  }
  if (!left) run_items(names);
  if (!names.write_back()) show_names_file_error(true);
}

void list_melody(KarvelListing& listing) {
  const std::string section = karvel_menu_name(edit_melody);
  // The names are the computer's, from "name.mld"; one that cannot be read
  // leaves them empty, as a new installation has them.
  MelodyNameFile names;
  names.read_only();
  const std::uint8_t melody = static_cast<std::uint8_t>(listing.byte(melody_address));
  const bool known = melody <= last_melody;
  const std::string shown = known ? trimmed(format("%2d.", melody + 1)) + " " + names.shown(melody) : "";
  listing.add(section, trimmed(melody_label), 0, melody_address, 1, listed_value(shown, "", known, &melody, 1, true));
  const std::uint8_t stored = static_cast<std::uint8_t>(listing.byte(volume_address));
  const int level = volume_level(stored);
  listing.add(section, trimmed(volume_label), 0, volume_address, 1,
              listed_value(format("%d", level), "", stored_volume(level) == stored, &stored, 1));
}
