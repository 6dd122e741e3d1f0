// Distribution of incoming city calls by day or by night: for each city
// line three groups of up to four subscribers, groups 2 and 3 with a delay.
#include <string>

#include "editors/screen_entry.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/screen.h"

namespace {

constexpr int delay_column = 5;
constexpr int delay_group = facts::tomrik_group::distribution_delay;
constexpr int places = 4;

// Columns 1..4 are the places of a group, column 5 its delay; row r is
// group (r - 1) % 3 + 1 of line (r - 1) / 3 + 1, one row of the screen
// between lines.
GridCursor distribution_grid() {
  return GridCursor({51, 59, 67, 75, 43}, {8, 9, 10, 12, 13, 14, 16, 17, 18, 20, 21, 22});
}

int row_line(int row) { return (row - 1) / 3 + 1; }
int row_group(int row) { return (row - 1) % 3 + 1; }
int record_group(int period, int row) { return (period == 2 ? facts::tomrik_group::distribution_night : facts::tomrik_group::distribution_day) + row_group(row) - 1; }
// The 1-based data byte of the delay record for a group 2 or 3 row.
int delay_position(int period, int row) { return (period - 1) * 2 + row_group(row) - 1; }

int next_subscriber(int code) {
  int next = code + 1;
  return next > link_state.subscriber_count ? 0 : next;
}

// The delay cell is one digit wide.
std::string delay_text(int v) { return fit_cell(format("%d", v), 1); }
int next_delay(int v) { return v >= 0 && v < 9 ? v + 1 : 0; }

const CellRule delay_rule{delay_text, next_delay};

// Fills the places N+1..count with 0 and sets the length to count, so a
// record the station sent short never carries stale buffer bytes.
void table_fit_length(int count) {
  for (int i = table_record[0] + 1; i <= count; ++i) table_record[i] = 0;
  table_record[0] = count;
}

void draw_frame_lines() { draw_table_frame({{5, 7, 23}, {1, 28, 37, 48, 80}, {56, 64, 72}, {11, 15, 19}}); }

// A record the station sent short is written with all four places, the
// missing ones empty: they are shown so, as what an edit will write.
void draw_places(const GridCursor& grid, int row, std::uint8_t colour) {
  if (table_record[0] == 0) return;
  for (int p = 1; p <= places; ++p)
    print_at(grid.cell(p, row), member_text(table_has_byte(p) ? table_record[p] : 0), colour);
}

int redraw_places(const GridCursor& grid, int period, int row) {
  if (int status = table_read(record_group(period, row), row_line(row)); status != link_ok) return status;
  draw_places(grid, row, COLOR_SCREEN);
  return link_ok;
}

// Edits the place under the cursor in the current row; Enter writes the
// group tidied.
int edit_place(GridCursor& grid, int period) {
  const int row = grid.row;
  return edit_record({record_group(period, row), row_line(row), [] { return table_record[0] != 0; },
                      [&] {
                        table_fit_length(places);
                        auto next = [](int, int code) { return next_subscriber(code); };
                        if (!edit_group_place(grid, &table_record[1], places, next, member_text)) return false;
                        tidy_members(&table_record[1], places);
                        return true;
                      },
                      [&] { draw_places(grid, row, COLOR_SCREEN); }});
}

int show_rows(const GridCursor& grid, int period) {
  for (int row = 1; row <= 12; ++row) {
    if (row_line(row) > line_count()) continue;
    if (int status = redraw_places(grid, period, row); status != link_ok) return status;
    if (row_group(row) == 1) continue;
    if (int status = table_read(delay_group, row_line(row)); status != link_ok) return status;
    const int pos = delay_position(period, row);
    if (table_has_byte(pos)) print_at(grid.cell(delay_column, row), delay_text(table_record[pos]), COLOR_SCREEN);
  }
  return link_ok;
}

}  // namespace

void call_distribution_screen(int period) {
  period = period == 2 ? 2 : 1;
  clear_screen();
  print_at(18, 4, period == 1 ? "Распределение вызовов из городских линий днем"_cp
                              : "Распределение вызовов из городских линий ночью"_cp,
           COLOR_SCREEN);
  draw_frame_lines();
  print_at(30, 6, "Группа"_cp, COLOR_SCREEN);
  print_at(39, 6, "Задержка"_cp, COLOR_SCREEN);
  for (int x : {50, 58, 66, 74}) print_at(x, 6, "Абон."_cp, COLOR_SCREEN);
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  static const char* const labels[4] = {"Городская линия 1"_cp, "Городская линия 2"_cp, "Городская линия  3"_cp,
                                        "Городская линия  4"_cp};
  for (int l = 1; l <= line_count(); ++l) {
    print_at(6, 9 + 4 * (l - 1), labels[l - 1], COLOR_SCREEN);
    for (int g = 1; g <= 3; ++g) print_at(33, 7 + g + 4 * (l - 1), std::string(1, static_cast<char>('0' + g)), COLOR_SCREEN);
  }
  // Enter edits; Enter and Esc read the row's places again.
  auto edit = [period](GridCursor& grid) {
    if (row_line(grid.row) > line_count()) return KeyResult::handled;
    if (grid.column != delay_column) return after_link(edit_place(grid, period));
    if (row_group(grid.row) == 1) return KeyResult::handled;
    return after_link(edit_table_cell(grid, {delay_group, row_line(grid.row), delay_position(period, grid.row)}, delay_rule));
  };
  auto reread = [period](GridCursor& grid) {
    if (row_line(grid.row) > line_count() || grid.column == delay_column) return KeyResult::handled;
    return after_link(redraw_places(grid, period, grid.row));
  };
  run_table_page(distribution_grid(), [period](const GridCursor& grid) { return show_rows(grid, period); },
                 {{key::enter, [=](GridCursor& grid) {
                    const KeyResult done = edit(grid);
                    return done == KeyResult::handled ? reread(grid) : done;
                  }},
                  {key::esc, reread}});
}

void list_call_distribution(TomrikListing& listing, int period) {
  period = period == 2 ? 2 : 1;
  for (int line = 1; line <= listing.lines(); ++line) {
    const std::string section = tomrik_menu_name(2, period == 1 ? 2 : 3) + " / " + format("Линия %d"_cp, line);
    for (int group = 1; group <= 3; ++group) {
      const int row = 3 * (line - 1) + group;
      const std::uint8_t* codes = listing.record_bytes(record_group(period, row), line, 1, places);
      if (!codes) continue;
      const std::string label = format("Группа %d"_cp, group);
      listing.add(section, label, record_group(period, row), line, 1, places,
                  listed_members(codes, places, listing.subscribers()));
      if (group > 1)
        listing.add_byte(section, label + ", " + "Задержка"_cp, delay_group, line, delay_position(period, row),
                         delay_text);
    }
  }
}
