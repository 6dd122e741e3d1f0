// The field editors run in file mode here, on the settings image, so every
// byte they write can be checked without a station.
#include <gtest/gtest.h>

#include <cstring>

#include "editors/field_editors.h"
#include "link/link.h"
#include "settings/program_profile.h"
#include "settings/settings_image.h"
#include "tests/karvel_image_fixture.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace {

using test::image;

struct FieldEditors : test::KarvelImageTest {
  const ScreenPos cell{60, 10};  // the field under test
  std::string field(int width) { return test::text_at(60, 10, width); }
};

TEST_F(FieldEditors, YesNoCyclesFromAnyStoredValueAndWritesOnEnter) {
  image(0x8100) = 2;
  EXPECT_EQ(show_yes_no(cell, 0x8100, COLOR_SCREEN), 0);
  EXPECT_EQ(test::utf8_at(60, 10, 4), "  Да");
  keys({key::space});
  EXPECT_TRUE(test::runs_until_script_ends([&] { edit_yes_no(cell, 0x8100); }));
  EXPECT_EQ(test::utf8_at(60, 10, 4), "  Да");
  EXPECT_TRUE(test::span_has_colour(60, 10, 4, 0x70));
  EXPECT_EQ(image(0x8100), 2);  // nothing written before Enter

  keys({key::space, key::space, key::enter});
  EXPECT_EQ(edit_yes_no(cell, 0x8100), 0);
  EXPECT_EQ(image(0x8100), 0);
  EXPECT_EQ(test::utf8_at(60, 10, 4), " Нет");
  EXPECT_TRUE(test::span_has_colour(60, 10, 4, 0x1E));
  // The editor shows its hint line.
  EXPECT_EQ(test::utf8_at(1, 25, 6), "Пробел");
}

TEST_F(FieldEditors, EscLeavesTheStoredValueAndTheLinkSpeedAlone) {
  image(0x8029) = 1;
  link_state.speed_index = 1;
  keys({key::space, key::space, key::esc});
  EXPECT_EQ(edit_baud(cell, 0x8029), 0);
  EXPECT_EQ(image(0x8029), 1);
  EXPECT_EQ(field(5), "19200");
  EXPECT_EQ(link_state.speed_index, 1);

  keys({key::space, key::space, key::space, key::enter});
  EXPECT_EQ(edit_baud(cell, 0x8029), 0);
  EXPECT_EQ(image(0x8029), 0);
  EXPECT_EQ(field(5), " 9600");
  EXPECT_EQ(link_state.speed_index, 1);  // in file mode there is no port to follow
}

TEST_F(FieldEditors, TypedNumbersBlankOutOfRangeInputAndWriteOnlyValidValues) {
  image(0x8020) = 9;
  keys({'7', '5'});
  EXPECT_TRUE(test::runs_until_script_ends([&] { edit_number(cell, 0x8020, 1, 60); }));
  EXPECT_EQ(field(4), "    ");  // 75 > 60 blanks at the second digit
  keys({'0', key::enter});
  EXPECT_TRUE(test::runs_until_script_ends([&] { edit_number(cell, 0x8020, 1, 60); }));
  EXPECT_EQ(field(4), "    ");
  EXPECT_EQ(image(0x8020), 9);
  keys({'4', '5', key::enter});
  EXPECT_EQ(edit_number(cell, 0x8020, 1, 60), 0);
  EXPECT_EQ(image(0x8020), 45);
  EXPECT_EQ(field(4), "  45");

  keys({'1', '0', '0', '0', key::enter});
  EXPECT_EQ(edit_number16(cell, 0x8032, 0, 9999), 0);
  EXPECT_EQ(image(0x8032), 0xE8);
  EXPECT_EQ(image(0x8033), 0x03);
  EXPECT_EQ(field(5), " 1000");

  // A digit after the field's four is taken under the maximum rule, and the
  // echo stays in the field.
  print_at(60, 10, "     ", COLOR_SCREEN);
  keys({'0', '0', '0', '0', '5'});
  EXPECT_TRUE(test::runs_until_script_ends([&] { edit_number(cell, 0x8020, 0, 9); }));
  EXPECT_EQ(field(5), "0005 ");
  keys({'0', '0', '0', '0', '5', key::enter});
  EXPECT_EQ(edit_number(cell, 0x8020, 0, 9), 0);
  EXPECT_EQ(image(0x8020), 5);
}

