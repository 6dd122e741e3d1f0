// City line settings: twelve parameters of each city line, one column per
// line, each read from its station record and written back on Enter.
#include <algorithm>
#include <string>

#include "editors/screen_entry.h"
#include "facts/digits.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

namespace groups = facts::tomrik_group;

std::string dial_mode_text(int v) { return (v & 1) ? "Тональный "_cp : "Импульсный"_cp; }
int toggle(int v) { return ~v & 1; }

std::string load_time_text(int v) {
  if (v == 1) return "Нет задкр."_cp;
  if (v >= 2 && v <= 9) return format("%4d Мсек."_cp, (v - 1) * 500);
  return std::string(10, ' ');
}
int next_load_time(int v) { return v >= 1 && v < 9 ? v + 1 : 1; }

std::string extra_digit_text(int v) {
  if (v == 0) return "Нет"_cp;
  if (v >= 1 && v <= 9) return format("%d  ", v);
  if (v == 10) return "0  ";
  return "   ";
}
int next_extra_digit(int v) { return v >= 0 && v < 10 ? v + 1 : 0; }

std::string seconds_text(int v) {
  if (v == 0) return "Нет       "_cp;
  if (v == 1) return "1 Секунда "_cp;
  if (v <= 4) return format("%d Секунды "_cp, v);
  if (v <= 9) return format("%d Секунд  "_cp, v);
  if (v <= 19) return format("%2d Секунд "_cp, v);
  return std::string(10, ' ');
}
int next_seconds(int v) { return v >= 0 && v < 19 ? v + 1 : 0; }

std::string disa_signal_text(int v) {
  switch (v) {
    case 0: return "Нет   "_cp;
    case 1: return "К.П.В."_cp;
    case 2: return "Музыка"_cp;
    default: return "      ";
  }
}
int next_disa_signal(int v) { return v >= 0 && v < 2 ? v + 1 : 0; }

std::string allowed_text(int v) { return (v & 1) ? "Разрешено"_cp : "Запрещено"_cp; }

// The cell holds three digits of milliseconds: 0..9 hundreds.
std::string break_time_text(int v) { return fit_cell(format("%3d Мсек."_cp, v * 100), 9); }
int next_break_time(int v) { return v >= 1 && v < 9 ? v + 1 : 1; }

std::string hold_time_text(int v) { return fit_cell(format("%3d Сек."_cp, v), 8); }
// The cycle 20, 40, ..., 180, then 20. A stored value off the cycle steps to
// the next value on it, so nothing above 180 is ever stepped to.
int next_hold_time(int v) { return v >= 0 && v < 180 ? (v / 20 + 1) * 20 : 20; }

// A dialled digit code of the long-distance code as its character.
char code_char(int code) {
  const char c = facts::dial_char(code);
  return c ? c : ' ';
}

constexpr int code_row = 5;
constexpr int hold_row = 12;
constexpr int code_group = groups::long_distance_code;

struct LineRow {
  const char* label;
  int group;
  int index_offset;  // index = line + offset
  CellRule rule;
};

const LineRow rows[12] = {
    {"Режим набора        "_cp, groups::dial_mode, 0, {dial_mode_text, toggle}},
    {"Время загрузки линии"_cp, groups::load_time, 0, {load_time_text, next_load_time}},
    {"Дополнительная цифра"_cp, groups::extra_digit, 0, {extra_digit_text, next_extra_digit}},
    {"Пауза после доп. циф"_cp, groups::line_pauses, 0, {seconds_text, next_seconds}},
    {"Код межгорода       "_cp, code_group, 0, {nullptr, nullptr}},
    {"Пауза после кода меж"_cp, groups::line_pauses, groups::line_pause_step, {seconds_text, next_seconds}},
    {"Сигнал при DISA     "_cp, groups::disa_signal, 0, {disa_signal_text, next_disa_signal}},
    {"Разрешение DISA день"_cp, groups::disa_day, 0, {allowed_text, toggle}},
    {"Разрешение DISA ночь"_cp, groups::disa_night, 0, {allowed_text, toggle}},
    {"Время ожидания DISA "_cp, groups::line_pauses, 2 * groups::line_pause_step, {seconds_text, next_seconds}},
    {"Время разрыва линии "_cp, groups::break_time, 0, {break_time_text, next_break_time}},
    {"Время удержания лин."_cp, groups::hold_time, 0, {hold_time_text, next_hold_time, 180}},
};

// Line c stands in grid column c, parameter r in grid row r.
GridCursor line_grid() { return GridCursor({26, 40, 54, 68}, spaced(9, 12)); }

// The long-distance code of a record holding `held` codes.
template <typename Code>
std::string code_text(const Code* codes, int held) {
  std::string text(4, ' ');
  for (int i = 0; i < 4 && i < held; ++i) text[i] = code_char(codes[i]);
  return text;
}

