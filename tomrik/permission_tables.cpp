// Per-subscriber permission bits: the seven permission tables (subscribers by
// city lines) and the tariffing modes (subscribers by the two kinds of
// charged call). Each subscriber's bits are one one-byte record (group,
// subscriber). Besides single cells, F1 sets a whole column, F2 a whole row
// and F3 the whole table.
#include <array>
#include <iterator>
#include <vector>
#include <string>

#include "editors/screen_entry.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/hints.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

namespace {

constexpr int first_row = 8;  // subscriber k on row k + 7
constexpr int absent = -1;

// Prints each subscriber's telephone number (code + 10, "%2d") at `column`.
void draw_subscriber_numbers(int column) {
  for (int k = 1; k <= subscriber_count(); ++k) print_at(column, first_row + k - 1, format("%2d", k + 10), COLOR_SCREEN);
}

template <int Bit>
std::string permission_text(int v) {
  return (v >> Bit) & 1 ? " Да"_cp : "Нет"_cp;
}
template <int Bit>
int flip_permission(int v) {
  return (v ^ (1 << Bit)) & 0xFF;
}
// Bit l - 1 for city line l.
const CellRule permission_rules[4] = {{permission_text<0>, flip_permission<0>},
                                      {permission_text<1>, flip_permission<1>},
                                      {permission_text<2>, flip_permission<2>},
                                      {permission_text<3>, flip_permission<3>}};

// An edited tariffing byte keeps bits 0 to 3 and loses bits 4 to 7.
constexpr int tariff_bits = 0x0F;
template <int Bit>
std::string tariff_text(int v) {
  return (v >> Bit) & 1 ? "  Да "_cp : " Нет "_cp;
}
template <int Bit>
int flip_tariff(int v) {
  return (v ^ (1 << Bit)) & tariff_bits;
}
// Long-distance calls (bit 1), then city calls (bit 0).
const char* const tariff_headings[2] = {"Междугородние разговоры"_cp, "Городские разговоры"_cp};
const CellRule tariff_rules[2] = {{tariff_text<1>, flip_tariff<1>}, {tariff_text<0>, flip_tariff<0>}};

// One screen of bits: which record group, which bit each column holds and
// what a bulk write may set. `value` is each subscriber's byte as last read,
// or `absent` for a record the station does not answer with one byte; such
// a row is blank and nothing writes it. `last_read` is the byte of the
// record read last, whichever subscriber's: a column write starts from it.
struct BitTable {
  int group;
  GridCursor grid;
  int columns;              // the columns in use
  const CellRule* rules;    // the cell text and Space (which flips its bit) of column c
  int all_bits;             // F2 and F3 toggle between 0 and this
  int kept_bits;            // what a column write keeps of the rest
  bool table_to_column_1;   // F3 also puts the cursor on column 1
  std::array<int, 17> value{};
  int last_read = 0;
};

// A column's bit: what its Space makes of a clear byte.
int column_mask(const CellRule* rules, int column) { return rules[column - 1].next(0); }

bool row_present(const BitTable& t, int k) { return t.value[k] != absent; }

// Notes subscriber k's byte as the row's value and as the one read last.
void note_row(BitTable& t, int k) {
  t.value[k] = table_is_length(1) ? table_record[1] : absent;
  t.last_read = row_present(t, k) ? t.value[k] : 0;
}

int read_row(BitTable& t, int k) {
  int status = table_read(t.group, k);
  note_row(t, k);
  return status;
}

void draw_cell(const BitTable& t, int column, int k, int value, std::uint8_t colour) {
  if (row_present(t, k)) print_at(t.grid.cell(column, k), t.rules[column - 1].text(value), colour);
}

void draw_row(const BitTable& t, int k, int value, std::uint8_t colour) {
  for (int c = 1; c <= t.columns; ++c) draw_cell(t, c, k, value, colour);
}

// Reads every subscriber's record and draws its cells, then subscriber 1's
// again, so that a column write started next begins from subscriber 1's
// byte.
int fill_table(BitTable& t) {
  for (int k = 1; k <= subscriber_count(); ++k) {
    if (int status = read_row(t, k)) return status;
    draw_row(t, k, t.value[k], COLOR_SCREEN);
  }
  return subscriber_count() >= 1 ? read_row(t, 1) : 0;
}

// Lets the user set a working value with Space (which flips `flip`) while
// `draw` shows it; returns Enter or Esc.
template <typename Draw>
int choose_working_value(int& working, int flip, Draw draw) {
  hint_edit_value();
  draw(working);
  return read_space_steps([&] {
    working = (working ^ flip) & 0xFF;
    draw(working);
  });
}

// F1: the column's bit for every subscriber, the other bits as each record
// holds them. The column starts out showing the bit of the record read
// last, not the cursor's row: after a fill that is subscriber 1's.
int set_column(BitTable& t, GridCursor& grid) {
  const int column = grid.column, mask = column_mask(t.rules, column);
  int working = t.last_read;
  int k = choose_working_value(working, mask, [&](int v) {
    for (int r = 1; r <= subscriber_count(); ++r) draw_cell(t, column, r, v, COLOR_BOX);
  });
  if (k == key::enter) {
    for (int r = 1; r <= subscriber_count(); ++r) {
      if (int status = read_row(t, r)) return status;
      if (!row_present(t, r)) continue;
      table_record[1] = ((t.value[r] & ~mask) | (working & mask)) & t.kept_bits;
      if (int status = link_write_record(table_record, t.group, r)) return status;
    }
  }
  grid.row = 1;
  return fill_table(t);
}

// F2 and F3: the bits of the subscribers first..last all set or all clear.
int write_rows(BitTable& t, int first, int last) {
  int working = 0;
  int k = choose_working_value(working, t.all_bits, [&](int v) {
    for (int r = first; r <= last; ++r) draw_row(t, r, v, COLOR_BOX);
  });
  if (k != key::enter) return 0;
  for (int r = first; r <= last; ++r) {
    if (!row_present(t, r)) continue;
    table_record[0] = 1;
    table_record[1] = working;
    if (int status = link_write_record(table_record, t.group, r)) return status;
  }
  return 0;
}

// F2: one subscriber's bits.
int set_row(BitTable& t, GridCursor& grid) {
  const int row = grid.row;
  if (!row_present(t, row)) return 0;
  if (int status = write_rows(t, row, row)) return status;
  grid.column = 1;
  if (int status = read_row(t, row)) return status;
  draw_row(t, row, t.value[row], COLOR_SCREEN);
  return 0;
}

// F3: every subscriber's bits.
int set_table(BitTable& t, GridCursor& grid) {
  if (int status = write_rows(t, 1, subscriber_count())) return status;
  grid.row = 1;
  if (t.table_to_column_1) grid.column = 1;
  return fill_table(t);
}

int edit_bit(BitTable& t, GridCursor& grid) {
  const int k = grid.row;
  int status = edit_table_cell(grid, {t.group, k, 1, 1}, t.rules[grid.column - 1]);
  if (status == 0) note_row(t, k);
  return status;
}

// The common page of both kinds of table: single cells with Enter, the
// bulk writes with F1, F2 and F3. Rows below the last subscriber do
// nothing, nor do Enter and F1 on a column beyond those in use.
void run_bit_table(BitTable& t) {
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  auto on_subscriber = [&t](int (*write)(BitTable&, GridCursor&), bool in_columns_only) {
    return PageKey::Action([&t, write, in_columns_only](GridCursor& grid) {
      if (grid.row > subscriber_count() || (in_columns_only && grid.column > t.columns)) return KeyResult::handled;
      return after_link(write(t, grid));
    });
  };
  run_table_page(t.grid, [&t](const GridCursor&) { return fill_table(t); },
                 {{key::enter, on_subscriber(edit_bit, true)},
                  {key::f1, on_subscriber(set_column, true)},
                  {key::f2, on_subscriber(set_row, false)},
                  {key::f3, on_subscriber(set_table, false)}},
                 [] { hint_bulk_keys(), hint_fields(); });
}

struct PermissionTitle {
  int group;
  const char* title;
};
const PermissionTitle permission_titles[] = {
    {facts::tomrik_group::city_day, "Разрешение абонентам выхода в город днем"_cp},
    {facts::tomrik_group::city_night, "Разрешение абонентам выхода в город ночью"_cp},
    {facts::tomrik_group::long_distance_day, "Разрешение абонентам выхода в межгород днем"_cp},
    {facts::tomrik_group::long_distance_night, "Разрешение абонентам выхода в межгород ночью"_cp},
    {facts::tomrik_group::commands_15_17, "Разрешение команд 15 и 17 абонентам по линиям"_cp},
    {facts::tomrik_group::closed_dialling, "Разрешение закрытого набора абонентам по линиям"_cp},
    {facts::tomrik_group::command8, "Разрешение команды 8 абонентам по линиям"_cp},
};

// The titles stand centred in the width of the longest one (group 32's),
// which has no blanks of its own.
std::string permission_title(int group) {
  const std::string widest = permission_titles[5].title;
  for (const PermissionTitle& p : permission_titles) {
    if (p.group != group) continue;
    std::string title = p.title;
    std::size_t left = (widest.size() - title.size()) / 2;
    return std::string(left, ' ') + title + std::string(widest.size() - title.size() - left, ' ');
  }
  return std::string(widest.size(), ' ');
}

}  // namespace

