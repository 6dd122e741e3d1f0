// The permission tables and the tariffing modes: single cells, the column,
// row and table writes, their Esc, a failure in the middle of a column
// write, and records of another length than one byte.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr int line_x[4] = {16, 34, 52, 70};
constexpr int charge_x[2] = {26, 60};

struct Permissions : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int k = 1; k <= 16; ++k) {
      for (int g : {26, 27, 28, 29, 30, 32, 33}) rec(g, k) = {0};
      rec(31, k) = {0};
    }
  }
  std::string bit(int line, int k) { return utf8_at(line_x[line - 1], k + 7, 3); }
  std::string charge(int column, int k) { return utf8_at(charge_x[column - 1], k + 7, 5); }
  Bytes byte(int v) { return Bytes{static_cast<std::uint8_t>(v)}; }
  int reads_of(int group) const {
    int n = 0;
    for (auto& r : on_line.records_read) n += r.first == group;
    return n;
  }
};

TEST_F(Permissions, WithTwoLinesOnlyTwoColumnsShowAndF2WritesAllFourBits) {
  link_state.city_line_count = 2;
  link_state.subscriber_count = 4;
  rec(26, 1) = {0x01};
  rec(26, 2) = {0x02};
  rec(26, 3) = {0x0C};  // lines 3 and 4 only: not shown
  keys({0, key::down, 0, key::down, 0, key::right, 0, key::right});  // subscriber 13, column 3
  keys({0, key::f2, key::space, key::enter, key::esc});
  permission_table_screen(26);
  EXPECT_EQ(utf8_at(18, 3, 47), "   Разрешение абонентам выхода в город днем    ");
  EXPECT_EQ(utf8_at(1, 4, 1), "╔");
  EXPECT_EQ(utf8_at(8, 7, 1), "╬");
  EXPECT_EQ(utf8_at(26, 24, 1), "╧");
  EXPECT_EQ(utf8_at(2, 5, 6), " Номер");
  EXPECT_EQ(utf8_at(14, 6, 7), "Линия 1");
  EXPECT_EQ(utf8_at(32, 6, 7), "Линия 2");
  EXPECT_EQ(utf8_at(50, 6, 7), "       ");
  EXPECT_EQ(utf8_at(4, 8, 2), "11");
  EXPECT_EQ(utf8_at(4, 11, 2), "14");
  EXPECT_EQ(utf8_at(4, 12, 2), "  ");
  EXPECT_EQ(bit(1, 1), " Да");
  EXPECT_EQ(bit(2, 1), "Нет");
  EXPECT_EQ(bit(1, 2), "Нет");
  EXPECT_EQ(bit(2, 2), " Да");
  EXPECT_EQ(bit(3, 1), "   ");
  EXPECT_EQ(bit(1, 5), "   ");
  // F2 on subscriber 13: Space sets all four line bits.
  EXPECT_EQ(rec(26, 3), byte(15));
  EXPECT_EQ(writes_of(26, 3), 1);
  EXPECT_EQ(on_line.records_written.size(), 1u);
  EXPECT_EQ(bit(1, 3), " Да");
  EXPECT_EQ(bit(2, 3), " Да");
}

