// The city line editor run with scripted keys against the in-process
// station (4 lines, the first at port block 33) and on a loaded settings
// image.
#include <gtest/gtest.h>

#include <string>

#include "karvel/city_lines.h"
#include "karvel/screens.h"
#include "tests/karvel_image_fixture.h"
#include "tests/station_fixtures.h"

namespace {

using test::members;
using test::text_at;
using test::utf8_at;

constexpr int first_line_port = 33;
int block_of(int line) { return 0x8000 + 256 * (line + first_line_port - 1); }

struct KarvelCityLines : test::KarvelStationTest {
  void SetUp() override {
    KarvelStationTest::SetUp();
    line_editor.current = 2;
    for (int topic : {101, 129, 150, 164, 170, 181}) add_help_topic(topic);
  }
  // Arrow moves from row 1 of a one-column page down to `row`.
  void down_to(int row) {
    for (int r = 1; r < row; ++r) keys({0, key::down});
  }
};

// The prompt: digits above the line count blank the field, 0 brings the
// prompt back, Esc with a number still opens that line's page menu with no
// item highlighted; Esc there ends the editor unless the user moved.
TEST_F(KarvelCityLines, ThePromptRefusesLinesAboveTheCountAndEscKeepsTheNumberTyped) {
  test::ScreenAtKeys spy(&services.keys, [] { return utf8_at(50, 2, 4); });
  keys({'5', '0', key::enter});  // 5 blanks; 0 brings the prompt back
  keys({'3', key::esc});         // the menu of line 3, nothing chosen
  keys({key::enter});            // Enter with no item runs nothing
  keys({key::esc});              // no item was chosen: the editor ends
  city_line_editor();
  EXPECT_EQ(spy.seen.at(1), "    ");  // after 5
  EXPECT_EQ(spy.seen.at(2), "0   ");
  EXPECT_EQ(spy.seen.at(4), "3   ");
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(utf8_at(20, 2, 26), "Городская линия:         3");
  EXPECT_TRUE(test::span_has_colour(31, 11, 29, COLOR_BOX));
  EXPECT_TRUE(test::span_has_colour(31, 16, 29, COLOR_BOX));
  EXPECT_EQ(utf8_at(31, 14, 29), "4.Коды конроля и набора      ");
  EXPECT_EQ(on_line.blocks_written, 0);

  // Moving the selection after Esc brings the prompt back after the menu.
  test::ScreenAtKeys prompts(&services.keys, [] { return utf8_at(20, 2, 20); });
  keys({'1', key::esc, 0, key::up, key::esc});  // Up from none: the last item
  keys({key::esc});
  city_line_editor();
  EXPECT_EQ(line_editor.page_item, 0);
  EXPECT_EQ(prompts.seen.back(), "Введите номер линии:");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(KarvelCityLines, TheMainPageStoresTheMessageDelayLowByteFirstUpTo2000) {
  test::ScreenAtKeys spy(&services.keys, [] { return text_at(60, 18, 5); });
  keys({0, key::down, 0, key::down, key::enter, key::space, key::enter});  // tone -> pulse
  down_to(13);
  keys({key::enter, '2', '0', '0', '1', '2', '0', '0', '0', key::enter});
  keys({0, key::down, key::enter, key::esc});  // the dotted row
  edit_line_main();
  EXPECT_EQ(station.peek(block_of(2) + 2), 0);
  EXPECT_EQ(station.peek(block_of(2) + 14), 0xD0);
  EXPECT_EQ(station.peek(block_of(2) + 15), 0x07);
  // The field blanked when 2001 was typed, before the next digit.
  EXPECT_TRUE(spy.saw("     "));
  EXPECT_EQ(utf8_at(5, 2, 35), "Основные установки городской линии:");
  EXPECT_EQ(text_at(62, 2, 2), " 2");
  EXPECT_EQ(utf8_at(5, 7, 64), "d/Длительность паузы после дополнительного набора .....   3 Сек.");
  EXPECT_EQ(utf8_at(60, 6, 12), " Импульсный ");
  EXPECT_EQ(utf8_at(60, 9, 8), " Музыка ");
  EXPECT_EQ(utf8_at(66, 18, 5), "* 5Мс");
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(KarvelCityLines, TimeRowsKeepTheirLimits) {
  down_to(12);
  keys({key::enter, '1', '9', key::enter, '2', '0', key::enter});  // row 12: 19 refused
  keys({0, key::down, key::enter, '1', '5', key::enter, '1', '6', key::enter});  // row 13: 15 refused
  keys({0, key::f10, key::esc});
  keys_after_box({key::esc});
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  edit_line_times();
  EXPECT_EQ(station.peek(block_of(2) + 0x1B), 20);
  EXPECT_EQ(station.peek(block_of(2) + 0x1C), 16);
  EXPECT_TRUE(spy.saw("#129 "));
  EXPECT_EQ(utf8_at(65, 4, 6), "* 5Мс.");
  EXPECT_EQ(utf8_at(65, 11, 4), "Сек.");
  EXPECT_EQ(services.keys.left(), 0u);
}

// Rows that only show, or show nothing, take no Enter: nothing is read for
// an access code and nothing is written. The codes page's rows after its
// two codes have no help topic either.
TEST_F(KarvelCityLines, RowsWithoutAnEditorIgnoreEnterAndTheEmptyCodeRowsF10) {
  for (int row = 1; row <= 16; ++row) {
    if (row <= 5 || row >= 14) keys({key::enter});
    keys({0, key::down});
  }
  keys({key::esc});
  edit_line_times2();
  keys({0, key::down});
  for (int row = 3; row <= 16; ++row) keys({0, key::down, key::enter});
  keys({0, key::f10});  // row p: nothing
  for (int row = 16; row > 2; --row) keys({0, key::up});
  keys({0, key::f10, key::esc});
  keys_after_box({key::esc});
  reset_line_editor();
  line_editor.current = 2;
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  edit_line_codes();
  EXPECT_TRUE(spy.saw("#150 "));
  EXPECT_FALSE(spy.saw("#164 "));
  EXPECT_EQ(on_line.blocks_written, 0);
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(utf8_at(20, 2, 39), "Коды контроля и набора городской линии:");
  EXPECT_EQ(text_at(60, 5, 4), "8   ");  // the station's long-distance code
}

TEST_F(KarvelCityLines, CodesAreDialledDigits) {
  keys({key::enter, '0', '9', key::enter});
  keys({0, key::down, key::enter, 0, key::del, '8', '1', '0', key::enter, key::esc});
  edit_line_codes();
  EXPECT_EQ(peek(block_of(2) + 0x30, 4), (std::vector<int>{10, 9, 0, 0}));
  EXPECT_EQ(peek(block_of(2) + 0x34, 4), (std::vector<int>{8, 1, 10, 0}));
}

TEST_F(KarvelCityLines, LinesSwitchWithinOneAndTheCount) {
  station.poke(static_cast<std::uint16_t>(block_of(3) + 1), 33);
  station.poke(static_cast<std::uint16_t>(block_of(4) + 1), 44);
  line_editor.current = 4;
  test::ScreenAtKeys spy(&services.keys, [] { return text_at(62, 2, 2) + text_at(60, 5, 4); });
  keys({0, key::down, 0, key::pgdn, 0, key::end, 0, key::pgup, 0, key::home, 0, key::home, 0, key::pgup, key::esc});
  edit_line_main();
  // The screen as each key's scan code is read, and at the last Esc: after
  // the down arrow, PgDn and End on line 4, PgUp, Home, and Home and PgUp
  // on line 1.
  std::vector<std::string> after;
  for (std::size_t i = 3; i < spy.seen.size(); i += 2) after.push_back(spy.seen[i]);
  after.push_back(spy.seen.back());
  EXPECT_EQ(after, (std::vector<std::string>{" 4  44", " 4  44", " 4  44", " 3  33", " 1   5", " 1   5", " 1   5"}));
}

TEST_F(KarvelCityLines, OperatingModesAreOneBytePerStationMode) {
  station.poke(0x8024, 1);
  keys({key::enter, '1', '7', '1', '6', key::enter});         // mode 0: 17 refused
  keys({0, key::right, 0, key::down, key::enter, key::space, key::enter});  // mode 1 DISA
  keys({0, key::right, 0, key::down, key::enter, '5', '4', key::enter});    // mode 2 exit group
  keys({0, key::down, key::enter, key::esc});  // row 5 carries no field
  edit_line_modes();
  EXPECT_EQ(station.peek(block_of(2) + 0x40), 16);
  EXPECT_EQ(station.peek(block_of(2) + 0x45), 1);
  EXPECT_EQ(station.peek(block_of(2) + 0x4A), 4);
  EXPECT_EQ(utf8_at(20, 3, 43), "  Режимы функционирования городской линии  ");
  EXPECT_EQ(text_at(62, 3, 2), " 2");
  EXPECT_EQ(utf8_at(3, 11, 25), "d/Выход из города в город");
  EXPECT_TRUE(test::span_has_colour(46, 7, 8, COLOR_BOX));
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(KarvelCityLines, GeneralCallGroupsArePackedWith255) {
  poke(block_of(2) + 0x90, {3, 3, 7});
  keys({0, key::down, 0, key::right, key::enter, '5', key::enter});  // group 2, place 2 := 5
  keys({0, key::f10, key::esc});
  keys_after_box({0, key::f9, key::esc});  // F9 has no effect on a line
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  edit_line_call_groups();
  EXPECT_EQ(peek(block_of(2) + 0x90, 16), members({3, 5, 7}, 255));
  EXPECT_TRUE(spy.saw("#164 "));
  EXPECT_EQ(utf8_at(20, 2, 34), "   Группы общего вызова для линии:");
  EXPECT_EQ(utf8_at(71, 2, 8), "F9 -Порт");
  EXPECT_EQ(line_editor.current, 2);
}

// A first line port that would put a line's block past the end of the
// window leaves that line out: it is refused like a line above the count.
TEST_F(KarvelCityLines, ALineWhoseBlockWouldWrapIsRefused) {
  link_state.first_line_port = 126;
  EXPECT_EQ(usable_city_lines(), 2);
  EXPECT_EQ(line_block(2), 0xFF00);
  line_editor.current = 1;
  keys({0, key::end, key::esc});
  edit_line_main();
  EXPECT_EQ(line_editor.current, 2);

  test::ScreenAtKeys spy(&services.keys, [] { return text_at(50, 2, 4); });
  keys({'3', key::esc});
  city_line_editor();
  EXPECT_EQ(spy.seen.back(), "    ");
  EXPECT_EQ(line_editor.current, 0);

  link_state.first_line_port = 200;
  EXPECT_EQ(usable_city_lines(), 0);
  link_state.first_line_port = -1;
  EXPECT_EQ(usable_city_lines(), 0);
}

struct KarvelCityLinesOnFile : test::KarvelImageTest {};

TEST_F(KarvelCityLinesOnFile, TheSamePagesEditALoadedImage) {
  link_state.first_line_port = first_line_port;
  test::image(block_of(1) + 0x10) = 40;
  line_editor.current = 1;
  keys({key::enter, '7', '5', key::enter, key::esc});
  edit_line_times();
  EXPECT_EQ(test::image(block_of(1) + 0x10), 75);
  EXPECT_EQ(test::text_at(60, 4, 4), "  75");
}

}  // namespace
