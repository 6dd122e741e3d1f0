#include "toolkit/scroll_list.h"

#include <algorithm>

#include "platform/keys.h"

void ScrollList::show_page(int start, int item) {
  current = item;
  row = item - start + 1;
  if (draw_page) draw_page();
}

// The page whose last row is `item` (the first page when the item is on
// it), with the cursor on the item.
void ScrollList::show_page_ending_at(int item) { show_page(std::max(1, item - rows + 1), item); }

void ScrollList::move_down() {
  if (current >= capacity) return;
  if (row < rows) {
    ++current;
    ++row;
  } else {
    show_page(current + 1, current + 1);
  }
}

// Up from the top row goes to the item just above, at the foot of the page
// that ends with it, so the cursor never jumps forward when the page did
// not start on a multiple of the page's rows.
void ScrollList::move_up() {
  if (row > 1) {
    --current;
    --row;
  } else if (current >= 2) {
    show_page_ending_at(current - 1);
  }
}

void ScrollList::page_up() {
  const int start = page_start();
  if (start <= 1) {
    current = 1;
    row = 1;
  } else {
    show_page_ending_at(start - 1);
  }
}

void ScrollList::page_down() {
  const int start = page_start();
  if (start + rows - 1 >= capacity) {
    current = capacity;
    row = capacity - start + 1;
  } else {
    show_page(start + rows, start + rows);
  }
}

bool ScrollList::move(int scan) {
  switch (scan) {
    case key::down: move_down(); return true;
    case key::up: move_up(); return true;
    case key::pgup: page_up(); return true;
    case key::pgdn: page_down(); return true;
    case key::home:
      if (page_start() > 1) show_page(1, 1);
      return true;
    case key::end:
      if (capacity > rows) show_page(capacity - rows + 1, capacity);
      return true;
    default: return false;
  }
}
