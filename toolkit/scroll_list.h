#pragma once
// A list longer than its page: items 1..capacity shown `rows` to a page,
// the cursor on one of them. Moving past the page's edge, PgUp, PgDn, Home
// and End bring another page, which the list's owner draws.

#include <functional>
#include <vector>

#include "toolkit/screen.h"

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

// A key of a list page: Enter, or the scan code of an extended key the
// list's moves do not take. The action answers true when it left a message
// on the cursor's row.
struct ListKey {
  int key;
  std::function<bool()> action;
};

struct ListPage {
  ScrollList* list;
  ScreenPos first;    // where the cursor stands on the page's first row
  int message_width;  // the places the key after a message blanks
  std::vector<ListKey> keys;
};

// The list on screen, drawn by its owner, until Esc: the cursor on the
// current row, the list's moves, then the key table; other keys are
// dropped. After a message the next key only blanks the message's places
// on the cursor's row, whatever the key (Esc and Enter too).
void run_list_page(const ListPage& page);
