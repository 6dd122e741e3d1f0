#pragma once
// The ruled frame of a table screen: double lines, with single lines between
// columns inside, and the joint each crossing needs.

#include <vector>

// `rows` are the horizontal lines, the first the top edge and the last the
// bottom edge; `double_columns` the double verticals, the first and last the
// outer edges; `single_columns` the single ones inside. Horizontal lines run
// between the outer edges and verticals between the top and the bottom.
struct RuledTable {
  std::vector<int> rows;
  std::vector<int> double_columns;
  std::vector<int> single_columns;
};
void draw_ruled_table(const RuledTable& table);
