// The exit groups with their routing and dial control tables, and the
// incoming call routing tables, run with scripted keys against the
// in-process station; and the same screens on a loaded settings file.
#include <gtest/gtest.h>

#include <string>

#include "karvel/internal_ports.h"
#include "karvel/screens.h"
#include "settings/program_profile.h"
#include "tests/karvel_image_fixture.h"
#include "tests/station_fixtures.h"

namespace {

using test::members;

// Where the cursor stands, for the rules on where it goes.
std::string cursor() { return std::to_string(test::screen().cursor_x()) + "," + std::to_string(test::screen().cursor_y()); }

bool area_is_blank(int column, int row, int width, int height) {
  for (int r = row; r < row + height; ++r)
    if (test::text_at(column, r, width) != std::string(width, ' ')) return false;
  return true;
}

using ExitGroups = test::KarvelStationTest;

TEST_F(ExitGroups, TheTableShowsTheGroupAndEachColumnKeepsItsLimits) {
  // The line cell of code "7" while its editor runs.
  test::ScreenAtKeys spy(&services.keys, [] { return test::text_at(9, 8, 1); });
  keys({key::enter});
  for (int i = 0; i < 5; ++i) keys({key::space});  // 1, 2, 3, 4 and back to none
  keys({key::space, key::space, key::enter});
  keys({0, key::left, 0, key::left, key::enter, '4', '3', key::enter});  // route: 4 starts again
  keys({0, key::left, 0, key::down, key::enter, key::space, key::enter});  // additional dialling of "8"
  keys({key::esc});
  edit_exit_groups();
  const std::vector<std::string> cycle(spy.seen.begin() + 1, spy.seen.begin() + 8);
  EXPECT_EQ(cycle, (std::vector<std::string>{" ", "1", "2", "3", "4", " ", "1"}));
  EXPECT_EQ(peek(0xF008, 8), (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 3}));
  EXPECT_EQ(station.peek(0xF016), 0);  // "8" allowed additional dialling by default
  EXPECT_EQ(test::utf8_at(4, 3, 47), " Таблица разрешений выхода в город.  Группа: 1 ");
  EXPECT_TRUE(test::span_has_colour(4, 3, 47, COLOR_BOX));
  EXPECT_EQ(test::utf8_at(1, 5, 8), "╔═════╦═");
  EXPECT_EQ(test::utf8_at(1, 7, 12), "╠═════╬═══╤═");
  EXPECT_EQ(test::utf8_at(1, 20, 12), "╚═════╩═══╧═");
  EXPECT_EQ(test::utf8_at(47, 6, 5), "Сн Уд");
  EXPECT_EQ(test::utf8_at(4, 10, 26), " 9 ║ 1 │ 2 │ 3 │ 4 │   │  ");
  EXPECT_EQ(test::utf8_at(4, 8, 42), " 7 ║ 2 │   │   │   │   │   ║  Нет ║    3 ║");
  EXPECT_EQ(test::utf8_at(1, 25, 21), "Пробел-Изменение пара");  // the last editor's hint
  EXPECT_EQ(test::utf8_at(1, 1, 16), "PGUP-Пред груп  ");
}

TEST_F(ExitGroups, PagingAtTheEndsChangesAndRedrawsNothing) {
  // The group shown, how many blocks were read so far, and the cursor.
  test::ScreenAtKeys spy(&services.keys, [this] {
    return test::text_at(49, 3, 1) + " " + std::to_string(on_line.blocks_read) + " " + cursor();
  });
  keys({0, key::right, 0, key::pgup, 0, key::home, 0, key::pgdn, 0, key::end, 0, key::pgdn, 0, key::end, key::esc});
  poke(0xF000 + 3 * 1024 + 8, {4});  // group 4, code "7", first line
  edit_exit_groups();
  const std::vector<std::string>& s = spy.seen;  // one snapshot per key byte read
  ASSERT_EQ(s.size(), 15u);
  EXPECT_EQ(s[2].substr(s[2].rfind(' ')), " 13,8");
  EXPECT_EQ(s[4], s[2]);  // PgUp on group 1
  EXPECT_EQ(s[6], s[2]);  // Home on group 1
  EXPECT_EQ(s[8].front(), '2');
  EXPECT_EQ(s[8].substr(s[8].rfind(' ')), " 9,8");  // back to column 1, row 1
  EXPECT_EQ(s[10].front(), '4');
  EXPECT_EQ(s[12], s[10]);  // PgDn on group 4
  EXPECT_EQ(s[14], s[10]);  // End on group 4
  EXPECT_EQ(test::text_at(9, 8, 1), "4");
}

