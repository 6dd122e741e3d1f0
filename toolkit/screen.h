#pragma once
// Screen primitives: every window, menu, field and hint line is drawn with
// these. Positions are (column, row), 1-based, relative to the current text
// window; texts are CP866 byte strings.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keys.h"
#include "toolkit/profile.h"

// CP866 box and line characters.
namespace boxch {
constexpr std::uint8_t top_left = 218, top_right = 191, bottom_left = 192, bottom_right = 217;
constexpr std::uint8_t horizontal = 196, vertical = 179;
constexpr std::uint8_t d_top_left = 201, d_top_right = 187, d_bottom_left = 200, d_bottom_right = 188;
constexpr std::uint8_t d_horizontal = 205, d_vertical = 186;
constexpr std::uint8_t d_t_down = 203, t_down_double = 209, d_t_right = 204, d_cross = 206;
constexpr std::uint8_t cross_double = 216, d_t_left = 185, d_t_up = 202, t_up_double = 207;
constexpr std::uint8_t triangle_right = 16;
}  // namespace boxch

void print_at(int column, int row, std::string_view text, std::uint8_t colour);
void print_at_plain(int column, int row, std::string_view text);
void draw_box(int column, int row, int width, int height);
void erase_box(int column, int row, int width, int height);
void draw_frame(int x1, int y1, int x2, int y2, std::uint8_t line_char);
void wait_ms(int milliseconds);
void save_screen();
void restore_screen();
void set_window(int x1, int y1, int x2, int y2);
void clear_screen();

// A line of its own on row 25 for as long as it is shown (the reason under
// an error box, a station gone quiet). Showing it moves neither the cursor
// nor the current colour, and taking it away puts back what the row held.
class BottomNote {
 public:
  BottomNote() = default;
  BottomNote(const BottomNote&) = delete;
  BottomNote& operator=(const BottomNote&) = delete;
  ~BottomNote() { remove(); }
  void show(std::string_view text, std::uint8_t colour);
  void remove();
  bool shown() const { return shown_; }

 private:
  bool shown_ = false;
  std::uint8_t saved_[80 * 2] = {};  // the row's characters and colours
};
int read_key();
bool key_waiting();
// How many codes read_key has returned so far, and the last of them. A box
// that waits for a key tells its caller nothing of it; a polling screen
// compares these before and after a call to see whether the user closed a
// box with Esc.
struct KeyReads {
  unsigned long count;
  int last;
};
KeyReads key_reads();
// Reads a key; the scan code of an extended key goes to `scan` (-1 for an
// ordinary key), so that it is never taken for an ordinary key itself.
int read_plain_key(int& scan);
int read_plain_key();
// Whether Esc was pressed: a key waiting is read, and any other key is
// dropped, an extended key's scan code with it.
bool esc_pressed();
// Key bytes read ahead of their time, to be read again before any other.
void give_back_keys(const std::vector<int>& keys);
long read_number();
// read_number that Esc ends too: false then, and `value` is left alone.
bool read_number_or_esc(long& value);

// A place on the screen, relative to the current text window.
struct ScreenPos {
  int column;
  int row;
};

void goto_xy(ScreenPos at);
void print_at(ScreenPos at, std::string_view text, std::uint8_t colour);

// The grid of value cells a screen moves its cursor over (grid_cursor): the
// current cell and where each grid column and each grid row stands on the
// screen. Navigation changes only the current cell.
struct GridCursor {
  int column = 1;  // the current cell, 1-based
  int row = 1;
  std::vector<int> screen_columns;  // grid column c stands at screen_columns[c - 1]
  std::vector<int> screen_rows;     // grid row r at screen_rows[r - 1]

  GridCursor(std::vector<int> columns, std::vector<int> rows);
  int column_count() const { return static_cast<int>(screen_columns.size()); }
  int row_count() const { return static_cast<int>(screen_rows.size()); }
  // Where cell (c, r) stands; a number outside the grid counts as the
  // nearest edge, so a cell never lands off the grid.
  ScreenPos cell(int c, int r) const;
  ScreenPos current_cell() const { return cell(column, row); }
};

// `count` screen columns or rows `step` apart from `first`: the usual
// evenly spaced grid.
std::vector<int> spaced(int first, int count, int step = 1);

// Puts the cursor on the grid's current cell.
void grid_goto(const GridCursor& grid);
// Moves the current cell with the arrow keys (wrapping at the edges) until
// a key ends navigation; returns that key: Esc, Enter, Tab where the
// program takes it, or the scan code of any other extended key.
int grid_navigate(GridCursor& grid);

// Bare console operations the primitives are made of; screens that place
// joints or write at the cursor use them too.
void set_colour(std::uint8_t colour);
std::uint8_t current_colour();
void goto_xy(int column, int row);
void put_text(std::string_view text);
void put_char(std::uint8_t ch);
void put_at(int column, int row, std::uint8_t ch);
void put_blanks(int count);
// A printf-style text, as long as the pattern makes it.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
// A caption with a tail pushed to the right end of a field `width` wide.
std::string right_aligned(std::string_view caption, std::string_view tail, std::size_t width);
// A value's text filling its cell of `width` columns: padded with blanks, so
// no character of a wider text drawn before is left standing, or all blanks
// when the text (a garbled value from outside) is wider than the cell.
std::string fit_cell(std::string_view text, int width);
// Throws away every key that is waiting, as modal boxes do before closing.
void drain_keys();

// The modal box pattern: save the screen and open the window 5,3..75,23;
// close it again, emptying the key queue and putting the screen back.
void open_modal_window();
void close_modal_window();
