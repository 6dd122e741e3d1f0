// Internal subscriber settings: one row per subscriber, one column per
// setting, each a one-byte record (group, subscriber). Page 1 also carries
// the station-wide permission to switch between day and night mode, under
// F1.
#include <string>
#include <vector>

#include "editors/screen_entry.h"
#include "facts/tomrik_records.h"
#include "platform/cp866.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

constexpr int first_row = 7;  // subscriber k on row k + 6
constexpr int day_night_group = facts::tomrik_group::day_night;
constexpr ScreenPos day_night_at{44, 24};

// The cycle 0, 1, ..., last, then 0; a value off it starts again at 0.
int cycle_to(int v, int last) { return v >= 0 && v < last ? v + 1 : 0; }

std::string yes_no_text(int v) { return v == 0 ? "Нет"_cp : v == 1 ? " Да"_cp : "   "; }
int next_yes_no(int v) { return cycle_to(v, 1); }

std::string search_start_text(int v) {
  if (v == 0) return "Равномерно"_cp;
  return fit_cell(format(" Линия %d  "_cp, v), 10);
}
int next_search_start(int v) { return cycle_to(v, line_count()); }

// Hot line codes: 0 none, 1..S a subscriber, S + 1..128 a call group (the
// station's groups are 21..26 and 31..36), 129.. a city line.
using facts::tomrik_hot_line::first_call_group, facts::tomrik_hot_line::last_call_group;
using facts::tomrik_hot_line::first_other_group, facts::tomrik_hot_line::last_other_group;
constexpr int first_line_code = facts::tomrik_hot_line::first_line;

// The texts are nine places wide, as is the field (columns 58..66).
constexpr int hot_line_places = 9;

// The hot line's text for a station of `counts.subscribers` subscribers.
std::string hot_line_text_for(int v, const FieldCounts& counts) {
  const int s = counts.subscribers;
  if (v == 0) return fit_cell("   Нет   "_cp, hot_line_places);
  if (v <= s) return fit_cell(format("Вн абн %2d"_cp, v + 10), hot_line_places);
  if (v < first_line_code) return fit_cell(format("Гр выз %2d"_cp, v + 10), hot_line_places);
  return fit_cell(format("Гор лин %d"_cp, v - 128), hot_line_places);
}

std::string hot_line_text(int v) {
  FieldCounts counts;
  counts.subscribers = subscriber_count();
  return hot_line_text_for(v, counts);
}

// The next code of the cycle 0, 1..S, 21..26, 31..36, 129..128 + L, 0: the
// first code on it above v, so a stored code off the cycle steps onto it.
int next_hot_line(int v) {
  const int s = subscriber_count(), last_line_code = first_line_code - 1 + line_count();
  if (v < 0) return 0;
  if (v < s) return v + 1;
  if (v < first_call_group) return first_call_group;
  if (v < last_call_group) return v + 1;
  if (v < first_other_group) return first_other_group;
  if (v < last_other_group) return v + 1;
  if (v < first_line_code) return last_line_code >= first_line_code ? first_line_code : 0;
  if (v < last_line_code) return v + 1;
  return 0;
}

const char* const flash_texts[10] = {"200-600 ", "100-200 ", "200-300 ", "300-400 ", "400-500 ",
                                     "500-600 ", "600-700 ", "700-800 ", "800-900 ", "900-1000"};
std::string flash_text(int v) { return v >= 0 && v <= 9 ? flash_texts[v] : std::string(8, ' '); }
int next_flash(int v) { return cycle_to(v, 9); }

std::string day_night_text(int v) {
  if (v == 0) return "Ручное и автоматическое"_cp;
  if (v == 1) return "Только ручное          "_cp;
  return std::string(23, ' ');
}

const CellRule day_night_rule{day_night_text, next_yes_no};
const std::string day_night_label = "Разрешение переключения режимов День/Ночь"_cp;

struct SettingColumn {
  int group;
  int heading_x[2];
  const char* heading[2];
  CellRule rule;
};

// Page 1 carries the station-wide setting under F1.
struct SettingsPage {
  std::vector<SettingColumn> columns;
  bool day_night;
};

const SettingsPage settings_pages[2] = {
    {{{facts::tomrik_group::intrusion, {12, 11}, {"Разр."_cp, "вмешат."_cp}, {yes_no_text, next_yes_no}},
      {facts::tomrik_group::notification, {24, 23}, {"Разр."_cp, "уведомл."_cp}, {yes_no_text, next_yes_no}},
      {facts::tomrik_group::day_night_transfer, {34, 34}, {"Разр. пер."_cp, "День/Ночь"_cp}, {yes_no_text, next_yes_no}},
      {facts::tomrik_group::search_start, {46, 47}, {"Лин. нач."_cp, "поиска"_cp}, {search_start_text, next_search_start}},
      {facts::tomrik_group::hot_line, {59, 60}, {"Горячая"_cp, "линия"_cp}, {hot_line_text, next_hot_line}},
      {facts::tomrik_group::flash_time, {70, 70}, {"Длитеьн."_cp, "ФЛЭШ (Мс)"_cp}, {flash_text, next_flash}}},
     true},
    {{{facts::tomrik_group::tone_dialling, {12, 10}, {"Разр."_cp, "Тон.набор"_cp}, {yes_no_text, next_yes_no}}}, false},
};

