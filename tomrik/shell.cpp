#include "shell.h"

#include <string>

#include "cp866.h"
#include "link_connect.h"
#include "menu.h"
#include "platform.h"
#include "screen.h"
#include "screens.h"
#include "settings_commands.h"

namespace {

struct ShellState {
  int exit_flag = 0;
};
ShellState shell;

void dispatch_file(int entry) {
  switch (entry) {
    case 1: link_connect(); break;
    case 2: station_to_file(); break;
    case 3: file_to_station(); break;
    case 4: software_version_screen(); break;
    case 5: shell.exit_flag = 1; break;
  }
}

void dispatch_programming(int entry) {
  static const int permission_groups[] = {26, 27, 28, 29, 30, 32, 33};
  if (entry == 1) city_lines_screen();
  if (entry == 2 || entry == 3) call_distribution_screen(entry - 1);
  if (entry == 4 || entry == 5) subscriber_settings_screen(entry - 3);
  if (entry >= 6 && entry <= 12) permission_table_screen(permission_groups[entry - 6]);
  if (entry == 13) tariffing_modes_screen();
  if (entry == 14) pickup_groups_screen();
  if (entry == 15) call_groups_screen();
  if (entry == 16) melody_screen();
}

void dispatch_phone_books(int entry) {
  switch (entry) {
    case 1: phone_book_screen(17); break;
    case 2: phone_book_screen(0); break;
    case 3: special_cell_screen(); break;
    case 4: number_control_screen(0); break;
    case 5: number_control_screen(1); break;
    case 6: command8_paths_screen(); break;
  }
}

void dispatch_operation(int entry) {
  if (entry == 1) station_display_screen();
  if (entry == 2) call_record_viewer();
  if (entry == 3) storage_device_screen();
}

void dispatch_help(int entry) {
  if (entry == 1) {
    platform::run_viewer("help.hlp");
    clear_screen();
    draw_menu_bar();
  }
  if (entry == 2) tomrik_about_box();
}

// Returns true when the exit entry was chosen.
bool dispatch_menu_choice(int menu, int entry) {
  switch (menu) {
    case 1: dispatch_file(entry); break;
    case 2: dispatch_programming(entry); break;
    case 3: dispatch_phone_books(entry); break;
    case 4: dispatch_operation(entry); break;
    case 5: dispatch_help(entry); break;
  }
  return shell.exit_flag == 1;
}

}  // namespace

void tomrik_about_box() {
  draw_box(20, 10, 40, 10);
  print_at(30, 11, "", COLOR_BOX);
  print_at(31, 13, "Управляющая программа"_cp, COLOR_BOX);
  print_at(30, 14, "  работы со станцией  "_cp, COLOR_BOX);
  print_at(35, 15, "", COLOR_BOX);
  print_at(27, 16, " Разработка: группа \"Томрик\" "_cp, COLOR_BOX);
  print_at(27, 17, "               ", COLOR_BOX);
  print_at(27, 18, right_aligned("Справки по телефонам"_cp, "000-00-01", 30), COLOR_BOX);
  print_at(27, 19, right_aligned("", "000-00-02", 30), COLOR_BOX);
  print_at(24, 20, "Электронная почта: info@localhost"_cp, COLOR_BOX);
  read_key();
  erase_box(20, 10, 40, 8);
}

void tomrik_main() {
  set_colour(COLOR_SCREEN);
  shell.exit_flag = 0;
  run_main_menu(dispatch_menu_choice);
  clear_screen();
}
