// Exit groups of karvel: how the subscribers of each of the four groups
// reach the city. Group g owns the 1024 bytes at 0xF000 + 1024 (g - 1): its
// twelve exit code rows, three routing tables of control codes with phone
// book cells (F1, at the right), and two dial control tables (F2).
#include <initializer_list>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/karvel_memory.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/field_rows.h"
#include "karvel/screens.h"
#include "platform/cp866.h"
#include "toolkit/field_page.h"
#include "toolkit/hints.h"
#include "toolkit/ruled_lines.h"
#include "toolkit/screen.h"

namespace {

constexpr int exit_group_count = 4;
constexpr int exit_routing_table_count = 3;
constexpr int exit_dial_table_count = 2;

int exit_group_block(int group) { return facts::karvel_exit_group_address(group); }

// Where the screen stands: the group and the table each sub-screen opens
// on. All start at 1 when the screen opens; the tables keep their numbers
// while it stays open.
struct ExitGroupTables {
  int group = 1;
  int routing_table = 1;
  int dial_table = 1;
};

// A table at the right: double lines at rows 5, 7 and 23 from column 54
// to 80, and double verticals from row 5 to 23 at `columns`.
void draw_right_table(std::initializer_list<int> columns) {
  std::vector<RuledLine> lines;
  for (int row : {5, 7, 23}) lines.push_back(across_line(row, 54, 80, true));
  for (int column : columns) lines.push_back(down_line(column, 5, 23, true));
  draw_ruled_lines(lines);
}

// ------------------------------------------------------ exit code table

constexpr int exit_code_rows = 12;
const char* const exit_codes[exit_code_rows] = {" 7", " 8", " 9", "01", "02", "03",
                                                "04", "05", "06", "07", "08", "09"};

constexpr int last_route_table = 3;

// Column c of exit code row r is its field at the group's block + step x r;
// the field's level is the column's parameter and help topic.
struct ExitColumn {
  int screen_column;
  int step;
  FieldRow field;
  const char* heading;  // how the listing names the column
};

const ExitColumn exit_columns[9] = {
    {9, 8, {0, FieldKind::line_ref, 0, 255, 1, 67}, "линия 1"_cp},
    {13, 8, {1, FieldKind::line_ref, 0, 255, 1, 67}, "линия 2"_cp},
    {17, 8, {2, FieldKind::line_ref, 0, 255, 1, 67}, "линия 3"_cp},
    {21, 8, {3, FieldKind::line_ref, 0, 255, 1, 67}, "линия 4"_cp},
    {25, 8, {4, FieldKind::line_ref, 0, 255, 1, 67}, "линия 5"_cp},
    {29, 8, {5, FieldKind::line_ref, 0, 255, 1, 67}, "линия 6"_cp},
    {33, 8, {6, FieldKind::yes_no, 0, 255, 1, 68}, "Доп"_cp},
    {40, 8, {7, FieldKind::number, 0, last_route_table, 1, 69}, "Марш"_cp},
    {47, 1, {0x67, FieldKind::yes_no, 0, 255, 1, 70}, "Сн Уд"_cp},
};

// The routing table's two columns and the dial control table's code list,
// flag and lines; the parameters of their protection levels too.
constexpr int routing_code_topic = 71, routing_cell_topic = 72;
constexpr int control_code_topic = 73, control_flag_topic = 74, control_line_topic = 75;

const bool help_registered = register_help_topics("exit groups", [] {
  std::vector<int> topics;
  for (const ExitColumn& c : exit_columns) topics.push_back(c.field.level);
  for (int topic : {routing_code_topic, routing_cell_topic, control_code_topic, control_flag_topic, control_line_topic})
    topics.push_back(topic);
  return topics;
}());

// The table's cells, row by row.
CellTable exit_code_cells() {
  CellTable cells;
  for (int r = 1; r <= exit_code_rows; ++r) {
    for (int c = 1; c <= 9; ++c) {
      const ExitColumn& column = exit_columns[c - 1];
      FieldRow field = column.field;
      field.address += column.step * r;
      cells.push_back({c, r, field, "Код "_cp + trimmed(exit_codes[r - 1]) + ", " + column.heading});
    }
  }
  return cells;
}
const CellTable exit_code_table = exit_code_cells();

GridCursor exit_code_grid() {
  std::vector<int> columns;
  for (const ExitColumn& c : exit_columns) columns.push_back(c.screen_column);
  return GridCursor(columns, spaced(8, exit_code_rows));
}

void draw_exit_code_frame() {
  std::vector<RuledLine> lines;
  for (int row : {5, 7, 20}) lines.push_back(across_line(row, 1, 53, true));
  for (int column : {1, 7, 31, 38, 45, 53}) lines.push_back(down_line(column, 5, 20, true));
  for (int column : {11, 15, 19, 23, 27}) lines.push_back(down_line(column, 7, 20, false));
  draw_ruled_lines(lines);
  print_at(4, 3, " Таблица разрешений выхода в город.  Группа: "_cp, COLOR_BOX);
  print_at_plain(3, 6, "Код"_cp);
  print_at_plain(11, 6, "Л   И   Н   И   И"_cp);
  print_at_plain(34, 6, "Доп"_cp);
  print_at_plain(40, 6, "Марш"_cp);
  print_at_plain(47, 6, "Сн Уд"_cp);
  for (int r = 1; r <= exit_code_rows; ++r) print_at_plain(4, 7 + r, exit_codes[r - 1]);
}

// The group number and its 108 values, as one drawing. True when the user
// left at a failed read's box.
bool show_exit_group(const GridCursor& grid, int group) {
  print_at(49, 3, format("%d ", group), COLOR_BOX);
  return show_cells(grid, exit_code_table, exit_group_block(group));
}

// ------------------------------------------------------- routing tables

constexpr int routing_rows = 15;  // row 15: the cell for all other numbers
constexpr int control_code_digits = 6;

int routing_table_address(int group, int table) { return exit_group_block(group) + 128 * table; }

// Row r of a routing table, 8 bytes at 8 r: the control code, then its
// phone book cell. The last row has no code, only the cell for all other
// numbers.
CellTable routing_cells() {
  CellTable cells;
  for (int r = 1; r <= routing_rows; ++r) {
    if (r < routing_rows)
      cells.push_back({1, r, {8 * r, FieldKind::digits, 0, 0, control_code_digits, routing_code_topic},
                       format("Коды контроля %d"_cp, r)});
    cells.push_back({2, r, {8 * r + 6, FieldKind::number, 0, 99, 1, routing_cell_topic},
                     r < routing_rows ? format("Ячейка %d"_cp, r) : "Остальные, ячейка"_cp});
  }
  return cells;
}
const CellTable routing_table = routing_cells();

// The table number and its values, as one drawing. True when the user left
// at a failed read's box.
bool show_routing_table(const GridCursor& grid, const ExitGroupTables& tables) {
  print_at(78, 3, format("%d", tables.routing_table), COLOR_BOX);
  return show_cells(grid, routing_table, routing_table_address(tables.group, tables.routing_table));
}

// --------------------------------------------------- dial control tables

constexpr int dial_code_rows = 15;
constexpr int dial_code_digits = 16;

int dial_table_address(int group, int table) { return exit_group_block(group) + 0x100 + 256 * table; }
int dial_table_of(const ExitGroupTables& tables) { return dial_table_address(tables.group, tables.dial_table); }

// The control line: the flag, then the six lines under control.
CellTable control_line_cells() {
  CellTable cells{{1, 1, {0, FieldKind::allowed, 0, 255, 1, control_flag_topic}, "Контроль"_cp}};
  for (int line = 1; line <= 6; ++line)
    cells.push_back({line + 1, 1, {line, FieldKind::line_ref, 0, 255, 1, control_line_topic},
                     format("По линиям %d"_cp, line)});
  return cells;
}
const CellTable control_line = control_line_cells();

// A code of the list is row i's digits at 16 i.
CellTable dial_code_cells() {
  CellTable cells;
  for (int i = 1; i <= dial_code_rows; ++i)
    cells.push_back({1, i, {16 * i, FieldKind::digits, 0, 0, dial_code_digits, control_code_topic},
                     format("Коды контроля набора %d"_cp, i)});
  return cells;
}
const CellTable dial_codes = dial_code_cells();

void draw_dial_control_frame() {
  draw_right_table({54, 80});
  draw_frame(1, 21, 53, 23, boxch::d_horizontal);
  print_at(55, 3, " Табл. контроля набора   "_cp, COLOR_BOX);
  print_at_plain(57, 6, "Коды контроля набора."_cp);
  print_at_plain(3, 22, "Контроль:            по линиям:"_cp);
}

// The table number, its codes and its control line, as one drawing. True
// when the user left at a failed read's box.
bool show_dial_table(const GridCursor& codes, const GridCursor& control, const ExitGroupTables& tables) {
  print_at(78, 3, format("%d", tables.dial_table), COLOR_BOX);
  FieldDrawing drawing;
  show_cells(codes, dial_codes, dial_table_of(tables));
  show_cells(control, control_line, dial_table_of(tables));
  return drawing.left();
}

// Tab in the code list: the control line under the table, until Tab goes
// back to the codes. PgUp and PgDn page the table from here too; the code
// list's cursor then goes back to its first row, the line's stays. True
// when Esc left the whole table, from the line or at a failed read's box.
bool edit_control_line(GridCursor& codes, GridCursor& control, ExitGroupTables& tables) {
  bool left_table = false;
  FieldPage line{control,
                 nullptr,
                 [&](const GridCursor& grid) {
                   codes.row = 1;
                   left_table = show_dial_table(codes, grid, tables);
                   return left_table;
                 },
                 {handled_key(key::enter,
                              [&](GridCursor& grid) { edit_cell(grid, control_line, dial_table_of(tables)); }),
                  help_key([](const GridCursor& grid) { return cell_at(grid, control_line)->field.level; }),
                  {key::tab, [](GridCursor&) { return KeyResult::leave; }},
                  {key::esc,
                   [&](GridCursor&) {
                     left_table = true;
                     return KeyResult::leave;
                   }}},
                 // PgUp and PgDn only; the table stands drawn when the line is entered.
                 {&tables.dial_table, [] { return exit_dial_table_count; }, false},
                 true};
  run_field_page(line);
  control = line.grid;
  return left_table;
}

// F1 and F2 draw at the right of the exit code table (the dial control
// table also below it) and erase exactly their own area on Esc.
void edit_group_routing(ExitGroupTables& tables) {
  draw_right_table({54, 71, 80});
  print_at(55, 3, " Таблица маршрутизации   "_cp, COLOR_BOX);
  print_at_plain(56, 6, "Коды контроля"_cp);
  print_at_plain(73, 6, "Ячейка"_cp);
  print_at_plain(56, 22, "  Остальные  "_cp);
  hint_table_keys();
  hint_help_key();
  FieldPage page{GridCursor({60, 74}, spaced(8, routing_rows)),
                 nullptr,
                 [&](const GridCursor& grid) { return show_routing_table(grid, tables); },
                 {handled_key(key::enter,
                              [&](GridCursor& grid) {
                                const int table = routing_table_address(tables.group, tables.routing_table);
                                edit_cell(grid, routing_table, table);
                              }),
                  help_key([](const GridCursor& grid) {
                    return grid.column == 1 ? routing_code_topic : routing_cell_topic;
                  })},
                 // PgUp and PgDn only; a new table starts at cell 1,1.
                 {&tables.routing_table, [] { return exit_routing_table_count; }, false, true}};
  run_field_page(page);
  erase_box(54, 3, 25, 19);
}

// Esc leaves the whole table, from the code list and the control line
// alike.
void edit_group_dial_control(ExitGroupTables& tables) {
  draw_dial_control_frame();
  hint_routing_keys();
  hint_help_key();
  GridCursor control({13, 35, 38, 41, 44, 47, 50}, {22});
  FieldPage codes{GridCursor({59}, spaced(8, dial_code_rows)),
                  nullptr,
                  [&](const GridCursor& grid) { return show_dial_table(grid, control, tables); },
                  {handled_key(key::enter,
                               [&](GridCursor& grid) { edit_cell(grid, dial_codes, dial_table_of(tables)); }),
                   help_key(control_code_topic),
                   {key::tab,
                    [&](GridCursor& grid) {
                      return edit_control_line(grid, control, tables) ? KeyResult::leave : KeyResult::handled;
                    }}},
                  // PgUp and PgDn only; a new table starts at the first code.
                  {&tables.dial_table, [] { return exit_dial_table_count; }, false, true}};
  run_field_page(codes);
  erase_box(54, 3, 25, 19);
  erase_box(1, 21, 51, 1);
}

}  // namespace


