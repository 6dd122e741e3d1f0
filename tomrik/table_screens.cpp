#include "tomrik/table_screens.h"

#include <algorithm>

#include "facts/station_facts.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "settings/catalogue.h"
#include "toolkit/hints.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

int table_record[256];

KeyResult after_link(int status) {
  if (status == link_ok) return KeyResult::handled;
  link_error_box(status);
  return KeyResult::leave;
}

void run_table_page(GridCursor grid, std::function<int(const GridCursor&)> show, std::vector<PageKey> keys,
                    std::function<void()> hints) {
  // The show is true (after the box) when a read failed.
  auto failed_read = [](int status) { return after_link(status) == KeyResult::leave; };
  FieldPage page{grid, std::move(hints), [&](const GridCursor& g) { return failed_read(show(g)); }, std::move(keys), {}};
  run_field_page(page);
}

PageKey::Action then_show(LinkAction act, LinkAction show) {
  return [act = std::move(act), show = std::move(show)](GridCursor& grid) {
    int status = act(grid);
    if (status == link_ok) status = show(grid);
    return after_link(status);
  };
}

int table_read(int group, int index) {
  table_record[0] = 0;
  int status = link_read_record_alike(table_record, group, index);
  if (status != link_ok) table_record[0] = 0;
  return status;
}

int edit_record(const RecordEdit& course) {
  if (int status = table_read(course.group, course.index); status != link_ok) return status;
  if (course.held && !course.held()) return link_ok;
  if (course.edit()) {
    if (int status = link_write_record(table_record, course.group, course.index); status != link_ok) return status;
  }
  if (int status = table_read(course.group, course.index); status != link_ok) return status;
  course.draw();
  return link_ok;
}

bool edit_group_place(GridCursor& grid, int* codes, int places, const std::function<int(int place, int code)>& next,
                      std::string (*text)(int code)) {
  if (codes[grid.column - 1] == 0) {
    for (int p = 1; p <= places; ++p)
      if (codes[p - 1] == 0) {
        grid.column = p;
        break;
      }
  }
  hint_edit_value();
  const int place = grid.column;
  int& value = codes[place - 1];
  print_at(grid.current_cell(), text(value), COLOR_BOX);
  grid_goto(grid);
  return read_space_steps([&] {
           value = next(place, value);
           print_at(grid.current_cell(), text(value), COLOR_BOX);
           grid_goto(grid);
         }) == key::enter;
}

bool table_has_byte(int position) { return position >= 1 && position <= table_record[0]; }

bool table_is_length(int length) { return table_record[0] == length; }

int line_count() { return std::clamp(link_state.city_line_count, 0, facts::tomrik_max_lines); }

int subscriber_count() { return std::clamp(link_state.subscriber_count, 0, facts::tomrik_max_subscribers); }

void close_gaps(int* code, int count) {
  std::stable_partition(code, code + std::max(count, 0), [](int c) { return c != 0; });
}

void tidy_members(int* code, int count) {
  for (int a = 0; a < count; ++a)
    for (int b = a + 1; b < count; ++b)
      if (code[a] == code[b]) code[b] = 0;
  close_gaps(code, count);
}

std::string member_text(int code) { return code == 0 ? "Нет"_cp : fit_cell(format("%3d", code + 10), 3); }

std::string listed_members(const std::uint8_t* codes, int places, int subscribers) {
  std::vector<int> tidy(codes, codes + places);
  tidy_members(tidy.data(), places);
  std::string shown;
  for (int p = 0; p < places; ++p) shown += (p ? ", " : "") + trimmed(member_text(codes[p]));
  const bool exact = std::equal(codes, codes + places, tidy.begin()) &&
                     std::all_of(codes, codes + places, [&](std::uint8_t c) { return c <= subscribers; });
  return listed_value(shown, "", exact, codes, places);
}

