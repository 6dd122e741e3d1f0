// Phone books of karvel. The station book and the pool view list cells
// directly; an individual book lists a port's nine entries, each naming the
// pool cell its number is kept in. All three are one list screen of sixteen
// rows a page: the cell (or entry) number, then the number's 32 digit codes.
#include "karvel/phone_books.h"

#include <algorithm>
#include <array>
#include <string>

#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/station_facts.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/internal_ports.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "toolkit/hints.h"
#include "toolkit/ruled_lines.h"
#include "toolkit/scroll_list.h"
#include "toolkit/screen.h"

namespace {

constexpr int cells = facts::karvel_book_cells;
constexpr int cell_size = facts::karvel_book_cell_size;
constexpr int entries = facts::karvel_port_book_entries;
constexpr int no_cell = facts::karvel_book_no_cell;
constexpr int rows_per_page = 16;
constexpr int cell_column = 19;
constexpr int number_column = 30;
constexpr int help_topic = 90;
const bool help_registered = register_help_topics("phone books", {help_topic});

int cell_address(int base, int cell) { return base + cell_size * cell; }
int entry_address(int port, int entry) { return port_block(port) + facts::karvel_port_book_offset + entry - 1; }
int screen_row(int row) { return 6 + row; }
bool in_use(int first_byte) { return first_byte >= 1 && first_byte <= 254; }
int buffer_byte(int i) { return link_buffer[i] & 0xFF; }
std::string blank_number() { return std::string(cell_size, ' '); }

// A row of the list holds the number of one cell (its holder), or has no
// number yet (no_cell), or is empty: past the end of the list, or an entry
// the port may not have.
constexpr int empty_row = 0;

enum class ListMode {
  cells,          // the station book and the pool view: row k is cell k
  port_entries,   // an individual book: row i is the port's entry i
};

// The list while one of the screens is open; made afresh each time.
// Its items are the cells (or entries), rows 1..capacity hold something.
struct PhoneBookList : ScrollList {
  PhoneBookList();
  int base = 0;
  ListMode mode = ListMode::cells;
  int port = 0;  // whose entries the list shows
  std::array<int, cells + 1> holder{};  // by cell (or entry) number

