#include "ruled_table.h"

#include <cstdint>

#include "toolkit/screen.h"

namespace {

// The joint of a horizontal line (the top, one between, the bottom) with a
// vertical one (the left edge, a double line inside, the right edge, a
// single line inside).
enum Level { top_line, middle_line, bottom_line };
enum Upright { left_edge, inner_double, right_edge, inner_single };
constexpr std::uint8_t joints[3][4] = {
    {boxch::d_top_left, boxch::d_t_down, boxch::d_top_right, boxch::t_down_double},
    {boxch::d_t_right, boxch::d_cross, boxch::d_t_left, boxch::cross_double},
    {boxch::d_bottom_left, boxch::d_t_up, boxch::d_bottom_right, boxch::t_up_double},
};

}  // namespace

void draw_ruled_table(const RuledTable& table) {
  if (table.rows.size() < 2 || table.double_columns.size() < 2) return;
  const int left = table.double_columns.front(), right = table.double_columns.back();
  const int top = table.rows.front(), bottom = table.rows.back();
  set_colour(COLOR_SCREEN);
  for (int y : table.rows) draw_frame(left + 1, y, right - 1, y, boxch::d_horizontal);
  // The verticals reach the bottom edge, where the joints replace their last
  // character: a table one row high still gets its verticals.
  for (int x : table.double_columns) draw_frame(x, top + 1, x, bottom, boxch::d_vertical);
  for (int x : table.single_columns) draw_frame(x, top + 1, x, bottom, boxch::vertical);
  for (int y : table.rows) {
    const Level level = y == top ? top_line : y == bottom ? bottom_line : middle_line;
    for (int x : table.double_columns)
      put_at(x, y, joints[level][x == left ? left_edge : x == right ? right_edge : inner_double]);
    for (int x : table.single_columns) put_at(x, y, joints[level][inner_single]);
  }
}