// The hold time is one value for the screen: every line column shows the
// one read last.
void draw_hold_everywhere(const GridCursor& grid, int value, std::uint8_t colour) {
  for (int c = 1; c <= line_count(); ++c) print_at(grid.cell(c, hold_row), hold_time_text(value), colour);
}

// Draws the record just read for (line, row) in the colour.
void draw_row_value(const GridCursor& grid, int line, int row, std::uint8_t colour) {
  if (table_record[0] == 0) return;
  if (row == code_row) {
    print_at(grid.cell(line, row), code_text(table_record + 1, table_record[0]), colour);
  } else if (row == hold_row) {
    draw_hold_everywhere(grid, table_record[1], colour);
  } else {
    print_at(grid.cell(line, row), rows[row - 1].rule.text(table_record[1]), colour);
  }
}

// The table's frame: the values' frame stands on the frame of the whole
// table, whose top edge it shares as a line between.
void draw_frame_lines() {
  draw_table_frame({{8, 22}, {1, 24, 80}, {38, 52, 66}});
  draw_table_frame({{6, 8}, {24, 80}, {38, 52, 66}});
  put_at(24, 8, boxch::d_cross);
  put_at(80, 8, boxch::d_t_left);
  for (int x : {38, 52, 66}) put_at(x, 8, boxch::cross_double);
}

// Types a new long-distance code at `at`: digits append until four are
// held; Enter keeps all four places to be written, Esc nothing.
bool type_long_distance_code(ScreenPos at) {
  table_record[0] = 0;
  for (int i = 1; i <= 4; ++i) table_record[i] = 0;
  print_at(at, "    ", COLOR_BOX);
  hint_digits_code();
  int held = 0;
  goto_xy(at);
  for (;;) {
    int k = read_plain_key();
    if (k == key::esc) return false;
    if (k == key::enter) {
      table_record[0] = 4;
      return true;
    }
    // A key that is no digit has no code (-1).
    const int code = facts::dial_code(k);
    if (code > 0 && held < 4) {
      table_record[1 + held] = code;
      print_at(at.column + held, at.row, std::string(1, code_char(code)), COLOR_BOX);
      ++held;
      goto_xy(at.column + held, at.row);
    }
  }
}

int edit_long_distance_code(const GridCursor& grid, int line) {
  return edit_record({code_group, line, [] { return table_record[0] != 0; },
                      [&] { return type_long_distance_code(grid.cell(line, code_row)); },
                      [&] { draw_row_value(grid, line, code_row, COLOR_SCREEN); }});
}

// Edits the grid's current cell: the parameter of its row for its line.
int edit_cell(const GridCursor& grid) {
  const int line = grid.column, row = grid.row;
  if (row == code_row) return edit_long_distance_code(grid, line);
  const LineRow& r = rows[row - 1];
  return edit_table_cell(grid, {r.group, line + r.index_offset}, r.rule, row == hold_row ? draw_hold_everywhere : nullptr);
}

int show_lines(const GridCursor& grid) {
  for (int l = 1; l <= line_count(); ++l) {
    for (int r = 1; r <= 12; ++r) {
      if (int status = table_read(rows[r - 1].group, l + rows[r - 1].index_offset); status != link_ok) return status;
      draw_row_value(grid, l, r, COLOR_SCREEN);
    }
  }
  return link_ok;
}

}  // namespace

void city_lines_screen() {
  clear_screen();
  draw_frame_lines();
  print_at(30, 4, "Установки городских линий"_cp, COLOR_SCREEN);
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  for (int l = 1; l <= line_count(); ++l) print_at(26 + 14 * (l - 1), 7, format("Линия %d"_cp, l), COLOR_SCREEN);
  for (int r = 1; r <= 12; ++r) print_at(3, 8 + r, rows[r - 1].label, COLOR_SCREEN);
  run_table_page(line_grid(), show_lines, {{key::enter, [](GridCursor& grid) {
                   return grid.column > line_count() ? KeyResult::handled : after_link(edit_cell(grid));
                 }}});
}

void list_city_lines(TomrikListing& listing) {
  for (int line = 1; line <= listing.lines(); ++line) {
    const std::string section = tomrik_menu_name(2, 1) + " / " + format("Линия %d"_cp, line);
    for (int r = 1; r <= 12; ++r) {
      const LineRow& row = rows[r - 1];
      const std::string label = trimmed(row.label);
      if (r != code_row) {
        listing.add_byte(section, label, row.group, line + row.index_offset, 1, row.rule.text);
        continue;
      }
      const std::uint8_t* codes = listing.record_bytes(code_group, line, 1, 4);
      if (!codes) continue;
      const bool exact = std::all_of(codes, codes + 4, [](std::uint8_t c) { return c == 0 || facts::dial_char(c) != 0; });
      listing.add(section, label, code_group, line, 1, 4, listed_value(code_text(codes, 4), "", exact, codes, 4, true));
    }
  }
}