TEST_F(Permissions, F1OnLineTwoClearsOnlyThatBitOfEverySubscriber) {
  link_state.subscriber_count = 5;
  const int before[5] = {0x0F, 0x0E, 0x02, 0x0F, 0x8B};
  for (int k = 1; k <= 5; ++k) rec(28, k) = byte(before[k - 1]);
  keys({0, key::down, 0, key::right});  // subscriber 12, line 2: its bit is set
  keys({0, key::f1, key::space});
  EXPECT_TRUE(test::runs_until_script_ends([] { permission_table_screen(28); }));
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(bit(2, k), "Нет") << k;
    EXPECT_EQ(test::colour_at(line_x[1], k + 7), 0x70);
  }
  EXPECT_TRUE(on_line.records_written.empty());

  keys({0, key::down, 0, key::right, 0, key::f1, key::space, key::enter, key::esc});
  permission_table_screen(28);
  const int after[5] = {0x0D, 0x0C, 0x00, 0x0D, 0x89};
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(rec(28, k), byte(after[k - 1])) << "subscriber " << k;
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(writes_of(28, k), 1) << k;
  EXPECT_EQ(bit(2, 1), "Нет");
  EXPECT_EQ(bit(1, 1), " Да");
  EXPECT_EQ(test::colour_at(line_x[1], 9), 0x1E);

  // Afterwards the cursor stands on row 1 of the same column.
  keys({0, key::down, 0, key::right, 0, key::f1, key::esc, key::enter, key::space, key::enter, key::esc});
  permission_table_screen(28);
  EXPECT_EQ(rec(28, 1), byte(0x0F));
  EXPECT_EQ(rec(28, 2), byte(0x0C));
}

TEST_F(Permissions, F3ThenEscWritesNothingAndReadsTheTableAgain) {
  link_state.subscriber_count = 6;
  rec(30, 4) = {0x05};
  keys({0, key::down, 0, key::down, 0, key::right});
  keys({0, key::f3, key::space});
  EXPECT_TRUE(test::runs_until_script_ends([] { permission_table_screen(30); }));
  for (int k = 1; k <= 6; ++k)
    for (int l = 1; l <= 4; ++l) EXPECT_EQ(bit(l, k), " Да") << l << "," << k;
  EXPECT_EQ(bit(1, 7), "   ");

  on_line.records_read.clear();
  keys({0, key::f3, key::space, key::esc, key::esc});
  permission_table_screen(30);
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(reads_of(30), 2 * 14);  // the fill and every row again, each ending on subscriber 1, twice alike
  EXPECT_EQ(bit(1, 4), " Да");
  EXPECT_EQ(bit(2, 4), "Нет");
  EXPECT_EQ(bit(1, 1), "Нет");

  keys({0, key::f3, key::space, key::enter, key::esc});
  permission_table_screen(30);
  for (int k = 1; k <= 6; ++k) EXPECT_EQ(rec(30, k), byte(15)) << k;
  EXPECT_EQ(rec(30, 7), byte(0));
}

TEST_F(Permissions, EnterTogglesOneBitAndKeepsTheOthers) {
  rec(33, 16) = {0xF4};
  keys({0, key::up, 0, key::left, key::enter, key::space, key::enter, key::esc});  // subscriber 26, line 4
  permission_table_screen(33);
  // Titles stand centred in the width of the longest, group 32's.
  EXPECT_EQ(utf8_at(18, 3, 47), "   Разрешение команды 8 абонентам по линиям    ");
  EXPECT_EQ(rec(33, 16), byte(0xFC));
  EXPECT_EQ(bit(4, 16), " Да");
  keys({key::esc});
  permission_table_screen(32);
  EXPECT_EQ(utf8_at(18, 3, 47), "Разрешение закрытого набора абонентам по линиям");
}

// A failure in the middle of a column write ends the screen with the box;
// the subscribers written before it keep their change.
TEST_F(Permissions, AFailureInTheMiddleOfAColumnWriteEndsTheScreen) {
  link_state.subscriber_count = 8;
  for (int k = 1; k <= 8; ++k) rec(27, k) = byte(0);
  on_line.on_record = [&](int group, int index) {
    if (group == 27 && index == 5 && on_line.records_read.size() > 8 + 4) on_line.failing_records.insert({27, 5});
  };
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({0, key::f1, key::space, key::enter, key::esc});
  permission_table_screen(27);
  EXPECT_TRUE(spy.saw("Не совпала контрольная сумма."));
  EXPECT_EQ(services.keys.left(), 0u);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(rec(27, k), byte(1)) << k;
  for (int k = 5; k <= 8; ++k) EXPECT_EQ(rec(27, k), byte(0)) << k;
}

