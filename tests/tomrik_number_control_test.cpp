// Number control and the command 8 paths on a record station: the record
// of each cell, the digit editor (overwrite, "#" refused, "0" as code 10,
// four places), the exit lines stepping through 0..L, and columns beyond
// the station's lines.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr int line_x[4] = {16, 34, 52, 70};
constexpr int path_x[5] = {15, 38, 50, 62, 74};

struct NumberTables : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int i = 0; i < 128; ++i) rec(14, i) = {0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) rec(15, i) = Bytes(8, 0);
  }
  std::string number(int line, int row) { return utf8_at(line_x[line - 1], row + 7, 4); }
  std::string path(int column, int row, int width) { return utf8_at(path_x[column - 1], row + 7, width); }
  void go(int column, int row) {
    for (int r = 1; r < row; ++r) keys({0, key::down});
    for (int c = 1; c < column; ++c) keys({0, key::right});
  }
};

TEST_F(NumberTables, EachListAndLineHasItsOwnRecords) {
  rec(14, 0) = {8, 8, 10, 10};        // allowed, line 1, row 1
  rec(14, 16 + 2) = {1, 2, 0, 0};     // allowed, line 2, row 3
  rec(14, 64 + 16 + 2) = {8, 1, 10, 0};  // forbidden, line 2, row 3
  rec(14, 64 + 48 + 15) = {13, 0, 11, 12};  // forbidden, line 4, row 16: 13 is no digit
  keys({key::esc});
  number_control_screen(0);
  EXPECT_EQ(utf8_at(15, 3, 50), " Разрешенные номера при запрете выхода в межгород ");
  EXPECT_EQ(utf8_at(2, 5, 6), " Номер");
  EXPECT_EQ(utf8_at(2, 6, 6), "Строки");
  EXPECT_EQ(utf8_at(14, 6, 7), "Линия 1");
  EXPECT_EQ(utf8_at(68, 6, 7), "Линия 4");
  EXPECT_EQ(utf8_at(4, 8, 2), " 1");
  EXPECT_EQ(utf8_at(4, 23, 2), "16");
  EXPECT_EQ(utf8_at(1, 4, 1) + utf8_at(8, 4, 1) + utf8_at(26, 4, 1) + utf8_at(80, 4, 1), "╔╦╤╗");
  EXPECT_EQ(utf8_at(1, 7, 1) + utf8_at(8, 7, 1) + utf8_at(44, 7, 1) + utf8_at(80, 7, 1), "╠╬╪╣");
  EXPECT_EQ(utf8_at(1, 24, 1) + utf8_at(8, 24, 1) + utf8_at(62, 24, 1) + utf8_at(80, 24, 1), "╚╩╧╝");
  EXPECT_EQ(number(1, 1), "8800");
  EXPECT_EQ(number(2, 3), "12  ");
  EXPECT_EQ(on_line.records_read.size(), 2 * 64u);  // each read twice alike

  keys({key::esc});
  number_control_screen(1);
  EXPECT_EQ(utf8_at(15, 3, 51), "Запрещенные номера при разрешении выхода в межгород");
  EXPECT_EQ(number(1, 1), "    ");
  EXPECT_EQ(number(2, 3), "810 ");
  EXPECT_EQ(number(4, 16), "? *#");
}

TEST_F(NumberTables, TheDigitEditorOverwritesTakesZeroAsTenAndRefusesTheHash) {
  rec(14, 64 + 16 + 2) = {8, 1, 2, 3};
  go(2, 3);
  keys({key::enter});
  type("0#1");
  keys({key::enter});
  keys({0, key::down, key::enter});  // row 4: more than four digits
  type("123456");
  keys({key::enter, key::esc});
  number_control_screen(1);
  EXPECT_EQ(rec(14, 64 + 16 + 2), (Bytes{10, 1, 2, 3}));
  EXPECT_EQ(number(2, 3), "0123");
  EXPECT_EQ(rec(14, 64 + 16 + 3), (Bytes{1, 2, 3, 4}));
}

