// The city line settings screen on a record station: every row's record,
// format and Space cycle, the long-distance code typing, absent records and
// lines beyond the station's count.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;

constexpr int cell_x[4] = {26, 40, 54, 68};

struct CityLines : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int l = 1; l <= 4; ++l) {
      rec(1, l) = {0};
      rec(4, l) = {1};
      rec(2, l) = {0};
      rec(13, l) = {0};
      rec(5, l) = {8, 1, 0, 0};
      rec(13, l + 4) = {3};
      rec(3, l) = {0};
      rec(6, l) = {0};
      rec(7, l) = {1};
      rec(13, l + 8) = {19};
      rec(11, l) = {9};
      rec(12, l) = {60};
    }
  }
  std::string cell(int line, int row, int length) { return utf8_at(cell_x[line - 1], 8 + row, length); }
};

TEST_F(CityLines, ShowsEveryRowOfEveryLineInItsFormat) {
  rec(1, 2) = {1};
  rec(4, 2) = {9};
  rec(2, 2) = {10};
  rec(2, 3) = {7};
  rec(13, 2) = {1};
  rec(13, 3) = {4};
  rec(13, 7) = {5};
  rec(13, 12) = {12};
  rec(5, 2) = {10, 11, 12, 0};
  rec(3, 2) = {2};
  rec(6, 2) = {1};
  rec(11, 2) = {1};
  rec(4, 3) = {2};
  rec(3, 3) = {1};
  keys({key::esc});
  city_lines_screen();
  EXPECT_EQ(utf8_at(30, 4, 25), "Установки городских линий");
  EXPECT_EQ(utf8_at(26, 7, 7), "Линия 1");
  EXPECT_EQ(utf8_at(68, 7, 7), "Линия 4");
  EXPECT_EQ(utf8_at(3, 9, 20), "Режим набора        ");
  EXPECT_EQ(utf8_at(3, 20, 20), "Время удержания лин.");
  EXPECT_EQ(cell(1, 1, 10), "Импульсный");
  EXPECT_EQ(cell(2, 1, 10), "Тональный ");
  EXPECT_EQ(cell(1, 2, 10), "Нет задкр.");
  EXPECT_EQ(cell(2, 2, 10), "4000 Мсек.");
  EXPECT_EQ(cell(3, 2, 10), " 500 Мсек.");
  EXPECT_EQ(cell(1, 3, 3), "Нет");
  EXPECT_EQ(cell(2, 3, 3), "0  ");
  EXPECT_EQ(cell(3, 3, 3), "7  ");
  EXPECT_EQ(cell(1, 4, 10), "Нет       ");
  EXPECT_EQ(cell(2, 4, 10), "1 Секунда ");
  EXPECT_EQ(cell(3, 4, 10), "4 Секунды ");
  EXPECT_EQ(cell(1, 5, 4), "81  ");
  EXPECT_EQ(cell(2, 5, 4), "0*# ");
  EXPECT_EQ(cell(1, 6, 10), "3 Секунды ");
  EXPECT_EQ(cell(3, 6, 10), "5 Секунд  ");
  EXPECT_EQ(cell(1, 7, 6), "Нет   ");
  EXPECT_EQ(cell(2, 7, 6), "Музыка");
  EXPECT_EQ(cell(3, 7, 6), "К.П.В.");
  EXPECT_EQ(cell(1, 8, 9), "Запрещено");
  EXPECT_EQ(cell(2, 8, 9), "Разрешено");
  EXPECT_EQ(cell(1, 9, 9), "Разрешено");
  EXPECT_EQ(cell(1, 10, 10), "19 Секунд ");
  EXPECT_EQ(cell(4, 10, 10), "12 Секунд ");
  EXPECT_EQ(cell(1, 11, 9), "900 Мсек.");
  EXPECT_EQ(cell(2, 11, 9), "100 Мсек.");
  EXPECT_EQ(cell(1, 12, 8), " 60 Сек.");
  // Group 13 is read with line, line + 4, line + 8 and nothing else.
  for (auto& r : on_line.records_read) {
    if (r.first == 13) {
      EXPECT_GE(r.second, 1);
      EXPECT_LE(r.second, 12);
    }
  }
}