// The hints stand from the start; only the sub-screens cover them.
void edit_exit_groups() {
  if (!enter_station_screen(ScreenNeeds::station_or_file)) return;
  ExitGroupTables tables;
  draw_exit_code_frame();
  hint_move_edit();
  hint_group_keys();
  hint_help_key();
  const auto sub_screen = [&](void (*edit)(ExitGroupTables&)) {
    return [&tables, edit](GridCursor&) {
      edit(tables);
      hint_group_keys();
      hint_help_key();
    };
  };
  FieldPage page{exit_code_grid(),
                 nullptr,
                 [&](const GridCursor& grid) { return show_exit_group(grid, tables.group); },
                 {handled_key(key::enter,
                              [&](GridCursor& grid) {
                                edit_cell(grid, exit_code_table, exit_group_block(tables.group));
                              }),
                  help_key([](const GridCursor& grid) { return exit_columns[grid.column - 1].field.level; }),
                  handled_key(key::f1, sub_screen(edit_group_routing)),
                  handled_key(key::f2, sub_screen(edit_group_dial_control))},
                 // Home and End too; a new group starts at cell 1,1.
                 {&tables.group, [] { return exit_group_count; }, true, true}};
  run_field_page(page);
}

// ---------------------------------------------------------------- listing

void list_exit_groups(KarvelListing& listing) {
  for (int group = 1; group <= exit_group_count; ++group) {
    const std::string section = format("Группа выхода %d"_cp, group) + " / ";
    listing.add_cells(section + "Таблица разрешений выхода в город"_cp, exit_code_table, exit_group_block(group));
    for (int table = 1; table <= exit_routing_table_count; ++table)
      listing.add_cells(section + format("Таблица маршрутизации %d"_cp, table), routing_table,
                        routing_table_address(group, table));
    for (int table = 1; table <= exit_dial_table_count; ++table) {
      const std::string table_section = section + format("Таблица контроля набора %d"_cp, table);
      listing.add_cells(table_section, control_line, dial_table_address(group, table));
      listing.add_cells(table_section, dial_codes, dial_table_address(group, table));
    }
  }
}
