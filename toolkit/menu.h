#pragma once
// The menu bar with its five pull-down menus, run from one menu table per
// program. The state lives for the whole run, so every menu remembers its
// own selection across the screens run from it.

#include <vector>

constexpr int menu_count = 5;

// One line of a pull-down: its text and the screen it runs. A null screen
// is one not built yet: choosing it does nothing and the menu comes back.
struct MenuEntry {
  const char* text;
  void (*screen)();
  bool opens_choice = false;  // the screen asks a further choice: the line ends with a triangle
};

struct PullDownMenu {
  const char* title;
  int column;  // of the title on the bar, and of the pull-down box under it
  int width;   // inner width of the box; entry texts are padded to it
  std::vector<MenuEntry> entries;  // at most 16, the rows below the bar
};

// A program's whole menu. The last entry of the first menu is the exit
// entry, the one Esc moves to.
struct MenuTable {
  PullDownMenu menus[menu_count];
};

struct MenuState {
  const MenuTable* table = nullptr;  // none: the bar shows no titles
  int current_menu = 1;
  int menu_choice[menu_count + 1] = {0, 1, 1, 1, 1, 1};  // indexed 1..5
  bool exit_chosen = false;  // the exit entry ends the shell's loop
};
extern MenuState menu_state;
// Puts the menu state back as a program starts with it: no table, the
// first entries chosen (reset_run_state calls it).
void reset_menu_state();

// Chooses the table the bar and the menus are drawn from.
void use_menu_table(const MenuTable& table);

// Clears the screen and draws the bar with the open menu. The right end of
// the bar is the shell's (the station's status), and so is the station's
// control line, dropped whenever the menu is shown.
void draw_menu_bar();
void run_menu();

// The screen of the exit entry: the shell's loop ends after it.
void leave_main_menu();

// The shell's loop: the table is chosen and the menu state set up, then the
// bar is shown (by the shell's `show_bar`, which draws it), the menu run and
// the chosen entry's screen run, until the exit entry is chosen.
void run_main_menu(const MenuTable& table, void (*show_bar)() = draw_menu_bar);
