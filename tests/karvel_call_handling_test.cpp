// The member list packing rule, and a port's call handling pages (general
// call groups, operating variants, call redirection) run with scripted keys
// against the in-process station.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "karvel/city_lines.h"
#include "karvel/internal_ports.h"
#include "karvel/member_groups.h"
#include "karvel/screens.h"
#include "karvel/station_settings.h"
#include "platform/serial_loopback.h"
#include "sim/station_line.h"
#include "editors/field_editors.h"
#include "tests/station_fixtures.h"

namespace {

using test::members;

std::vector<int> packed(std::initializer_list<int> places, int free_place, int last_port) {
  std::uint8_t list[group_places] = {};
  std::vector<int> given = members(places, free_place);
  for (int i = 0; i < group_places; ++i) list[i] = static_cast<std::uint8_t>(given[i]);
  normalise_members(list, free_place, last_port);
  return std::vector<int>(list, list + group_places);
}

TEST(MemberLists, RepeatsGoHolesCloseFromBehindAndNonPortsAreDropped) {
  EXPECT_EQ(packed({3, 3, 7}, 255, 24), members({3, 7}, 255));
  EXPECT_EQ(packed({0, 6}, 255, 24), members({6}, 255));
  EXPECT_EQ(packed({5, 0, 5, 9, 0}, 0, 24), members({5, 9}, 0));
  // The other kind's free marker is no member either.
  EXPECT_EQ(packed({255, 4, 0, 255, 4}, 0, 24), members({4}, 0));
  // A port above the count is dropped in the first place, in the middle
  // and in the last place alike.
  EXPECT_EQ(packed({12, 2, 9, 3}, 255, 8), members({2, 3}, 255));
  std::vector<int> last_place = members({2}, 255);
  last_place[15] = 12;
  std::uint8_t list[group_places];
  for (int i = 0; i < group_places; ++i) list[i] = static_cast<std::uint8_t>(last_place[i]);
  normalise_members(list, 255, 8);
  EXPECT_EQ(std::vector<int>(list, list + group_places), members({2}, 255));
  // A full list of distinct ports stays as it is.
  std::vector<int> full;
  for (int p = 16; p >= 1; --p) full.push_back(p);
  for (int i = 0; i < group_places; ++i) list[i] = static_cast<std::uint8_t>(full[i]);
  normalise_members(list, 0, 16);
  EXPECT_EQ(std::vector<int>(list, list + group_places), full);
}

struct PortCallPages : test::KarvelStationTest {
  void SetUp() override {
    KarvelStationTest::SetUp();
    port_editor.current = 5;
  }
  static constexpr int block = 0x8500;
};

TEST_F(PortCallPages, GeneralCallGroupsArePackedAfterEveryEdit) {
  EXPECT_EQ(peek(block + 0x80, 16), members({6, 7}, 255));  // the station's default
  poke(block + 0x90, {3, 3, 7});
  poke(block + 0xA0, {4, 6});
  keys({0, key::down, key::enter, key::esc});           // group 2: an edit that changes nothing
  keys({0, key::down, key::enter, '0', key::enter});   // group 3, place 1 := 0
  keys({0, key::right, key::right, key::enter, '1', '2', key::enter});  // group 3, place 3 := 12
  keys({key::esc});
  edit_port_call_groups();
  EXPECT_EQ(peek(block + 0x90, 16), members({3, 7}, 255));
  EXPECT_EQ(peek(block + 0xA0, 16), members({6, 12}, 255));
  EXPECT_EQ(test::utf8_at(20, 2, 34), "   Группы общего вызова для порта:");
  EXPECT_EQ(test::text_at(62, 2, 2), " 5");
  EXPECT_EQ(test::utf8_at(29, 10, 22), "Группа общего вызова 2");
  EXPECT_EQ(test::text_at(9, 7, 6), " 6   7");
  EXPECT_EQ(test::text_at(9, 12, 10), " 3   7    ");
  EXPECT_EQ(test::text_at(9, 17, 6), " 6  12");
  EXPECT_EQ(test::utf8_at(7, 16, 2), "╔═");
}

// An older configuration may hold a port the station no longer has: it
// goes at the next edit of its group, even from the last place.
TEST_F(PortCallPages, APortAboveTheCountIsDroppedWhereverItStands) {
  link_state.port_count = 8;
  std::vector<int> group1 = members({2}, 255);
  group1[15] = 12;
  for (int i = 0; i < 16; ++i) station.poke(static_cast<std::uint16_t>(block + 0x80 + i), group1[i]);
  poke(block + 0xB0, {12, 3});
  keys({0, key::right, key::enter, '4', key::enter});  // group 1, place 2 := 4
  keys({0, key::up, 0, key::left, key::enter, key::esc, key::esc});  // group 4, place 1: no change
  edit_port_call_groups();
  EXPECT_EQ(peek(block + 0x80, 16), members({2, 4}, 255));
  EXPECT_EQ(peek(block + 0xB0, 16), members({3}, 255));
  EXPECT_EQ(test::text_at(9, 22, 2), " 3");
}

// A refused code rewrites nothing, not even a list that needs packing; the
// right code unlocks one edit.
TEST_F(PortCallPages, ProtectedGroupsAskForTheCodeBeforeEachEdit) {
  protect(65);
  poke(block + 0x90, {3, 3, 7});
  test::ScreenAtKeys spy(&services.keys, [] { return test::utf8_at(27, 14, 20); });
  keys({0, key::down, key::enter, '1', '1', key::enter});
  keys_after_box({key::enter, '4', '2', '4', '2', key::enter});
  keys_after_box({'9', key::enter, key::esc});
  edit_port_call_groups();
  EXPECT_TRUE(spy.saw("Введите код доступа:"));
  EXPECT_EQ(peek(block + 0x90, 16), members({9, 3, 7}, 255));
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(access_pending, 0);
}

TEST_F(PortCallPages, SwitchingPortsShowsTheirGroupsAndHelpIsTopic65) {
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  keys({0, key::pgdn, 0, key::f10, key::esc});
  keys_after_box({0, key::end, key::esc});
  edit_port_call_groups();
  EXPECT_TRUE(spy.saw("#65  "));
  EXPECT_EQ(port_editor.current, 24);
  EXPECT_EQ(test::text_at(62, 2, 2), "24");
  EXPECT_EQ(test::text_at(9, 7, 6), " 1   2");  // port 24 rings ports 1 and 2
  EXPECT_EQ(test::utf8_at(1, 1, 9), "Esc-Выход");
  EXPECT_EQ(test::utf8_at(71, 2, 8), "F9 -Порт");
}

TEST_F(PortCallPages, VariantsHighlightTheCurrentModeAndTakeTheirLimits) {
  station.poke(0x8024, 2);
  // The cursor starts on the exit group of mode 0.
  keys({key::enter, '5', '3', key::enter});
  keys({0, key::right, 0, key::down, key::enter, key::space, key::enter});  // mode 1, line 1
  keys({0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down, 0, key::down});
  keys({key::enter, key::esc});  // row 10 carries no field
  edit_port_variants();
  EXPECT_EQ(station.peek(block + 0x40), 3);
  EXPECT_EQ(station.peek(block + 0x51), 0);
  EXPECT_EQ(test::utf8_at(15, 3, 47), "Варианты функционирования для внутреннего порта");
  EXPECT_EQ(test::text_at(62, 3, 2), " 5");
  EXPECT_EQ(test::utf8_at(3, 9, 23), "b/Группы выхода в город");
  EXPECT_EQ(test::utf8_at(3, 15, 27), "h/Разреш. выхода на линию 6");
  EXPECT_EQ(test::utf8_at(34, 7, 8), "День    ");
  EXPECT_EQ(test::text_at(34, 9, 4), "   3");
  EXPECT_EQ(test::utf8_at(46, 10, 4), " Нет");
  EXPECT_TRUE(test::span_has_colour(58, 7, 8, COLOR_BOX));
  EXPECT_TRUE(test::span_has_colour(34, 7, 8, COLOR_SCREEN));
  EXPECT_EQ(services.keys.left(), 0u);

  // A mode changed on the station-wide page moves the highlight.
  station.poke(0x8024, 1);
  keys({key::esc});
  edit_port_variants();
  EXPECT_TRUE(test::span_has_colour(46, 7, 8, COLOR_BOX));
  EXPECT_TRUE(test::span_has_colour(58, 7, 8, COLOR_SCREEN));
}

TEST_F(PortCallPages, VariantTopicsByRowAndNoneBelowTheFields) {
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  keys({0, key::f10, key::esc});
  keys_after_box({0, key::up, 0, key::f10, key::esc});
  keys_after_box({0, key::up, 0, key::f10});  // row 15: no help opens
  keys({0, key::up, 0, key::up, 0, key::up, 0, key::up, 0, key::up, 0, key::up, 0, key::up, 0, key::up});
  keys({0, key::up, 0, key::f10, key::esc});  // row 6
  keys_after_box({key::esc});
  edit_port_variants();
  EXPECT_TRUE(spy.saw("#81  "));
  EXPECT_TRUE(spy.saw("#80  "));
  EXPECT_TRUE(spy.saw("#82  "));
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(PortCallPages, RedirectionNeverToItselfAndNoCodeIsAsked) {
  for (int parameter : {4, 88, 89}) protect(parameter);
  poke(block + 3, {0});
  keys({key::enter, '5', key::enter});                       // a: itself
  keys({0, key::down, key::enter, '5', key::enter});         // b: itself
  keys({0, key::down, key::enter, '7', key::enter});         // c: port 7
  for (int i = 0; i < 3; ++i) keys({0, key::down});
  keys({key::enter, '5', '3', key::enter});                  // f: line 5 is none, 3 is
  keys({0, key::down, key::enter, '2', '4', '1', key::enter});  // g: 24 > 4 starts again
  keys({key::esc});
  edit_port_redirection();
  EXPECT_EQ(station.peek(block + 3), 0);
  EXPECT_EQ(peek(block + 0xD0, 10), (std::vector<int>{0, 7, 0, 0, 3, 1, 0, 0, 0, 0}));
  EXPECT_EQ(test::utf8_at(5, 2, 34), "Перенаправление вызовов для порта:");
  EXPECT_EQ(test::utf8_at(5, 5, 54), "b/Не перенаправлять вызовы от абонента ...............");
  EXPECT_EQ(test::utf8_at(5, 19, 4), "p/..");
  EXPECT_EQ(test::text_at(60, 5, 4), "    ");
  EXPECT_EQ(test::text_at(60, 6, 4), "   7");
  EXPECT_EQ(test::text_at(60, 9, 4), "   3");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(PortCallPages, RedirectionTopicsByRow) {
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  keys({0, key::f10, key::esc});
  keys_after_box({0, key::down, 0, key::f10, key::esc});
  keys_after_box({0, key::up, 0, key::up, 0, key::up, 0, key::f10});  // row 15: no help opens
  for (int i = 0; i < 9; ++i) keys({0, key::up});
  keys({0, key::f10, key::esc});  // row 6
  keys_after_box({key::esc});
  edit_port_redirection();
  EXPECT_TRUE(spy.saw("#4   "));
  EXPECT_TRUE(spy.saw("#88  "));
  EXPECT_TRUE(spy.saw("#89  "));
  EXPECT_EQ(services.keys.left(), 0u);
}

// On a station that has fallen silent a page costs one error box, and Esc
// still leaves it.
sim::FaultPlan every_answer_lost() {
  sim::FaultPlan plan;
  plan.drop = 1.0;
  return plan;
}

struct SilentStation : test::KarvelStationTest {
  sim::KarvelStation quiet;
  sim::StationLine line{quiet, every_answer_lost()};
  void SetUp() override {
    KarvelStationTest::SetUp();
    auto port = std::make_unique<platform::LoopbackSerialPort>(&line);
    port->open("COM1", quiet.baud());
    link_use_port(std::move(port));
    port_editor.current = 5;
  }
};

// Whether the link's error box stands on the screen at each key.
std::string box_or_page() {
  return test::utf8_at(17, 12, 48).find("Ошибка обмена") != std::string::npos ? "box" : "page";
}

TEST_F(SilentStation, OpeningAPageCostsOneBoxAndEscThereLeavesIt) {
  test::ScreenAtKeys spy(&services.keys, box_or_page);
  link_state.first_line_port = 33;
  line_editor.current = 2;
  for (void (*screen)() : {edit_port_main, edit_port_call_groups, edit_port_variants, edit_port_redirection,
                           edit_exit_groups, edit_routing_tables, edit_pickup_groups, edit_line_main,
                           edit_general_settings, edit_hardware_numbers, edit_logical_numbers,
                           edit_protection_levels, show_identity_page}) {
    spy.seen.clear();
    keys({key::esc});  // at the error box
    EXPECT_FALSE(test::runs_until_script_ends(screen));
    EXPECT_EQ(spy.seen, (std::vector<std::string>{"box"}));
    EXPECT_EQ(services.keys.left(), 0u);
  }
  // Another key at the box keeps the page; its sub-screens cost one box
  // each and Esc at theirs leaves them.
  spy.seen.clear();
  keys({key::enter, 0, key::f1, key::esc, 0, key::f2, key::esc, key::esc});
  EXPECT_FALSE(test::runs_until_script_ends(edit_exit_groups));
  EXPECT_EQ(std::count(spy.seen.begin(), spy.seen.end(), "box"), 3);
  EXPECT_EQ(services.keys.left(), 0u);
}

// A drawing that fails leaves no value of the port, group or line shown
// before under the new number: what could not be read is blank, what needs
// no station is drawn, and the failure costs one box.
TEST_F(PortCallPages, ARedrawThatFailsShowsBlanksNotTheValuesBefore) {
  test::ScreenAtKeys spy(&services.keys, box_or_page);
  auto fail = [&](int address, int count) {
    for (int i = 0; i < count; ++i) on_line.failing_blocks.insert(address + i);
  };
  auto blank = [](int column, int row, int width) { return test::text_at(column, row, width) == std::string(width, ' '); };
  const std::vector<int> strip_rows{7, 12, 17, 22};
  auto paged = [&](void (*screen)()) {
    keys({0, key::pgdn, key::enter, key::esc});  // Enter closes the box
    screen();
  };

  fail(0x8680, 64);  // port 6's general-call groups
  paged(edit_port_call_groups);
  EXPECT_EQ(test::text_at(62, 2, 2), " 6");
  for (int row : strip_rows) EXPECT_TRUE(blank(9, row, 62)) << row;

  poke(0xEE00, {3, 4});
  fail(0xEE40, 64);  // pickup groups 5..8
  paged(edit_pickup_groups);
  EXPECT_EQ(test::text_at(47, 5, 2) + test::text_at(47, 20, 2), " 5 8");
  for (int row : strip_rows) EXPECT_TRUE(blank(9, row, 62)) << row;

  poke(0xF008, {2});  // exit group 1, code "7", first line
  poke(0xF00E, {1});
  fail(0xF400, 256);  // exit group 2
  paged(edit_exit_groups);
  EXPECT_EQ(test::text_at(49, 3, 1), "2");
  EXPECT_TRUE(blank(9, 8, 1));
  EXPECT_TRUE(blank(33, 8, 4));

  link_state.first_line_port = 33;
  line_editor.current = 2;
  poke(0x8000 + 256 * 34, {1, 7});
  fail(0x8000 + 256 * 35, 256);  // line 3
  paged(edit_line_main);
  EXPECT_EQ(test::text_at(62, 2, 2), " 3");
  for (int row = 4; row <= 19; ++row) EXPECT_TRUE(blank(60, row, 5)) << row;

  EXPECT_EQ(std::count(spy.seen.begin(), spy.seen.end(), "box"), 4);
  EXPECT_EQ(services.keys.left(), 0u);
}

}  // namespace