void permission_table_screen(int group) {
  clear_screen();
  print_at(18, 3, permission_title(group), COLOR_SCREEN);
  draw_table_frame({{4, 7, 24}, {1, 8, 80}, {26, 44, 62}});
  print_at(2, 5, " Номер"_cp, COLOR_SCREEN);
  print_at(2, 6, " Абон."_cp, COLOR_SCREEN);
  BitTable t{group, GridCursor({16, 34, 52, 70}, spaced(first_row, 16)), line_count(), permission_rules,
             0x0F, 0xFF, true};
  for (int l = 1; l <= t.columns; ++l) print_at(14 + 18 * (l - 1), 6, format("Линия %d"_cp, l), COLOR_SCREEN);
  draw_subscriber_numbers(4);
  run_bit_table(t);
}

void tariffing_modes_screen() {
  clear_screen();
  print_at(24, 3, "Разрешения тарификации абонентов"_cp, COLOR_SCREEN);
  draw_table_frame({{4, 7, 24}, {1, 11, 44, 80}, {}});
  print_at(2, 5, "  Номер"_cp, COLOR_SCREEN);
  print_at(2, 6, " Абонента"_cp, COLOR_SCREEN);
  print_at(16, 6, tariff_headings[0], COLOR_SCREEN);
  print_at(50, 6, tariff_headings[1], COLOR_SCREEN);
  BitTable t{facts::tomrik_group::tariffing, GridCursor({26, 60}, spaced(first_row, 16)), 2, tariff_rules, 0x03, tariff_bits, false};
  draw_subscriber_numbers(6);
  run_bit_table(t);
}

