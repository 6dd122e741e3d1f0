#include <gtest/gtest.h>

#include "settings/program_profile.h"
#include "tests/test_support.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

struct HintLines : ::testing::Test {
  platform::TestServices services;
  void SetUp() override {
    use_program(karvel_program);
    set_colour(COLOR_SCREEN);
    clear_screen();
  }
  // Fills a row with a marker so a hint's reach shows.
  void mark_row(int row) { print_at(1, row, std::string(80, '#'), 0x07); }
  int covered_until(int row) {
    int last = 0;
    for (int c = 1; c <= 80; ++c)
      if (test::screen().cell(c, row).ch != '#') last = c;
    return last;
  }
};

TEST_F(HintLines, KarvelKeyNamesAreColouredAndDescriptionsFollowInScreenColour) {
  hint_edit_page();
  EXPECT_EQ(test::utf8_at(1, 1, 9), "Esc-Выход");
  EXPECT_TRUE(test::span_has_colour(1, 1, 3, 0x47));
  EXPECT_TRUE(test::span_has_colour(4, 1, 6, 0x1E));
  EXPECT_EQ(test::utf8_at(1, 25, 19), "Enter-Изменение    ");
  EXPECT_TRUE(test::span_has_colour(1, 25, 5, 0x70));
  EXPECT_EQ(test::utf8_at(20, 25, 20), "Стрелки-Переход     ");
  EXPECT_EQ(test::screen().cursor_x(), 80);  // 40 blanks after the last piece
  EXPECT_EQ(current_colour(), 0x1E);

  hint_help_key();
  EXPECT_EQ(test::utf8_at(71, 1, 10), "F10-Помощь");
  EXPECT_TRUE(test::span_has_colour(71, 1, 3, 0x2E));
  hint_move_edit();
  EXPECT_TRUE(test::span_has_colour(44, 25, 3, 0x47));  // "ESC" in capitals too
}

TEST_F(HintLines, ReplacementHintsLeaveNoTraceOfThePreviousOne) {
  mark_row(25);
  hint_space_enter();
  EXPECT_EQ(covered_until(25), 79);
  EXPECT_EQ(test::utf8_at(29, 25, 22), "Enter-Запись изменений");
  std::string first = test::text_at(1, 25, 79);
  hint_digits_enter();
  EXPECT_EQ(test::utf8_at(1, 25, 28), "Цифры-Ввод нового значения  ");
  EXPECT_NE(test::text_at(1, 25, 79), first);
  EXPECT_EQ(test::text_at(51, 25, 29), std::string(29, ' '));

  mark_row(1);
  mark_row(2);
  hint_help_key();
  hint_port_key();
  EXPECT_EQ(covered_until(1), 80);
  EXPECT_EQ(test::text_at(1, 1, 70), std::string(70, '#'));
  EXPECT_EQ(covered_until(2), 79);
  EXPECT_EQ(test::text_at(71, 2, 9), "F9 -\x8F\xAE\xE0\xE2 ");

  mark_row(1);
  hint_table_keys();
  EXPECT_EQ(test::text_at(35, 1, 44), std::string(44, ' '));
  EXPECT_EQ(test::text_at(79, 1, 2), "##");
}

TEST_F(HintLines, TomrikLinesFlowFromColumnOneKeysOnGreen) {
  use_program(tomrik_program);
  hint_fields();
  EXPECT_EQ(test::utf8_at(1, 25, 7), "Стрелки");
  EXPECT_TRUE(test::span_has_colour(1, 25, 7, 0x20));
  EXPECT_EQ(test::utf8_at(8, 25, 25), " - Перемещение по полям  ");
  EXPECT_TRUE(test::span_has_colour(8, 25, 25, 0x70));
  EXPECT_EQ(test::utf8_at(33, 25, 5), "ENTER");
  EXPECT_TRUE(test::span_has_colour(33, 25, 5, 0x20));
  // After any hint the next plain print is in the screen colour.
  print_at_plain(1, 10, "x");
  EXPECT_EQ(test::colour_at(1, 10), 0x1E);

  hint_confirm_clear();
  EXPECT_EQ(test::utf8_at(1, 25, 40), "Если вы уверены в необходимости очистки,");
  EXPECT_TRUE(test::span_has_colour(1, 25, 60, 0x70));
  EXPECT_EQ(test::text_at(61, 25, 5), "ENTER");
  EXPECT_TRUE(test::span_has_colour(61, 25, 5, 0x20));
  EXPECT_TRUE(test::span_has_colour(66, 25, 12, 0x70));

  hint_storage_fields();
  EXPECT_EQ(test::utf8_at(29, 25, 8), " ПРОБЕЛ ");
  EXPECT_TRUE(test::span_has_colour(29, 25, 8, 0x20));
  EXPECT_TRUE(test::span_has_colour(37, 25, 12, 0x70));
  EXPECT_EQ(test::utf8_at(70, 25, 9), " Выход   ");
}

TEST_F(HintLines, TheRecordViewerBrowseLineCoversItsFilterLine) {
  use_program(tomrik_program);
  hint_record_filter();
  EXPECT_EQ(test::utf8_at(1, 25, 40), " ПРОБЕЛ  - Выбор      ENTER  - Ввод     ");
  EXPECT_TRUE(test::span_has_colour(1, 25, 8, 0x20));
  EXPECT_TRUE(test::span_has_colour(9, 25, 13, 0x70));
  EXPECT_TRUE(test::span_has_colour(22, 25, 7, 0x20));
  hint_record_browse();
  EXPECT_EQ(test::utf8_at(1, 25, 54), " СТРЕЛКИ  - Просмотр    ESC  - Выход    F9  - Печать  ");
  EXPECT_TRUE(test::span_has_colour(24, 25, 5, 0x20));
  EXPECT_TRUE(test::span_has_colour(29, 25, 11, 0x70));
  EXPECT_EQ(test::screen().cursor_x(), 55);
  EXPECT_EQ(current_colour(), 0x1E);
}

TEST_F(HintLines, SharedFramesPlaceTheirJoints) {
  draw_group_strips();
  EXPECT_EQ(test::utf8_at(7, 6, 1), "╔");
  EXPECT_EQ(test::utf8_at(72, 7, 1), "║");
  EXPECT_EQ(test::utf8_at(7, 23, 66), "╚" + [] {
    std::string s;
    for (int i = 0; i < 64; ++i) s += "═";
    return s;
  }() + "╝");
  EXPECT_EQ(test::text_at(7, 9, 1), " ");

  clear_screen();
  draw_variant_table();
  EXPECT_EQ(test::utf8_at(1, 5, 1), "╔");
  EXPECT_EQ(test::utf8_at(32, 5, 1), "╦");
  EXPECT_EQ(test::utf8_at(44, 8, 1), "╪");
  EXPECT_EQ(test::utf8_at(80, 8, 1), "╣");
  EXPECT_EQ(test::utf8_at(56, 23, 1), "╧");
  EXPECT_EQ(test::utf8_at(32, 23, 1), "╩");
  EXPECT_EQ(test::utf8_at(68, 15, 1), "│");
  EXPECT_EQ(test::utf8_at(80, 22, 1), "║");
  EXPECT_EQ(test::utf8_at(3, 6, 15), "Исходящяя связь");
  EXPECT_EQ(test::utf8_at(3, 7, 26), "a/Вариант функционирования");
}

}  // namespace
