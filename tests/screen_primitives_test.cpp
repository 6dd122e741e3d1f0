#include <gtest/gtest.h>

#include "settings/program_profile.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace {

struct ScreenPrimitives : ::testing::Test {
  platform::TestServices services;
  void SetUp() override {
    use_program(karvel_program);
    set_colour(COLOR_SCREEN);
    clear_screen();
  }
};

TEST(Cp866, LiteralsAndRunTimeConversionAgree) {
  EXPECT_EQ(std::string("Файл"_cp), "\x94\xA0\xA9\xAB");
  EXPECT_EQ(std::string("ёЁ№"_cp), "\xF1\xF0\xFC");
  EXPECT_EQ(std::string("┌─┐║═"_cp), "\xDA\xC4\xBF\xBA\xCD");
  EXPECT_EQ(cp866::from_utf8("Привет, мир"), std::string("Привет, мир"_cp));
  EXPECT_EQ(cp866::to_utf8("Выход"_cp), "Выход");
  EXPECT_EQ(cp866::from_utf8("€"), "?");       // not in the code page
  EXPECT_EQ(cp866::from_utf8("\xD0"), "?");    // cut-off sequence
  EXPECT_EQ(cp866::glyph_utf8(16), "►");
}

TEST_F(ScreenPrimitives, BoxCoversItsOuterSizeAndEraseBlanksExactlyThat) {
  draw_box(20, 10, 40, 10);
  EXPECT_EQ(test::utf8_at(20, 10, 42), "┌" + std::string() + [] {
    std::string s;
    for (int i = 0; i < 40; ++i) s += "─";
    return s;
  }() + "┐");
  EXPECT_EQ(test::utf8_at(20, 21, 1), "└");
  EXPECT_EQ(test::utf8_at(61, 21, 1), "┘");
  EXPECT_EQ(test::utf8_at(61, 15, 1), "│");
  EXPECT_TRUE(test::span_has_colour(20, 15, 42, 0x70));
  EXPECT_EQ(test::colour_at(19, 15), 0x1E);
  EXPECT_EQ(test::colour_at(62, 15), 0x1E);
  EXPECT_EQ(test::colour_at(30, 22), 0x1E);
  EXPECT_EQ(current_colour(), 0x1E);

  erase_box(20, 10, 40, 10);
  for (int row = 10; row <= 21; ++row) EXPECT_TRUE(test::span_has_colour(20, row, 42, 0x1E)) << row;
  EXPECT_EQ(test::text_at(20, 10, 42), std::string(42, ' '));
  EXPECT_EQ(test::screen().cursor_x(), 1);
  EXPECT_EQ(test::screen().cursor_y(), 1);
}

TEST_F(ScreenPrimitives, FramesDrawLinesAndKarvelRectanglesOnly) {
  draw_frame(5, 5, 5, 5, boxch::d_horizontal);
  EXPECT_EQ(test::text_at(5, 5, 1), " ");

  draw_frame(2, 3, 79, 3, boxch::d_horizontal);
  EXPECT_EQ(test::text_at(1, 3, 80), " " + std::string(78, '\xCD') + " ");

  draw_frame(10, 6, 10, 9, boxch::vertical);
  for (int row = 6; row <= 9; ++row) EXPECT_EQ(test::utf8_at(10, row, 1), "│");
  EXPECT_EQ(test::text_at(10, 10, 1), " ");

  draw_frame(30, 12, 40, 15, boxch::d_vertical);
  EXPECT_EQ(test::utf8_at(30, 12, 11), "╔═════════╗");
  EXPECT_EQ(test::utf8_at(30, 13, 11), "║         ║");
  EXPECT_EQ(test::utf8_at(30, 15, 11), "╚═════════╝");
  // A box one row and one column inside still has all four edges.
  draw_frame(70, 20, 72, 22, boxch::horizontal);
  EXPECT_EQ(test::utf8_at(70, 20, 3), "┌─┐");
  EXPECT_EQ(test::utf8_at(70, 21, 3), "│ │");
  EXPECT_EQ(test::utf8_at(70, 22, 3), "└─┘");

  use_program(tomrik_program);
  draw_frame(50, 12, 60, 15, boxch::horizontal);
  EXPECT_EQ(test::text_at(50, 12, 11), std::string(11, ' '));
}

TEST_F(ScreenPrimitives, PrintAtRestoresScreenColourAndWindowsAreRelative) {
  print_at(3, 4, "abc", 0x47);
  EXPECT_TRUE(test::span_has_colour(3, 4, 3, 0x47));
  EXPECT_EQ(current_colour(), 0x1E);
  print_at_plain(6, 4, "d");
  EXPECT_EQ(test::colour_at(6, 4), 0x1E);

  set_window(5, 3, 75, 23);
  print_at(2, 2, "X", 0x70);
  EXPECT_EQ(test::text_at(6, 4, 1), "X");
  set_colour(0x20);
  clear_screen();
  EXPECT_EQ(test::colour_at(5, 3), 0x20);
  EXPECT_EQ(test::colour_at(75, 23), 0x20);
  EXPECT_EQ(test::colour_at(4, 3), 0x1E);
  EXPECT_EQ(test::colour_at(76, 23), 0x1E);
  set_window(1, 1, 80, 25);
}

