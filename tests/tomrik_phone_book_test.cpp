// The phone books and the special cell on a record station: the individual
// book question, the line editor's insertion and its bounds, F8 and F9 with
// their confirmations, the codes of "t" and the pause, and the two records
// of the special cell.
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::colour_at;
using test::text_at;
using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t blue = 0x1E, grey = 0x70;

std::string repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

// The codes of a number as the station keeps it, padded to `places`.
Bytes codes_of(const std::string& text, std::size_t places = 25) {
  Bytes codes;
  for (char c : text) {
    switch (c) {
      case ' ': codes.push_back(0); break;
      case '0': codes.push_back(10); break;
      case '*': codes.push_back(11); break;
      case '#': codes.push_back(12); break;
      case 't': codes.push_back(116); break;
      case 'p': codes.push_back(255); break;
      default: codes.push_back(static_cast<std::uint8_t>(c - '0'));
    }
  }
  codes.resize(places, 0);
  return codes;
}

struct PhoneBook : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    for (int book = 0; book <= 16; ++book)
      for (int n = 1; n <= 16; ++n) rec(50 + book, n) = Bytes(25, 0);
  }
  // Entry n of the book on the screen.
  std::string entry(int n) { return text_at(33, n + 6, 25); }
  std::string padded(const std::string& text, std::size_t width = 25) {
    return text + std::string(width - text.size(), ' ');
  }
  void down(int times) {
    for (int i = 0; i < times; ++i) keys({0, key::down});
  }
  void right(int times) {
    for (int i = 0; i < times; ++i) keys({0, key::right});
  }
  void left(int times) {
    for (int i = 0; i < times; ++i) keys({0, key::left});
  }
};

TEST_F(PhoneBook, TheCommonBookShowsItsFrameAndEveryCodeAsItsCharacter) {
  rec(50, 1) = codes_of("8p12t*#0");
  rec(50, 16) = codes_of("2223322");
  rec(50, 2) = Bytes{60, 215, 9};  // sent short; no name: 48 places on, a control byte blank
  keys({key::esc});
  phone_book_screen(17);
  EXPECT_EQ(utf8_at(28, 3, 21), "Общая записная книжка");
  EXPECT_EQ(utf8_at(18, 5, 12), "Номер записи");
  EXPECT_EQ(utf8_at(38, 5, 14), "Номер телефона");
  EXPECT_EQ(utf8_at(16, 4, 44), "╔" + repeat("═", 14) + "╤" + repeat("═", 27) + "╗");
  EXPECT_EQ(utf8_at(16, 6, 1) + utf8_at(31, 6, 1) + utf8_at(59, 6, 1), "╠╪╣");
  EXPECT_EQ(utf8_at(16, 15, 1) + utf8_at(31, 15, 1) + utf8_at(59, 15, 1), "║│║");
  EXPECT_EQ(utf8_at(16, 23, 1) + utf8_at(31, 23, 1) + utf8_at(59, 23, 1), "╚╧╝");
  EXPECT_EQ(utf8_at(23, 7, 2), " 1");
  EXPECT_EQ(utf8_at(23, 22, 2), "16");
  EXPECT_EQ(entry(1), padded("8p12t*#0"));
  EXPECT_EQ(entry(2), padded("l 9"));
  EXPECT_EQ(entry(16), padded("2223322"));
  EXPECT_EQ(utf8_at(1, 1, 4), " F8 ");
  EXPECT_EQ(utf8_at(1, 25, 7), "Стрелки");
  for (auto& r : on_line.records_read) EXPECT_EQ(r.first, 50);
}

TEST_F(PhoneBook, TheIndividualBookAsksForANumberOfTheStationsSubscribers) {
  link_state.subscriber_count = 8;
  rec(58, 3) = codes_of("777");
  test::KeySpy spy{&services.keys, [] { return utf8_at(21, 3, 36); }};
  platform::services().keys = &spy;
  type("10\r");
  type("19\r");
  type("x1*8\r");  // other keys are ignored
  keys({key::esc});
  phone_book_screen(0);
  EXPECT_TRUE(spy.saw("Записная книжка абонента номер 10"));
  EXPECT_TRUE(spy.saw("Записная книжка абонента номер 19"));
  EXPECT_EQ(utf8_at(21, 3, 36), "Записная книжка абонента номер 18   ");
  EXPECT_EQ(entry(3), padded("777"));
  ASSERT_EQ(on_line.records_read.size(), 2 * 16u);  // each read twice alike
  for (auto& r : on_line.records_read) EXPECT_EQ(r.first, 58);

  on_line.records_read.clear();
  type("11\r");
  keys({key::esc});
  phone_book_screen(0);
  ASSERT_EQ(on_line.records_read.size(), 2 * 16u);  // each read twice alike
  for (auto& r : on_line.records_read) EXPECT_EQ(r.first, 51);
}