namespace {

// A subscriber's byte of bits as one setting: each column's heading and the
// text of its bit, the bits the columns do not show kept clear.
void list_bits(TomrikListing& listing, const std::string& section, int group, const std::vector<std::string>& headings,
               const CellRule* rules) {
  for (int k = 1; k <= listing.subscribers(); ++k) {
    const std::uint8_t* b = listing.record_bytes(group, k, 1, 1);
    if (!b) continue;
    std::string shown;
    int shown_bits = 0;
    for (std::size_t c = 0; c < headings.size(); ++c) {
      shown += (c ? ", " : "") + headings[c] + ": " + trimmed(rules[c].text(*b));
      shown_bits |= column_mask(rules, static_cast<int>(c) + 1);
    }
    listing.add(section, subscriber_section(k), group, k, 1, 1, listed_value(shown, "", (*b & ~shown_bits) == 0, b, 1));
  }
}

}  // namespace

void list_permission_table(TomrikListing& listing, int group) {
  int entry = 0;
  for (std::size_t i = 0; i < std::size(permission_titles); ++i)
    if (permission_titles[i].group == group) entry = static_cast<int>(i);
  // The tables stand in the programming menu from its sixth entry on, in
  // the order of their titles.
  std::vector<std::string> headings;
  for (int l = 1; l <= listing.lines(); ++l) headings.push_back(format("Линия %d"_cp, l));
  list_bits(listing, tomrik_menu_name(2, 6 + entry), group, headings, permission_rules);
}

void list_tariffing_modes(TomrikListing& listing) {
  list_bits(listing, tomrik_menu_name(2, 13), facts::tomrik_group::tariffing,
            {tariff_headings[0], tariff_headings[1]}, tariff_rules);
}