TEST_F(ScreenPrimitives, WritingTheLastCellDoesNotScrollButTheNextGlyphWraps) {
  print_at(1, 1, "top", 0x1E);
  print_at(71, 25, "0123456789", 0x1E);
  EXPECT_EQ(test::text_at(1, 1, 3), "top");
  EXPECT_EQ(test::text_at(71, 25, 10), "0123456789");
  put_text("!");
  EXPECT_EQ(test::text_at(1, 25, 1), "!");
  EXPECT_EQ(test::text_at(71, 24, 10), "0123456789");
}

TEST_F(ScreenPrimitives, SaveAndRestoreCoverColumnsOneTo76) {
  print_at(1, 1, "keep", 0x70);
  print_at(77, 25, "edge", 0x70);
  save_screen();
  set_colour(0x47);
  clear_screen();
  restore_screen();
  EXPECT_EQ(test::text_at(1, 1, 4), "keep");
  EXPECT_EQ(test::colour_at(1, 1), 0x70);
  // Columns 77..80 are outside the save buffer and keep what came since.
  EXPECT_EQ(test::text_at(77, 25, 4), "    ");
  EXPECT_EQ(test::colour_at(77, 25), 0x47);
}

TEST_F(ScreenPrimitives, ReadNumberEchoesDigitsAndEndsOnEnter) {
  services.keys.add({'1', '2', 'x', 0, 72, '3', key::backspace, '4', key::enter});
  goto_xy(10, 5);
  EXPECT_EQ(read_number(), 124);
  EXPECT_EQ(test::text_at(10, 5, 4), "124 ");
}

TEST_F(ScreenPrimitives, WaitUsesTheClockAndKeepsKeysQueued) {
  services.keys.add({'a'});
  wait_ms(1400);
  EXPECT_EQ(services.clock.slept(), 1400u);
  EXPECT_TRUE(key_waiting());
  EXPECT_EQ(read_key(), 'a');
  EXPECT_FALSE(key_waiting());
}

struct GridNavigation : ScreenPrimitives {
  // 3 columns at screen columns 10, 20, 30; 2 rows at screen rows 5, 7.
  GridCursor grid{{10, 20, 30}, {5, 7}};
};

TEST_F(GridNavigation, ArrowsWrapAndOtherScanCodesEndNavigation) {
  services.keys.add({0, key::left, 0, key::f10});
  EXPECT_EQ(grid_navigate(grid), key::f10);
  EXPECT_EQ(grid.column, 3);

  services.keys.add({0, key::down, 0, key::down, 0, key::right, 0, key::pgdn});
  EXPECT_EQ(grid_navigate(grid), key::pgdn);
  EXPECT_EQ(grid.column, 1);
  EXPECT_EQ(grid.row, 1);
  EXPECT_EQ(test::screen().cursor_x(), 10);
  EXPECT_EQ(test::screen().cursor_y(), 5);

  services.keys.add({0, key::up, key::enter});
  EXPECT_EQ(grid_navigate(grid), key::enter);
  EXPECT_EQ(grid.row, 2);
}

TEST_F(GridNavigation, AnyCellHasItsScreenPlaceAndNumbersOffTheGridStayOnItsEdge) {
  EXPECT_EQ(grid.cell(3, 2).column, 30);
  EXPECT_EQ(grid.cell(3, 2).row, 7);
  EXPECT_EQ(grid.cell(2, 1).column, 20);
  EXPECT_EQ(grid.cell(0, 9).column, 10);
  EXPECT_EQ(grid.cell(0, 9).row, 7);
  EXPECT_EQ(grid.cell(4, -1).column, 30);
  EXPECT_EQ(grid.cell(4, -1).row, 5);
  // grid_goto puts the cursor on the current cell.
  grid.column = 2;
  grid_goto(grid);
  EXPECT_EQ(test::screen().cursor_x(), 20);
  EXPECT_EQ(test::screen().cursor_y(), 5);
  EXPECT_EQ(spaced(15, 3, 14), (std::vector<int>{15, 29, 43}));
}

TEST_F(GridNavigation, PlainLettersAreNotArrowsAndTabDependsOnTheProgram) {
  services.keys.add({'P', 'H', 0, key::down, key::tab});
  EXPECT_EQ(grid_navigate(grid), key::tab);
  EXPECT_EQ(grid.row, 2);

  use_program(tomrik_program);
  services.keys.add({key::tab, 0, key::right, key::esc});
  EXPECT_EQ(grid_navigate(grid), key::esc);
  EXPECT_EQ(grid.column, 2);
  services.keys.add({0, key::f10});
  EXPECT_EQ(grid_navigate(grid), key::f10);
}

}  // namespace
