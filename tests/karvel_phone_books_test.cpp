// The karvel phone books against the in-process station (and once on a
// loaded settings file): what the list shows, its paging keys, the numbers
// typed into the station's cells, and how an individual book is given its
// pool cells.
#include <gtest/gtest.h>

#include <vector>

#include "karvel/phone_books.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "sim/karvel_station.h"
#include "tests/karvel_image_fixture.h"
#include "tests/link_wire.h"
#include "tests/station_fixtures.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace {

constexpr int station_book = 0xE000, pool = 0xC000;
int cell(int base, int k) { return base + 32 * k; }
int entry(int port, int i) { return 0x8000 + 256 * port + 0xC0 + i - 1; }

const std::string no_number(32, ' ');
std::string number(std::string digits) {
  digits.resize(32, ' ');
  return digits;
}
std::string number_on(int row) { return test::text_at(30, 6 + row, 32); }
std::string cell_on(int row) { return test::text_at(19, 6 + row, 3); }
int cursor_row() { return test::screen().cursor_abs_y() - 6; }

struct PhoneBooks : test::KarvelStationTest {
  std::vector<int>& frames = block_addresses;  // the start address of every block frame

  // The port prompt empties the key queue as it closes: the keys for the
  // book come after it.
  void port(int digit, std::initializer_list<int> then) {
    keys({digit, key::enter});
    keys(then, 500);
  }
  void empty(int base) {
    for (int a = base; a < cell(base, 100); ++a) station.poke(static_cast<std::uint16_t>(a), 0);
  }
  void put(int address, std::vector<int> codes) {
    for (int c : codes) station.poke(static_cast<std::uint16_t>(address++), static_cast<std::uint8_t>(c));
  }
  std::vector<int> bytes(int address, int count) const {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) out.push_back(station.peek(static_cast<std::uint16_t>(address + i)));
    return out;
  }
  void fill_pool(int from, int to) {
    for (int k = from; k <= to; ++k) station.poke(static_cast<std::uint16_t>(cell(pool, k)), 1);
  }
  // Runs a screen until its keys run out, so the test sees it as it stands.
  static void run_open(void (*screen)()) { EXPECT_TRUE(test::runs_until_script_ends(screen)); }
};

TEST_F(PhoneBooks, TheStationBookShowsNumbersOnlyInTheCellsInUse) {
  empty(station_book);
  put(cell(station_book, 3), {1, 2, 3});
  put(cell(station_book, 50), {8, 10, 70});
  run_open(station_phone_book);
  EXPECT_EQ(test::utf8_at(25, 2, 31), "Общестанционная записная книжка");
  EXPECT_EQ(test::utf8_at(18, 5, 6), "Ячейка");
  EXPECT_EQ(test::utf8_at(42, 5, 5), "Номер");
  EXPECT_EQ(test::utf8_at(15, 4, 12), "╔══════════╤");
  EXPECT_EQ(test::utf8_at(64, 4, 2), "═╗");
  EXPECT_EQ(test::utf8_at(15, 6, 1) + test::utf8_at(26, 6, 1) + test::utf8_at(65, 6, 1), "╠╪╣");
  EXPECT_EQ(test::utf8_at(15, 23, 1) + test::utf8_at(26, 23, 1) + test::utf8_at(65, 23, 1), "╚╧╝");
  EXPECT_EQ(test::utf8_at(15, 22, 1) + test::utf8_at(26, 22, 1) + test::utf8_at(65, 22, 1), "║│║");
  EXPECT_EQ(test::text_at(1, 25, 5), "Enter");
  for (int row = 1; row <= 16; ++row) {
    EXPECT_EQ(cell_on(row), format("%3d", row));
    EXPECT_EQ(number_on(row), row == 3 ? number("123") : no_number) << row;
  }
  EXPECT_EQ(test::screen().cursor_abs_x(), 30);
  EXPECT_EQ(cursor_row(), 1);

  keys({0, key::pgdn, 0, key::pgdn, 0, key::pgdn});
  run_open(station_phone_book);
  EXPECT_EQ(cell_on(1), " 49");
  EXPECT_EQ(cell_on(2), " 50");
  EXPECT_EQ(number_on(2), number("80F"));
  EXPECT_EQ(number_on(1), no_number);
}

TEST_F(PhoneBooks, LettersAreStoredAsTheirCodesAndAClearedNumberLeavesOnlyItsCellNumber) {
  empty(station_book);
  put(cell(station_book, 3), {1, 2, 3});
  keys({key::enter, 'f', 'p', 't', 'P', '1', key::enter});
  keys({0, key::down, 0, key::down, key::enter, 0, key::del, 0, key::del, 0, key::del, key::enter});
  run_open(station_phone_book);
  EXPECT_EQ(bytes(cell(station_book, 1), 6), (std::vector<int>{70, 80, 84, 80, 1, 0}));
  EXPECT_EQ(number_on(1), number("FPTP1"));
  EXPECT_EQ(bytes(cell(station_book, 3), 32), std::vector<int>(32, 0));
  EXPECT_EQ(cell_on(3), "  3");
  EXPECT_EQ(number_on(3), no_number);
  EXPECT_EQ(test::text_at(1, 25, 5), "Enter");  // the list's own hint is back
}