  int holder_of(int k) const { return k >= 1 && k <= capacity ? holder[k] : empty_row; }
};

// An entry names pool cell 1..99. A byte beyond the pool (from a garbled
// station or file) is taken as no cell yet: nothing past the pool is read,
// and Enter gives the entry a proper cell.
int entry_holder(int byte) {
  if (byte == empty_row) return empty_row;
  return byte <= cells ? byte : no_cell;
}

// Which cells hold a number, from the first byte of each. False when the
// station could not be read: the screen is left after the one box.
bool read_cell_table(PhoneBookList& list) {
  print_at_plain(30, 12, " Идет чтение книжки "_cp);
  bool read = true;
  for (int k = 0; k <= cells && read; ++k) {
    read = link_read_block_alike(cell_address(list.base, k), 1) == link_ok;
    list.holder[k] = read && in_use(buffer_byte(0)) ? k : no_cell;
  }
  print_at_plain(30, 12, std::string(20, ' '));
  return read;
}

bool read_port_entries(PhoneBookList& list) {
  if (link_read_block_alike(entry_address(list.port, 1), entries) != link_ok) return false;
  for (int i = 1; i <= entries; ++i) list.holder[i] = entry_holder(buffer_byte(i - 1));
  return true;
}

void draw_list_frame() {
  draw_ruled_lines({across_line(4, 15, 65, true), across_line(6, 15, 65, true), across_line(23, 15, 65, true),
                    down_line(15, 4, 23, true), down_line(26, 4, 23, false), down_line(65, 4, 23, true)});
  print_at_plain(18, 5, "Ячейка"_cp);
  print_at_plain(42, 5, "Номер"_cp);
}

// Draws one row of the page; the status of reading its number. Without
// `with_number` the number stays blank.
int draw_row(const PhoneBookList& list, int row, bool with_number = true) {
  const int item = list.page_start() + row - 1;
  const int holder = list.holder_of(item);
  const int y = screen_row(row);
  print_at_plain(cell_column, y, holder == empty_row ? std::string("   ") : format("%3d", item));
  print_at_plain(number_column, y, blank_number());
  if (!with_number || holder == empty_row || holder == no_cell) return link_ok;
  return show_digits({number_column, y}, cell_address(list.base, holder), COLOR_SCREEN, cell_size, phone_digit_map);
}

// After a failed read the rows below show no number: a silent station
// costs one box, not sixteen.
void draw_book_page(const PhoneBookList& list) {
  bool reading = true;
  for (int row = 1; row <= rows_per_page; ++row) reading = draw_row(list, row, reading) == link_ok && reading;
}

PhoneBookList::PhoneBookList() {
  capacity = cells;
  rows = rows_per_page;
  draw_page = [this] { draw_book_page(*this); };
}

int edit_number_in(const PhoneBookList& list, int cell) {
  return edit_digits({number_column, screen_row(list.row)}, cell_address(list.base, cell), cell_size,
                     phone_digit_map);
}

// A cell of the station book or the pool: its first byte afterwards tells
// whether it still holds a number.
int edit_cell(PhoneBookList& list) {
  const int n = list.current;
  int status = edit_number_in(list, n);
  if (status == link_ok) status = link_read_block_alike(cell_address(list.base, n), 1);
  if (status != link_ok) return status;
  list.holder[n] = in_use(buffer_byte(0)) ? n : no_cell;
  return draw_row(list, list.row);
}

// Not a status of the link: the row tells that no pool cell is free.
constexpr int no_free_cells_shown = -100;

// An entry without a cell is given the first free pool cell. The entry
// names it only once the cell's edit went through, so a failed edit leaves
// the cell free.
int edit_new_entry(PhoneBookList& list) {
  const int n = list.current;
  const int cell = find_free_pool_cell(list.base);
  if (cell < 0) return link_failed;
  if (cell == 0) {
    print_at(number_column, screen_row(list.row), "      Нет свободных ячеек       "_cp, COLOR_ALERT);
    return no_free_cells_shown;
  }
  int status = edit_number_in(list, cell);
  if (status != link_ok) return status;
  link_buffer[0] = cell;
  status = link_write_block(entry_address(list.port, n), 1);
  if (status == link_ok) list.holder[n] = cell;
  return status;
}

int edit_entry(PhoneBookList& list) {
  const int holder = list.holder_of(list.current);
  if (holder == empty_row) return link_ok;
  if (holder == no_cell) return edit_new_entry(list);
  return edit_number_in(list, holder);
}

// True when the row is left with a message: a failure's or that no pool
// cell is free.
bool edit_current(PhoneBookList& list) {
  const int status = list.mode == ListMode::cells ? edit_cell(list) : edit_entry(list);
  hint_port_pages();
  return status != link_ok;
}

void phone_book_list(PhoneBookList& list) {
  draw_list_frame();
  draw_book_page(list);
  hint_port_pages();
  run_list_page({&list,
                 {number_column, screen_row(1)},
                 cell_size,
                 {{key::enter, [&list] { return edit_current(list); }},
                  {key::f10, [] {
                    show_help(help_topic);
                    return false;
                  }}}});
}

// The station book or the pool view: the cells at `base`.
void phone_book(int base) {
  set_colour(COLOR_SCREEN);
  if (!enter_station_screen(ScreenNeeds::station_or_file)) return;
  // The pool view shows the station book's title too.
  print_at_plain(25, 2, "Общестанционная записная книжка"_cp);
  PhoneBookList list;
  list.base = base;
  if (read_cell_table(list)) phone_book_list(list);
}

}  // namespace