// Every digit up to Enter counts, however many; the echo keeps to the four
// places after the question.
TEST_F(PhoneBook, TheQuestionTakesEveryDigitUntilEnterAndEscLeavesIt) {
  link_state.subscriber_count = 8;
  test::KeySpy spy{&services.keys, [] { return utf8_at(21, 3, 40); }};
  platform::services().keys = &spy;
  type("123456\r");
  type("00012\r");
  keys({key::esc});
  phone_book_screen(0);
  EXPECT_TRUE(spy.saw("Записная книжка абонента номер 3456    "));
  EXPECT_TRUE(spy.saw("Записная книжка абонента номер 0012    "));
  ASSERT_EQ(on_line.records_read.size(), 2 * 16u);  // each read twice alike
  for (auto& r : on_line.records_read) EXPECT_EQ(r.first, 52);

  on_line.records_read.clear();
  keys({key::esc});
  phone_book_screen(0);
  EXPECT_TRUE(on_line.records_read.empty());
}

TEST_F(PhoneBook, TypedKeysBecomeTheirCodesAndEnterWritesTheEntry) {
  down(1);
  keys({key::enter});
  type("8p12");
  keys({key::enter});
  down(1);
  keys({key::enter});
  type("T0#*Pt");
  keys({key::enter, key::esc});
  phone_book_screen(17);
  EXPECT_EQ(rec(50, 2), codes_of("8p12"));
  EXPECT_EQ(rec(50, 3), (codes_of("t0#*pt")));
  EXPECT_EQ(entry(2), padded("8p12"));
  EXPECT_EQ(entry(3), padded("t0#*pt"));
  EXPECT_EQ(colour_at(33, 8), blue);
  EXPECT_EQ(writes_of(50, 2), 1);
}

TEST_F(PhoneBook, TypingOnACharacterInsertsItAndTheLastPlaceFallsOff) {
  const std::string full = "1234567890123456789012345";
  rec(50, 1) = codes_of(full);
  rec(50, 2) = codes_of("123");
  rec(50, 3) = codes_of(full);
  keys({key::enter});
  right(30);  // the cursor stops just after the last place
  type("7");  // past the last place: nothing
  left(1);
  type("9");
  keys({key::enter});
  down(1);
  keys({key::enter});
  right(1);
  type("7");
  keys({key::enter});
  down(1);
  keys({key::enter});
  type("5");
  keys({key::enter, key::esc});
  phone_book_screen(17);
  EXPECT_EQ(rec(50, 1), codes_of(full.substr(0, 24) + "9"));
  EXPECT_EQ(rec(50, 2), codes_of("1723"));
  EXPECT_EQ(rec(50, 3), codes_of("5" + full.substr(0, 24)));
}

TEST_F(PhoneBook, ArrowsDeleteAndBackspaceKeepToTheEntry) {
  rec(50, 1) = codes_of("1234");
  rec(50, 2) = codes_of("12");
  keys({key::enter});
  right(9);  // stops on the first empty place
  type("5");
  left(9);
  keys({key::backspace});  // on the first place: nothing
  keys({0, key::del});     // 2345
  right(1);
  keys({key::backspace});  // 345
  keys({key::enter});
  down(1);
  keys({key::enter});
  right(2);
  keys({0, key::del});  // on an empty place: the rest moves, nothing changes
  keys({key::backspace});
  keys({key::enter, key::esc});
  phone_book_screen(17);
  EXPECT_EQ(rec(50, 1), codes_of("345"));
  EXPECT_EQ(rec(50, 2), codes_of("1"));
}

TEST_F(PhoneBook, F8ThenEscWritesNothingAndF8ThenEnterEmptiesTheEntry) {
  rec(50, 4) = codes_of("123");
  test::KeySpy spy{&services.keys, [this] { return entry(4) + (colour_at(33, 10) == grey ? "grey" : "blue"); }};
  platform::services().keys = &spy;
  down(3);
  keys({0, key::f8, key::esc});               // the question refused
  keys({0, key::f8, key::enter, key::esc});   // emptied, then the edit left
  keys({0, key::f8, 0, key::down});           // any other key cancels too
  keys({key::esc});
  phone_book_screen(17);
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_TRUE(spy.saw(padded("123") + "grey"));
  EXPECT_TRUE(spy.saw(padded("") + "grey"));
  EXPECT_EQ(entry(4), padded("123"));
  EXPECT_EQ(colour_at(33, 10), blue);
  EXPECT_EQ(rec(50, 4), codes_of("123"));

  // F8 and Enter empty the entry for a new number.
  keys({0, key::down, 0, key::down, 0, key::down, 0, key::f8, key::enter});
  type("9");
  keys({key::enter, key::esc});
  phone_book_screen(17);
  EXPECT_EQ(rec(50, 4), codes_of("9"));
}