TEST_F(PhoneBooks, EndPgUpAndUpInTheStationBook) {
  keys({0, key::end, 0, key::down});  // Down on the last cell does nothing
  run_open(station_phone_book);
  EXPECT_EQ(cell_on(1), " 84");
  EXPECT_EQ(cell_on(16), " 99");
  EXPECT_EQ(cursor_row(), 16);

  keys({0, key::end, 0, key::pgup});
  run_open(station_phone_book);
  EXPECT_EQ(cell_on(1), " 68");
  EXPECT_EQ(cell_on(16), " 83");
  EXPECT_EQ(cursor_row(), 16);

  // Paging back from the end leaves a page starting at cell 4; Up from its
  // top row, and PgUp, go to the cell just above it.
  auto back_to_cell_4 = [this] {
    keys({0, key::end, 0, key::pgup, 0, key::pgup, 0, key::pgup, 0, key::pgup, 0, key::pgup});
  };
  back_to_cell_4();
  for (int i = 0; i < 16; ++i) keys({0, key::up});
  run_open(station_phone_book);
  EXPECT_EQ(cell_on(1), "  1");
  EXPECT_EQ(cursor_row(), 3);
  back_to_cell_4();
  keys({0, key::pgup});
  run_open(station_phone_book);
  EXPECT_EQ(cell_on(1), "  1");
  EXPECT_EQ(cursor_row(), 3);
}

TEST_F(PhoneBooks, AnIndividualBookOfNineEntriesPagesWithinThem) {
  port('1', {0, key::down, 0, key::down, 0, key::pgdn});
  run_open(port_phone_book);
  EXPECT_EQ(test::utf8_at(18, 2, 42), "Индивидуальная записная книжка абонента  1");
  EXPECT_EQ(number_on(1), number("84951234567"));
  EXPECT_EQ(cell_on(9), "  9");
  EXPECT_EQ(number_on(9), no_number);
  EXPECT_EQ(cell_on(10), "   ");
  EXPECT_EQ(cursor_row(), 9);

  port('1', {0, key::pgdn, 0, key::down, 0, key::end});
  run_open(port_phone_book);
  EXPECT_EQ(cursor_row(), 9);
  EXPECT_EQ(cell_on(1), "  1");
}

TEST_F(PhoneBooks, WithNoFreePoolCellTheMessageShowsAndTheNextEscOnlyRemovesIt) {
  fill_pool(1, 99);
  port('5', {0, key::down, key::enter});
  run_open(port_phone_book);
  EXPECT_EQ(test::utf8_at(30, 8, 32), "      Нет свободных ячеек       ");
  EXPECT_TRUE(test::span_has_colour(30, 8, 32, COLOR_ALERT));
  EXPECT_EQ(station.peek(entry(5, 2)), 255);

  port('5', {0, key::down, key::enter, key::esc, 0, key::down});
  run_open(port_phone_book);  // Esc did not leave
  EXPECT_EQ(number_on(2), no_number);
  EXPECT_TRUE(test::span_has_colour(30, 8, 32, COLOR_SCREEN));
  EXPECT_EQ(cursor_row(), 3);
}

TEST_F(PhoneBooks, ARefusedAccessCodeMakesTheNextKeyOnlyClearTheRow) {
  empty(station_book);
  put(cell(station_book, 1), {4, 4});
  link_state.access_code_table[1] = 1234;
  access_pending = 1;
  keys({key::enter, '9', key::enter});
  keys({key::esc}, 2000);  // after the refusal box
  run_open(station_phone_book);  // Esc only cleared the row
  EXPECT_EQ(bytes(cell(station_book, 1), 2), (std::vector<int>{4, 4}));
  EXPECT_EQ(number_on(1), no_number);
}

TEST_F(PhoneBooks, AnEntryWithoutACellIsGivenPoolCellTenOnceTheFirstNineAreInUse) {
  fill_pool(1, 9);
  port('5', {key::enter, '7', '7', key::enter});
  run_open(port_phone_book);
  EXPECT_EQ(station.peek(entry(5, 1)), 10);
  EXPECT_EQ(bytes(cell(pool, 10), 3), (std::vector<int>{7, 7, 0}));
  EXPECT_EQ(cell_on(1), "  1");
  EXPECT_EQ(number_on(1), number("77"));
}

