// Pickup groups and general call groups: the uniqueness rules while
// stepping, the members closing up on Enter, the eight-member groups, and
// records of another length than a group's places.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr int pickup_x[4] = {26, 38, 50, 62};

TEST(CloseGaps, MembersComeFirstInTheirOrderThenTheEmptyPlaces) {
  struct Case {
    std::vector<int> in, out;
  };
  const Case cases[] = {
      {{0, 0, 3, 4}, {3, 4, 0, 0}},
      {{0, 3, 0, 5}, {3, 5, 0, 0}},
      {{2, 0, 5, 0}, {2, 5, 0, 0}},
      {{0, 0, 0, 0}, {0, 0, 0, 0}},
      {{4, 3, 2, 1}, {4, 3, 2, 1}},
      {{0, 9, 0, 0, 0, 0, 0, 7}, {9, 7, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<int> v = c.in;
    close_gaps(v.data(), static_cast<int>(v.size()));
    EXPECT_EQ(v, c.out);
  }
}

struct PickupGroups : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int g = 1; g <= 8; ++g) rec(40, g) = {0, 0, 0, 0};
  }
  std::string member(int place, int group) { return utf8_at(pickup_x[place - 1], group + 10, 3); }
};

TEST_F(PickupGroups, ShowsEveryGroupsMembers) {
  rec(40, 1) = {1, 2, 0, 0};
  rec(40, 8) = {16, 0, 0, 15};
  keys({key::esc});
  pickup_groups_screen();
  EXPECT_EQ(utf8_at(30, 7, 16), "Группы перехвата");
  EXPECT_EQ(utf8_at(8, 9, 12), "Номер группы");
  EXPECT_EQ(utf8_at(59, 9, 9), "Номер абн");
  EXPECT_EQ(utf8_at(6, 8, 1), "╔");
  EXPECT_EQ(utf8_at(21, 10, 1), "╬");
  EXPECT_EQ(utf8_at(45, 10, 1), "╪");
  EXPECT_EQ(utf8_at(69, 19, 1), "╝");
  EXPECT_EQ(utf8_at(12, 11, 2), " 1");
  EXPECT_EQ(utf8_at(12, 18, 2), " 8");
  EXPECT_EQ(member(1, 1), " 11");
  EXPECT_EQ(member(2, 1), " 12");
  EXPECT_EQ(member(3, 1), "Нет");
  EXPECT_EQ(member(1, 8), " 26");
  EXPECT_EQ(member(4, 8), " 25");
}

TEST_F(PickupGroups, SpacePassesOverSubscribersHeldByAnyOtherGroup) {
  rec(40, 1) = {2, 0, 0, 0};
  rec(40, 2) = {4, 0, 0, 0};
  link_state.subscriber_count = 5;
  keys({0, key::down, 0, key::down});  // group 3
  keys({key::enter, key::space, key::space, key::space, key::enter});  // 1, 3, 5
  keys({0, key::right, key::enter, key::space, key::space, key::enter});  // 1, 3
  keys({0, key::right, key::enter, key::space, key::space, key::enter, key::esc});  // 1, then none: 2..5 are held
  pickup_groups_screen();
  EXPECT_EQ(rec(40, 3), (Bytes{5, 3, 0, 0}));
  EXPECT_EQ(member(1, 3), " 15");
  EXPECT_EQ(member(2, 3), " 13");
  EXPECT_EQ(member(3, 3), "Нет");
  EXPECT_EQ(writes_of(40, 3), 3);
  EXPECT_EQ(rec(40, 1), (Bytes{2, 0, 0, 0}));
}

// An empty place is filled from the first empty place of the group, and
// on Enter the members close up to the front.
TEST_F(PickupGroups, MembersCloseUpToTheFrontOnEnter) {
  rec(40, 1) = {0, 3, 0, 5};  // none, 13, none, 15
  rec(40, 2) = {0, 0, 3, 4};  // none, none, 13, 14
  rec(40, 4) = {7, 0, 0, 0};
  keys({0, key::right, key::enter, key::enter});            // group 1 confirmed as it is
  keys({0, key::down, key::enter, key::enter});             // group 2 likewise
  keys({0, key::down, 0, key::down, 0, key::right, 0, key::right});  // group 4, place 3: empty
  keys({key::enter, key::space, key::enter, key::esc});     // fills place 2
  pickup_groups_screen();
  EXPECT_EQ(rec(40, 1), (Bytes{3, 5, 0, 0}));
  EXPECT_EQ(rec(40, 2), (Bytes{3, 4, 0, 0}));
  EXPECT_EQ(rec(40, 4), (Bytes{7, 1, 0, 0}));
  EXPECT_EQ(member(1, 1), " 13");
  EXPECT_EQ(member(2, 1), " 15");
  EXPECT_EQ(member(3, 1), "Нет");
}

