#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "karvel/menu_table.h"
#include "karvel/shell.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "tests/test_support.h"
#include "tomrik/menu_table.h"
#include "tomrik/shell.h"
#include "toolkit/menu.h"
#include "toolkit/screen.h"

namespace {

struct MenuBar : ::testing::Test {
  platform::TestServices services;
  void SetUp() override {
    use_program(karvel_program);
    reset_run_state();
    use_menu_table(karvel_menu_table);
  }
  void TearDown() override { reset_run_state(); }
  // Runs the menu with the keys, ended by Enter.
  void run_with(std::initializer_list<int> keys) {
    services.keys.add(keys);
    services.keys.add({key::enter});
    draw_menu_bar();
    run_menu();
  }
  bool entry_selected(int column, int row, int width) { return test::span_has_colour(column, row, width, COLOR_SELECT); }
};

TEST_F(MenuBar, KarvelBarShowsTitlesAndTheFirstMenuOpen) {
  draw_menu_bar();
  EXPECT_TRUE(test::span_has_colour(1, 1, 80, 0x70) == false);  // the open title is highlighted
  EXPECT_EQ(test::utf8_at(1, 1, 6), "A/Файл");
  EXPECT_TRUE(test::span_has_colour(1, 1, 6, 0x2E));
  EXPECT_EQ(test::utf8_at(8, 1, 17), "B/Програмирование");
  EXPECT_TRUE(test::span_has_colour(7, 1, 74, 0x70));
  EXPECT_EQ(test::utf8_at(26, 1, 13), "C/Зап. книжки");
  EXPECT_EQ(test::utf8_at(40, 1, 8), "D/Работа");
  EXPECT_EQ(test::utf8_at(49, 1, 9), "E/Справка");
  // Nothing connected and no file: the right end of the bar stays blank.
  EXPECT_EQ(test::text_at(59, 1, 22), std::string(22, ' '));

  EXPECT_EQ(test::utf8_at(1, 2, 1), "┌");
  EXPECT_EQ(test::utf8_at(42, 2, 1), "┐");
  EXPECT_EQ(test::utf8_at(2, 3, 40), "1.Настройка COM порта                   ");
  EXPECT_TRUE(entry_selected(2, 3, 40));
  EXPECT_EQ(test::utf8_at(2, 8, 7), "6.Выход");
  EXPECT_TRUE(test::span_has_colour(2, 8, 40, 0x70));
  EXPECT_EQ(test::utf8_at(1, 9, 1), "└");
  EXPECT_EQ(test::colour_at(1, 10), 0x1E);
}

TEST_F(MenuBar, ProgrammingEntriesThatOpenAChoiceEndWithATriangle) {
  run_with({0, key::right});
  EXPECT_EQ(menu_state.current_menu, 2);
  for (int row = 3; row <= 5; ++row) EXPECT_EQ(test::text_at(47, row, 1), "\x10") << row;
  EXPECT_EQ(test::text_at(47, 6, 1), " ");
  EXPECT_EQ(test::utf8_at(9, 9, 33), "7.Выбор мелодии при переадресации");
  // The File menu's box was blanked when Programming opened.
  EXPECT_EQ(test::text_at(1, 9, 1), " ");
  EXPECT_TRUE(test::span_has_colour(1, 1, 6, 0x70));
}

TEST_F(MenuBar, LeftAndRightWrapAroundTheFiveMenus) {
  run_with({0, key::left});
  EXPECT_EQ(menu_state.current_menu, 5);
  EXPECT_EQ(test::utf8_at(50, 3, 15), "1.Вызов справки");
  run_with({0, key::right});
  EXPECT_EQ(menu_state.current_menu, 1);
}

TEST_F(MenuBar, EachMenuRemembersItsOwnSelection) {
  run_with({0, key::down, 0, key::down, 0, key::right, 0, key::up, 0, key::left});
  EXPECT_EQ(menu_state.current_menu, 1);
  EXPECT_EQ(menu_state.menu_choice[1], 3);
  EXPECT_EQ(menu_state.menu_choice[2], 7);
  EXPECT_TRUE(entry_selected(2, 5, 40));
  // Coming back from a screen shows the same menu and entry.
  draw_menu_bar();
  EXPECT_TRUE(entry_selected(2, 5, 40));
  EXPECT_TRUE(test::span_has_colour(2, 3, 40, 0x70));
}

TEST_F(MenuBar, EscGoesToTheFileMenuThenToItsExitEntry) {
  run_with({0, key::down, 0, key::right, 0, key::right, 0, key::right, key::esc});
  EXPECT_EQ(menu_state.current_menu, 1);
  EXPECT_EQ(menu_state.menu_choice[1], 2);
  EXPECT_TRUE(entry_selected(2, 4, 40));
  EXPECT_EQ(test::text_at(40, 4, 1), " ");  // the Operation box is gone
  run_with({key::esc});
  EXPECT_EQ(menu_state.menu_choice[1], 6);
  EXPECT_TRUE(entry_selected(2, 8, 40));
  EXPECT_TRUE(test::span_has_colour(2, 4, 40, 0x70));
}

TEST_F(MenuBar, OtherKeysDoNothing) {
  draw_menu_bar();
  services.keys.add({'P', 'H', '2', key::tab, key::space, 0, key::f1, 0, key::del, 0, key::pgdn, 0, key::home});
  EXPECT_TRUE(test::runs_until_script_ends(run_menu));
  EXPECT_EQ(menu_state.current_menu, 1);
  EXPECT_EQ(menu_state.menu_choice[1], 1);
}

TEST_F(MenuBar, TomrikMenusWrapOverSixteenEntries) {
  use_program(tomrik_program);
  use_menu_table(tomrik_menu_table);
  run_with({0, key::right, 0, key::up});
  EXPECT_EQ(menu_state.menu_choice[2], 16);
  EXPECT_EQ(test::utf8_at(9, 18, 32), " Выбор мелодии в городскую линию");
  EXPECT_TRUE(test::span_has_colour(9, 18, 39, 0x20));
  EXPECT_TRUE(test::span_has_colour(8, 1, 15, 0x20));
  run_with({0, key::down});
  EXPECT_EQ(menu_state.menu_choice[2], 1);
  run_with({key::esc, key::esc});
  EXPECT_EQ(menu_state.current_menu, 1);
  EXPECT_EQ(menu_state.menu_choice[1], 5);
  EXPECT_EQ(test::utf8_at(2, 7, 6), " Выход");
}

TEST_F(MenuBar, LinkStatusShowsTheConnectedStationOrTheLoadedFile) {
  link_state.station_connected = 1;
  link_state.port_index = 1;
  link_state.speed_index = 3;
  std::memcpy(link_state.station_identity, "KRV4242", 8);
  show_karvel_menu_bar();
  EXPECT_EQ(test::text_at(59, 1, 22), " COM2  57600  KRV4242 ");
  EXPECT_TRUE(test::span_has_colour(59, 1, 22, 0x70));

  link_state.speed_index = 0;
  show_karvel_menu_bar();
  EXPECT_EQ(test::text_at(66, 1, 5), " 9600");

  link_state.station_connected = 0;
  link_state.file_mode = 1;
  std::memcpy(settings_state.file_name, "office.set", 11);
  show_karvel_menu_bar();
  EXPECT_EQ(test::text_at(59, 1, 22), "office.set    KRV4242 ");

  use_program(tomrik_program);
  reset_run_state();
  use_menu_table(tomrik_menu_table);
  link_state.station_connected = 1;
  std::memcpy(link_state.station_identity, "T416", 5);
  show_tomrik_menu_bar();
  EXPECT_EQ(test::text_at(60, 1, 19), "COM1    4800   T416");
}

// Every line of both programs' tables must fit the box drawn for it, and
// the boxes and titles the screen.
TEST(MenuTables, EveryEntryFitsItsBoxAndTheFileMenuEndsWithTheExit) {
  for (const MenuTable* table : {&karvel_menu_table, &tomrik_menu_table}) {
    int title_end = 0;
    for (const PullDownMenu& m : table->menus) {
      std::string title = cp866::to_utf8(m.title);
      EXPECT_GT(m.column, title_end) << title;
      title_end = m.column + static_cast<int>(std::strlen(m.title)) - 1;
      EXPECT_LE(m.column + m.width + 1, 80) << title;
      EXPECT_GE(m.entries.size(), 1u) << title;
      EXPECT_LE(m.entries.size(), 16u) << title;
      for (const MenuEntry& e : m.entries) {
        std::size_t room = m.width - (e.opens_choice ? 1 : 0);  // the triangle takes the last column
        EXPECT_LE(std::strlen(e.text), room) << cp866::to_utf8(e.text);
      }
    }
    EXPECT_EQ(table->menus[0].entries.back().screen, leave_main_menu);
  }
}

// The shell's loop over a table of its own: a screen that counts its runs,
// one not built yet, and the exit.
int screen_runs = 0;
void counting_screen() { ++screen_runs; }

const MenuTable test_table = {{
    {"One", 1, 10, {{"1.Screen", counting_screen}, {"2.Exit", leave_main_menu}}},
    {"Two", 8, 10, {{"1.Screen", counting_screen}, {"2.Not yet", nullptr}}},
    {"Three", 26, 10, {{"1.Not yet", nullptr}}},
    {"Four", 40, 10, {{"1.Not yet", nullptr}}},
    {"Five", 49, 10, {{"1.Not yet", nullptr}}},
}};

struct MainMenu : MenuBar {
  void SetUp() override {
    MenuBar::SetUp();
    screen_runs = 0;
  }
};

TEST_F(MainMenu, TheChosenScreenRunsAndTheMenuComesBackOnItsEntry) {
  services.keys.add({0, key::right, key::enter, 0, key::down, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends([] { run_main_menu(test_table); }));
  EXPECT_EQ(screen_runs, 1);
  // The entry not built yet did nothing; the bar came back with it chosen.
  EXPECT_EQ(menu_state.current_menu, 2);
  EXPECT_EQ(menu_state.menu_choice[2], 2);
  EXPECT_EQ(test::text_at(9, 4, 10), "2.Not yet ");
  EXPECT_TRUE(entry_selected(9, 4, 10));
}

TEST_F(MainMenu, ChoicesPastAnotherTablesEntriesStartOver) {
  menu_state.menu_choice[2] = 16;
  menu_state.menu_choice[3] = 2;
  use_menu_table(test_table);
  EXPECT_EQ(menu_state.menu_choice[2], 1);
  EXPECT_EQ(menu_state.menu_choice[3], 1);
  services.keys.add({0, key::right, 0, key::up});
  EXPECT_TRUE(test::runs_until_script_ends(run_menu));
  EXPECT_TRUE(entry_selected(9, 4, 10));
}

TEST_F(MainMenu, StartsOnTheFirstEntriesAndEndsOnlyWithTheExitEntry) {
  menu_state.current_menu = 3;
  menu_state.menu_choice[1] = menu_state.menu_choice[2] = 2;
  menu_state.exit_chosen = true;  // left over from an earlier run
  services.keys.add({key::enter, 0, key::right, key::enter, key::esc, key::esc, key::enter});
  run_main_menu(test_table);
  EXPECT_EQ(screen_runs, 2);
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(menu_state.current_menu, 1);
  EXPECT_EQ(menu_state.menu_choice[1], 2);
}

}  // namespace
