#pragma once
// A list longer than its page: items 1..capacity shown `rows` to a page,
// the cursor on one of them. Moving past the page's edge, PgUp, PgDn, Home
// and End bring another page, which the list's owner draws.

#include <functional>

struct ScrollList {
  int capacity = 0;  // items 1..capacity
  int rows = 16;     // on a page
  int current = 1;   // the item under the cursor
  int row = 1;       // its row on the page, 1..rows
  // Draws the page that starts at page_start(); current and row are set.
  std::function<void()> draw_page;

  int page_start() const { return current - row + 1; }
  // The page starting at item `start`, the cursor on item `item` of it.
  void show_page(int start, int item);
  // Up, Down, PgUp, PgDn, Home or End (scan codes); false for other keys.
  bool move(int scan);

 private:
  void show_page_ending_at(int item);
  void move_down();
  void move_up();
  void page_up();
  void page_down();
};
