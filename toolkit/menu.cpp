#include "toolkit/menu.h"

#include <string>

#include "toolkit/screen.h"

// Made as the program is loaded, with no code run at start-up (constinit
// holds the compiler to it), so nothing can find it unmade.
constinit MenuState menu_state;

void reset_menu_state() { menu_state = MenuState(); }

namespace {

constexpr int box_row = 2;

const PullDownMenu& menu(int m) { return menu_state.table->menus[m - 1]; }
int entry_count(int m) { return static_cast<int>(menu(m).entries.size()); }

// Entry texts fill the whole inner line of the box, so printing an entry
// repaints its line; entries that open a further choice end with a triangle.
std::string entry_line(int m, int j) {
  const PullDownMenu& def = menu(m);
  const MenuEntry& entry = def.entries[j - 1];
  std::string line = entry.text;
  line.resize(def.width, ' ');
  if (entry.opens_choice) line.back() = static_cast<char>(boxch::triangle_right);
  return line;
}

void print_entry(int m, int j) {
  std::uint8_t colour = j == menu_state.menu_choice[m] ? COLOR_SELECT : COLOR_BOX;
  print_at(menu(m).column + 1, box_row + j, entry_line(m, j), colour);
}

void open_menu(int m) {
  print_at(menu(m).column, 1, menu(m).title, COLOR_SELECT);
  draw_box(menu(m).column, box_row, menu(m).width, entry_count(m));
  for (int j = 1; j <= entry_count(m); ++j) print_entry(m, j);
}

void close_menu(int m) {
  print_at(menu(m).column, 1, menu(m).title, COLOR_BOX);
  erase_box(menu(m).column, box_row, menu(m).width, entry_count(m));
}

void switch_menu(int m) {
  close_menu(menu_state.current_menu);
  menu_state.current_menu = m;
  open_menu(m);
}

void select_entry(int next) {
  int m = menu_state.current_menu;
  int old = menu_state.menu_choice[m];
  menu_state.menu_choice[m] = next;
  print_entry(m, old);
  print_entry(m, next);
}

void move_choice(int delta) {
  int count = entry_count(menu_state.current_menu);
  int next = menu_state.menu_choice[menu_state.current_menu] + delta;
  if (next < 1) next = count;
  if (next > count) next = 1;
  select_entry(next);
}

// Esc: back to the first menu, and there on to its exit entry.
void escape() {
  if (menu_state.current_menu != 1)
    switch_menu(1);
  else
    select_entry(entry_count(1));
}

void run_chosen_entry() {
  const PullDownMenu& m = menu(menu_state.current_menu);
  int j = menu_state.menu_choice[menu_state.current_menu];
  if (j < 1 || j > static_cast<int>(m.entries.size())) return;
  if (m.entries[j - 1].screen) m.entries[j - 1].screen();
}

}  // namespace

void use_menu_table(const MenuTable& table) {
  menu_state.table = &table;
  // A choice remembered from another table may lie past this one's entries.
  for (int m = 1; m <= menu_count; ++m)
    if (menu_state.menu_choice[m] < 1 || menu_state.menu_choice[m] > entry_count(m)) menu_state.menu_choice[m] = 1;
}

void draw_menu_bar() {
  set_colour(COLOR_SCREEN);
  clear_screen();
  print_at(1, 1, std::string(80, ' '), COLOR_BOX);
  if (menu_state.table) {
    for (int m = 1; m <= menu_count; ++m) {
      if (m == menu_state.current_menu)
        open_menu(m);
      else
        print_at(menu(m).column, 1, menu(m).title, COLOR_BOX);
    }
  }
}

void run_menu() {
  for (;;) {
    int scan;
    int k = read_plain_key(scan);
    if (k == key::enter) return;
    if (!menu_state.table) continue;  // nothing to move in
    int m = menu_state.current_menu;
    if (scan == key::right) switch_menu(m == menu_count ? 1 : m + 1);
    if (scan == key::left) switch_menu(m == 1 ? menu_count : m - 1);
    if (scan == key::down) move_choice(+1);
    if (scan == key::up) move_choice(-1);
    if (k == key::esc) escape();
  }
}

void leave_main_menu() { menu_state.exit_chosen = true; }

void run_main_menu(const MenuTable& table, void (*show_bar)()) {
  use_menu_table(table);
  menu_state.current_menu = 1;
  menu_state.menu_choice[1] = menu_state.menu_choice[2] = 1;
  menu_state.exit_chosen = false;
  while (!menu_state.exit_chosen) {
    show_bar();
    run_menu();
    run_chosen_entry();
  }
}