TEST_F(ExitGroups, RoutingTablesPageAndEraseTheirAreaOnLeaving) {
  test::ScreenAtKeys spy(&services.keys, [] { return test::text_at(78, 3, 1) + " " + cursor(); });
  keys({0, key::f1});
  keys({0, key::down, 0, key::pgup});                  // table 1 is the first
  keys({0, key::pgdn, 0, key::pgdn, 0, key::pgdn});   // table 3 is the last
  keys({key::enter, '1', '2', '*', key::enter});
  keys({0, key::up, key::enter});                      // row 15 has no control code
  keys({0, key::right, key::enter, '1', '0', '0', '9', '9', key::enter});
  keys({key::esc, key::esc});
  edit_exit_groups();
  const std::vector<std::string>& s = spy.seen;
  EXPECT_EQ(s[2], "1 60,8");  // table 1 shown with the cursor on its first code
  EXPECT_EQ(s[4], "1 60,9");  // PgUp on table 1 changes nothing
  EXPECT_EQ(s[6], "1 60,9");
  EXPECT_EQ(s[8], "2 60,8");  // a new table puts the cursor on its first code
  EXPECT_EQ(s[10], "3 60,8");
  EXPECT_EQ(s[12], "3 60,8");
  EXPECT_EQ(peek(0xF188, 7), (std::vector<int>{1, 2, 11, 0, 0, 0, 0}));
  EXPECT_EQ(peek(0xF1F8, 7), (std::vector<int>{0, 0, 0, 0, 0, 0, 99}));
  EXPECT_TRUE(area_is_blank(54, 3, 27, 21));
  EXPECT_EQ(test::utf8_at(53, 5, 1), "╗");
  EXPECT_EQ(test::utf8_at(1, 1, 16), "PGUP-Пред груп  ");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(ExitGroups, RoutingTableOfTheGroupShownWithItsFrame) {
  keys({0, key::f1});
  EXPECT_TRUE(test::runs_until_script_ends(edit_exit_groups));
  EXPECT_EQ(test::utf8_at(55, 3, 25), " Таблица маршрутизации 1 ");
  EXPECT_EQ(test::utf8_at(54, 6, 27), "║ Коды контроля  ║ Ячейка ║");
  EXPECT_EQ(test::utf8_at(54, 8, 27), "║     810        ║     1  ║");
  EXPECT_EQ(test::utf8_at(54, 23, 27), "╚════════════════╩════════╝");
}

TEST_F(ExitGroups, EscFromTheControlLineLeavesTheWholeDialControlTable) {
  keys({0, key::f2});
  keys({key::enter, '8', '1', '0', key::enter});      // table 1, code row 1
  keys({0, key::pgdn, 0, key::pgdn});                  // table 2 is the last
  keys({key::tab, key::enter, key::space, key::enter});  // the control flag of table 2
  keys({0, key::right, key::enter, key::space, key::space, key::enter});
  keys({key::esc});  // from the control line: the table is left
  keys({key::esc});  // and this leaves the exit groups
  test::ScreenAtKeys spy(&services.keys, [] { return test::utf8_at(3, 22, 31) + "|" + test::text_at(78, 3, 1); });
  edit_exit_groups();
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(peek(0xF210, 16), (std::vector<int>{8, 1, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(peek(0xF300, 7), (std::vector<int>{1, 2, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(spy.saw("Контроль: Разрешено  по линиям:|2"));
  EXPECT_TRUE(area_is_blank(54, 3, 27, 21));
  EXPECT_TRUE(area_is_blank(1, 21, 53, 3));
  EXPECT_EQ(test::utf8_at(1, 20, 2), "╚═");
}

TEST_F(ExitGroups, PagingFromTheControlLineKeepsItsCellAndSendsTheCodesToTheirFirstRow) {
  test::ScreenAtKeys spy(&services.keys, [] { return test::text_at(78, 3, 1) + " " + cursor(); });
  keys({0, key::f2, 0, key::down, key::tab, 0, key::right, 0, key::pgdn, key::tab, key::esc, key::esc});
  edit_exit_groups();
  const std::vector<std::string>& s = spy.seen;
  ASSERT_EQ(s.size(), 12u);
  EXPECT_EQ(s[9], "2 35,22");  // table 2, the line's second cell still under the cursor
  EXPECT_EQ(s[10], "2 59,8");  // Tab: the codes again, from the first
}

TEST_F(ExitGroups, HelpTopicsFollowTheColumnAndTheTable) {
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  keys({0, key::f10, key::esc});                                   // a line: 67
  keys_after_box({0, key::left, 0, key::f10, key::esc});          // hold return: 70
  keys_after_box({0, key::left, 0, key::f10, key::esc});          // route: 69
  keys_after_box({0, key::left, 0, key::f10, key::esc});          // additional dialling: 68
  keys_after_box({0, key::f1, 0, key::f10, key::esc});            // routing code: 71
  keys_after_box({0, key::right, 0, key::f10, key::esc});         // routing cell: 72
  keys_after_box({key::esc, 0, key::f2, 0, key::f10, key::esc});  // dial code: 73
  keys_after_box({key::tab, 0, key::f10, key::esc});              // control flag: 74
  keys_after_box({0, key::right, 0, key::f10, key::esc});         // a controlled line: 75
  keys_after_box({key::esc, key::esc});
  edit_exit_groups();
  for (const char* topic : {"#67  ", "#70  ", "#69  ", "#68  ", "#71  ", "#72  ", "#73  ", "#74  ", "#75  "})
    EXPECT_TRUE(spy.saw(topic)) << topic;
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(ExitGroups, ProtectedCellsAskForTheirCode) {
  protect(67);
  protect(71);
  test::ScreenAtKeys spy(&services.keys, [] { return test::utf8_at(27, 14, 20); });
  keys({key::enter, '1', key::enter});  // a wrong code: nothing changes
  keys_after_box({0, key::f1, key::enter, '4', '2', '4', '2', key::enter});
  keys_after_box({'5', key::enter, key::esc, key::esc});
  edit_exit_groups();
  EXPECT_EQ(std::count(spy.seen.begin(), spy.seen.end(), "Введите код доступа:"), 7);  // 1 Enter, 4 2 4 2 Enter
  EXPECT_EQ(station.peek(0xF008), 0);
  EXPECT_EQ(peek(0xF088, 6), (std::vector<int>{5, 1, 10, 0, 0, 0}));  // "810" overwritten at its first digit
  EXPECT_EQ(services.keys.left(), 0u);
}

using RoutingTables = test::KarvelStationTest;

TEST_F(RoutingTables, TheScreenShowsTableOneAsTheStationHasIt) {
  keys({key::esc});
  edit_routing_tables();
  EXPECT_EQ(test::utf8_at(14, 2, 40), "   Таблицы наведения городких вызов:   1");
  EXPECT_EQ(test::utf8_at(29, 15, 15), "Группа ответа 3");
  EXPECT_EQ(test::text_at(9, 7, 10), " 1   2   3");
  EXPECT_EQ(test::text_at(9, 12, 10), " 4   5    ");
  EXPECT_EQ(test::utf8_at(1, 3, 15), "┌────────────┐ ");
  EXPECT_EQ(test::utf8_at(1, 4, 19), "│Время вызова│<=TAB");
  EXPECT_EQ(test::utf8_at(1, 5, 14), "│Сек.┌───────┘");
  EXPECT_EQ(test::utf8_at(1, 7, 7), "│  15│║");
  EXPECT_EQ(test::utf8_at(1, 23, 7), "└────┘╚");
  EXPECT_EQ(test::utf8_at(74, 19, 6), "  F4  ");
  EXPECT_EQ(test::utf8_at(74, 20, 6), "Ячейка");
  EXPECT_EQ(test::utf8_at(74, 21, 6), "╔════╗");
  EXPECT_EQ(test::utf8_at(74, 22, 6), "║    ║");
  EXPECT_TRUE(test::span_has_colour(15, 4, 5, COLOR_BOX));
}

TEST_F(RoutingTables, AnswerGroupsArePackedAndPagingKeepsTheCell) {
  poke(0xB140, {5, 0, 5, 9});  // table 2, group 1
  test::ScreenAtKeys spy(&services.keys, [] { return test::text_at(52, 2, 2) + " " + cursor(); });
  keys({0, key::pgdn, 0, key::right, key::enter, key::esc});  // an edit that changes nothing
  keys({0, key::end, 0, key::pgdn, 0, key::home, 0, key::pgup, key::esc});
  edit_routing_tables();
  EXPECT_EQ(peek(0xB140, 16), members({5, 9}, 0));
  const std::vector<std::string>& s = spy.seen;
  ASSERT_EQ(s.size(), 15u);
  EXPECT_EQ(s[2], " 2 9,7");
  EXPECT_EQ(s[6], " 2 13,7");  // after the edit
  EXPECT_EQ(s[8], "16 13,7");
  EXPECT_EQ(s[10], "16 13,7");  // PgDn on table 16
  EXPECT_EQ(s[12], " 1 13,7");
  EXPECT_EQ(s[14], " 1 13,7");  // PgUp on table 1
  EXPECT_EQ(test::text_at(9, 7, 6), " 1   2");
}

TEST_F(RoutingTables, RingingTimesAndTheCellAskForNoCode) {
  protect(165);
  protect(166);
  protect(167);
  test::ScreenAtKeys spy(&services.keys, [] { return test::utf8_at(27, 14, 20) + "|" + cursor(); });
  keys({key::tab, 0, key::down, key::enter, '0', key::enter, '9', '9', key::enter, key::tab});  // table 1, group 2
  keys({0, key::pgdn, key::tab, key::enter, '7', key::enter, key::esc});  // table 2: time mode starts at group 1
  keys({0, key::f4, key::enter, '1', '0', '0', '9', '9', key::enter, key::esc});
  keys({key::esc});
  edit_routing_tables();
  EXPECT_EQ(peek(0xB540, 8), (std::vector<int>{15, 99, 40, 20, 7, 20, 20, 20}));
  EXPECT_EQ(peek(0xB500, 2), (std::vector<int>{0, 99}));
  for (const std::string& seen : spy.seen) EXPECT_EQ(seen.find("Введите"), std::string::npos);
  EXPECT_TRUE(spy.saw("                    |75,22"));
  EXPECT_EQ(test::text_at(2, 7, 4), "   7");
  EXPECT_EQ(test::text_at(75, 22, 4), "  99");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(RoutingTables, MembersAskForTheCodeAndHelpFollowsTheMode) {
  protect(165);
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header() + "|" + test::utf8_at(27, 14, 20); });
  keys({key::enter, '9', key::enter});  // wrong code
  keys_after_box({0, key::f10, key::esc});
  keys_after_box({0, key::f4, 0, key::f10, key::esc});
  keys_after_box({key::esc, key::tab, 0, key::f10, key::esc});
  keys_after_box({key::esc, key::esc});
  edit_routing_tables();
  bool asked = false;
  for (const std::string& s : spy.seen) asked = asked || s.find("|Введите код доступа:") != std::string::npos;
  EXPECT_TRUE(asked);
  for (const char* topic : {"#165 ", "#166 ", "#167 "}) {
    bool shown = false;
    for (const std::string& s : spy.seen) shown = shown || s.rfind(topic, 0) == 0;
    EXPECT_TRUE(shown) << topic;
  }
  EXPECT_EQ(station.peek(0xB100), 1);
  EXPECT_EQ(services.keys.left(), 0u);
}

// The same screens on a loaded settings file: the edits land in the image.
struct CallHandlingOnAFile : test::KarvelImageTest {
  void SetUp() override {
    KarvelImageTest::SetUp();
    port_editor = BlockEditorState();
    port_editor.current = 5;
  }
};

TEST_F(CallHandlingOnAFile, EditsReachTheSettingsImage) {
  keys({0, key::down, 0, key::down, key::enter, key::space, key::enter, key::esc});  // code "9", line 1
  edit_exit_groups();
  keys({key::enter, '7', key::enter, 0, key::right, key::enter, '7', key::enter, key::esc});
  edit_routing_tables();
  keys({key::enter, '2', key::enter, key::esc});
  edit_port_variants();
  keys({key::enter, '3', key::enter, key::esc});
  edit_port_call_groups();
  EXPECT_EQ(test::image(0xF018), 1);
  EXPECT_EQ(test::image(0xB100), 7);
  EXPECT_EQ(test::image(0xB101), 0);  // the repeat went
  EXPECT_EQ(test::image(0x8540), 2);
  EXPECT_EQ(test::image(0x8580), 3);
  EXPECT_EQ(test::image(0x8581), 255);  // a general-call group's free place
  EXPECT_EQ(test::text_at(9, 7, 2), " 3");
}

TEST(CallHandlingWithNoStation, TheScreensShowTheBoxForNoPortAndLeave) {
  platform::TestServices services;
  use_program(karvel_program);
  reset_run_state();
  test::ScreenAtKeys spy(&services.keys, [] { return test::utf8_at(17, 13, 48); });
  services.keys.add({key::enter, key::enter});
  edit_exit_groups();
  edit_routing_tables();
  ASSERT_EQ(spy.seen.size(), 2u);
  for (const std::string& message : spy.seen) EXPECT_NE(message.find("Не выбран порт обмена"), std::string::npos);
}

}  // namespace
