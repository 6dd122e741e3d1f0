// Incoming call routing tables of karvel: sixteen tables, each with four
// answer groups of up to 16 ports rung one group after the other, a ringing
// time per group and a station phone book cell.
#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/karvel_memory.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/field_rows.h"
#include "karvel/member_groups.h"
#include "karvel/screens.h"
#include "platform/cp866.h"
#include "toolkit/field_page.h"
#include "toolkit/hints.h"
#include "toolkit/ruled_lines.h"
#include "toolkit/screen.h"

namespace {

constexpr int routing_table_count = 16;
constexpr int answer_groups = 4;
constexpr int routing_topic = 165;  // also the members' protection level
constexpr int cell_topic = 166;
constexpr int time_topic = 167;
const bool help_registered = register_help_topics("routing tables", {routing_topic, cell_topic, time_topic});
constexpr int last_ringing_time = 99;
constexpr int last_book_cell = 99;

int answer_group_address(int table, int group) {
  return facts::karvel_routing_answer_group_address(table, group, group_places);
}
int ringing_time_address(int table, int group) { return facts::karvel_routing_ringing_time_address(table, group); }

GridCursor book_cell_grid() { return GridCursor({75}, {22}); }

// The ringing time of each answer group and the table's phone book cell,
// at their absolute addresses. Neither loads a protection level.
CellTable ringing_times(int table) {
  CellTable cells;
  for (int g = 1; g <= answer_groups; ++g)
    cells.push_back({1, g, {ringing_time_address(table, g), FieldKind::number, 1, last_ringing_time},
                     format("Время вызова %d"_cp, g), "Сек."_cp});
  return cells;
}
CellTable book_cell(int table) {
  return {{1, 1, {facts::karvel_routing_book_cell_address(table), FieldKind::number, 0, last_book_cell}, "Ячейка"_cp}};
}

// The time column at the left, outlined in single lines: a header two
// rows high and 14 wide over a column 6 wide.
void draw_time_column() {
  draw_ruled_lines({across_line(3, 1, 14, false), across_line(5, 6, 14, false), across_line(23, 1, 6, false),
                    down_line(1, 3, 23, false), down_line(6, 5, 23, false), down_line(14, 3, 5, false)});
  print_at_plain(2, 4, "Время вызова"_cp);
  print_at(15, 4, "<=TAB", COLOR_BOX);
  print_at_plain(2, 5, "Сек."_cp);
}

void draw_routing_frame() {
  draw_group_strips();
  print_at_plain(14, 2, "   Таблицы наведения городких вызов:"_cp);
  for (int g = 1; g <= answer_groups; ++g) print_at_plain(29, 5 + 5 * (g - 1), format("Группа ответа %d"_cp, g));
  print_at(75, 19, " F4 ", COLOR_BOX);
  print_at_plain(74, 20, "Ячейка"_cp);
  draw_frame(74, 21, 79, 23, boxch::d_horizontal);
  draw_time_column();
}

// The table number and all its values, as one drawing: members, ringing
// times and the cell. True when the user left at a failed read's box.
bool show_routing_table(const GridCursor& members, const GridCursor& times, int table) {
  print_at_plain(52, 2, format("%2d", table));
  FieldDrawing drawing;
  for (int g = 1; g <= answer_groups; ++g) show_member_row(members, g, answer_group_address(table, g));
  show_cells(times, ringing_times(table), 0);
  show_cells(book_cell_grid(), book_cell(table), 0);
  return drawing.left();
}

// Tab: the ringing times, one per answer group, until Tab or Esc goes back
// to the members; F4: the table's phone book cell, until Esc.
void cell_mode(GridCursor& grid, const CellTable& cells, int topic, bool tab_leaves) {
  FieldPage page{grid,
                 nullptr,
                 nothing_to_show,
                 {handled_key(key::enter, [&cells](GridCursor& cell) { edit_cell(cell, cells, 0); }), help_key(topic)},
                 {}};
  if (tab_leaves) page.keys.push_back({key::tab, [](GridCursor&) { return KeyResult::leave; }});
  run_field_page(page);
  grid = page.grid;
}

}  // namespace

void edit_routing_tables() {
  if (!enter_station_screen(ScreenNeeds::station_or_file)) return;
  draw_routing_frame();
  int table = 1;
  GridCursor times({2}, spaced(7, answer_groups, 5));
  FieldPage frame{member_grid(),
                  [] {
                    hint_port_pages();
                    hint_help_key();
                  },
                  [&](const GridCursor& members) {
                    times.row = 1;  // a new table starts on its first ringing time
                    return show_routing_table(members, times, table);
                  },
                  {handled_key(key::enter,
                               [&](GridCursor& members) {
                                 edit_member(members, answer_group_address(table, members.row), routing_topic,
                                             free_answer_group_place);
                               }),
                   help_key(routing_topic),
                   handled_key(key::f4,
                               [&](GridCursor&) {
                                 GridCursor cell = book_cell_grid();
                                 cell_mode(cell, book_cell(table), cell_topic, false);
                               }),
                   handled_key(key::tab,
                               [&](GridCursor&) { cell_mode(times, ringing_times(table), time_topic, true); })},
                  {&table, [] { return routing_table_count; }}};
  run_field_page(frame);
}

void list_routing_tables(KarvelListing& listing) {
  for (int table = 1; table <= routing_table_count; ++table) {
    const std::string section = karvel_menu_name(edit_routing_tables) + " / " + format("Таблица %d"_cp, table);
    for (int g = 1; g <= answer_groups; ++g)
      listing.add_members(section, format("Группа ответа %d"_cp, g), routing_topic, answer_group_address(table, g),
                          free_answer_group_place);
    listing.add_cells(section, ringing_times(table), 0);
    listing.add_cells(section, book_cell(table), 0);
  }
}
