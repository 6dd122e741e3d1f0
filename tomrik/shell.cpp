#include "tomrik/shell.h"

#include "link/link_state.h"
#include "platform/cp866.h"
#include "platform/platform.h"
#include "platform/program_files.h"
#include "settings/link_status.h"
#include "tomrik/menu_table.h"
#include "toolkit/menu.h"
#include "toolkit/screen.h"

void show_tomrik_menu_bar() {
  set_colour(COLOR_SCREEN);
  clear_screen();
  link_rts_off();
  draw_menu_bar();
  draw_tomrik_link_status();
}

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

// The menu comes back at once, before the loop's own redraw.
void tomrik_help_viewer() {
  platform::run_viewer(platform::find_data_file("help.hlp"));
  clear_screen();
  show_tomrik_menu_bar();
}

void tomrik_main() {
  set_colour(COLOR_SCREEN);
  run_main_menu(tomrik_menu_table, show_tomrik_menu_bar);
  clear_screen();
}
