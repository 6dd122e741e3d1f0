// Number control and the command 8 paths: per city line, 16 numbers of up to
// four digits allowed while long distance is forbidden (or forbidden while
// it is allowed), and the 16 codes dialled after station command 8, each
// with up to four exit lines. Every row is a station record, read when it is
// shown and written when the user confirms it.
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
#include "toolkit/digit_string.h"
#include "toolkit/hints.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

namespace {

constexpr int code_places = 4;
constexpr int table_rows = 16;
constexpr int first_row_y = 8;  // grid row r stands on row r + 7

constexpr int number_group = facts::tomrik_group::number_control;
constexpr int forbidden_base = 64;  // the forbidden list follows the allowed one
constexpr int paths_group = facts::tomrik_group::command8_paths;
constexpr int path_bytes = 8;  // the code, then the line of each of the four exits

// A digit code of these tables as its character; a code no digit has shows
// as "?".
char code_char(int code) {
  if (code == facts::dial_empty) return ' ';
  const char c = facts::dial_char(code);
  return c ? c : '?';
}

template <typename Code>
std::string code_text(const Code* codes) {
  std::string text(code_places, ' ');
  for (int i = 0; i < code_places; ++i) text[i] = code_char(codes[i]);
  return text;
}

// Four codes as the tables list them: exact when the text tells each, an
// empty place or a digit.
std::string listed_code(const std::uint8_t* codes) {
  auto known = [](int code) { return code == facts::dial_empty || facts::dial_char(code) != 0; };
  return listed_value(code_text(codes), "", std::all_of(codes, codes + code_places, known), codes, code_places, true);
}

// A digit of these codes; "#" cannot be typed.
int typed_digit(int k) { return (k >= '0' && k <= '9') || k == '*' ? facts::dial_code(k) : -1; }

// The digit editor: four places overwritten in turn. True after Enter.
bool edit_digits(ScreenPos at, int* codes) {
  hint_digits_code();
  return edit_digit_string({at, codes, code_places, typed_digit, code_char, DigitTyping::overwrite, true,
                            RightStep::onto_a_code}) == key::enter;
}

// ---------------------------------------------------------- number control

// Grid column l is city line l.
const GridCursor number_grid{{16, 34, 52, 70}, spaced(first_row_y, table_rows)};

// The record of (line, row) in the list whose first record is `base`.
int number_index(int base, int line, int row) { return base + (line - 1) * table_rows + (row - 1); }

// Draws the record just read; one of another length than four codes shows
// blank.
void draw_number(int line, int row, std::uint8_t colour) {
  const ScreenPos at = number_grid.cell(line, row);
  if (table_is_length(code_places))
    print_at(at, code_text(table_record + 1), colour);
  else
    print_at(at, std::string(code_places, ' '), COLOR_SCREEN);
}

int fill_numbers(int base) {
  for (int row = 1; row <= table_rows; ++row) {
    print_at(4, row + 7, format("%2d", row), COLOR_SCREEN);
    for (int line = 1; line <= line_count(); ++line) {
      if (int status = table_read(number_group, number_index(base, line, row)); status != link_ok) return status;
      draw_number(line, row, COLOR_SCREEN);
    }
  }
  return link_ok;
}

// Only a record of four codes is edited and written back: nothing of
// another length is cut or padded into one.
int edit_number(int base, int line, int row) {
  return edit_record({number_group, number_index(base, line, row), nullptr,
                      [&] { return table_is_length(code_places) && edit_digits(number_grid.cell(line, row), table_record + 1); },
                      [&] { draw_number(line, row, COLOR_SCREEN); }});
}

void draw_number_control_frame(int list) {
  draw_table_frame({{4, 7, 24}, {1, 8, 80}, {26, 44, 62}});
  print_at(2, 5, " Номер"_cp, COLOR_SCREEN);
  print_at(2, 6, "Строки"_cp, COLOR_SCREEN);
  print_at(15, 3,
           list == 1 ? "Запрещенные номера при разрешении выхода в межгород"_cp
                     : " Разрешенные номера при запрете выхода в межгород "_cp,
           COLOR_SCREEN);
  for (int line = 1; line <= line_count(); ++line)
    print_at(14 + 18 * (line - 1), 6, format("Линия %d"_cp, line), COLOR_SCREEN);
}

// ---------------------------------------------------------- command 8 paths

// The line of an exit: blank for none; a value no line of the station has
// shows as "?".
std::string path_exit_text(int line, int lines) {
  if (line == 0) return " ";
  return line >= 1 && line <= lines ? format("%d", line) : "?";
}

const char* const path_code_heading = "  Код набора после команды 8 "_cp;
const char* const path_exit_heading[2] = {"  Выход "_cp, "на  линию"_cp};

// Grid column 1 is the code; columns 2..5 the exits 1..4.
const GridCursor paths_grid{{15, 38, 50, 62, 74}, spaced(first_row_y, table_rows)};

void draw_exit(int exit, int row, std::uint8_t colour) {
  print_at(paths_grid.cell(exit + 1, row), path_exit_text(table_record[code_places + exit], line_count()), colour);
}

// Draws the record just read; one of another length than eight bytes shows
// blank.
void draw_path(int row, std::uint8_t colour) {
  if (!table_is_length(path_bytes)) {
    print_at(paths_grid.cell(1, row), std::string(code_places, ' '), COLOR_SCREEN);
    for (int exit = 1; exit <= line_count(); ++exit) print_at(paths_grid.cell(exit + 1, row), " ", COLOR_SCREEN);
    return;
  }
  print_at(paths_grid.cell(1, row), code_text(table_record + 1), colour);
  for (int exit = 1; exit <= line_count(); ++exit) draw_exit(exit, row, colour);
}

int fill_paths() {
  for (int row = 1; row <= table_rows; ++row) {
    if (int status = table_read(paths_group, row - 1); status != link_ok) return status;
    draw_path(row, COLOR_SCREEN);
  }
  return link_ok;
}

// Space steps the exit's line through none, 1 .. L and back to none.
bool edit_exit(const GridCursor& grid, int exit) {
  hint_edit_value();
  int& line = table_record[code_places + exit];
  auto draw = [&] {
    draw_exit(exit, grid.row, COLOR_BOX);
    grid_goto(grid);
  };
  draw();
  return read_space_steps([&] {
           line = line >= 0 && line < line_count() ? line + 1 : 0;
           draw();
         }) == key::enter;
}

// Only a record of eight bytes is edited and written back.
int edit_path(const GridCursor& grid) {
  const int column = grid.column, row = grid.row;
  auto edit = [&] {
    if (!table_is_length(path_bytes)) return false;
    return column == 1 ? edit_digits(paths_grid.cell(1, row), table_record + 1) : edit_exit(grid, column - 1);
  };
  return edit_record({paths_group, row - 1, nullptr, edit, [&] { draw_path(row, COLOR_SCREEN); }});
}

void draw_command8_frame() {
  draw_table_frame({{4, 7, 24}, {1, 32, 80}, {44, 56, 68}});
  print_at(2, 6, path_code_heading, COLOR_SCREEN);
  for (int i = 1; i <= line_count(); ++i) {
    print_at(34 + 12 * (i - 1), 5, path_exit_heading[0], COLOR_SCREEN);
    print_at(34 + 12 * (i - 1), 6, path_exit_heading[1], COLOR_SCREEN);
  }
  print_at(15, 3, "  Таблица путей при выходе в город по команде 8   "_cp, COLOR_SCREEN);
}

}  // namespace

