// The day and night distribution screens: the tidy rule on Enter, places
// filled from the left, the subscriber cycle, the delays and their bytes.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr int place_x[4] = {51, 59, 67, 75};
constexpr int row_y[12] = {8, 9, 10, 12, 13, 14, 16, 17, 18, 20, 21, 22};

struct Distribution : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int l = 1; l <= 4; ++l) {
      for (int g : {8, 9, 10, 16, 17, 18}) rec(g, l) = {0, 0, 0, 0};
      rec(19, l) = {1, 2, 3, 4};
    }
  }
  std::string place(int p, int row) { return utf8_at(place_x[p - 1], row_y[row - 1], 3); }
  std::string delay(int row) { return utf8_at(43, row_y[row - 1], 1); }
  // Enter on place 1 of row 1 and confirm at once, `times` times.
  void confirm_row1(int times) {
    for (int i = 0; i < times; ++i) keys({key::enter, key::enter});
  }
};

TEST_F(Distribution, EnterTidiesThePlacesAsTheRuleSays) {
  rec(8, 1) = {2, 2, 0, 5};
  rec(8, 2) = {0, 0, 3, 4};
  confirm_row1(1);
  keys({key::esc});
  call_distribution_screen(1);
  // The repeated subscriber goes, and the members close up to the front.
  EXPECT_EQ(rec(8, 1), (Bytes{2, 5, 0, 0}));
  keys({key::enter, key::enter});
  keys({0, key::down, 0, key::down, 0, key::down});  // line 2, group 1
  keys({key::enter, key::enter, key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(rec(8, 1), (Bytes{2, 5, 0, 0}));
  // Two empty places together leave no gap at the front.
  EXPECT_EQ(rec(8, 2), (Bytes{3, 4, 0, 0}));
  EXPECT_EQ(place(1, 1), " 12");
  EXPECT_EQ(place(2, 1), " 15");
  EXPECT_EQ(place(3, 1), "Нет");
  EXPECT_EQ(place(1, 4), " 13");
  EXPECT_EQ(place(2, 4), " 14");
  EXPECT_EQ(place(3, 4), "Нет");
}

TEST_F(Distribution, AnEmptyPlaceIsFilledFromTheLeftAndTheCycleEndsAtTheLastSubscriber) {
  link_state.subscriber_count = 3;
  rec(9, 1) = {3, 0, 0, 0};
  keys({0, key::down});                 // group 2 of line 1
  keys({0, key::right, 0, key::right});  // place 3, empty: editing goes to place 2
  keys({key::enter, key::space, key::space, key::enter});
  keys({0, key::left});  // the cursor stood on place 2
  keys({key::enter, key::space, key::enter, key::esc});  // 3 + 1 is above S: none
  call_distribution_screen(1);
  EXPECT_EQ(rec(9, 1), (Bytes{2, 0, 0, 0}));
  EXPECT_EQ(writes_of(9, 1), 2);
  EXPECT_EQ(place(1, 2), " 12");
  EXPECT_EQ(place(2, 2), "Нет");
}

TEST_F(Distribution, NightUsesItsOwnRecordsAndDelayBytes) {
  rec(16, 3) = {4, 0, 0, 0};
  rec(19, 3) = {1, 2, 9, 4};
  keys({key::esc});
  call_distribution_screen(2);
  EXPECT_EQ(utf8_at(18, 4, 46), "Распределение вызовов из городских линий ночью");
  EXPECT_EQ(utf8_at(6, 17, 18), "Городская линия  3");
  EXPECT_EQ(place(1, 7), " 14");
  EXPECT_EQ(delay(7), " ");  // group 1 has no delay
  EXPECT_EQ(delay(8), "9");  // night group 2: byte 3
  EXPECT_EQ(delay(9), "4");  // night group 3: byte 4
  // The delay of night group 2 of line 3 steps from 9 to 0.
  keys({0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down});
  keys({0, key::left, key::enter, key::space, key::enter});
  keys({0, key::up, key::enter, key::space, key::enter});  // group 1: nothing
  keys({key::esc});
  call_distribution_screen(2);
  EXPECT_EQ(rec(19, 3), (Bytes{1, 2, 0, 4}));
  EXPECT_EQ(writes_of(19, 3), 1);
  EXPECT_EQ(delay(8), "0");
}

TEST_F(Distribution, DayShowsOnlyTheStationsLinesAndEscWritesNothing) {
  link_state.city_line_count = 2;
  rec(10, 2) = {1, 2, 3, 4};
  keys({0, key::up, 0, key::up, 0, key::up, 0, key::up});  // row 9: line 3
  keys({key::enter, key::space, key::enter});
  keys({0, key::up, 0, key::up, 0, key::up});  // row 6: line 2 group 3
  keys({key::enter, key::space, key::space, key::esc, key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(utf8_at(18, 4, 45), "Распределение вызовов из городских линий днем");
  EXPECT_EQ(utf8_at(6, 13, 17), "Городская линия 2");
  EXPECT_EQ(utf8_at(6, 17, 18), std::string(18, ' '));
  EXPECT_EQ(place(1, 7), "   ");
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(place(1, 6), " 11");
  EXPECT_EQ(place(4, 6), " 14");
  EXPECT_EQ(delay(6), "2");
}

TEST_F(Distribution, ADelayThatTheRecordDoesNotHoldIsNeitherShownNorEdited) {
  rec(19, 1) = {7, 8};  // day delays only
  keys({0, key::down, 0, key::left, key::enter, key::space, key::enter});  // day group 2: 7 -> 8
  keys({key::esc});
  call_distribution_screen(2);
  EXPECT_EQ(delay(2), " ");
  EXPECT_EQ(delay(3), " ");
  EXPECT_TRUE(on_line.records_written.empty());
  keys({0, key::down, 0, key::left, key::enter, key::space, key::enter, key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(rec(19, 1), (Bytes{8, 8}));
  EXPECT_EQ(delay(2), "8");
}

// The places a short record lacks are shown empty, as an edit writes them.
TEST_F(Distribution, AShortRecordShowsItsMissingPlacesEmpty) {
  rec(8, 1) = {5};
  rec(9, 1) = {};  // absent: nothing drawn
  keys({key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(place(1, 1), " 15");
  for (int p = 2; p <= 4; ++p) EXPECT_EQ(place(p, 1), "Нет") << "place " << p;
  for (int p = 1; p <= 4; ++p) EXPECT_EQ(place(p, 2), "   ") << "place " << p;
  // Esc in an edit writes nothing and shows the short record as before.
  keys({0, key::right, 0, key::right, key::enter, key::space, key::esc, key::esc});
  call_distribution_screen(1);
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(place(2, 1), "Нет");
}

// A delay from the station that does not fit its one-digit cell shows
// blank; stepped on, it leaves no digit of its own behind.
TEST_F(Distribution, ADelayTooWideForItsCellShowsBlankAndStepsToZero) {
  rec(19, 1) = {255, 2, 3, 4};
  keys({key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(utf8_at(43, 9, 5), "     ");
  keys({0, key::down, 0, key::left, key::enter, key::space});
  EXPECT_TRUE(test::runs_until_script_ends([] { call_distribution_screen(1); }));
  EXPECT_EQ(utf8_at(43, 9, 5), "0    ");
  keys({0, key::down, 0, key::left, key::enter, key::space, key::enter, key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(rec(19, 1), (Bytes{0, 2, 3, 4}));
  EXPECT_EQ(utf8_at(43, 9, 5), "0    ");
}

TEST_F(Distribution, AShortRecordIsFilledWithEmptyPlacesBeforeItIsWritten) {
  rec(8, 1) = {5};
  keys({0, key::right, key::enter, key::space, key::enter, key::esc});
  call_distribution_screen(1);
  EXPECT_EQ(rec(8, 1), (Bytes{5, 1, 0, 0}));
}

}  // namespace
