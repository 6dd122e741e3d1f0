#pragma once
// A frame of box-drawing lines given as its lines: each line is drawn and
// every place where lines meet gets the joint of the lines that reach it
// from above, below, the left and the right, single or double alike.

#include <initializer_list>

enum class Rule { single, twin };

// A line along row (or column) `at` from `from` to `to`, both included,
// at least two places long.
struct RuledLine {
  int at, from, to;
  Rule rule;
};

// Draws the lines across (rows) and down (columns) in the current colour.
// A line's end that meets no other line is drawn as the line itself.
void draw_ruled_lines(std::initializer_list<RuledLine> across, std::initializer_list<RuledLine> down);
