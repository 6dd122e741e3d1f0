#pragma once
// The lines of a ruled table, single or double, drawn as one set: where
// lines meet or end on one another, the box character that joins them
// stands, so a table is given by its lines alone.

#include <vector>

struct RuledLine {
  bool vertical;
  int at;           // the row of a horizontal line, the column of a vertical one
  int from, to;     // the columns (rows) it runs over, both included
  bool double_line;
};

inline RuledLine across_line(int row, int from, int to, bool double_line) {
  return {false, row, from, to, double_line};
}
inline RuledLine down_line(int column, int from, int to, bool double_line) {
  return {true, column, from, to, double_line};
}

// Cells off the screen are left out; a line needs two cells at least.
void draw_ruled_lines(const std::vector<RuledLine>& lines);