TEST_F(PhoneBook, F9ClearsTheBookOnlyAfterTwoEnters) {
  for (int n = 1; n <= 16; ++n) rec(50, n) = codes_of(std::to_string(n));
  test::KeySpy spy{&services.keys, [] { return utf8_at(1, 25, 80); }};
  platform::services().keys = &spy;
  down(4);
  keys({0, key::f9, key::esc});             // refused
  keys({0, key::f9, key::enter, key::esc}); // not confirmed
  EXPECT_TRUE(on_line.records_written.empty());
  keys({0, key::f9, key::enter, key::enter});
  keys({key::enter});  // the cursor went back to entry 1
  type("7");
  keys({key::enter, key::esc});
  phone_book_screen(17);
  EXPECT_TRUE(spy.saw("ENTER - Очистить записную книжку"));
  EXPECT_TRUE(spy.saw("Если вы уверены в необходимости очистки, нажмите клавишу    ENTER"));
  EXPECT_EQ(rec(50, 1), codes_of("7"));
  for (int n = 2; n <= 16; ++n) EXPECT_EQ(rec(50, n), Bytes(25, 0)) << n;
  for (int n = 1; n <= 16; ++n) EXPECT_EQ(writes_of(50, n), n == 1 ? 2 : 1) << n;
  EXPECT_EQ(entry(5), padded(""));
}

TEST_F(PhoneBook, AFailedWriteWhileClearingEndsTheScreenWithTheEntriesWrittenLeftBlank) {
  for (int n = 1; n <= 16; ++n) rec(50, n) = codes_of("55");
  // Entry 4 is read twice alike by the fill; its write is its third frame.
  int frames = 0;
  on_line.on_record = [&](int group, int index) {
    if (group == 50 && index == 4 && ++frames == 3) on_line.failing_records.insert({50, 4});
  };
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({0, key::f9, key::enter, key::enter, key::esc});
  phone_book_screen(17);
  EXPECT_TRUE(spy.saw("Не совпала контрольная сумма."));
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(rec(50, n), Bytes(25, 0)) << n;
  for (int n = 4; n <= 16; ++n) EXPECT_EQ(rec(50, n), codes_of("55")) << n;
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(PhoneBook, WithoutAStationTheScreenShowsErrorFive) {
  link_state.station_connected = 0;
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({key::esc});
  phone_book_screen(17);
  EXPECT_TRUE(spy.saw("Не выбран порт обмена"));
  EXPECT_TRUE(on_line.records_read.empty());
}

// ------------------------------------------------------------ special cell

struct SpecialCell : PhoneBook {
  void SetUp() override {
    PhoneBook::SetUp();
    // Room for the 25th byte of each write, to see what it carries.
    rec(67, 0) = codes_of("123456789012345678901234", 25);
    rec(68, 0) = codes_of("5*#tp", 25);
  }
  std::string cell() { return utf8_at(17, 5, 48); }
};

TEST_F(SpecialCell, ShowsBothRecordsAsOneCellOf48Characters) {
  keys({key::esc});
  special_cell_screen();
  EXPECT_EQ(utf8_at(24, 3, 34), "Специальная ячейка записной книжки");
  EXPECT_EQ(cell(), "123456789012345678901234" + padded("5*#tp", 24));
  EXPECT_EQ(utf8_at(15, 4, 52), "╔" + repeat("═", 50) + "╗");
  EXPECT_EQ(utf8_at(15, 5, 1) + utf8_at(66, 5, 1), "║║");
  EXPECT_EQ(utf8_at(15, 6, 1) + utf8_at(66, 6, 1), "╚╝");
}

TEST_F(SpecialCell, EnterWritesCharacters1To25AndThen25To48WithAZero) {
  keys({key::enter, 0, key::del, key::enter, key::esc});  // 1 goes: 2..4, 5 comes up from the second half
  special_cell_screen();
  EXPECT_EQ(rec(67, 0), codes_of("234567890123456789012345*", 25));
  EXPECT_EQ(rec(68, 0), codes_of("*#tp", 25));
  EXPECT_EQ(writes_of(67, 0), 1);
  EXPECT_EQ(writes_of(68, 0), 1);
  // The line editor covers all 48 places: the cursor stops after the last.
  rec(68, 0) = codes_of("123456789012345678901234", 25);
  keys({key::enter});
  for (int i = 0; i < 60; ++i) keys({0, key::right});
  type("9");
  keys({0, key::left});
  type("8");
  keys({key::enter, key::esc});
  special_cell_screen();
  EXPECT_EQ(rec(68, 0), codes_of("123456789012345678901238", 25));
  EXPECT_EQ(cell().substr(40), "78901238");
}

TEST_F(SpecialCell, F8OrF9EmptiesTheCellOnlyAfterTwoEnters) {
  keys({0, key::f8, key::esc});
  keys({0, key::f9, key::enter, key::esc});
  keys({key::esc});
  special_cell_screen();
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(cell().substr(0, 3), "123");
  keys({0, key::f9, key::enter, key::enter, key::esc});
  special_cell_screen();
  EXPECT_EQ(rec(67, 0), Bytes(25, 0));
  EXPECT_EQ(rec(68, 0), Bytes(25, 0));
  EXPECT_EQ(cell(), padded("", 48));
}

}  // namespace
