#include "toolkit/screen.h"

#include <deque>
#include <vector>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace {

platform::ScreenModel& console() { return platform::services().screen; }

// One save buffer, columns 1..76 of every row; saves do not nest.
constexpr platform::Rect save_area{1, 1, 76, 25};
platform::Cell save_buffer[76 * 25];

}  // namespace

void set_colour(std::uint8_t colour) { console().set_colour(colour); }
std::uint8_t current_colour() { return console().colour(); }
void goto_xy(int column, int row) { console().goto_xy(column, row); }
void put_text(std::string_view text) { console().write(text); }
void put_char(std::uint8_t ch) { console().put(ch); }
void put_at(int column, int row, std::uint8_t ch) {
  goto_xy(column, row);
  put_char(ch);
}
void put_blanks(int count) {
  for (int i = 0; i < count; ++i) console().put(' ');
}

void print_at(int column, int row, std::string_view text, std::uint8_t colour) {
  goto_xy(column, row);
  set_colour(colour);
  put_text(text);
  set_colour(COLOR_SCREEN);
}

void print_at_plain(int column, int row, std::string_view text) {
  goto_xy(column, row);
  put_text(text);
}

void draw_box(int column, int row, int width, int height) {
  if (width < 0 || height < 0) return;
  std::string line;
  set_colour(COLOR_BOX);
  line.assign(1, static_cast<char>(boxch::top_left));
  line.append(width, static_cast<char>(boxch::horizontal));
  line.push_back(static_cast<char>(boxch::top_right));
  print_at_plain(column, row, line);
  line.assign(1, static_cast<char>(boxch::vertical));
  line.append(width, ' ');
  line.push_back(static_cast<char>(boxch::vertical));
  for (int i = 1; i <= height; ++i) print_at_plain(column, row + i, line);
  line.assign(1, static_cast<char>(boxch::bottom_left));
  line.append(width, static_cast<char>(boxch::horizontal));
  line.push_back(static_cast<char>(boxch::bottom_right));
  print_at_plain(column, row + height + 1, line);
  set_colour(COLOR_SCREEN);
}

void erase_box(int column, int row, int width, int height) {
  if (width < 0 || height < 0) return;
  std::string blanks(width + 2, ' ');
  set_colour(COLOR_SCREEN);
  for (int i = 0; i < height + 2; ++i) print_at_plain(column, row + i, blanks);
  goto_xy(1, 1);
}

void draw_frame(int x1, int y1, int x2, int y2, std::uint8_t line_char) {
  if (x1 == x2 && y1 < y2) {
    for (int y = y1; y <= y2; ++y) {
      goto_xy(x1, y);
      put_char(line_char);
    }
  } else if (y1 == y2 && x1 < x2) {
    goto_xy(x1, y1);
    for (int x = x1; x <= x2; ++x) put_char(line_char);
  } else if (x1 < x2 && y1 < y2 && profile().frame_rectangles) {
    bool dbl = line_char == boxch::d_horizontal || line_char == boxch::d_vertical;
    std::uint8_t h = dbl ? boxch::d_horizontal : boxch::horizontal;
    std::uint8_t v = dbl ? boxch::d_vertical : boxch::vertical;
    // The edges are drawn a character at a time: an edge one character
    // long (a box one row or one column inside) is an edge too.
    for (int x = x1 + 1; x < x2; ++x) {
      put_at(x, y1, h);
      put_at(x, y2, h);
    }
    for (int y = y1 + 1; y < y2; ++y) {
      put_at(x1, y, v);
      put_at(x2, y, v);
    }
    auto corner = [](int x, int y, std::uint8_t c) {
      goto_xy(x, y);
      put_char(c);
    };
    corner(x1, y1, dbl ? boxch::d_top_left : boxch::top_left);
    corner(x2, y1, dbl ? boxch::d_top_right : boxch::top_right);
    corner(x1, y2, dbl ? boxch::d_bottom_left : boxch::bottom_left);
    corner(x2, y2, dbl ? boxch::d_bottom_right : boxch::bottom_right);
  }
}

void wait_ms(int milliseconds) { platform::sleep_ms(milliseconds); }

void save_screen() { console().read_rect(save_area, save_buffer); }
void restore_screen() { console().write_rect(save_area, save_buffer); }

void set_window(int x1, int y1, int x2, int y2) { console().set_window(x1, y1, x2, y2); }

namespace {
constexpr platform::Rect bottom_row{1, 25, 80, 25};
}  // namespace

void BottomNote::show(std::string_view text, std::uint8_t colour) {
  platform::Cell row[80];
  if (!shown_) {
    console().read_rect(bottom_row, row);
    for (int i = 0; i < 80; ++i) {
      saved_[2 * i] = row[i].ch;
      saved_[2 * i + 1] = row[i].attr;
    }
  }
  // Longer texts are cut at the screen's edge; control bytes would move
  // the terminal's cursor, so they show as '?'.
  for (int i = 0; i < 80; ++i) {
    std::uint8_t ch = i < static_cast<int>(text.size()) ? static_cast<std::uint8_t>(text[i]) : ' ';
    row[i] = {ch < 0x20 || ch == 0x7F ? static_cast<std::uint8_t>('?') : ch, colour};
  }
  console().write_rect(bottom_row, row);
  shown_ = true;
}