int find_free_pool_cell(int base) {
  std::array<bool, cells + 1> named{};
  for (int port = 1; port <= link_state.port_count; ++port) {
    if (link_read_block_alike(entry_address(port, 1), entries) != link_ok) return -1;
    for (int i = 0; i < entries; ++i)
      if (buffer_byte(i) >= 1 && buffer_byte(i) <= cells) named[buffer_byte(i)] = true;
  }
  for (int k = 1; k <= cells; ++k) {
    if (named[k]) continue;
    if (link_read_block_alike(cell_address(base, k), 1) != link_ok) return -1;
    if (!in_use(buffer_byte(0))) return k;
  }
  return 0;
}

// A port's individual book, its entries pointing into the pool.
void port_phone_book() {
  set_colour(COLOR_SCREEN);
  if (!enter_station_screen(ScreenNeeds::station_or_file)) return;
  // The prompt offers no port of an earlier screen after Esc.
  reset_port_editor();
  PhoneBookList list;
  list.port = ask_port_number();
  if (list.port == 0) return;
  print_at_plain(18, 2, "Индивидуальная записная книжка абонента "_cp + format("%2d", list.port));
  list.base = facts::karvel_book_pool;
  list.mode = ListMode::port_entries;
  list.capacity = entries;
  if (read_port_entries(list)) phone_book_list(list);
}

void station_phone_book() { phone_book(facts::karvel_station_book); }
void pool_phone_book() { phone_book(facts::karvel_book_pool); }

// ---------------------------------------------------------------- listing

namespace {

// A cell's number as the list shows it: blank while the cell holds none.
// Exact while every place holds a character of the book or nothing, and a
// cell without a number is wholly empty (0) or wholly erased (255).
std::string listed_cell(const std::uint8_t* cell) {
  const std::uint8_t* end = cell + cell_size;
  if (!in_use(cell[0])) {
    const bool blank = std::all_of(cell, end, [&](std::uint8_t b) { return b == cell[0]; });
    return listed_value("", "", blank, cell, cell_size);
  }
  const bool exact = std::all_of(cell, end, [](std::uint8_t b) { return b == 0 || digit_known(phone_digit_map, b); });
  return listed_value(field_text::digits(cell, cell_size, phone_digit_map), "", exact, cell, cell_size, true);
}

void list_cells(KarvelListing& listing, const std::string& section, int base) {
  for (int k = 1; k <= cells; ++k)
    listing.add(section, format("Ячейка %d"_cp, k), 0, cell_address(base, k), cell_size,
                listed_cell(listing.bytes(cell_address(base, k), cell_size)));
}

// An entry shows the number of the pool cell it names; one that names
// none yet shows its row without a number, and 0 no row at all.
void list_port_entries(KarvelListing& listing, int port) {
  const std::string section = karvel_menu_name(port_phone_book) + " / " + port_section(port);
  for (int i = 1; i <= entries; ++i) {
    const int address = entry_address(port, i);
    const std::uint8_t byte = static_cast<std::uint8_t>(listing.byte(address));
    const int holder = entry_holder(byte);
    std::string value;
    std::vector<ImageSpan> reads;
    if (holder == no_cell) {
      value = listed_value("без ячейки"_cp, "", byte == no_cell, &byte, 1);
    } else if (holder != empty_row) {
      const int cell = cell_address(facts::karvel_book_pool, holder);
      const std::uint8_t* number = listing.bytes(cell, cell_size);
      value = format("ячейка %d: "_cp, holder) + field_text::digits(number, cell_size, phone_digit_map);
      while (!value.empty() && value.back() == ' ') value.pop_back();
      reads.push_back({cell, cell_size});
    }
    listing.add(section, format("Запись %d"_cp, i), 0, {{address, 1}}, value, reads);
  }
}

}  // namespace

void list_phone_books(KarvelListing& listing) {
  list_cells(listing, karvel_menu_name(station_phone_book), facts::karvel_station_book);
  for (int port = 1; port <= listing.counts().ports; ++port) list_port_entries(listing, port);
  list_cells(listing, karvel_menu_name(pool_phone_book), facts::karvel_book_pool);
}
