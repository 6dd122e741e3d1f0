#pragma once
// A small menu of entries in a box, as the editors open before their pages:
// Up and Down move with wrap-around, Enter erases the box and chooses, Esc
// leaves.

struct BoxMenu {
  int column, row;  // of the box's top left corner
  int width;        // inner width; entries are padded to it
  int count;
  const char* const* entries;
};

// Draws the menu with `current` highlighted and runs its keys; returns
// Enter (the box erased, `current` the chosen entry) or Esc. A `current` of
// 0 highlights no entry until the user moves (Down to the first, Up to the
// last); Enter then chooses nothing and leaves `current` at 0.
int run_box_menu(const BoxMenu& menu, int& current);
