// The station's phone books: the common book and each subscriber's own, 16
// numbers of 25 codes each, and the special cell of 48 codes. Every entry is
// a station record, read when it is shown and written when the user confirms
// it; nothing is kept between visits.
#include <algorithm>
#include <string>

#include "editors/screen_entry.h"
#include "facts/digits.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "settings/tomrik_companion.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/digit_string.h"
#include "toolkit/number_prompt.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

// Codes a number is made of, beyond the dialled digit codes 1..12.
constexpr int t_code = facts::tomrik_book_t;
constexpr int pause_code = facts::tomrik_book_pause;

constexpr int common_book_argument = 17;
constexpr int common_book_group = facts::tomrik_group::phone_book;  // subscriber k's own book is + k
constexpr int book_entries = facts::tomrik_group::phone_book_cells;
constexpr int entry_places = facts::tomrik_group::phone_book_cell_size;
constexpr int first_entry_row = 7;  // entry n stands on row n + 6
constexpr int number_column = 33;

constexpr int cell_places = 48;
constexpr int cell_half = facts::tomrik_group::special_cell_half;  // characters a record of the cell carries when read
constexpr int cell_written = facts::tomrik_group::special_cell_written;
constexpr int cell_first_group = facts::tomrik_group::special_cell_first, cell_second_group = facts::tomrik_group::special_cell_second;
constexpr ScreenPos cell_at{17, 5};

// The individual book question: every digit up to Enter counts, and the
// number is echoed in the four columns left after the question.
constexpr ScreenPos book_number_at{52, 3};
constexpr int book_number_places = 4;

// The character a phone book code shows as. A code without a name shows as
// the character 48 places on; where that would be a control byte, which
// moves the cursor instead of showing, it shows blank.
char book_char(int code) {
  switch (code) {
    case facts::dial_empty: return ' ';
    case t_code: return 't';
    case pause_code: return 'p';
    default: break;
  }
  if (const char c = facts::dial_char(code)) return c;
  const int shifted = (code + '0') & 0xFF;
  return shifted < ' ' ? ' ' : static_cast<char>(shifted);
}

// The code a typed key stands for in a number, -1 for a key that is none.
int book_code(int k) {
  if (const int code = facts::dial_code(k); code > 0) return code;
  switch (k) {
    case 'P': case 'p': return pause_code;
    case 'T': case 't': return t_code;
    default: return -1;
  }
}

std::string codes_text(const int* codes, int count) {
  std::string text(count, ' ');
  for (int i = 0; i < count; ++i) text[i] = book_char(codes[i]);
  return text;
}

// The line of the entries and of the special cell: a typed character is
// inserted at the cursor.
bool edit_book_line(ScreenPos at, int* codes, int count) {
  hint_text_edit();
  return edit_digit_string({at, codes, count, book_code, book_char, DigitTyping::insert, true}) == key::enter;
}

// ------------------------------------------------------------- phone books

struct BookEntry {
  int codes[entry_places] = {};
};

// One open book: its record group and its 16 entries as last read.
class PhoneBook {
 public:
  explicit PhoneBook(int group) : group_(group) {}

  // Reads and draws every entry; a failed read is returned.
  int fill() {
    for (int n = 1; n <= book_entries; ++n) {
      print_at(23, n + 6, format("%2d", n), COLOR_SCREEN);
      if (int status = show_entry(n); status != link_ok) return status;
    }
    return link_ok;
  }

  // One column over the entries: Enter edits one, F8 clears one, F9 the
  // book. After each the entry under the cursor is read and drawn again.
  void run() {
    auto act = [this](int (PhoneBook::*action)(GridCursor&)) {
      return then_show([this, action](GridCursor& grid) { return (this->*action)(grid); },
                       [this](GridCursor& grid) { return show_entry(grid.row); });
    };
    run_table_page({{number_column}, spaced(first_entry_row, book_entries)}, [this](const GridCursor&) { return fill(); },
                   {{key::enter, act(&PhoneBook::edit_entry)},
                    {key::f8, act(&PhoneBook::clear_entry)},
                    {key::f9, act(&PhoneBook::clear_book)}});
  }