TEST_F(NumberTables, BackspaceDeleteAndTheArrowsKeepToTheFourPlaces) {
  rec(14, 0) = {1, 2, 3, 4};
  rec(14, 1) = {1, 0, 0, 0};
  keys({key::enter, 0, key::right, 0, key::right, 0, key::right, 0, key::right});  // stops on place 4
  keys({key::backspace});  // 1 2 4, the cursor on place 3
  keys({0, key::del});     // 1 2
  keys({0, key::left, 0, key::left, 0, key::left, key::backspace, key::enter});  // on the first place: nothing
  keys({0, key::down, key::enter, 0, key::right});  // place 2 holds nothing: no move
  type("5");
  keys({key::enter});
  keys({0, key::down, key::enter});
  type("77");
  keys({key::esc, key::esc});  // Esc writes nothing
  number_control_screen(0);
  EXPECT_EQ(rec(14, 0), (Bytes{1, 2, 0, 0}));
  EXPECT_EQ(rec(14, 1), (Bytes{5, 0, 0, 0}));
  EXPECT_EQ(rec(14, 2), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(number(1, 3), "    ");
  EXPECT_EQ(writes_of(14, 2), 0);
}

TEST_F(NumberTables, LinesBeyondTheStationsAreNotDrawnOrEdited) {
  link_state.city_line_count = 2;
  rec(14, 32) = {5, 0, 0, 0};  // line 3, row 1
  rec(14, 5) = {};             // an absent record: nothing to draw or edit
  go(3, 1);
  keys({key::enter});
  type("9");
  keys({key::enter});
  keys({0, key::left, 0, key::left, 0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down});
  keys({key::enter});
  type("9");
  keys({key::enter, key::esc});
  number_control_screen(0);
  EXPECT_EQ(utf8_at(50, 6, 7), "       ");
  EXPECT_EQ(number(3, 1), "    ");
  EXPECT_TRUE(on_line.records_written.empty());
  for (auto& r : on_line.records_read) EXPECT_LT(r.second, 32);
}

// ---------------------------------------------------------- command 8 paths

TEST_F(NumberTables, PathsShowTheCodeAndTheLineOfEachExit) {
  rec(15, 0) = {1, 2, 0, 0, 1, 4, 0, 2};
  rec(15, 15) = {11, 10, 9, 12, 3, 0, 9, 0};  // line 9: no line of the station
  keys({key::esc});
  command8_paths_screen();
  EXPECT_EQ(utf8_at(15, 3, 50), "  Таблица путей при выходе в город по команде 8   ");
  EXPECT_EQ(utf8_at(2, 6, 29), "  Код набора после команды 8 ");
  EXPECT_EQ(utf8_at(34, 5, 8), "  Выход ");
  EXPECT_EQ(utf8_at(70, 6, 9), "на  линию");
  EXPECT_EQ(utf8_at(1, 4, 1) + utf8_at(32, 4, 1) + utf8_at(56, 4, 1) + utf8_at(80, 4, 1), "╔╦╤╗");
  EXPECT_EQ(path(1, 1, 4), "12  ");
  EXPECT_EQ(path(2, 1, 1) + path(3, 1, 1) + path(4, 1, 1) + path(5, 1, 1), "14 2");
  EXPECT_EQ(path(1, 16, 4), "*09#");
  EXPECT_EQ(path(2, 16, 1) + path(4, 16, 1), "3?");
  for (auto& r : on_line.records_read) EXPECT_EQ(r.first, 15);
}

TEST_F(NumberTables, AnExitOfTheLastLineStepsToNoneAndIsDrawnBlank) {
  rec(15, 2) = {8, 0, 0, 0, 4, 4, 0, 0};
  go(2, 3);
  keys({key::enter, key::space, key::enter});  // exit 1: 4 -> 0
  keys({0, key::right, key::enter, key::space, key::space, key::space, key::esc});  // exit 2: Esc
  keys({0, key::right, key::enter, key::space, key::space, key::space, key::enter});  // exit 3: 0 -> 3
  keys({key::esc});
  command8_paths_screen();
  EXPECT_EQ(rec(15, 2), (Bytes{8, 0, 0, 0, 0, 4, 3, 0}));
  EXPECT_EQ(path(2, 3, 1), " ");
  EXPECT_EQ(path(3, 3, 1), "4");
  EXPECT_EQ(path(4, 3, 1), "3");
  EXPECT_EQ(writes_of(15, 2), 2);
}

TEST_F(NumberTables, TheCodeIsTypedWithTheDigitEditorAndKeepsTheExits) {
  rec(15, 0) = {1, 0, 0, 0, 2, 3, 0, 0};
  keys({key::enter});
  type("#90*");
  keys({key::enter, key::esc});
  command8_paths_screen();
  EXPECT_EQ(rec(15, 0), (Bytes{9, 10, 11, 0, 2, 3, 0, 0}));
  EXPECT_EQ(path(1, 1, 4), "90* ");
}

TEST_F(NumberTables, WithTwoLinesOnlyTwoExitsAreShownAndEdited) {
  link_state.city_line_count = 2;
  rec(15, 0) = {1, 0, 0, 0, 1, 2, 3, 4};
  keys({0, key::right, key::enter, key::space, key::enter});  // exit 1: 1 -> 2
  keys({0, key::right, key::enter, key::space, key::enter});  // exit 2: 2 -> 0
  keys({0, key::right, key::enter, key::space, key::enter});  // exit 3: nothing
  keys({key::esc});
  command8_paths_screen();
  EXPECT_EQ(utf8_at(58, 5, 8), "        ");
  EXPECT_EQ(path(4, 1, 1), " ");
  EXPECT_EQ(rec(15, 0), (Bytes{1, 0, 0, 0, 2, 0, 3, 4}));
}

// A record shorter or longer than its table's is blank, and no edit cuts,
// pads or writes it.
TEST_F(NumberTables, RecordsOfAnotherLengthAreBlankAndNeverWritten) {
  rec(14, 0) = {1, 2};
  rec(14, 1) = {1, 2, 3, 4, 5};
  keys({key::enter});
  type("9");
  keys({key::enter, 0, key::down, key::enter});
  type("9");
  keys({key::enter, key::esc});
  number_control_screen(0);
  EXPECT_EQ(rec(14, 0), (Bytes{1, 2}));
  EXPECT_EQ(rec(14, 1), (Bytes{1, 2, 3, 4, 5}));
  EXPECT_EQ(number(1, 1), "    ");
  EXPECT_EQ(number(1, 2), "    ");

  rec(15, 0) = {5, 0};
  rec(15, 1) = {1, 0, 0, 0, 1, 0, 0, 0, 7};
  keys({0, key::right, key::enter, key::space, key::enter});
  keys({0, key::down, key::enter, key::space, key::enter, 0, key::left, key::enter});
  type("9");
  keys({key::enter, key::esc});
  command8_paths_screen();
  EXPECT_EQ(rec(15, 0), (Bytes{5, 0}));
  EXPECT_EQ(rec(15, 1), (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 7}));
  EXPECT_EQ(path(1, 1, 4) + path(2, 2, 1), "     ");
  EXPECT_TRUE(on_line.records_written.empty());
}

TEST_F(NumberTables, AFailedWriteEndsTheScreenWithItsStatus) {
  int frames = 0;
  on_line.on_record = [&](int group, int index) {
    // Read twice alike by the fill and twice by the edit, then written.
    if (group == 14 && index == 0 && ++frames == 5) on_line.failing_records.insert({14, 0});
  };
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({key::enter});
  type("1");
  keys({key::enter, key::esc});
  number_control_screen(0);
  EXPECT_TRUE(spy.saw("Не совпала контрольная сумма."));
  EXPECT_EQ(services.keys.left(), 0u);
}

}  // namespace