void number_control_screen(int list) {
  clear_screen();
  draw_number_control_frame(list);
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  const int base = list == 1 ? forbidden_base : 0;
  run_table_page(number_grid, [base](const GridCursor&) { return fill_numbers(base); },
                 {{key::enter, [base](GridCursor& grid) {
                    return grid.column > line_count() ? KeyResult::handled : after_link(edit_number(base, grid.column, grid.row));
                  }}});
}

void command8_paths_screen() {
  clear_screen();
  draw_command8_frame();
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  run_table_page(paths_grid, [](const GridCursor&) { return fill_paths(); },
                 {{key::enter, [](GridCursor& grid) {
                    return grid.column > line_count() + 1 ? KeyResult::handled : after_link(edit_path(grid));
                  }}});
}

void list_number_control(TomrikListing& listing, int list) {
  const int base = list == 1 ? forbidden_base : 0;
  for (int line = 1; line <= listing.lines(); ++line) {
    const std::string section = tomrik_menu_name(3, list == 1 ? 5 : 4) + " / " + format("Линия %d"_cp, line);
    for (int row = 1; row <= table_rows; ++row) {
      const int index = number_index(base, line, row);
      const std::uint8_t* codes = listing.record_bytes(number_group, index, 1, code_places);
      if (!codes) continue;
      listing.add(section, format("Строка %d"_cp, row), number_group, index, 1, code_places, listed_code(codes));
    }
  }
}

void list_command8_paths(TomrikListing& listing) {
  for (int row = 1; row <= table_rows; ++row) {
    const std::string section = tomrik_menu_name(3, 6) + " / " + format("Строка %d"_cp, row);
    const int index = row - 1;
    if (const std::uint8_t* codes = listing.record_bytes(paths_group, index, 1, code_places))
      listing.add(section, trimmed(path_code_heading), paths_group, index, 1, code_places, listed_code(codes));
    // The heading's two lines as one, its blanks single.
    std::string exit = trimmed(path_exit_heading[0]) + " " + trimmed(path_exit_heading[1]);
    exit.erase(std::unique(exit.begin(), exit.end(), [](char a, char b) { return a == ' ' && b == ' '; }), exit.end());
    for (int e = 1; e <= listing.lines(); ++e) {
      const std::uint8_t* line = listing.record_bytes(paths_group, index, code_places + e, 1);
      if (!line) continue;
      listing.add(section, exit + format(" %d", e), paths_group, index, code_places + e, 1,
                  listed_value(path_exit_text(*line, listing.lines()), "", *line <= listing.lines(), line, 1));
    }
  }
}