 private:
  // A record the station sends short leaves the missing places empty; one
  // sent long gives its first 25 codes.
  int read_entry(int n) {
    int status = table_read(group_, n);
    if (status != link_ok) return status;
    BookEntry& e = entries_[n - 1];
    for (int i = 0; i < entry_places; ++i) e.codes[i] = table_has_byte(i + 1) ? table_record[i + 1] : 0;
    return link_ok;
  }
  int show_entry(int n) {
    int status = read_entry(n);
    if (status == link_ok) draw_entry(n, COLOR_SCREEN);
    return status;
  }
  int write_entry(int n) {
    table_record[0] = entry_places;
    std::copy_n(entries_[n - 1].codes, entry_places, table_record + 1);
    return link_write_record(table_record, group_, n);
  }
  void draw_entry(int n, std::uint8_t colour) {
    print_at(number_column, n + 6, codes_text(entries_[n - 1].codes, entry_places), colour);
  }
  void draw_all(std::uint8_t colour) {
    for (int n = 1; n <= book_entries; ++n) draw_entry(n, colour);
  }

  int edit_entry(GridCursor& grid) {
    const int n = grid.row;
    return edit_book_line({number_column, n + 6}, entries_[n - 1].codes, entry_places) ? write_entry(n) : link_ok;
  }
  // F8: Enter empties the entry and goes on to edit it; any other key
  // leaves it as it is.
  int clear_entry(GridCursor& grid) {
    hint_clear_line();
    draw_entry(grid.row, COLOR_BOX);
    if (read_plain_key() != key::enter) return link_ok;
    std::fill_n(entries_[grid.row - 1].codes, entry_places, 0);
    return edit_entry(grid);
  }
  // F9: Enter, then Enter once more to confirm, writes every entry empty.
  // Whatever the answers, the book is read again and the cursor goes to the
  // first entry.
  int clear_book(GridCursor& grid) {
    hint_clear_book();
    draw_all(COLOR_BOX);
    if (read_plain_key() != key::enter) {
      draw_all(COLOR_SCREEN);
      return link_ok;
    }
    hint_confirm_clear();
    for (int n = 1; n <= book_entries; ++n) print_at(number_column, n + 6, std::string(entry_places, ' '), COLOR_BOX);
    if (read_plain_key() == key::enter) {
      hint_clearing();
      for (int n = 1; n <= book_entries; ++n) {
        entries_[n - 1] = BookEntry{};
        if (int status = write_entry(n); status != link_ok) return status;
      }
    }
    grid.row = 1;
    return fill();
  }

  int group_;
  BookEntry entries_[book_entries];
};

void draw_book_frame() {
  draw_table_frame({{4, 6, 23}, {16, 59}, {31}});
  print_at(18, 5, "Номер записи"_cp, COLOR_SCREEN);
  print_at(38, 5, "Номер телефона"_cp, COLOR_SCREEN);
}

// Asks for the subscriber whose book to open, by telephone number (code +
// 10), until a number of the station's subscribers comes: that book's
// record group, or 0 after Esc. Every digit up to Enter counts; past the
// last subscriber a number stays past it, however long.
int ask_book_group() {
  print_at(24, 3, std::string(32, ' '), COLOR_SCREEN);
  print_at(21, 3, "Записная книжка абонента номер "_cp, COLOR_SCREEN);
  const TypedNumber typed = read_typed_number(
      {book_number_at, book_number_places, COLOR_SCREEN, 11, subscriber_count() + 10, false, false});
  if (typed.key == key::esc) return 0;
  print_at(21, 3, format("Записная книжка абонента номер %2d   "_cp, typed.value), COLOR_SCREEN);
  return common_book_group + typed.value - 10;
}

// ------------------------------------------------------------ special cell

// The cell's 48 codes: read as two records of 24, written as two of 25.
struct SpecialCell {
  int codes[cell_places] = {};
};

int read_cell(SpecialCell& cell) {
  for (int half = 0; half < 2; ++half) {
    if (int status = table_read(half ? cell_second_group : cell_first_group, 0); status != link_ok) return status;
    for (int i = 0; i < cell_half; ++i) cell.codes[half * cell_half + i] = table_has_byte(i + 1) ? table_record[i + 1] : 0;
  }
  return link_ok;
}

// Record 67 carries characters 1..25, record 68 characters 25..48 and a 0.
int write_cell(const SpecialCell& cell) {
  table_record[0] = cell_written;
  std::copy_n(cell.codes, cell_written, table_record + 1);
  if (int status = link_write_record(table_record, cell_first_group, 0); status != link_ok) return status;
  std::copy_n(cell.codes + cell_half, cell_half, table_record + 1);
  table_record[cell_written] = 0;
  return link_write_record(table_record, cell_second_group, 0);
}