TEST_F(PickupGroups, EscWritesNothingAndAGroupOfAnotherLengthIsBlankAndNotEdited) {
  rec(40, 1) = {1, 2, 3};
  rec(40, 2) = {4, 0, 0, 0, 5};
  keys({key::enter, key::space, key::enter});  // group 1: not edited
  keys({0, key::down, key::enter, key::space, key::enter});  // group 2: not edited
  keys({0, key::down, key::enter, key::space, key::esc, key::esc});  // group 3: Esc
  pickup_groups_screen();
  EXPECT_TRUE(on_line.records_written.empty());
  for (int p = 1; p <= 4; ++p) {
    EXPECT_EQ(member(p, 1), "   ") << p;
    EXPECT_EQ(member(p, 2), "   ") << p;
  }
  EXPECT_EQ(member(1, 3), "Нет");
  // Members of a group of another length hold no subscriber: 4 is free.
  keys({0, key::down, 0, key::down, key::enter, key::space, key::space, key::space, key::space, key::enter, key::esc});
  pickup_groups_screen();
  EXPECT_EQ(rec(40, 3), (Bytes{4, 0, 0, 0}));
}

constexpr int call_x[8] = {15, 23, 31, 39, 47, 55, 63, 71};

struct CallGroups : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int g = 1; g <= 4; ++g) rec(41, g) = {0, 0, 0, 0};
    for (int g = 5; g <= 6; ++g) rec(41, g) = {0, 0, 0, 0, 0, 0, 0, 0};
  }
  std::string member(int place, int group) { return utf8_at(call_x[place - 1], group + 10, 3); }
};

TEST_F(CallGroups, GroupsFiveAndSixHaveEightPlacesTheOthersFour) {
  rec(41, 1) = {1, 2, 3, 4};
  rec(41, 6) = {9, 10, 11, 12, 13, 14, 15, 16};
  keys({key::esc});
  call_groups_screen();
  EXPECT_EQ(utf8_at(30, 7, 20), "Группы общего вызова");
  EXPECT_EQ(utf8_at(5, 9, 6), "Группа");
  EXPECT_EQ(test::text_at(14, 9, 5), "N a" + cp866::from_utf8("бн"));
  EXPECT_EQ(utf8_at(70, 9, 5), "N абн");
  EXPECT_EQ(utf8_at(3, 8, 1), "╔");
  EXPECT_EQ(utf8_at(68, 17, 1), "╧");
  EXPECT_EQ(utf8_at(7, 16, 2), " 6");
  EXPECT_EQ(member(4, 1), " 14");
  EXPECT_EQ(member(5, 1), "   ");
  EXPECT_EQ(member(5, 2), "   ");
  EXPECT_EQ(member(8, 5), "Нет");
  EXPECT_EQ(member(1, 6), " 19");
  EXPECT_EQ(member(8, 6), " 26");
}

TEST_F(CallGroups, StepsSkipOnlyTheGroupsOwnMembers) {
  rec(41, 1) = {3, 0, 0, 0};
  rec(41, 5) = {1, 2, 0, 0, 0, 0, 0, 0};
  keys({0, key::up, 0, key::up});  // group 5
  keys({0, key::left, 0, key::left});  // place 7: empty, so place 3
  keys({key::enter, key::space, key::enter, key::esc});
  call_groups_screen();
  EXPECT_EQ(rec(41, 5), (Bytes{1, 2, 3, 0, 0, 0, 0, 0}));
  EXPECT_EQ(member(3, 5), " 13");
}

TEST_F(CallGroups, ACursorRightOfAFourPlaceGroupIsSetBackToItsFourthPlace) {
  rec(41, 2) = {1, 2, 3, 4};
  rec(41, 4) = {1, 2, 3, 4, 5, 6, 7, 8};  // eight members where four belong
  keys({0, key::down, 0, key::left, 0, key::left});  // group 2, column 7
  keys({key::enter, key::space, key::enter});          // place 4: 14 becomes 15
  keys({0, key::down, 0, key::down, key::enter, key::space, key::enter, key::esc});  // group 4: not edited
  call_groups_screen();
  EXPECT_EQ(rec(41, 2), (Bytes{1, 2, 3, 5}));
  EXPECT_EQ(member(4, 2), " 15");
  EXPECT_EQ(rec(41, 4), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(member(1, 4), "   ");
  EXPECT_EQ(on_line.records_written.size(), 1u);
}

}  // namespace