namespace {

// The joint where a vertical line meets a horizontal one, by the horizontal
// line (the top, one between, the bottom, a single one between) and the
// vertical (the left edge, a double line inside, the right edge, a single
// line inside).
enum Rank { top_line, middle_line, bottom_line, single_line };
enum Upright { left_edge, inner_double, right_edge, inner_single };
constexpr std::uint8_t joints[4][4] = {
    {boxch::d_top_left, boxch::d_t_down, boxch::d_top_right, boxch::t_down_double},
    {boxch::d_t_right, boxch::d_cross, boxch::d_t_left, boxch::cross_double},
    {boxch::d_bottom_left, boxch::d_t_up, boxch::d_bottom_right, boxch::t_up_double},
    {199, 215, 182, 197},  // ╟ ╫ ╢ ┼
};

void draw_joints(const TableFrame& frame, int y, Rank rank) {
  const int left = frame.double_columns.front(), right = frame.double_columns.back();
  for (int x : frame.double_columns) put_at(x, y, joints[rank][x == left ? left_edge : x == right ? right_edge : inner_double]);
  for (int x : frame.single_columns) put_at(x, y, joints[rank][inner_single]);
}

}  // namespace

void draw_table_frame(const TableFrame& frame) {
  if (frame.rows.size() < 2 || frame.double_columns.size() < 2) return;
  const int left = frame.double_columns.front(), right = frame.double_columns.back();
  const int top = frame.rows.front(), bottom = frame.rows.back();
  set_colour(COLOR_SCREEN);
  for (int y : frame.rows) draw_frame(left + 1, y, right - 1, y, boxch::d_horizontal);
  for (int y : frame.single_rows) draw_frame(left + 1, y, right - 1, y, boxch::horizontal);
  // The verticals reach the bottom edge, where the joints take their last
  // place: a frame one row high still gets its sides.
  for (int x : frame.double_columns) draw_frame(x, top + 1, x, bottom, boxch::d_vertical);
  for (int x : frame.single_columns) draw_frame(x, top + 1, x, bottom, boxch::vertical);
  for (int y : frame.rows) draw_joints(frame, y, y == top ? top_line : y == bottom ? bottom_line : middle_line);
  for (int y : frame.single_rows) draw_joints(frame, y, single_line);
}

bool table_holds(const RecordCell& cell) {
  return table_has_byte(cell.position) && (cell.length == 0 || table_is_length(cell.length));
}

namespace {

// Draws an edited value at the grid's current cell: by the rule's text, or
// by the screen's own drawing.
void draw_value(const GridCursor& grid, CellDraw draw, int value, const CellRule& rule, std::uint8_t colour) {
  if (draw)
    draw(grid, value, colour);
  else
    show_record_cell(grid.current_cell(), table_record, value, rule, colour);
  goto_xy(grid.current_cell());
}

// Space steps the value by the rule; Enter writes it unless it is past the
// rule's highest.
bool edit_value_at(const GridCursor& grid, CellDraw draw, const RecordCell& cell, const CellRule& rule) {
  hint_edit_value();
  int& value = table_record[cell.position];
  draw_value(grid, draw, value, rule, COLOR_BOX);
  int k;
  if (draw) {
    k = read_space_steps([&] {
      value = rule.next(value) & 0xFF;
      draw_value(grid, draw, value, rule, COLOR_BOX);
    });
  } else {
    k = edit_record_cell(grid.current_cell(), table_record, value, rule);
    value &= 0xFF;
  }
  return k == key::enter && value <= rule.highest;
}

}  // namespace

int edit_table_cell(const GridCursor& grid, const RecordCell& cell, const CellRule& rule, CellDraw draw) {
  return edit_record({cell.group, cell.index, [&] { return table_holds(cell); },
                      [&] { return edit_value_at(grid, draw, cell, rule); },
                      [&] {
                        if (table_holds(cell)) draw_value(grid, draw, table_record[cell.position], rule, COLOR_SCREEN);
                      }});
}
