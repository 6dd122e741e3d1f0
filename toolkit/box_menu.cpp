#include "toolkit/box_menu.h"

#include <string>

#include "toolkit/screen.h"

namespace {

void print_entry(const BoxMenu& menu, int entry, int current) {
  if (entry < 1 || entry > menu.count()) return;
  std::string text = menu.text(entry);
  text.resize(menu.width, ' ');
  print_at(menu.column + 1, menu.row + entry, text, entry == current ? COLOR_SELECT : COLOR_BOX);
}

}  // namespace

int run_box_menu(const BoxMenu& menu, int& current) {
  if (current < 0 || current > menu.count()) current = 1;
  draw_box(menu.column, menu.row, menu.width, menu.count());
  for (int entry = 1; entry <= menu.count(); ++entry) print_entry(menu, entry, current);
  for (;;) {
    int k = read_key();
    if (k == key::extended) {
      int scan = read_key();
      int old = current;
      if (scan == key::down) current = current >= menu.count() ? 1 : current + 1;
      if (scan == key::up) current = current <= 1 ? menu.count() : current - 1;
      print_entry(menu, old, current);
      print_entry(menu, current, current);
    } else if (k == key::esc) {
      return key::esc;
    } else if (k == key::enter) {
      erase_box(menu.column, menu.row, menu.width, menu.count());
      return key::enter;
    }
  }
}

int run_box_menu_action(const BoxMenu& menu, int& current) {
  const int k = run_box_menu(menu, current);
  if (k == key::enter && current >= 1 && current <= menu.count() && menu.items[current - 1].action)
    menu.items[current - 1].action();
  return k;
}
