#pragma once
// Helpers for screen tests: read back texts and colours from the screen
// model, and run a procedure until its key script runs out.

#include <functional>
#include <string>

#include "platform/cp866.h"
#include "platform/twins.h"

namespace test {

inline platform::ScreenModel& screen() { return platform::services().screen; }

// The CP866 characters of a row from a column, `length` cells long.
inline std::string text_at(int column, int row, int length) {
  std::string s;
  for (int i = 0; i < length; ++i) s.push_back(static_cast<char>(screen().cell(column + i, row).ch));
  return s;
}

// The same, as UTF-8, for readable failure messages.
inline std::string utf8_at(int column, int row, int length) { return cp866::to_utf8(text_at(column, row, length)); }

inline std::uint8_t colour_at(int column, int row) { return screen().cell(column, row).attr; }

// True when every cell of the span has the colour.
inline bool span_has_colour(int column, int row, int length, std::uint8_t colour) {
  for (int i = 0; i < length; ++i)
    if (colour_at(column + i, row) != colour) return false;
  return true;
}

// Runs a procedure that only ends through its key script running out (the
// main menu loop); returns false if it returned by itself.
inline bool runs_until_script_ends(const std::function<void()>& procedure) {
  try {
    procedure();
  } catch (const platform::ScriptExhausted&) {
    return true;
  }
  return false;
}

}  // namespace test