TEST_F(FieldEditors, SubscriberAndPortReferencesUseTheirBasesAndThePortCount) {
  keys({'1', '0', '0', key::enter, '1', '2', '5', '1', '2', '4', key::enter});
  EXPECT_EQ(edit_subscriber_ref(cell, 0x8040, 1), 0);
  EXPECT_EQ(image(0x8040), 24);
  EXPECT_EQ(field(3), "124");
  keys({'1', '0', '1', key::enter});
  EXPECT_EQ(edit_subscriber_ref(cell, 0x8040, 1), 0);
  EXPECT_EQ(image(0x8040), 1);

  image(0x8041) = 7;
  EXPECT_EQ(show_subscriber_ref(cell, 0x8041, COLOR_SCREEN, 3), 0);
  EXPECT_EQ(field(3), "207");
  image(0x8041) = 30;  // above the port count
  show_subscriber_ref(cell, 0x8041, COLOR_SCREEN, 2);
  EXPECT_EQ(field(3), "   ");

  keys({'2', '5', '0', key::enter});  // 25 blanks at once, then 0 is accepted
  EXPECT_EQ(edit_port_ref(cell, 0xB580), 0);
  EXPECT_EQ(image(0xB580), 0);
  EXPECT_EQ(field(2), "  ");
  // A reference's third digit starts again: "0 0 5" leaves nothing typed.
  image(0xB580) = 9;
  keys({'0', '0', '5', key::enter});
  EXPECT_EQ(edit_port_ref(cell, 0xB580), 0);
  EXPECT_EQ(image(0xB580), 0);
}

TEST_F(FieldEditors, DigitStringsOverwriteDeleteAndMapTheirCharacters) {
  const std::uint8_t digits[4] = {1, 2, 3, 10};
  std::memcpy(&image(0x802C), digits, 4);
  EXPECT_EQ(show_digits(cell, 0x802C, COLOR_SCREEN, 4, dial_digit_map), 0);
  EXPECT_EQ(field(4), "1230");
  keys({0, key::del, 'A', '*', key::enter});
  EXPECT_EQ(edit_digits(cell, 0x802C, 4, dial_digit_map), 0);
  EXPECT_EQ(image(0x802C), 11);
  EXPECT_EQ(image(0x802D), 3);
  EXPECT_EQ(image(0x802E), 10);
  EXPECT_EQ(image(0x802F), 0);
  EXPECT_EQ(field(4), "*30 ");

  // The phone map shows typed letters in capitals and refuses others.
  keys({'f', 'p', 'x', 't', '#', key::enter});
  EXPECT_EQ(edit_digits(cell, 0x8100, 4, phone_digit_map), 0);
  EXPECT_EQ(image(0x8100), 70);
  EXPECT_EQ(image(0x8101), 80);
  EXPECT_EQ(image(0x8102), 84);
  EXPECT_EQ(image(0x8103), 12);
  EXPECT_EQ(show_digits(cell, 0x8100, COLOR_SCREEN, 4, phone_digit_map), 0);
  EXPECT_EQ(field(4), "FPT#");

  // Right never passes the first empty place.
  std::memset(&image(0x8200), 0, 4);
  keys({0, key::right, 0, key::right, '5', key::enter});
  EXPECT_EQ(edit_digits(cell, 0x8200, 4, dial_digit_map), 0);
  EXPECT_EQ(image(0x8200), 5);
}

TEST_F(FieldEditors, TextInsertsIntoAFullFieldDroppingItsLastCharacter) {
  std::memcpy(&image(0x8080), "DAYMODE1", 8);
  keys({0, key::right, 0, key::right, 'X', key::enter});
  EXPECT_EQ(edit_text(cell, 0x8080, 8), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&image(0x8080)), 8), "DAXYMODE");
  EXPECT_EQ(field(8), "DAXYMODE");
  EXPECT_EQ(test::text_at(1, 24, 7), "ch=   D");  // the key trace of the last key

  keys({key::backspace, 0, key::del, 0, key::right, key::backspace, key::enter});
  EXPECT_EQ(edit_text(cell, 0x8080, 8), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&image(0x8080)), 8), std::string("XYMODE\0\0", 8));
  EXPECT_EQ(field(8), "XYMODE  ");

  keys({"Д"_cp[0] & 0xFF, key::enter});
  EXPECT_EQ(edit_text(cell, 0x8080, 8), 0);
  EXPECT_EQ(image(0x8080), 0x84);
}

