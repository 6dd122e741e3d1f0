#include "shell.h"

#include <cstdio>
#include <string>

#include "context_help.h"
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

std::string about_line(std::string_view text) {
  std::string line(text);
  line.resize(34, ' ');
  return line;
}

void dispatch_file(int entry) {
  switch (entry) {
    case 1: link_connect(); break;
    case 2: load_settings_file(); break;
    case 3: save_settings_file(); break;
    case 4: station_to_file(); break;
    case 5: file_to_station(); break;
    case 6: shell.exit_flag = 1; break;
  }
}

void dispatch_programming(int entry) {
  switch (entry) {
    case 1: station_settings_menu(); break;
    case 2: internal_port_editor(); break;
    case 3: city_line_editor(); break;
    case 4: edit_exit_groups(); break;
    case 5: edit_routing_tables(); break;
    case 6: edit_pickup_groups(); break;
    case 7: edit_melody(); break;
  }
}

void dispatch_phone_books(int entry) {
  if (entry == 1) phone_book(0xE000);
  if (entry == 2) individual_phone_book(0xC000);
}

void dispatch_operation(int entry) {
  switch (entry) {
    case 1: station_view_table(); break;
    case 2: station_view_log(); break;
    case 3: subscriber_view(); break;
    case 4: selector_view(); break;
    case 5: board_view(); break;
  }
}

void dispatch_help(int entry) {
  if (entry == 1) platform::run_viewer("help.hlp");
  if (entry == 2) karvel_about_box();
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

void karvel_about_box() {
  const std::string lines[9] = {
      about_line("            "),
      about_line("      Управляющая  программа      "_cp),
      about_line("        работы со станцией        "_cp),
      about_line("                      "),
      about_line("   Разработка: группа  \"Карвел\"   "_cp),
      about_line("                    "),
      right_aligned("Справки по телефонам:"_cp, "000-00-01", 34),
      right_aligned("", "000-00-02", 34),
      right_aligned("Электронная почта:"_cp, "info@localhost", 34),
  };
  draw_box(20, 10, 40, 10);
  print_at(24, 11, lines[0], COLOR_BOX);
  for (int i = 1; i < 9; ++i) print_at(24, 12 + i, lines[i], COLOR_BOX);
  read_key();
}

void karvel_main() {
  set_colour(COLOR_SCREEN);
  help_file = open_help_file("help.txt");
  if (!help_file) {
    print_at(34, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
    read_key();
    return;
  }
  shell.exit_flag = 0;
  run_main_menu(dispatch_menu_choice);
  std::fclose(help_file);
  help_file = nullptr;
  clear_screen();
}
