#include "platform/screen_model.h"

#include <algorithm>

namespace platform {

ScreenModel::ScreenModel() { damage_all(); }

Cell ScreenModel::cell(int column, int row) const {
  if (column < 1 || column > columns || row < 1 || row > rows) return Cell{};
  return cells_[row - 1][column - 1];
}

void ScreenModel::set_window(int x1, int y1, int x2, int y2) {
  if (x1 < 1 || y1 < 1 || x2 > columns || y2 > rows || x1 > x2 || y1 > y2) return;
  window_ = Rect{x1, y1, x2, y2};
  cursor_x_ = cursor_y_ = 1;
}

void ScreenModel::goto_xy(int column, int row) {
  int width = window_.x2 - window_.x1 + 1;
  int height = window_.y2 - window_.y1 + 1;
  if (column < 1 || row < 1 || column > width || row > height) return;
  cursor_x_ = column;
  cursor_y_ = row;
}

void ScreenModel::set_cell(int column, int row, Cell c) {
  Cell& target = at(column, row);
  if (target == c) return;
  target = c;
  damaged_[row - 1] = true;
}

void ScreenModel::scroll_window_up() {
  for (int y = window_.y1; y < window_.y2; ++y)
    for (int x = window_.x1; x <= window_.x2; ++x) set_cell(x, y, at(x, y + 1));
  for (int x = window_.x1; x <= window_.x2; ++x) set_cell(x, window_.y2, Cell{' ', colour_});
}

void ScreenModel::line_feed() {
  int height = window_.y2 - window_.y1 + 1;
  if (cursor_y_ < height) {
    ++cursor_y_;
  } else {
    scroll_window_up();
  }
}

void ScreenModel::put(std::uint8_t ch) {
  int width = window_.x2 - window_.x1 + 1;
  switch (ch) {
    case '\r':
      cursor_x_ = 1;
      return;
    case '\n':
      line_feed();
      return;
    case '\b':
      if (cursor_x_ > 1) --cursor_x_;
      return;
    case '\a':
      return;
    default:
      break;
  }
  // The cursor may stand one past the right edge after the last column was
  // written; the wrap happens only when another glyph follows, so writing the
  // bottom-right cell does not scroll the window.
  if (cursor_x_ > width) {
    cursor_x_ = 1;
    line_feed();
  }
  set_cell(cursor_abs_x(), cursor_abs_y(), Cell{ch, colour_});
  ++cursor_x_;
}

void ScreenModel::write(std::string_view bytes) {
  for (char c : bytes) put(static_cast<std::uint8_t>(c));
}

void ScreenModel::clear_window() {
  for (int y = window_.y1; y <= window_.y2; ++y)
    for (int x = window_.x1; x <= window_.x2; ++x) set_cell(x, y, Cell{' ', colour_});
  cursor_x_ = cursor_y_ = 1;
}

static Rect clip(const Rect& r) {
  return Rect{std::max(r.x1, 1), std::max(r.y1, 1), std::min(r.x2, ScreenModel::columns),
              std::min(r.y2, ScreenModel::rows)};
}

void ScreenModel::read_rect(const Rect& r, Cell* out) const {
  Rect c = clip(r);
  for (int y = c.y1; y <= c.y2; ++y)
    for (int x = c.x1; x <= c.x2; ++x) *out++ = cells_[y - 1][x - 1];
}

void ScreenModel::write_rect(const Rect& r, const Cell* in) {
  Rect c = clip(r);
  for (int y = c.y1; y <= c.y2; ++y)
    for (int x = c.x1; x <= c.x2; ++x) set_cell(x, y, *in++);
}

void ScreenModel::damage_all() { std::fill(std::begin(damaged_), std::end(damaged_), true); }

void ScreenModel::clear_damage() { std::fill(std::begin(damaged_), std::end(damaged_), false); }

}  // namespace platform