void BottomNote::remove() {
  if (!shown_) return;
  platform::Cell row[80];
  for (int i = 0; i < 80; ++i) row[i] = {saved_[2 * i], saved_[2 * i + 1]};
  console().write_rect(bottom_row, row);
  shown_ = false;
}

void clear_screen() { console().clear_window(); }

namespace {
// Only ever compared before and after a call, so it needs no reset.
KeyReads keys_read{0, -1};

// Keys given back to be read again, first first.
std::deque<int> given_back;
}  // namespace

void give_back_keys(const std::vector<int>& keys) { given_back.insert(given_back.begin(), keys.begin(), keys.end()); }

int read_key() {
  if (!given_back.empty()) {
    keys_read.last = given_back.front();
    given_back.pop_front();
  } else {
    keys_read.last = platform::next_key_byte();
  }
  ++keys_read.count;
  return keys_read.last;
}
KeyReads key_reads() { return keys_read; }
bool key_waiting() { return !given_back.empty() || platform::key_byte_waiting(); }

int read_plain_key(int& scan) {
  int k = read_key();
  scan = k == key::extended ? read_key() : -1;
  return k;
}

int read_plain_key() {
  int scan;
  return read_plain_key(scan);
}

bool esc_pressed() { return key_waiting() && read_plain_key() == key::esc; }

std::string format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, pattern, args);
  va_end(args);
  std::string text;
  if (length > 0) {
    text.assign(length + 1, '\0');
    std::vsnprintf(text.data(), text.size(), pattern, again);
    text.resize(length);
  }
  va_end(again);
  return text;
}

std::string right_aligned(std::string_view caption, std::string_view tail, std::size_t width) {
  std::string line(caption);
  if (line.size() + tail.size() < width) line.append(width - line.size() - tail.size(), ' ');
  line.append(tail);
  return line;
}

std::string fit_cell(std::string_view text, int width) {
  const auto cells = static_cast<std::size_t>(width > 0 ? width : 0);
  if (text.size() > cells) return std::string(cells, ' ');
  std::string cell(text);
  cell.append(cells - text.size(), ' ');
  return cell;
}

void drain_keys() {
  while (key_waiting()) read_key();
}

namespace {

// Digits until Enter; false when Esc is allowed to end it and does.
bool read_digits(long& value, bool esc_leaves) {
  std::string digits;
  for (;;) {
    int k = read_key();
    if (k == key::extended) {
      read_key();  // the scan code of an arrow or function key: not a digit
      continue;
    }
    if (k == key::enter) break;
    if (k == key::esc && esc_leaves) return false;
    if (k == key::backspace) {
      if (!digits.empty()) {
        digits.pop_back();
        put_text("\b \b");
      }
      continue;
    }
    // Nine digits always fit a long: longer input is not echoed.
    if (k >= '0' && k <= '9' && digits.size() < 9) {
      digits.push_back(static_cast<char>(k));
      put_char(static_cast<std::uint8_t>(k));
    }
  }
  value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return true;
}

}  // namespace

long read_number() {
  long value = 0;
  read_digits(value, false);
  return value;
}

bool read_number_or_esc(long& value) { return read_digits(value, true); }

void goto_xy(ScreenPos at) { goto_xy(at.column, at.row); }

void print_at(ScreenPos at, std::string_view text, std::uint8_t colour) { print_at(at.column, at.row, text, colour); }

namespace {

// The screen place of grid line `n` of `places`, kept to the grid's edges.
int place_of(const std::vector<int>& places, int n) {
  if (places.empty()) return 1;
  return places[std::clamp(n, 1, static_cast<int>(places.size())) - 1];
}

}  // namespace

GridCursor::GridCursor(std::vector<int> columns, std::vector<int> rows)
    : screen_columns(std::move(columns)), screen_rows(std::move(rows)) {}

ScreenPos GridCursor::cell(int c, int r) const { return {place_of(screen_columns, c), place_of(screen_rows, r)}; }

std::vector<int> spaced(int first, int count, int step) {
  std::vector<int> places;
  for (int i = 0; i < count; ++i) places.push_back(first + i * step);
  return places;
}

void grid_goto(const GridCursor& grid) { goto_xy(grid.current_cell()); }

int grid_navigate(GridCursor& grid) {
  if (profile().grid_homes_cursor) goto_xy(1, 1);
  int& column = grid.column;
  int& row = grid.row;
  const int columns = grid.column_count(), rows = grid.row_count();
  for (;;) {
    grid_goto(grid);
    int k = read_key();
    if (k == key::extended) {
      int scan = read_key();
      switch (scan) {
        case key::left: column = column <= 1 ? columns : column - 1; break;
        case key::right: column = column >= columns ? 1 : column + 1; break;
        case key::up: row = row <= 1 ? rows : row - 1; break;
        case key::down: row = row >= rows ? 1 : row + 1; break;
        default: return scan;
      }
      continue;
    }
    if (k == key::esc) return key::esc;
    if (k == key::enter) return key::enter;
    if (k == key::tab && profile().grid_returns_tab) return key::tab;
  }
}

void open_modal_window() {
  save_screen();
  set_window(5, 3, 75, 23);
}

void close_modal_window() {
  drain_keys();
  set_window(1, 1, 80, 25);
  restore_screen();
}
