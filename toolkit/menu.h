#pragma once
// The menu bar with its five pull-down menus. The state lives for the whole
// run, so every menu remembers its own selection across the screens run
// from it.

struct MenuState {
  int current_menu = 1;
  int menu_choice[6] = {0, 1, 1, 1, 1, 1};  // indexed 1..5
};
extern MenuState menu_state;

constexpr int menu_count = 5;

void draw_menu_bar();
void run_menu();

// The right end of the bar: port, speed and identity of the connected
// station, or the loaded settings file (karvel).
void draw_karvel_link_status();
void draw_tomrik_link_status();

// The shell's loop: the menu state is set up, then the bar is drawn, the
// menu run and the chosen entry handed to `dispatch` (menu, entry), until
// `dispatch` reports that the exit entry was chosen.
void run_main_menu(bool (*dispatch)(int menu, int entry));
