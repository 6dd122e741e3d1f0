#pragma once
// A small menu of entries in a box, as the editors open before their pages:
// Up and Down move with wrap-around, Enter erases the box and chooses, Esc
// leaves. Each entry carries the page it runs, as the menu bar's entries
// carry their screens.

#include <vector>

struct BoxMenuItem {
  const char* text;
  void (*action)();  // run when the entry is chosen; null runs nothing
};

struct BoxMenu {
  int column, row;  // of the box's top left corner
  int width;        // inner width; entries are padded to it
  std::vector<BoxMenuItem> items;

  int count() const { return static_cast<int>(items.size()); }
  // The text of entry 1..count, "" for any other number.
  const char* text(int entry) const { return entry >= 1 && entry <= count() ? items[entry - 1].text : ""; }
};

// Draws the menu with `current` highlighted and runs its keys; returns
// Enter (the box erased, `current` the chosen entry) or Esc. A `current` of
// 0 highlights no entry until the user moves (Down to the first, Up to the
// last); Enter then chooses nothing and leaves `current` at 0.
int run_box_menu(const BoxMenu& menu, int& current);
// run_box_menu, then on Enter the chosen entry's action. Returns the key.
int run_box_menu_action(const BoxMenu& menu, int& current);
