#include "menu.h"

#include <string>

#include "link_state.h"
#include "screen.h"
#include "settings_state.h"

MenuState menu_state;

namespace {

constexpr int title_columns[menu_count + 1] = {0, 1, 8, 26, 40, 49};
constexpr int box_row = 2;

const MenuDef& menu(int m) { return profile().menus[m - 1]; }

// Entry texts fill the whole inner line of the box, so printing an entry
// repaints its line; entries that open a further choice end with a triangle.
std::string entry_line(int m, int j) {
  const MenuDef& def = menu(m);
  std::string line = def.entries[j - 1];
  line.resize(def.width, ' ');
  if (def.submenu_marks & (1u << (j - 1))) line.back() = static_cast<char>(boxch::triangle_right);
  return line;
}

void print_entry(int m, int j) {
  std::uint8_t colour = j == menu_state.menu_choice[m] ? COLOR_SELECT : COLOR_BOX;
  print_at(menu(m).column + 1, box_row + j, entry_line(m, j), colour);
}

void open_menu(int m) {
  print_at(title_columns[m], 1, menu(m).title, COLOR_SELECT);
  draw_box(menu(m).column, box_row, menu(m).width, menu(m).count);
  for (int j = 1; j <= menu(m).count; ++j) print_entry(m, j);
}

void close_menu(int m) {
  print_at(title_columns[m], 1, menu(m).title, COLOR_BOX);
  erase_box(menu(m).column, box_row, menu(m).width, menu(m).count);
}

void switch_menu(int m) {
  close_menu(menu_state.current_menu);
  menu_state.current_menu = m;
  open_menu(m);
}

void move_choice(int delta) {
  int m = menu_state.current_menu;
  int count = menu(m).count;
  int old = menu_state.menu_choice[m];
  int next = old + delta;
  if (next < 1) next = count;
  if (next > count) next = 1;
  menu_state.menu_choice[m] = next;
  print_entry(m, old);
  print_entry(m, next);
}

}  // namespace

void draw_menu_bar() {
  set_colour(COLOR_SCREEN);
  clear_screen();
  link_rts_off();
  print_at(1, 1, std::string(80, ' '), COLOR_BOX);
  for (int m = 1; m <= menu_count; ++m) {
    if (m == menu_state.current_menu)
      open_menu(m);
    else
      print_at(title_columns[m], 1, menu(m).title, COLOR_BOX);
  }
  if (profile().draw_link_status) profile().draw_link_status();
}

void run_menu() {
  for (;;) {
    int k = read_key();
    if (k == key::extended) {
      int scan = read_key();
      int m = menu_state.current_menu;
      if (scan == key::right) switch_menu(m == menu_count ? 1 : m + 1);
      if (scan == key::left) switch_menu(m == 1 ? menu_count : m - 1);
      if (scan == key::down) move_choice(+1);
      if (scan == key::up) move_choice(-1);
    } else if (k == key::esc) {
      if (menu_state.current_menu != 1) {
        switch_menu(1);
      } else {
        int old = menu_state.menu_choice[1];
        menu_state.menu_choice[1] = profile().exit_entry;
        print_entry(1, old);
        print_entry(1, profile().exit_entry);
      }
    } else if (k == key::enter) {
      return;
    }
  }
}

namespace {
const char* const speed_names[4] = {" 9600", "19200", "38400", "57600"};
const char* port_name(int index) { return index == 1 ? "COM2" : "COM1"; }
}  // namespace

void draw_karvel_link_status() {
  if (link_state.station_connected) {
    int speed = link_state.speed_index;
    print_at(60, 1, port_name(link_state.port_index), COLOR_BOX);
    if (speed >= 0 && speed < 4) print_at(66, 1, speed_names[speed], COLOR_BOX);
    print_at(73, 1, std::string(link_state.station_identity, 7).c_str(), COLOR_BOX);
  } else if (link_state.file_mode) {
    print_at(59, 1, std::string(settings_state.file_name, 12).c_str(), COLOR_BOX);
    print_at(73, 1, std::string(link_state.station_identity, 7).c_str(), COLOR_BOX);
  }
}

void draw_tomrik_link_status() {
  if (!link_state.station_connected) return;
  print_at(60, 1, port_name(link_state.port_index), COLOR_BOX);
  print_at(66, 1, "  4800", COLOR_BOX);
  print_at(75, 1, std::string(link_state.station_identity, 4).c_str(), COLOR_BOX);
}

void run_main_menu(bool (*dispatch)(int menu, int entry)) {
  menu_state.current_menu = 1;
  menu_state.menu_choice[1] = menu_state.menu_choice[2] = 1;
  for (;;) {
    draw_menu_bar();
    run_menu();
    if (dispatch(menu_state.current_menu, menu_state.menu_choice[menu_state.current_menu])) return;
  }
}