// One Space on each cycling row of line 2, confirmed: the station gets the
// next value of the cycle from its last one.
TEST_F(CityLines, SpaceStepsEachRowThroughItsCycleAndEnterWritesIt) {
  struct Step {
    int row, group, index, from, to;
    const char* shown;
  };
  const Step steps[] = {
      {1, 1, 2, 2, 1, "Тональный "},      // toggle takes the lowest bit
      {2, 4, 2, 9, 1, "Нет задкр."},      // load time 9 wraps
      {3, 2, 2, 10, 0, "Нет"},            // additional digit 0 wraps
      {4, 13, 2, 19, 0, "Нет       "},    // pause after the digit wraps
      {6, 13, 6, 4, 5, "5 Секунд  "},     // pause after the code
      {7, 3, 2, 2, 0, "Нет   "},          // DISA signal
      {8, 6, 2, 1, 0, "Запрещено"},
      {9, 7, 2, 0, 1, "Разрешено"},
      {10, 13, 10, 9, 10, "10 Секунд "},  // DISA wait
      {11, 11, 2, 9, 1, "100 Мсек."},     // break time 9 wraps
      {12, 12, 2, 180, 20, " 20 Сек."},   // hold time 180 wraps
  };
  for (const Step& s : steps) rec(s.group, s.index) = {static_cast<std::uint8_t>(s.from)};
  for (const Step& s : steps) {
    go(2, s.row);
    keys({key::enter, key::space, key::enter});
    back(2, s.row);
  }
  keys({key::esc});
  city_lines_screen();
  for (const Step& s : steps) {
    EXPECT_EQ(rec(s.group, s.index), std::vector<std::uint8_t>{static_cast<std::uint8_t>(s.to)}) << "row " << s.row;
    EXPECT_EQ(writes_of(s.group, s.index), 1) << "row " << s.row;
    EXPECT_EQ(cell(2, s.row, static_cast<int>(cp866::from_utf8(s.shown).size())), s.shown) << "row " << s.row;
  }
}

TEST_F(CityLines, CyclesRunAllTheWayRound) {
  rec(12, 1) = {20};
  rec(4, 1) = {1};
  go(1, 12);
  keys({key::enter});
  for (int i = 0; i < 9; ++i) keys({key::space});  // 20 .. 180, then 20 again
  keys({key::space, key::enter});
  back(1, 12);
  go(1, 2);
  keys({key::enter, key::space, key::space, key::enter});
  keys({key::esc});
  city_lines_screen();
  EXPECT_EQ(rec(12, 1), std::vector<std::uint8_t>{40});
  EXPECT_EQ(rec(4, 1), std::vector<std::uint8_t>{3});
  EXPECT_EQ(cell(1, 2, 10), "1000 Мсек.");
}

// A hold time off the cycle steps to the next value on it; past 180 the
// cycle starts again at 20.
TEST_F(CityLines, HoldTimesOffTheCycleStepOntoIt) {
  const int stored[4] = {161, 179, 199, 7};
  const int stepped[4] = {180, 180, 20, 20};
  for (int l = 1; l <= 4; ++l) rec(12, l) = {static_cast<std::uint8_t>(stored[l - 1])};
  go(1, 12);
  for (int l = 1; l <= 4; ++l) keys({key::enter, key::space, key::enter, 0, key::right});
  keys({key::enter, key::space, key::space, key::enter});  // line 1 again: 180, 20, 40
  keys({key::esc});
  city_lines_screen();
  for (int l = 2; l <= 4; ++l)
    EXPECT_EQ(rec(12, l), std::vector<std::uint8_t>{static_cast<std::uint8_t>(stepped[l - 1])}) << "line " << l;
  EXPECT_EQ(rec(12, 1), std::vector<std::uint8_t>{40});
  for (auto& w : on_line.records_written) EXPECT_EQ(w.first, 12);
  EXPECT_EQ(writes_of(12, 1), 2);
}

// Enter on a stored hold time above 180, not stepped, leaves the station's
// record alone: nothing above 180 is ever written.
TEST_F(CityLines, AHoldTimeAbove180IsNeverWrittenBack) {
  rec(12, 1) = {199};
  rec(12, 2) = {181};
  go(1, 12);
  keys({key::enter, key::enter, 0, key::right, key::enter, key::enter, key::esc});
  city_lines_screen();
  EXPECT_EQ(writes_of(12, 1), 0);
  EXPECT_EQ(writes_of(12, 2), 0);
  EXPECT_EQ(rec(12, 1), std::vector<std::uint8_t>{199});
}

// Each value fills its cell; a station value too wide for it shows blank.
TEST_F(CityLines, ValuesFillTheirCellsAndTooWideOnesShowBlank) {
  rec(11, 1) = {10};  // 1000 ms: four digits in a cell of three
  rec(11, 2) = {10};
  rec(13, 10) = {200};  // no seconds text
  keys({key::esc});
  city_lines_screen();
  EXPECT_EQ(cell(1, 11, 12), std::string(12, ' '));
  EXPECT_EQ(cell(2, 10, 12), std::string(12, ' '));
  go(1, 11);
  keys({key::enter, key::space, key::enter, key::esc});
  city_lines_screen();
  EXPECT_EQ(rec(11, 1), std::vector<std::uint8_t>{1});
  EXPECT_EQ(cell(1, 11, 12), "100 Мсек.   ");
  EXPECT_EQ(utf8_at(38, 19, 1), "│");
}

