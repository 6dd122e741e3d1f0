// The melody generator: which of twelve melodies the station plays into a
// city line (record 130) and how loud (record 131), with the melody names
// kept on the computer in "name.mld".
#include <algorithm>
#include <array>
#include <string>

#include "cp866.h"
#include "link/link.h"
#include "melody_names.h"
#include "screen.h"
#include "screens.h"
#include "table_screens.h"
#include "toolkit/hints.h"

namespace {

constexpr int melody_group = 130;
constexpr int volume_group = 131;
constexpr int last_melody = 11;
constexpr int loudest = 15;
// The station keeps 15 - level in the low four bits; the program writes the
// upper bits as 0x40.
constexpr int volume_base = 0x40;
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

void draw_labels(Parameter selected) {
  print_at(10, 8, " Мелодия           "_cp, selected == Parameter::melody ? COLOR_BOX : COLOR_SCREEN);
  print_at(10, 11, " Уровень громкости "_cp, selected == Parameter::volume ? COLOR_BOX : COLOR_SCREEN);
}

bool melody_known(int melody) { return melody >= 0 && melody <= last_melody; }

// A melody the station names outside 0..11 shows blank.
void draw_melody(const MelodyNameFile& names, int melody, std::uint8_t number_colour, std::uint8_t name_colour) {
  const bool known = melody_known(melody);
  print_at(melody_number_at, known ? format("%2d.", melody + 1) : std::string(3, ' '), number_colour);
  print_at(melody_name_at, known ? names.shown(melody) : std::string(MelodyNameFile::slot_size, ' '), name_colour);
}

int volume_level(int stored) { return loudest - (stored & 0x0F); }

void draw_volume(int level, std::uint8_t colour) {
  print_at(volume_bar_at, std::string(loudest + 1, '='), colour);
  print_at(volume_bar_at.column + level, volume_bar_at.row, "#", colour);
}

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

using NameBytes = std::array<std::uint8_t, MelodyNameFile::slot_size>;

void draw_name(const NameBytes& name, std::uint8_t colour) {
  std::string text;
  for (std::uint8_t b : name) text.push_back(shown_name_char(b));
  print_at(melody_name_at, text, colour);
}

// The editor's cursor may stand on a character or just after the last.
void remove_at(NameBytes& name, int p) {
  for (int i = p; i < name_places - 1; ++i) name[i] = name[i + 1];
  name[name_places - 1] = 0;
}

void insert_at(NameBytes& name, int p, std::uint8_t ch) {
  for (int i = name_places - 1; i > p; --i) name[i] = name[i - 1];
  name[p] = ch;
}

// Edits the name of a melody in place, in insert mode over its first 31
// places; Enter keeps the new name, Esc the old one.
void edit_name(MelodyNameFile& names, int melody) {
  hint_name_edit();
  NameBytes name = names.slot(melody);
  int p = 0;
  for (;;) {
    draw_name(name, COLOR_BOX);
    goto_xy(melody_name_at.column + p, melody_name_at.row);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) break;
    if (k == key::enter) {
      names.set_slot(melody, name);
      break;
    }
    if (k == key::extended) {
      if (scan == key::left && p > 0) --p;
      if (scan == key::right && p < name_places - 1 && name[p] != 0) ++p;
      if (scan == key::del) remove_at(name, p);
    } else if (k == key::backspace) {
      if (p > 0) remove_at(name, --p);
    } else if (k >= 32 && k <= 254 && p < name_places - 1) {
      insert_at(name, p++, static_cast<std::uint8_t>(k));
    }
  }
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
      if (int status = write_value(volume_group, volume_base + loudest - level)) return status;
      wait_ms(500);
      break;
    }
    if (k != key::extended) continue;
    if ((scan == key::right || scan == key::up) && level < loudest) ++level;
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

void show_file_error() {
  print_at(34, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
  read_plain_key();
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
    show_file_error();
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
  if (!names.write_back()) show_file_error();
}
