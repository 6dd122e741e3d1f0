#pragma once
// The in-memory text screen: 80 x 25 cells of (CP866 character, attribute),
// a current colour, a text window and a cursor. Everything the programs draw
// goes here first; a display back end copies changed rows to the terminal
// before the program waits for anything.

#include <cstdint>
#include <string_view>

namespace platform {

struct Cell {
  std::uint8_t ch = ' ';
  std::uint8_t attr = 0x07;
  bool operator==(const Cell&) const = default;
};

struct Rect {
  int x1, y1, x2, y2;  // absolute, 1-based, inclusive
};

class ScreenModel {
 public:
  static constexpr int columns = 80;
  static constexpr int rows = 25;

  ScreenModel();

  // Absolute cell access, 1-based; out-of-range reads give a blank cell.
  Cell cell(int column, int row) const;

  std::uint8_t colour() const { return colour_; }
  void set_colour(std::uint8_t attr) { colour_ = attr; }

  // The text window; positions below are relative to it. A rectangle that
  // does not fit the screen is ignored, as a console would.
  void set_window(int x1, int y1, int x2, int y2);
  Rect window() const { return window_; }

  void goto_xy(int column, int row);
  int cursor_x() const { return cursor_x_; }  // window-relative
  int cursor_y() const { return cursor_y_; }
  int cursor_abs_x() const { return window_.x1 + cursor_x_ - 1; }
  int cursor_abs_y() const { return window_.y1 + cursor_y_ - 1; }

  // Writes bytes at the cursor in the current colour, like a console's
  // string output: CR returns to column 1, LF moves down a row, BS moves
  // left, BEL is dropped; every other byte is a glyph. Text wraps at the
  // window's right edge and scrolls the window at its bottom.
  void write(std::string_view bytes);
  void put(std::uint8_t ch);
  void clear_window();

  // Raw rectangle copy for screen save and restore (absolute, clipped).
  void read_rect(const Rect& r, Cell* out) const;
  void write_rect(const Rect& r, const Cell* in);

  // Damage tracking: which rows changed since the last clear_damage.
  bool row_damaged(int row) const { return damaged_[row - 1]; }
  void damage_all();
  void clear_damage();

 private:
  Cell& at(int column, int row) { return cells_[row - 1][column - 1]; }
  void set_cell(int column, int row, Cell c);
  void scroll_window_up();
  void line_feed();

  Cell cells_[rows][columns];
  bool damaged_[rows];
  std::uint8_t colour_ = 0x07;
  Rect window_{1, 1, columns, rows};
  int cursor_x_ = 1, cursor_y_ = 1;
};

}  // namespace platform