TEST_F(CityLines, HoldTimeOfOneLineShowsInEveryColumn) {
  rec(12, 1) = {40};
  rec(12, 2) = {100};
  link_state.city_line_count = 2;
  go(1, 12);
  keys({key::enter, key::space, key::enter, key::esc});
  city_lines_screen();
  EXPECT_EQ(rec(12, 1), std::vector<std::uint8_t>{60});
  EXPECT_EQ(rec(12, 2), std::vector<std::uint8_t>{100});
  EXPECT_EQ(cell(1, 12, 8), " 60 Сек.");
  EXPECT_EQ(cell(2, 12, 8), " 60 Сек.");
  EXPECT_EQ(cell(3, 12, 8), "        ");
}

TEST_F(CityLines, LongDistanceCodeIsTypedFreshAndStoredInFourPlaces) {
  rec(5, 1) = {1, 2, 3, 4};
  rec(5, 3) = {1, 2, 3, 4};
  rec(5, 4) = {9, 9, 9, 9};
  go(1, 5);
  keys({key::enter, '8', key::enter});
  keys({0, key::right, 0, key::right});
  keys({key::enter, '*', 'a', '0', '#', '5', '6', key::enter});
  keys({0, key::right});
  keys({key::enter, '7', key::esc, key::esc});
  city_lines_screen();
  EXPECT_EQ(rec(5, 1), (std::vector<std::uint8_t>{8, 0, 0, 0}));
  EXPECT_EQ(cell(1, 5, 4), "8   ");
  EXPECT_EQ(rec(5, 3), (std::vector<std::uint8_t>{11, 10, 12, 5}));
  EXPECT_EQ(cell(3, 5, 4), "*0#5");
  EXPECT_EQ(rec(5, 4), (std::vector<std::uint8_t>{9, 9, 9, 9}));
  EXPECT_EQ(writes_of(5, 4), 0);
  EXPECT_EQ(cell(4, 5, 4), "9999");
}

TEST_F(CityLines, EscDuringAnEditWritesNothingAndShowsTheStationValue) {
  rec(11, 1) = {3};
  go(1, 11);
  keys({key::enter, key::space, key::space, key::esc, key::esc});
  city_lines_screen();
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(cell(1, 11, 9), "300 Мсек.");
}

TEST_F(CityLines, LinesBeyondTheStationAndAbsentRecordsAreNotShownOrEdited) {
  link_state.city_line_count = 2;
  rec(7, 1) = {};  // the station has no such record
  go(1, 9);
  keys({key::enter, key::space, key::enter});  // absent: nothing to edit
  keys({0, key::right, 0, key::right, key::enter, key::space, key::enter});  // column 3
  keys({key::esc});
  city_lines_screen();
  EXPECT_EQ(utf8_at(54, 7, 7), "       ");
  EXPECT_EQ(cell(1, 9, 9), "         ");
  EXPECT_EQ(cell(3, 1, 10), "          ");
  EXPECT_TRUE(on_line.records_written.empty());
  for (auto& r : on_line.records_read) EXPECT_NE(r, std::make_pair(7, 3));
}

TEST_F(CityLines, WithoutAStationTheScreenShowsErrorFive) {
  link_state.station_connected = 0;
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({key::esc});
  city_lines_screen();
  EXPECT_TRUE(spy.saw("Не выбран порт обмена"));
  EXPECT_EQ(utf8_at(30, 4, 25), "Установки городских линий");
  EXPECT_TRUE(on_line.records_read.empty());
}

TEST_F(CityLines, AFailedWriteEndsTheScreenWithItsStatus) {
  // The fill and the edit read the record, each twice alike; its write is
  // the fifth frame.
  int frames = 0;
  on_line.on_record = [&](int group, int index) {
    if (group == 6 && index == 1 && ++frames == 5) on_line.failing_records.insert({6, 1});
  };
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  go(1, 8);
  keys({key::enter, key::space, key::enter, key::esc});
  city_lines_screen();
  EXPECT_TRUE(spy.saw("Не совпала контрольная сумма."));
  EXPECT_EQ(frames, 5);
  EXPECT_EQ(services.keys.left(), 0u);
}

}  // namespace