// The trace shows each key and the insertion point it met, as soon as the
// key is read: Enter and Esc are traced too.
TEST_F(FieldEditors, TextTracesEveryKeyBeforeItActs) {
  std::memcpy(&image(0x8080), "DAYMODE1", 8);
  keys({'X'});
  EXPECT_TRUE(test::runs_until_script_ends([&] { edit_text(cell, 0x8080, 8); }));
  EXPECT_EQ(test::text_at(1, 24, 7), "ch=  58");
  EXPECT_EQ(test::text_at(20, 24, 7), "cntx= 0");

  keys({0, key::right, 0, key::right});
  EXPECT_TRUE(test::runs_until_script_ends([&] { edit_text(cell, 0x8080, 8); }));
  EXPECT_EQ(test::text_at(1, 24, 26), "ch=   0  ch=  4D   cntx= 1");

  keys({'A', 'B', key::esc});
  EXPECT_EQ(edit_text(cell, 0x8080, 8), 0);
  EXPECT_EQ(test::text_at(1, 24, 26), "ch=  1B            cntx= 2");
  keys({key::enter});
  EXPECT_EQ(edit_text(cell, 0x8080, 8), 0);
  EXPECT_EQ(test::text_at(1, 24, 26), "ch=   D            cntx= 0");
}

TEST_F(FieldEditors, AccessCodesAreAskedForEveryProtectedEdit) {
  link_state.access_code_table[3] = 1234;
  image(0xED02) = 3;
  image(0xED05) = 0x10;  // low bits 0: names no code
  image(0x8101) = 5;

  load_access_level(5);
  keys({'7', key::enter});
  EXPECT_EQ(edit_number(cell, 0x8101, 0, 255), 0);  // no prompt: '7' was the value
  EXPECT_EQ(image(0x8101), 7);

  load_access_level(2);
  keys({'1', '1', '1', '1', key::enter});
  EXPECT_EQ(edit_number(cell, 0x8101, 0, 255), -1);
  EXPECT_EQ(services.clock.slept(), 1500u);
  EXPECT_EQ(image(0x8101), 7);
  EXPECT_EQ(access_pending, 0);

  // The refusal box is on screen while it waits.
  load_access_level(2);
  keys({'9', key::enter});
  std::string during;
  {
    struct Peek : platform::Clock {
      platform::VirtualClock& inner;
      std::string& seen;
      Peek(platform::VirtualClock& c, std::string& s) : inner(c), seen(s) {}
      std::uint64_t now_ms() override { return inner.now_ms(); }
      void sleep_ms(int ms) override {
        seen = test::utf8_at(27, 15, 24);
        inner.sleep_ms(ms);
      }
    } peek(services.clock, during);
    platform::services().clock = &peek;
    EXPECT_EQ(edit_yes_no(cell, 0x8101), -1);
    platform::services().clock = &services.clock;
  }
  EXPECT_EQ(during, "  Неверный код доступа  ");
  EXPECT_EQ(test::text_at(27, 15, 24), std::string(24, ' '));  // the screen is back

  load_access_level(2);
  // The prompt empties the key queue when it closes: the value is typed
  // after it.
  keys({'1', '2', '3', '4', key::enter});
  services.keys.add({'9', key::enter}, 100);
  EXPECT_EQ(edit_number(cell, 0x8101, 0, 255), 0);
  EXPECT_EQ(image(0x8101), 9);
  // The code unlocked that one edit: the next one asks again.
  load_access_level(2);
  keys({'8', key::enter, key::enter});
  EXPECT_EQ(edit_number(cell, 0x8101, 0, 255), -1);
}

TEST_F(FieldEditors, TomrikBitCellsFlipOneBitAndHandBackTheEndingKey) {
  use_program(tomrik_program);
  int value = 0x81;
  show_bit_yes_no(cell, value, 1, COLOR_SCREEN);
  EXPECT_EQ(test::utf8_at(60, 10, 3), " Да");
  keys({key::space, key::space, key::space, key::enter});
  EXPECT_EQ(edit_bit_yes_no(cell, value, 8), key::enter);
  EXPECT_EQ(value, 0x01);
  EXPECT_EQ(test::utf8_at(60, 10, 3), "Нет");
  EXPECT_TRUE(test::span_has_colour(60, 10, 3, 0x70));

  int record[3] = {0, 0, 0};
  const CellRule rule{[](int v) { return std::string(1, static_cast<char>('0' + v)); },
                      [](int v) { return (v + 1) % 3; }};
  EXPECT_EQ(edit_record_cell(cell, record, record[1], rule), 0);  // empty record: nothing to edit
  record[0] = 2;
  keys({key::space, key::space, key::esc});
  EXPECT_EQ(edit_record_cell(cell, record, record[1], rule), key::esc);
  EXPECT_EQ(record[1], 2);
  EXPECT_EQ(field(1), "2");
}

}  // namespace
