// The melody generator: which of twelve melodies the station plays into a
// city line (record 130) and how loud (record 131), with the melody names
// kept on the computer in "name.mld".
#include <algorithm>
#include <array>
#include <string>

#include "editors/melody_name_editor.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

constexpr int melody_group = facts::tomrik_group::melody;
constexpr int volume_group = facts::tomrik_group::volume;
constexpr int last_melody = 11;
constexpr int name_places = 31;  // the name editor leaves a slot's last byte alone

constexpr ScreenPos melody_number_at{35, 8};
constexpr ScreenPos melody_name_at{40, 8};
constexpr ScreenPos volume_bar_at{40, 11};

enum class Parameter { melody, volume };

void draw_layout() {
  clear_screen();
  draw_table_frame({{6, 14}, {1, 80}, {}});
  set_colour(COLOR_SCREEN);
  draw_frame(39, 10, 56, 10, boxch::horizontal);
  draw_frame(39, 12, 56, 12, boxch::horizontal);
  put_at(38, 10, boxch::top_left);
  put_at(57, 10, boxch::top_right);
  put_at(38, 11, boxch::vertical);
  put_at(57, 11, boxch::vertical);
  put_at(38, 12, boxch::bottom_left);
  put_at(57, 12, boxch::bottom_right);
  print_at(30, 2, "Генератор мелодий"_cp, COLOR_SCREEN);
}

const char* const melody_label = " Мелодия           "_cp;
const char* const volume_label = " Уровень громкости "_cp;

void draw_labels(Parameter selected) {
  print_at(10, 8, melody_label, selected == Parameter::melody ? COLOR_BOX : COLOR_SCREEN);
  print_at(10, 11, volume_label, selected == Parameter::volume ? COLOR_BOX : COLOR_SCREEN);
}

bool melody_known(int melody) { return melody >= 0 && melody <= last_melody; }

// A melody the station names outside 0..11 shows blank.
void draw_melody(const MelodyNameFile& names, int melody, std::uint8_t number_colour, std::uint8_t name_colour) {
  const bool known = melody_known(melody);
  print_at(melody_number_at, known ? format("%2d.", melody + 1) : std::string(3, ' '), number_colour);
  print_at(melody_name_at, known ? names.shown(melody) : std::string(MelodyNameFile::slot_size, ' '), name_colour);
}

void draw_volume(int level, std::uint8_t colour) { draw_volume_bar({volume_bar_at, '=', '#'}, level, colour); }

// Reads a one-byte record; a record of another length counts as none.
int read_value(int group, int& value, bool& present) {
  int status = table_read(group, 1);
  present = status == 0 && table_is_length(1);
  value = present ? table_record[1] : 0;
  return status;
}

int write_value(int group, int value) {
  table_record[0] = 1;
  table_record[1] = value & 0xFF;
  return link_write_record(table_record, group, 1);
}

int show_melody(const MelodyNameFile& names) {
  int melody;
  bool present;
  int status = read_value(melody_group, melody, present);
  if (status == 0 && present) draw_melody(names, melody, COLOR_SCREEN, COLOR_SCREEN);
  return status;
}

int show_volume() {
  int stored;
  bool present;
  int status = read_value(volume_group, stored, present);
  if (status == 0 && present) draw_volume(volume_level(stored), COLOR_SCREEN);
  return status;
}

// The name editor types only while the cursor is before the last of the 31
// places, where it stops.
constexpr MelodyNameEditor name_editor{melody_name_at, name_places - 1};

// Edits the name of a melody in place; Enter keeps the new name, Esc the
// old one.
void edit_name(MelodyNameFile& names, int melody) {
  hint_name_edit();
  edit_melody_name(names, melody, name_editor);
  hint_melody_keys();
}

// Enter on the melody: the arrows choose, F4 edits the name, Enter writes
// the choice. A melody outside 0..11 starts from the nearest end.
int choose_melody(MelodyNameFile& names) {
  int melody;
  bool present;
  if (int status = read_value(melody_group, melody, present)) return status;
  if (!present) return 0;
  melody = std::clamp(melody, 0, last_melody);
  hint_melody_keys();
  for (;;) {
    draw_melody(names, melody, COLOR_BOX, COLOR_SCREEN);
    goto_xy(melody_number_at);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) break;
    if (k == key::enter) {
      if (int status = write_value(melody_group, melody)) return status;
      wait_ms(500);
      break;
    }
    if (k != key::extended) continue;
    if ((scan == key::right || scan == key::up) && melody < last_melody) ++melody;
    if ((scan == key::left || scan == key::down) && melody > 0) --melody;
    if (scan == key::f4) edit_name(names, melody);
  }
  return show_melody(names);
}

// Enter on the volume: the arrows move the level, Enter writes it.
int set_volume() {
  int stored;
  bool present;
  if (int status = read_value(volume_group, stored, present)) return status;
  if (!present) return 0;
  int level = volume_level(stored);
  hint_volume_keys();
  for (;;) {
    draw_volume(level, COLOR_BOX);
    goto_xy(volume_bar_at.column + level, volume_bar_at.row);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) break;
    if (k == key::enter) {
      if (int status = write_value(volume_group, stored_volume(level))) return status;
      wait_ms(500);
      break;
    }
    if (k != key::extended) continue;
    if ((scan == key::right || scan == key::up) && level < loudest_volume) ++level;
    if ((scan == key::left || scan == key::down) && level > 0) --level;
  }
  return show_volume();
}

// The choice between the two parameters until Esc; returns 0 or the failed
// link status.
int run_parameters(MelodyNameFile& names) {
  Parameter selected = Parameter::melody;
  for (;;) {
    hint_choose_param();
    draw_labels(selected);
    goto_xy(10, selected == Parameter::melody ? 8 : 11);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) return 0;
    if (k == key::extended && (scan == key::up || scan == key::down))
      selected = selected == Parameter::melody ? Parameter::volume : Parameter::melody;
    if (k == key::enter) {
      int status = selected == Parameter::melody ? choose_melody(names) : set_volume();
      if (status) return status;
    }
  }
}

}  // namespace

void melody_screen() {
  draw_layout();
  draw_labels(Parameter::melody);
  if (!link_state.station_connected) {
    link_error_box(5);
    return;
  }
  MelodyNameFile names;
  if (!names.open()) {
    show_names_file_error(false);
    return;
  }
  link_rts_on();
  int status = show_melody(names);
  if (status == 0) status = show_volume();
  if (status == 0) status = run_parameters(names);
  if (status) {
    // The names stay as the file had them.
    link_error_box(status);
    return;
  }
  if (!names.write_back()) show_names_file_error(true);
}

void list_melody(TomrikListing& listing) {
  const std::string section = tomrik_menu_name(2, 16);
  // The names are the computer's, from "name.mld"; one that cannot be read
  // leaves them empty, as a new installation has them.
  MelodyNameFile names;
  names.read_only();
  listing.add_byte(section, trimmed(melody_label), melody_group, 1, 1, [&](int melody) {
    return melody_known(melody) ? trimmed(format("%2d.", melody + 1)) + " " + names.shown(melody) : std::string();
  });
  // The level comes from the low four bits; the form an edit stores is the
  // one the level alone tells.
  if (const std::uint8_t* stored = listing.record_bytes(volume_group, 1, 1, 1)) {
    const int level = volume_level(*stored);
    listing.add(section, trimmed(volume_label), volume_group, 1, 1, 1,
                listed_value(format("%d", level), "", stored_volume(level) == *stored, stored, 1));
  }
}
