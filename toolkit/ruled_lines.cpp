#include "toolkit/ruled_lines.h"

#include <array>
#include <cstdint>
#include <iterator>

#include "toolkit/screen.h"

namespace {

// The arms of a cell: up, down, left, right; 0 none, 1 single, 2 double.
using Arms = std::array<int, 4>;
enum Arm { arm_up, arm_down, arm_left, arm_right };
constexpr int columns = 80, rows = 25;

// The CP866 line characters from 0xB3 on, each by its arms in the order
// up, down, left, right.
constexpr const char* joint_arms[] = {
    "1100", "1110", "1120", "2210", "0210", "0120", "2220", "2200", "0220", "2020", "2010", "1020", "0110", "1001",
    "1011", "0111", "1101", "0011", "1111", "1102", "2201", "2002", "0202", "2022", "0222", "2202", "0022", "2222",
    "1022", "2011", "0122", "0211", "2001", "1002", "0102", "0201", "2211", "1122", "1010", "0101"};
constexpr std::uint8_t first_joint = 0xB3;

// A line's end with nothing joining it keeps the line's own character.
std::uint8_t joint(const Arms& arms) {
  for (std::size_t i = 0; i < std::size(joint_arms); ++i) {
    bool same = true;
    for (int a = 0; a < 4; ++a) same = same && joint_arms[i][a] - '0' == arms[a];
    if (same) return static_cast<std::uint8_t>(first_joint + i);
  }
  if (arms[arm_left] || arms[arm_right])
    return arms[arm_left] == 2 || arms[arm_right] == 2 ? boxch::d_horizontal : boxch::horizontal;
  return arms[arm_up] == 2 || arms[arm_down] == 2 ? boxch::d_vertical : boxch::vertical;
}

}  // namespace

void draw_ruled_lines(const std::vector<RuledLine>& lines) {
  std::vector<Arms> arms(columns * rows, Arms{0, 0, 0, 0});
  std::vector<bool> ruled(columns * rows, false);
  const auto mark = [&](int column, int row, Arm arm, bool on, int style) {
    if (column < 1 || column > columns || row < 1 || row > rows) return;
    ruled[(row - 1) * columns + column - 1] = true;
    if (on) arms[(row - 1) * columns + column - 1][arm] = style;
  };
  for (const RuledLine& line : lines) {
    if (line.from >= line.to) continue;
    const int style = line.double_line ? 2 : 1;
    for (int i = line.from; i <= line.to; ++i) {
      const int column = line.vertical ? line.at : i, row = line.vertical ? i : line.at;
      mark(column, row, line.vertical ? arm_up : arm_left, i > line.from, style);
      mark(column, row, line.vertical ? arm_down : arm_right, i < line.to, style);
    }
  }
  for (int cell = 0; cell < columns * rows; ++cell)
    if (ruled[cell]) put_at(cell % columns + 1, cell / columns + 1, joint(arms[cell]));
}
