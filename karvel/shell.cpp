#include "karvel/shell.h"

#include <cstdio>
#include <string>

#include "karvel/context_help.h"
#include "karvel/menu_table.h"
#include "link/link_state.h"
#include "platform/cp866.h"
#include "platform/platform.h"
#include "platform/program_files.h"
#include "settings/link_status.h"
#include "toolkit/menu.h"
#include "toolkit/screen.h"

namespace {

std::string about_line(std::string_view text) {
  std::string line(text);
  line.resize(34, ' ');
  return line;
}

}  // namespace

void show_karvel_menu_bar() {
  set_colour(COLOR_SCREEN);
  clear_screen();
  link_rts_off();
  draw_menu_bar();
  draw_karvel_link_status();
}

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

// The menu is redrawn as soon as the viewer ends.
void karvel_help_viewer() { platform::run_viewer(platform::find_data_file("help.hlp")); }

bool karvel_main() {
  set_colour(COLOR_SCREEN);
  help_file = open_help_file(platform::find_data_file("help.txt").c_str());
  if (!help_file) {
    print_at(34, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
    read_key();
    return false;
  }
  run_main_menu(karvel_menu_table, show_karvel_menu_bar);
  std::fclose(help_file);
  help_file = nullptr;
  clear_screen();
  return true;
}
