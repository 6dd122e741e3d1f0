// The screen frames on their own: the typed-number prompt, the digit string
// editor's modes, the box menu's actions, a page's key table and paging, the
// scrolling list, the entry guard and the ruled lines.
#include <gtest/gtest.h>

#include "editors/screen_entry.h"
#include "link/link.h"
#include "platform/keys.h"
#include "platform/twins.h"
#include "settings/run_state.h"
#include "test_support.h"
#include "toolkit/box_menu.h"
#include "toolkit/digit_string.h"
#include "toolkit/field_page.h"
#include "toolkit/number_prompt.h"
#include "toolkit/ruled_lines.h"
#include "toolkit/scroll_list.h"

namespace {

struct Frames : ::testing::Test {
  platform::TestServices services;
  void SetUp() override { reset_run_state(); }
  void TearDown() override { reset_run_state(); }
  void keys(std::initializer_list<int> k) { services.keys.add(k); }
};

TEST_F(Frames, TypedNumberStartsAgainPastItsLimitsAndEscKeepsTheDigits) {
  const NumberPrompt prompt{{10, 5}, 2, COLOR_BOX, 1, 16};
  keys({'9', '9', '0', key::enter, '1', '2', key::enter});  // 99 too big; 0 too small
  EXPECT_EQ(read_typed_number(prompt).value, 12);
  EXPECT_EQ(test::text_at(10, 5, 2), "12");
  keys({'1', '2', '3', key::esc});  // a third digit only starts the two places again
  const TypedNumber typed = read_typed_number(prompt);
  EXPECT_EQ(typed.key, key::esc);
  EXPECT_EQ(typed.value, 0);
  EXPECT_EQ(test::text_at(10, 5, 2), "  ");
  keys({'0', '0', '0', '5', key::enter});  // without the places rule zeros never fill it
  EXPECT_EQ(read_typed_number({{10, 5}, 2, COLOR_BOX, 0, 255, false}).value, 5);
}

TEST_F(Frames, StepNumberKeepsWithinOneToLast) {
  EXPECT_EQ(step_number(1, 8, key::pgup), 1);
  EXPECT_EQ(step_number(3, 8, key::pgdn), 4);
  EXPECT_EQ(step_number(8, 8, key::pgdn), 8);
  EXPECT_EQ(step_number(5, 8, key::home), 1);
  EXPECT_EQ(step_number(5, 8, key::end), 8);
  EXPECT_EQ(step_number(5, 8, key::enter), 5);
}

// An extended key whose scan code is Space's is dropped whole.
TEST_F(Frames, SpaceStepsUntilEnterOrEsc) {
  int steps = 0;
  keys({key::space, key::extended, key::space, 'x', key::space, key::enter, key::esc});
  EXPECT_EQ(read_space_steps([&] { ++steps; }), key::enter);
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(read_space_steps([&] { ++steps; }), key::esc);
}

// Codes 1..9 for the digits, 0 an empty place; "#" is no character here.
DigitString digit_row(int* codes, int count) {
  return {{10, 5}, codes, count, [](int k) { return k >= '1' && k <= '9' ? k - '0' : -1; },
          [](int code) { return code == 0 ? ' ' : static_cast<char>('0' + code); }};
}

TEST_F(Frames, DigitStringOverwritesAndStopsOnItsLastPlace) {
  int codes[4] = {1, 2, 0, 0};
  keys({key::extended, key::right, key::extended, key::right, key::extended, key::right, '5', '#', key::enter});
  EXPECT_EQ(edit_digit_string(digit_row(codes, 4)), key::enter);  // Right stops on the first empty place
  EXPECT_EQ(test::text_at(10, 5, 4), "125 ");
  keys({'6', '7', '8', '9', '4', key::backspace, key::esc});
  EXPECT_EQ(edit_digit_string(digit_row(codes, 4)), key::esc);  // the last place takes every digit past it
  EXPECT_EQ(test::text_at(10, 5, 4), "674 ");
  EXPECT_EQ(codes[3], 0);
}

TEST_F(Frames, DigitStringMayStandPastItsLastPlaceWhereTypingDoesNothing) {
  int codes[4] = {0, 0, 0, 0};
  DigitString field = digit_row(codes, 4);
  field.past_last = true;
  field.right = RightStep::onto_a_code;
  keys({'1', '2', '3', '4', '5', key::backspace, key::extended, key::left, key::extended, key::left,
        key::extended, key::del, key::extended, key::right, '9', key::enter});
  edit_digit_string(field);
  EXPECT_EQ(test::text_at(10, 5, 4), "19  ");  // Right cannot step onto the emptied place
  field.typing = DigitTyping::insert;
  field.right = RightStep::off_a_code;
  keys({'7', key::extended, key::right, '8', '2', '3', key::enter});
  edit_digit_string(field);  // each digit pushes the rest on; the last falls off
  EXPECT_EQ(test::text_at(10, 5, 4), "7182");
  EXPECT_EQ(codes[3], 2);
  field.enter_only = true;
  keys({key::extended, key::right, key::esc, key::backspace, '5', key::enter});
  EXPECT_EQ(edit_digit_string(field), key::enter);  // Esc and Backspace changed nothing
  EXPECT_EQ(test::text_at(10, 5, 4), "7518");
}

int chosen = 0;
void choose_first() { chosen = 1; }
void choose_second() { chosen = 2; }

TEST_F(Frames, BoxMenuRunsTheChosenEntrysActionAndNoneOnEsc) {
  const BoxMenu menu{10, 5, 12, {{"one", choose_first}, {"two", choose_second}, {"", nullptr}}};
  int current = 1;
  chosen = 0;
  keys({key::extended, key::down, key::enter});
  EXPECT_EQ(run_box_menu_action(menu, current), key::enter);
  EXPECT_EQ(chosen, 2);
  chosen = 0;
  keys({key::extended, key::up, key::extended, key::up, key::esc});
  EXPECT_EQ(run_box_menu_action(menu, current), key::esc);
  EXPECT_EQ(chosen, 0);
  EXPECT_EQ(current, 3);
  keys({key::enter});  // the empty entry runs nothing
  run_box_menu_action(menu, current);
  EXPECT_EQ(chosen, 0);
}

TEST_F(Frames, FieldPageRunsItsKeyTableThenPagesItsNumber) {
  int number = 1, enters = 0;
  std::vector<int> shown;
  FieldPage page{GridCursor({10}, {5, 6}),
                 nullptr,
                 [&](const GridCursor&) {
                   shown.push_back(number);
                   return false;
                 },
                 {{key::enter,
                   [&](GridCursor&) {
                     ++enters;
                     return KeyResult::handled;
                   }},
                  {key::f5, [](GridCursor&) { return KeyResult::redraw; }},
                  {key::f2, [](GridCursor&) { return KeyResult::leave; }}},
                 {&number, [] { return 3; }}};
  keys({key::enter, key::extended, key::end, key::extended, key::pgdn, key::extended, key::f5, key::extended,
        key::home, key::extended, key::f2});
  run_field_page(page);
  EXPECT_EQ(enters, 1);
  // The first show, End to 3, PgDn at the last (no show), F5, Home to 1.
  EXPECT_EQ(shown, (std::vector<int>{1, 3, 3, 1}));
  // A show that ends at a box's Esc ends the page.
  number = 1;
  page.show = [&](const GridCursor&) { return number == 2; };
  keys({key::extended, key::pgdn});
  run_field_page(page);
  EXPECT_EQ(number, 2);
}

TEST_F(Frames, ScrollListBringsThePagesItsOwnerDraws) {
  std::vector<int> starts;
  ScrollList list;
  list.capacity = 40;
  list.draw_page = [&] { starts.push_back(list.page_start()); };
  EXPECT_TRUE(list.move(key::pgdn));
  EXPECT_EQ(list.current, 17);
  EXPECT_TRUE(list.move(key::up));  // from the top row to the foot of the page ending above
  EXPECT_EQ(list.current, 16);
  EXPECT_EQ(list.row, 16);
  EXPECT_TRUE(list.move(key::end));
  EXPECT_EQ(list.current, 40);
  EXPECT_TRUE(list.move(key::pgdn));  // at the last page: the last item
  EXPECT_EQ(list.row, 16);
  EXPECT_FALSE(list.move(key::f10));
  EXPECT_EQ(starts, (std::vector<int>{17, 1, 25}));
}

// A list page moves and runs its keys (a plain key is never taken for an
// extended one of the same code); after a message the next key only
// blanks it: Esc there does not leave.
TEST_F(Frames, ListPageBlanksAMessageWithTheNextKeyOnly) {
  ScrollList list;
  list.capacity = 40;
  int enters = 0, f10s = 0;
  const ListPage page{&list,
                      {30, 7},
                      4,
                      {{key::enter,
                        [&] {
                          if (++enters > 1) return false;
                          print_at_plain(30, 6 + list.row, "FULL");
                          return true;
                        }},
                       {key::f10, [&] { return ++f10s, false; }}}};
  keys({key::extended, key::down, key::enter, key::esc, key::f10, key::enter, key::extended, key::f10, key::esc});
  run_list_page(page);
  EXPECT_EQ(enters, 2);
  EXPECT_EQ(f10s, 1);
  EXPECT_EQ(list.current, 2);
  EXPECT_EQ(test::text_at(30, 8, 4), "    ");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(Frames, EntryGuardWantsAStationOrWhereAllowedAFile) {
  keys({key::esc});
  EXPECT_FALSE(enter_station_screen(ScreenNeeds::station_or_file));
  EXPECT_EQ(services.keys.left(), 0u);  // the box took its key
  link_state.file_mode = 1;
  EXPECT_TRUE(enter_station_screen(ScreenNeeds::station_or_file));
  keys({key::esc});
  EXPECT_FALSE(enter_station_screen(ScreenNeeds::station));
}

// A page may step with PgUp and PgDn only, put the cursor home after a
// step, and start on values another page has shown.
TEST_F(Frames, FieldPageNumberOptionsAndAPageThatStartsShown) {
  int number = 1, shows = 0;
  std::vector<int> rows;
  FieldPage page{GridCursor({10}, {5, 6, 7}),
                 nullptr,
                 [&](const GridCursor&) { return ++shows, false; },
                 {handled_key(key::enter, [&](GridCursor& g) { rows.push_back(g.row); })},
                 {&number, [] { return 3; }, false, true},
                 true};
  keys({key::extended, key::down, key::extended, key::end, key::enter, key::extended, key::pgdn, key::enter,
        key::esc});
  run_field_page(page);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(shows, 1);  // none at the start, one for PgDn; End does nothing
  EXPECT_EQ(rows, (std::vector<int>{2, 1}));
}

// Esc runs its entry, or the entry for every key, before the page ends;
// an entry for every key takes what the entries before it left.
TEST_F(Frames, FieldPageGivesEscAndEveryKeyTheirEntries) {
  std::vector<int> seen;
  int esc_runs = 0;
  FieldPage page{GridCursor({10}, {5, 6}), nullptr, [](const GridCursor&) { return false; },
                 {{key::enter, [&](GridCursor&) { return seen.push_back(key::enter), KeyResult::handled; }},
                  {any_page_key, [&](GridCursor& g) { return seen.push_back(g.row), KeyResult::handled; }}},
                 {}};
  keys({key::enter, key::extended, key::down, key::extended, key::f3, key::esc});
  run_field_page(page);
  EXPECT_EQ(seen, (std::vector<int>{key::enter, 2, 2}));  // Enter; F3 and Esc on row 2
  page.keys = {{key::esc, [&](GridCursor&) { return ++esc_runs, KeyResult::handled; }}};
  keys({key::esc});
  run_field_page(page);
  EXPECT_EQ(esc_runs, 1);
  EXPECT_EQ(services.keys.left(), 0u);
}

// Without the restart, a number past the maximum stays just past it and
// only Enter starts the field again.
TEST_F(Frames, TypedNumberCanStayPastItsMaximumUntilEnter) {
  keys({'3', '0', '0', key::enter, '1', '2', key::enter});
  const TypedNumber typed = read_typed_number({{10, 5}, 4, COLOR_BOX, 11, 26, false, false});
  EXPECT_EQ(typed.value, 12);
  keys({'3', '0', '0', key::esc});
  EXPECT_EQ(read_typed_number({{10, 5}, 4, COLOR_BOX, 11, 26, false, false}).value, 27);
  EXPECT_EQ(test::text_at(10, 5, 4), "300 ");
}

TEST_F(Frames, RuledLinesJoinWhereTheyMeetAndStayOnTheScreen) {
  // A double box with a double and a single divider; a single line starts on
  // the box's lower edge, and one runs off the screen.
  draw_ruled_lines({across_line(1, 1, 7, true), across_line(3, 1, 7, false), across_line(5, 1, 7, true),
                    down_line(1, 1, 5, true), down_line(4, 1, 5, true), down_line(7, 1, 5, true),
                    down_line(2, 5, 6, false), across_line(25, 78, 85, false)});
  EXPECT_EQ(test::utf8_at(1, 1, 7), "╔══╦══╗");
  EXPECT_EQ(test::utf8_at(1, 2, 7), "║  ║  ║");
  EXPECT_EQ(test::utf8_at(1, 3, 7), "╟──╫──╢");
  EXPECT_EQ(test::utf8_at(1, 5, 7), "╚╤═╩══╝");
  EXPECT_EQ(test::utf8_at(1, 6, 2), " │");
  EXPECT_EQ(test::utf8_at(78, 25, 3), "───");
}

}  // namespace
