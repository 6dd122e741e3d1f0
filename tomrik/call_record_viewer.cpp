// The viewer of the call records in "tarif.dat": sixteen rows at a time,
// filtered by subscriber, city line and the beginning of the number, with a
// text report of the filtered list.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "link/link_state.h"
#include "platform/cp866.h"
#include "platform/files.h"
#include "tomrik/call_records.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/hints.h"
#include "toolkit/digit_string.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

namespace {

constexpr int rows = 16;
constexpr int pattern_column = 34;

// What the viewer holds while it runs: the open file, the numbers of the
// records on the page and where the cursor is.
struct ViewerState {
  std::FILE* file = nullptr;
  int record_of_row[rows + 1] = {};
  int cursor_row = 1;
  int current = 1;
};

constexpr int filter_columns[2] = {46, 62};  // the filter's subscriber and line, on row 2

// The largest subscriber or line of the filter. Without a connection the
// station's counts are unknown; the filter then offers the model's full range.
int filter_limit(int index) {
  if (index == 0) return link_state.subscriber_count > 0 ? link_state.subscriber_count : 16;
  return link_state.city_line_count > 0 ? link_state.city_line_count : 4;
}

// ------------------------------------------------------------------ screen

// A filter's subscriber (shown as code + 10) or line, "Все" for 0.
std::string filter_number(int index, const char* pattern) {
  const int value = record_filter.bytes[index];
  return value == 0 ? std::string("Все"_cp) : format(pattern, index == 0 ? value + 10 : value);
}
std::string filter_text(int index) { return " " + filter_number(index, "%3d") + " "; }

// The number pattern keeps the typed digits, "*", "#" and "?" (any one
// character); an empty place is 0.
int pattern_code(int k) { return (k >= '0' && k <= '9') || k == '*' || k == '#' || k == '?' ? k : -1; }
char pattern_char(int code) { return code == 0 ? ' ' : static_cast<char>(code); }

std::string pattern_text() {
  std::string s;
  for (int i = 0; i < pattern_places; ++i) s.push_back(pattern_char(record_filter.bytes[number_first + i]));
  return s;
}

void draw_filter_values() {
  for (int index : {0, 1}) print_at(filter_columns[index], 2, filter_text(index), COLOR_BOX);
  print_at(pattern_column, 4, pattern_text(), COLOR_BOX);
}

// On screen the number shows every printable byte as stored, but for the
// station's own ";" and "<", which stand for "*" and "#"; 0 and control
// bytes, which would move the cursor, show as blanks.
char shown_number_character(std::uint8_t byte) {
  if (byte == ';') return '*';
  if (byte == '<') return '#';
  return byte < 32 ? ' ' : static_cast<char>(byte);
}

std::string number_text(const std::uint8_t* b) {
  std::string s;
  for (int i = number_first; i < call_record_size; ++i) s.push_back(shown_number_character(b[i]));
  return s;
}

// Each number of a row fills its two places; one that a garbled record
// makes wider shows as blanks, so the table's frame is never overwritten.
std::string two_places(const char* pattern, int value) { return fit_cell(format(pattern, value), 2); }

std::string three_numbers(const std::uint8_t* b, char separator) {
  return two_places("%02d", b[0]) + separator + two_places("%02d", b[1]) + separator + two_places("%02d", b[2]);
}

// The columns of a row: where each starts, its width, its text of a
// record's bytes, and its heading above the table with where that starts.
struct RecordColumn {
  int x;
  int width;
  std::string (*text)(const std::uint8_t* b);
  int heading_x;
  const char* heading;
};
const RecordColumn record_columns[] = {
    {8, 2, [](const std::uint8_t* b) { return two_places("%2d", b[0] + 10); }, 5, "Абонент"_cp},
    {17, 2, [](const std::uint8_t* b) { return two_places("%2d", b[1]); }, 15, "Линия"_cp},
    {23, 8, [](const std::uint8_t* b) { return three_numbers(b + 2, '-'); }, 25, "Дата"_cp},
    {34, 8, [](const std::uint8_t* b) { return three_numbers(b + 5, ':'); }, 36, "Время"_cp},
    {45, 8, [](const std::uint8_t* b) { return three_numbers(b + 8, ':'); }, 45, "Длительн"_cp},
    {56, call_record_size - number_first, number_text, 63, "Номер"_cp},
};

void draw_screen() {
  set_colour(COLOR_SCREEN);
  clear_screen();
  print_at_plain(12, 2, "Информация о разговорах абонента: "_cp);
  print_at_plain(53, 2, "по линии: "_cp);
  print_at_plain(12, 4, "По городскому номеру: "_cp);
  draw_table_frame({{5, 7, 24}, {3, 78}, {13, 21, 32, 43, 54}});
  for (const RecordColumn& c : record_columns) print_at_plain(c.heading_x, 6, c.heading);
  draw_filter_values();
}

// A row without a record (or with an empty one) is blank.
void draw_row(int row, const CallRecord* r) {
  for (const RecordColumn& c : record_columns)
    print_at_plain(c.x, row + 7, r && r->bytes[0] != 0 ? c.text(r->bytes) : std::string(c.width, ' '));
}

// ------------------------------------------------------------ filter input

// Returns false when Esc ended the viewer.
bool filter_input() {
  hint_record_filter();
  for (int index : {0, 1}) {
    const int column = filter_columns[index];
    std::uint8_t& value = record_filter.bytes[index];
    goto_xy(column + 1, 2);
    const int k = read_space_steps([&] {
      value = value + 1 > filter_limit(index) ? 0 : value + 1;
      print_at(column, 2, filter_text(index), COLOR_BOX);
      goto_xy(column + 1, 2);
    });
    if (k == key::esc) return false;
  }
  std::uint8_t* pattern = record_filter.bytes + number_first;
  int codes[pattern_places];
  std::copy_n(pattern, pattern_places, codes);
  edit_digit_string({{pattern_column, 4}, codes, pattern_places, pattern_code, pattern_char,
                     DigitTyping::insert_always, false, RightStep::off_a_code, true});
  std::copy_n(codes, pattern_places, pattern);
  hint_record_browse();
  return true;
}

// --------------------------------------------------------------- searching

// A read that fails to seek is told about and ends the search, as the end
// of the file does.
RecordRead read_record(const ViewerState& viewer, int n, CallRecord& out) {
  RecordRead result = read_call_record(viewer.file, n, out);
  if (result == RecordRead::seek_failed) {
    print_at_plain(57, 25, "Ошибка выполнения fseek"_cp);
    read_key();
  }
  return result;
}

// The number of the first record from n on that the filter passes, that
// record in `found`; 0 when the file has none.
int search_forward(const ViewerState& viewer, int n, CallRecord& found) {
  for (;; ++n) {
    print_at_plain(57, 25, std::string(22, ' '));
    if (read_record(viewer, n, found) != RecordRead::ok) return 0;
    if (call_record_matches(found, record_filter)) return n;
  }
}

int search_backward(const ViewerState& viewer, int n) {
  for (; n >= 1; --n) {
    CallRecord r;
    if (read_record(viewer, n, r) != RecordRead::ok) return 0;
    if (call_record_matches(r, record_filter)) return n;
  }
  return 0;
}

// Rows `first`..16 hold no record and are blank.
void clear_rows(ViewerState& viewer, int first) {
  for (int row = first; row <= rows; ++row) {
    viewer.record_of_row[row] = 0;
    draw_row(row, nullptr);
  }
}

void fill_page(ViewerState& viewer, int row, int n) {
  for (int r = row; r <= rows; ++r) {
    CallRecord record;
    int found = search_forward(viewer, n, record);
    if (found == 0) {
      clear_rows(viewer, r);
      return;
    }
    draw_row(r, &record);
    viewer.record_of_row[r] = found;
    viewer.cursor_row = r;
    n = found + 1;
  }
}

void refill_from_start(ViewerState& viewer) {
  clear_rows(viewer, 1);
  viewer.cursor_row = 1;
  fill_page(viewer, 1, 1);
  if (viewer.record_of_row[viewer.cursor_row]) viewer.current = viewer.record_of_row[viewer.cursor_row];
}

// ------------------------------------------------------------------ report

// Reads one word typed in the field: a blank after it ends it as Enter
// does, a blank before it is passed over. Esc gives up (an empty answer).
std::string read_file_name() {
  std::string name;
  print_at(9, 13, std::string(25, ' '), COLOR_SELECT);
  goto_xy(9, 13);
  for (;;) {
    int scan;
    const int k = read_plain_key(scan);
    if (k == key::extended) continue;  // no arrow or function key is part of a name
    if (k == key::esc) return "";
    if (k == key::enter || k == key::space) {
      if (!name.empty()) return name;
      continue;
    }
    if (k == key::backspace) {
      if (!name.empty()) {
        name.pop_back();
        print_at(9 + static_cast<int>(name.size()), 13, " ", COLOR_SELECT);
        goto_xy(9 + static_cast<int>(name.size()), 13);
      }
      continue;
    }
    if (k > 32 && name.size() < 25) {
      name.push_back(static_cast<char>(k));
      set_colour(COLOR_SELECT);
      put_char(static_cast<std::uint8_t>(k));
      set_colour(COLOR_SCREEN);
    }
  }
}

std::FILE* ask_report_file() {
  save_screen();
  draw_box(7, 10, 27, 4);
  print_at(9, 12, "    Введите имя файла    "_cp, COLOR_BOX);
  std::FILE* report = nullptr;
  for (;;) {
    std::string name = read_file_name();
    if (name.empty()) break;  // Esc: no report
    report = platform::open_regular_file(platform::file_path(name), "ab");
    if (report) break;
    print_at(33, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
    read_key();
    print_at(33, 4, std::string(22, ' '), COLOR_SCREEN);
  }
  restore_screen();
  return report;
}

void put_line(std::FILE* f, const std::string& text) {
  std::fputs(text.c_str(), f);
  std::fputs("\r\n", f);
}

void write_report(const ViewerState& viewer) {
  std::FILE* report = ask_report_file();
  if (!report) return;
  put_line(report, "");
  put_line(report, "          Информация о разговорах абонента: "_cp + filter_number(0, "%d") + "   по линии: "_cp +
                       filter_number(1, "%d"));
  put_line(report, "");
  put_line(report, "   Абонент   Линия     Дата      Время   Длительн  Номер телефона"_cp);
  for (int n = 1;; ++n) {
    CallRecord r;
    if (read_record(viewer, n, r) != RecordRead::ok) break;
    if (!call_record_matches(r, record_filter)) continue;
    const std::uint8_t* b = r.bytes;
    std::string line = format("     %2d         %d    %02d-%02d-%02d  %02d:%02d:%02d  %02d:%02d:%02d  ", b[0] + 10, b[1],
                              b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10]);
    for (int i = number_first; i < call_record_size; ++i)
      if (char c = number_character(b[i])) line.push_back(c);
    put_line(report, line);
  }
  put_line(report, "");
  put_line(report, "");
  std::fclose(report);
}

void show_open_failure() {
  save_screen();
  draw_box(10, 10, 60, 4);
  print_at(20, 12, "   Ошибка открытия файла тарификации!   "_cp, COLOR_ALERT);
  print_at(20, 13, " Для продолжения нажмите любую клавишу. "_cp, COLOR_ALERT);
  read_key();
  restore_screen();
}

// A name that opens but cannot be read (a directory) is no call record
// file either.
bool readable(std::FILE* file) {
  std::fgetc(file);
  bool ok = !std::ferror(file);
  std::rewind(file);
  return ok;
}

void close_file(ViewerState& viewer) {
  if (viewer.file) std::fclose(viewer.file);
  viewer.file = nullptr;
}

// Returns when the user leaves.
void browse(ViewerState& viewer) {
  for (;;) {
    goto_xy(8, viewer.cursor_row + 7);
    int k = read_key();
    if (k == key::esc) {
      record_filter = CallRecord();
      return;
    }
    if (k != key::extended) continue;
    int scan = read_key();
    int& row = viewer.cursor_row;
    if (scan == key::up) {
      if (row > 1) {
        --row;
      } else if (viewer.current > 1) {
        int found = search_backward(viewer, viewer.current - 1);
        if (found) {
          fill_page(viewer, 1, found);
          row = 1;
        }
      }
    } else if (scan == key::down) {
      if (row < rows) {
        if (viewer.record_of_row[row + 1]) ++row;
      } else if (CallRecord next; search_forward(viewer, viewer.current + 1, next)) {
        fill_page(viewer, 1, viewer.record_of_row[2]);
        row = rows;
      }
    } else if (scan == key::f9) {
      write_report(viewer);
      draw_screen();
      if (!filter_input()) return;
      refill_from_start(viewer);
    }
    if (viewer.record_of_row[row]) viewer.current = viewer.record_of_row[row];
  }
}

}  // namespace

void call_record_viewer() {
  ViewerState viewer;
  draw_screen();
  if (!filter_input()) return;
  viewer.file = open_call_records_for_reading();
  if (viewer.file && !readable(viewer.file)) close_file(viewer);
  if (!viewer.file) {
    show_open_failure();
    return;
  }
  refill_from_start(viewer);
  browse(viewer);
  close_file(viewer);
  set_colour(COLOR_SCREEN);
}