TEST_F(PhoneBooks, AFreePoolCellIsOneThatNoPortsEntryNames) {
  // The default station: port 1 has cells 1 and 2.
  EXPECT_EQ(find_free_pool_cell(pool), 3);
  station.poke(entry(24, 9), 3);  // an emptied number the last port still names
  station.poke(entry(7, 1), 200);  // beyond the pool: names no cell
  EXPECT_EQ(find_free_pool_cell(pool), 4);
  fill_pool(4, 99);
  EXPECT_EQ(find_free_pool_cell(pool), 0);
  station.poke(static_cast<std::uint16_t>(cell(pool, 60)), 255);
  EXPECT_EQ(find_free_pool_cell(pool), 60);

  // A number no port names, cleared in the pool view, frees its cell.
  station.poke(static_cast<std::uint16_t>(cell(pool, 60)), 1);
  put(cell(pool, 40), {5, 5});
  keys({0, key::pgdn, 0, key::pgdn});
  for (int i = 0; i < 7; ++i) keys({0, key::down});
  keys({key::enter, 0, key::del, 0, key::del, key::enter});
  run_open(pool_phone_book);
  EXPECT_EQ(cell_on(8), " 40");
  EXPECT_EQ(number_on(8), no_number);
  EXPECT_EQ(find_free_pool_cell(pool), 40);
}

TEST_F(PhoneBooks, AnEntryNamingACellBeyondThePoolIsShownWithoutANumberAndGetsAProperCell) {
  station.poke(entry(3, 1), 150);
  station.poke(entry(3, 2), 0);  // an entry the port may not have
  keys({'3', key::enter});
  run_open(port_phone_book);
  EXPECT_EQ(cell_on(1), "  1");
  EXPECT_EQ(number_on(1), no_number);
  EXPECT_EQ(cell_on(2), "   ");
  for (int address : frames) EXPECT_FALSE(address >= cell(pool, 100) && address < station_book) << address;

  port('3', {key::enter, '5', key::enter, 0, key::down, key::enter, '9', key::enter});
  run_open(port_phone_book);
  EXPECT_EQ(station.peek(entry(3, 1)), 3);
  EXPECT_EQ(bytes(cell(pool, 3), 2), (std::vector<int>{5, 0}));
  EXPECT_EQ(station.peek(entry(3, 2)), 0);
  EXPECT_EQ(station.peek(static_cast<std::uint16_t>(cell(pool, 4))), 0);
}

TEST_F(PhoneBooks, AStationFailingAfterTheBookWasReadCostsOneBoxForThePage) {
  for (int k = 1; k <= 16; ++k) put(cell(station_book, k), {k % 10 + 1});
  // Every frame after the opening's 100 bytes, each read twice alike,
  // fails.
  on_line.on_block = [this](int address) {
    frames.push_back(address);
    if (frames.size() > 2 * 100) on_line.failing_blocks.insert(address);
  };
  keys({' '});  // for the one box
  run_open(station_phone_book);
  EXPECT_EQ(frames.size(), 2 * 100 + 1u);
  for (int row = 1; row <= 16; ++row) {
    EXPECT_EQ(cell_on(row), format("%3d", row));
    EXPECT_EQ(number_on(row), no_number);
  }
}

// A silent station or none at all: one box, and the screen is left.
struct PhoneBooksOffLine : test::ScriptedLink {
  test::BoxWatcher boxes;
  void SetUp() override {
    use_line(karvel_program);
    platform::services().keys = &boxes;
  }
};

TEST_F(PhoneBooksOffLine, ASilentStationCostsOneBoxAndTheScreenIsLeft) {
  station_phone_book();
  EXPECT_EQ(boxes.boxes, std::vector<std::string>{"Нет ответа от внешнего устройства."});
}

TEST_F(PhoneBooksOffLine, WithoutStationOrFileTheBooksSayNoPortIsChosen) {
  link_state.station_connected = 0;
  station_phone_book();
  port_phone_book();
  EXPECT_EQ(boxes.boxes, (std::vector<std::string>{"Не выбран порт обмена", "Не выбран порт обмена"}));
  EXPECT_TRUE(wire->sent.empty());
}

struct PhoneBooksOnFile : test::KarvelImageTest {};

TEST_F(PhoneBooksOnFile, TheBooksWorkUnchangedOnALoadedSettingsFile) {
  using test::image;
  for (int i = 1; i <= 9; ++i) image(entry(2, i)) = 255;
  keys({'2', key::enter});
  services.keys.add({key::enter, '4', '2', key::enter, key::esc}, 100);
  port_phone_book();
  EXPECT_EQ(image(entry(2, 1)), 1);
  EXPECT_EQ(image(cell(pool, 1)), 4);
  EXPECT_EQ(image(cell(pool, 1) + 1), 2);

  keys({key::enter, '0', '3', key::enter, key::esc});
  station_phone_book();
  EXPECT_EQ(image(cell(station_book, 1)), 10);
  EXPECT_EQ(image(cell(station_book, 1) + 1), 3);
}

}  // namespace
