#include "toolkit/scroll_list.h"

#include <algorithm>
#include <string>

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

namespace {

// Enter or an extended key's scan code as the key table names them; 0 for
// the keys a list page drops.
int list_key(int k, int scan) {
  if (k == key::extended) return scan;
  return k == key::enter ? key::enter : 0;
}

}  // namespace

void run_list_page(const ListPage& page) {
  ScrollList& list = *page.list;
  bool message = false;
  for (;;) {
    const int row = page.first.row + list.row - 1;
    goto_xy(page.first.column, row);
    int scan;
    const int k = read_plain_key(scan);
    if (message) {
      message = false;
      print_at_plain(page.first.column, row, std::string(page.message_width, ' '));
      continue;
    }
    if (k == key::esc) return;
    if (k == key::extended && list.move(scan)) continue;
    const int code = list_key(k, scan);
    for (const ListKey& entry : page.keys) {
      if (code == 0 || entry.key != code) continue;
      message = entry.action();
      break;
    }
  }
}