// A record of another length than one byte is blank, and neither a cell
// edit nor a bulk write touches it.
TEST_F(Permissions, ARecordOfAnotherLengthIsBlankAndNoWriteTouchesIt) {
  link_state.subscriber_count = 3;
  rec(29, 2) = {0x01, 0x01};
  keys({0, key::down, key::enter, key::space, key::enter});
  keys({0, key::f2, key::space, key::enter});
  keys({0, key::f3, key::space, key::enter});
  keys({0, key::f1, key::space, key::enter, key::esc});
  permission_table_screen(29);
  EXPECT_EQ(rec(29, 2), (Bytes{0x01, 0x01}));
  EXPECT_EQ(writes_of(29, 2), 0);
  EXPECT_EQ(bit(1, 2), "   ");
  EXPECT_EQ(rec(29, 1), byte(0x0E));  // F3 set every bit, then F1 cleared line 1
  EXPECT_EQ(rec(29, 3), byte(0x0E));
}

TEST_F(Permissions, TariffingShowsBothChargesAndF2SetsBoth) {
  link_state.subscriber_count = 4;
  rec(31, 1) = {0x02};
  rec(31, 2) = {0x01};
  keys({0, key::down, 0, key::down, 0, key::right});  // subscriber 13, city calls
  keys({0, key::f2, key::space, key::enter, key::esc});
  tariffing_modes_screen();
  EXPECT_EQ(utf8_at(24, 3, 32), "Разрешения тарификации абонентов");
  EXPECT_EQ(utf8_at(2, 5, 7), "  Номер");
  EXPECT_EQ(utf8_at(16, 6, 23), "Междугородние разговоры");
  EXPECT_EQ(utf8_at(50, 6, 19), "Городские разговоры");
  EXPECT_EQ(utf8_at(11, 4, 1), "╦");
  EXPECT_EQ(utf8_at(44, 7, 1), "╬");
  EXPECT_EQ(utf8_at(6, 8, 2), "11");
  EXPECT_EQ(charge(1, 1), "  Да ");
  EXPECT_EQ(charge(2, 1), " Нет ");
  EXPECT_EQ(charge(1, 2), " Нет ");
  EXPECT_EQ(charge(2, 2), "  Да ");
  EXPECT_EQ(rec(31, 3), byte(3));
  EXPECT_EQ(charge(1, 3), "  Да ");
  EXPECT_EQ(charge(2, 3), "  Да ");
  EXPECT_EQ(on_line.records_written.size(), 1u);
}

// F1 starts from the record read last, not from the cursor's row: after a
// cell edit that is the edited subscriber's, after a fill subscriber 1's.
TEST_F(Permissions, AColumnWriteStartsFromTheRecordReadLast) {
  link_state.subscriber_count = 3;
  rec(31, 2) = {0x02};
  rec(31, 3) = {0x01};
  keys({key::enter, key::space, key::enter, 0, key::right, key::enter, key::space, key::enter});  // 11: 3
  keys({0, key::down, 0, key::f1, key::enter});  // on 12, whose city calls are not charged
  keys({0, key::left, 0, key::down, 0, key::down, 0, key::f1, key::enter, key::esc});  // on 13
  tariffing_modes_screen();
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(rec(31, k), byte(0x03)) << "subscriber " << k;
}

TEST_F(Permissions, TariffingEditsKeepTheLowFourBitsOnly) {
  link_state.subscriber_count = 3;
  rec(31, 1) = {0xF1};
  rec(31, 2) = {0xF5};
  rec(31, 3) = {0x80};
  keys({key::enter, key::space, key::enter});  // subscriber 11, long distance
  keys({0, key::right, 0, key::f1, key::space, key::enter, key::esc});  // city calls: from 0xF1, off
  tariffing_modes_screen();
  EXPECT_EQ(rec(31, 1), byte(0x02));
  EXPECT_EQ(rec(31, 2), byte(0x04));
  EXPECT_EQ(rec(31, 3), byte(0x00));
  EXPECT_EQ(charge(1, 1), "  Да ");
  EXPECT_EQ(charge(2, 1), " Нет ");
}

}  // namespace
