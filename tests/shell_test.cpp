#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "karvel/context_help.h"
#include "karvel/shell.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "tests/test_support.h"
#include "tomrik/shell.h"
#include "toolkit/menu.h"
#include "toolkit/screen.h"

namespace {

namespace fs = std::filesystem;

// Runs each shell in a directory of its own, as the programs run in theirs.
struct Shell : ::testing::Test {
  platform::TestServices services;
  fs::path old_dir = fs::current_path();
  fs::path dir;
  void SetUp() override {
    // A directory per test: a file a shell left open (the script ended
    // inside it) cannot be removed on every system.
    static int serial = 0;
    dir = fs::temp_directory_path() / ("shell_test_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
    fs::create_directories(dir);
    fs::current_path(dir);
    reset_run_state();
  }
  void TearDown() override {
    reset_run_state();
    if (help_file) std::fclose(help_file);
    help_file = nullptr;
    fs::current_path(old_dir);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void write_help_file() {
    std::FILE* f = std::fopen("help.txt", "w");
    std::fputs("#1 Port\ntext\n", f);
    std::fclose(f);
  }
  void keys(std::initializer_list<int> k) { services.keys.add(k); }
  void choose_exit_karvel() { keys({key::esc, key::esc, key::enter}); }
};

TEST_F(Shell, KarvelWithoutHelpFileShowsTheMessageAndEndsAfterOneKey) {
  use_program(karvel_program);
  keys({'x'});
  EXPECT_FALSE(karvel_main());  // the program's status is 1
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(test::utf8_at(34, 4, 22), "Ошибка открытия файла!");
  EXPECT_TRUE(test::span_has_colour(34, 4, 22, 0x70));
  EXPECT_EQ(test::text_at(1, 1, 6), std::string(6, ' '));  // no menu drawn
}

TEST_F(Shell, KarvelExitEntryEndsAtOnceAndClearsTheScreen) {
  use_program(karvel_program);
  write_help_file();
  choose_exit_karvel();
  karvel_main();
  EXPECT_EQ(test::text_at(1, 1, 80), std::string(80, ' '));
  EXPECT_EQ(test::colour_at(1, 1), 0x1E);
  EXPECT_EQ(help_file, nullptr);
}

TEST_F(Shell, KarvelAboutBoxAndTheMenuComingBackWhereItWas) {
  use_program(karvel_program);
  write_help_file();
  keys({0, key::left, 0, key::down, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(karvel_main));
  EXPECT_EQ(test::utf8_at(20, 10, 1), "┌");
  EXPECT_EQ(test::utf8_at(61, 21, 1), "┘");
  EXPECT_EQ(test::text_at(24, 11, 34), std::string(34, ' '));
  EXPECT_EQ(test::utf8_at(24, 13, 34), "      Управляющая  программа      ");
  EXPECT_EQ(test::utf8_at(24, 14, 34), "        работы со станцией        ");
  EXPECT_EQ(test::utf8_at(24, 18, 21), "Справки по телефонам:");
  EXPECT_EQ(test::utf8_at(24, 20, 18), "Электронная почта:");
  EXPECT_TRUE(test::span_has_colour(24, 12, 34, 0x70));  // row 12 blank inside the box
  EXPECT_EQ(test::text_at(24, 12, 34), std::string(34, ' '));

  // A key closes the box; the menu comes back with Help open on entry 2.
  reset_run_state();
  keys({0, key::left, 0, key::down, key::enter, 'k'});
  EXPECT_TRUE(test::runs_until_script_ends(karvel_main));
  EXPECT_EQ(menu_state.current_menu, 5);
  EXPECT_EQ(menu_state.menu_choice[5], 2);
  EXPECT_TRUE(test::span_has_colour(50, 4, 15, 0x2E));
}

TEST_F(Shell, KarvelHelpEntryRunsTheOutsideViewer) {
  use_program(karvel_program);
  write_help_file();
  keys({0, key::left, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(karvel_main));
  ASSERT_EQ(services.runner.shown.size(), 1u);
  EXPECT_EQ(services.runner.shown[0], "help.hlp");
  EXPECT_TRUE(test::span_has_colour(50, 3, 15, 0x2E));
}

TEST_F(Shell, KarvelScreensReturnToTheSameEntry) {
  use_program(karvel_program);
  write_help_file();
  keys({0, key::right, 0, key::down, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(karvel_main));
  EXPECT_EQ(menu_state.current_menu, 2);
  EXPECT_EQ(menu_state.menu_choice[2], 2);
  EXPECT_TRUE(test::span_has_colour(9, 4, 39, 0x2E));
  EXPECT_EQ(test::utf8_at(9, 4, 29), "2.Установки внутренних портов");
}

TEST_F(Shell, EntriesWithoutAScreenYetBringTheMenuBackOnThem) {
  use_program(karvel_program);
  write_help_file();
  // The first operation view has its screen now: with no station it shows
  // the link error box, which the second Enter closes.
  keys({0, key::left, 0, key::left, key::enter, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(karvel_main));
  EXPECT_EQ(menu_state.current_menu, 4);
  EXPECT_TRUE(test::span_has_colour(41, 3, 30, 0x2E));
  EXPECT_EQ(test::utf8_at(41, 3, 30), "1.Отображение работы станции 1");

  use_program(tomrik_program);
  reset_run_state();
  // The command 8 routes: every tomrik entry has its screen now; without a
  // station it shows its error box, and a key brings the menu back.
  keys({0, key::right, 0, key::right, 0, key::up, key::enter, key::esc});
  EXPECT_TRUE(test::runs_until_script_ends(tomrik_main));
  EXPECT_EQ(menu_state.menu_choice[3], 6);
  EXPECT_TRUE(test::span_has_colour(27, 8, 34, 0x20));
}

TEST_F(Shell, TomrikAboutBoxLinesAndItsErase) {
  use_program(tomrik_program);
  keys({0, key::left, 0, key::down, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(tomrik_main));
  EXPECT_EQ(test::utf8_at(31, 13, 21), "Управляющая программа");
  EXPECT_EQ(test::utf8_at(30, 14, 22), "  работы со станцией  ");
  EXPECT_EQ(test::utf8_at(27, 18, 20), "Справки по телефонам");
  EXPECT_EQ(test::utf8_at(24, 20, 18), "Электронная почта:");
  EXPECT_TRUE(test::span_has_colour(27, 16, 29, 0x70));
}

TEST_F(Shell, TomrikHelpViewerThenTheHelpMenuAgainAndExit) {
  use_program(tomrik_program);
  keys({0, key::left, key::enter});
  EXPECT_TRUE(test::runs_until_script_ends(tomrik_main));
  ASSERT_EQ(services.runner.shown.size(), 1u);
  EXPECT_EQ(services.runner.shown[0], "help.hlp");
  EXPECT_EQ(menu_state.current_menu, 5);
  EXPECT_TRUE(test::span_has_colour(50, 3, 15, 0x20));
  EXPECT_EQ(test::utf8_at(50, 3, 14), " Вызов справки");

  keys({key::esc, key::esc, key::enter});
  tomrik_main();
  EXPECT_EQ(test::text_at(1, 1, 80), std::string(80, ' '));
}

}  // namespace