GridCursor settings_grid(const SettingsPage& page) {
  const int all_x[6] = {13, 25, 37, 46, 58, 71};
  return GridCursor(std::vector<int>(all_x, all_x + page.columns.size()), spaced(first_row, 16));
}

RecordCell setting_cell(const SettingsPage& page, int column, int subscriber) {
  return {page.columns[column - 1].group, subscriber, 1, 1};
}

void draw_page(const SettingsPage& page) {
  clear_screen();
  draw_table_frame({{3, 6, 23}, {1, 8, 80}, {20, 32, 44, 56, 68}});
  print_at(26, 2, "Установки внутренних абонентов"_cp, COLOR_SCREEN);
  print_at(3, 4, "Номер"_cp, COLOR_SCREEN);
  print_at(3, 5, "абон."_cp, COLOR_SCREEN);
  for (const SettingColumn& column : page.columns)
    for (int line = 0; line < 2; ++line)
      print_at(column.heading_x[line], 4 + line, column.heading[line], COLOR_SCREEN);
}

// Column by column, every subscriber's value; a record of another length
// than one byte stays blank.
int fill_page(const SettingsPage& page, const GridCursor& grid) {
  for (int c = 1; c <= static_cast<int>(page.columns.size()); ++c) {
    for (int k = 1; k <= subscriber_count(); ++k) {
      print_at(4, first_row + k - 1, format("%2d", k + 10), COLOR_SCREEN);
      const RecordCell cell = setting_cell(page, c, k);
      if (int status = table_read(cell.group, cell.index)) return status;
      if (table_holds(cell)) show_record_cell(grid.cell(c, k), table_record, table_record[1], page.columns[c - 1].rule, COLOR_SCREEN);
    }
  }
  return 0;
}

// The station-wide setting, shown only when the station answers its record
// with one byte: the value line on row 24 and its key on row 1.
int show_day_night(bool& shown) {
  const int status = table_read(day_night_group, 1);
  shown = status == 0 && table_is_length(1);
  if (!shown) return status;
  print_at(1, 24, day_night_label + ": ", COLOR_SCREEN);
  print_at(day_night_at, day_night_text(table_record[1]), COLOR_SCREEN);
  hint_day_night_key();
  return status;
}

const SettingsPage& settings_page(int number) { return settings_pages[number == 2 ? 1 : 0]; }

}  // namespace

void subscriber_settings_screen(int page_number) {
  const SettingsPage& page = settings_page(page_number);
  draw_page(page);
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  bool day_night = false;
  auto show = [&](const GridCursor& grid) {
    const int status = fill_page(page, grid);
    return status == 0 && page.day_night ? show_day_night(day_night) : status;
  };
  run_table_page(settings_grid(page), show,
                 {{key::enter,
                   [&](GridCursor& grid) {
                     if (grid.row > subscriber_count()) return KeyResult::handled;
                     return after_link(edit_table_cell(grid, setting_cell(page, grid.column, grid.row),
                                                       page.columns[grid.column - 1].rule));
                   }},
                  {key::f1, [&](GridCursor&) {
                     if (!day_night) return KeyResult::handled;
                     // A grid of one cell: the value stands outside the table.
                     const GridCursor value_at({day_night_at.column}, {day_night_at.row});
                     return after_link(edit_table_cell(value_at, {day_night_group, 1, 1, 1}, day_night_rule));
                   }}});
}

void list_subscriber_settings(TomrikListing& listing, int page_number) {
  const SettingsPage& page = settings_page(page_number);
  const std::string menu = tomrik_menu_name(2, page_number == 2 ? 5 : 4);
  if (page.day_night)
    listing.add_byte(menu, day_night_label, day_night_group, 1, 1, day_night_text);
  for (int k = 1; k <= listing.subscribers(); ++k) {
    for (const SettingColumn& column : page.columns) {
      const std::string label = std::string(column.heading[0]) + " " + column.heading[1];
      if (column.group == facts::tomrik_group::hot_line)
        listing.add_byte(menu + " / " + subscriber_section(k), label, column.group, k, 1,
                         [&](int v) { return hot_line_text_for(v, listing.counts()); });
      else
        listing.add_byte(menu + " / " + subscriber_section(k), label, column.group, k, 1, column.rule.text);
    }
  }
}