void draw_cell(const SpecialCell& cell, std::uint8_t colour) {
  print_at(cell_at, codes_text(cell.codes, cell_places), colour);
}

int edit_cell(SpecialCell& cell) { return edit_book_line(cell_at, cell.codes, cell_places) ? write_cell(cell) : link_ok; }

// F8 or F9: Enter empties the cell, and Enter once more writes it so.
int clear_cell(SpecialCell& cell) {
  hint_clear_line();
  draw_cell(cell, COLOR_BOX);
  if (read_plain_key() != key::enter) return link_ok;
  cell = SpecialCell{};
  draw_cell(cell, COLOR_BOX);
  hint_confirm_clear();
  if (read_plain_key() != key::enter) return link_ok;
  return write_cell(cell);
}

// Whether the phone book screens show the code as what an edit stores for
// its character.
bool known_book_code(std::uint8_t code) {
  return code <= facts::dial_hash || code == t_code || code == pause_code;
}

// Codes as the screens show them: `places` characters, the places past the
// record's codes empty; exact when the text tells every byte (a record the
// station gave shorter is not `whole`).
std::string listed_codes(const std::vector<std::uint8_t>& bytes, int places, bool whole = true) {
  std::vector<int> codes(places, 0);
  for (int i = 0; i < places && i < static_cast<int>(bytes.size()); ++i) codes[i] = bytes[i];
  bool exact = whole && static_cast<int>(bytes.size()) == places &&
               std::all_of(bytes.begin(), bytes.end(), known_book_code);
  return listed_value(codes_text(codes.data(), places), "", exact, bytes.data(), static_cast<int>(bytes.size()), true);
}

}  // namespace

void list_phone_books(TomrikListing& listing) {
  TomrikCompanion books;
  if (listing.companion().empty() || !decode_tomrik_companion(listing.companion(), books)) return;
  const std::string kept_in = "файл записных книжек"_cp;
  std::vector<std::uint8_t> cell;
  bool cell_kept = false;
  for (const TomrikBookRecord& r : books.records) {
    if (r.group == cell_first_group || r.group == cell_second_group) {
      cell_kept = true;
      continue;
    }
    int book = r.group - common_book_group;
    std::string section = book == 0 ? tomrik_menu_name(3, 1) : tomrik_menu_name(3, 2) + " / " + subscriber_section(book);
    listing.add_kept(section, format("Запись %d"_cp, r.index), format("запись (%d, %d), "_cp, r.group, r.index) + kept_in,
                     listed_codes(r.data, entry_places));
  }
  if (!cell_kept) return;
  // The cell's two halves, as its screen shows them: one line of 48.
  bool whole = true;
  for (int group : {cell_first_group, cell_second_group}) {
    std::vector<std::uint8_t> half;
    for (const TomrikBookRecord& r : books.records)
      if (r.group == group) half = r.data;
    whole = whole && static_cast<int>(half.size()) == cell_half;
    half.resize(cell_half, 0);
    cell.insert(cell.end(), half.begin(), half.end());
  }
  listing.add_kept(tomrik_menu_name(3, 3), "Специальная ячейка записной книжки"_cp,
                   format("записи (%d, 0) и (%d, 0), "_cp, cell_first_group, cell_second_group) + kept_in,
                   listed_codes(cell, cell_places, whole));
}

void phone_book_screen(int book) {
  clear_screen();
  draw_book_frame();
  hint_clear_keys();
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  int group = common_book_group;
  if (book == common_book_argument) {
    print_at(28, 3, "Общая записная книжка"_cp, COLOR_SCREEN);
  } else if (group = ask_book_group(); group == 0) {
    return;
  }
  PhoneBook(group).run();
}

void special_cell_screen() {
  clear_screen();
  draw_table_frame({{4, 6}, {15, 66}, {}});
  hint_clear_keys();
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  print_at(24, 3, "Специальная ячейка записной книжки"_cp, COLOR_SCREEN);
  SpecialCell cell;
  auto show = [&cell](const GridCursor&) {
    const int status = read_cell(cell);
    if (status == link_ok) draw_cell(cell, COLOR_SCREEN);
    return status;
  };
  auto act = [&](int (*action)(SpecialCell&)) { return then_show([&cell, action](GridCursor&) { return action(cell); }, show); };
  // One cell: Enter edits it, F8 and F9 clear it.
  run_table_page({{cell_at.column}, {cell_at.row}}, show,
                 {{key::enter, act(edit_cell)}, {key::f8, act(clear_cell)}, {key::f9, act(clear_cell)}});
}
