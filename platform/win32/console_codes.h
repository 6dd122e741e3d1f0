#pragma once
// What the Win32 console takes and gives, in the programs' terms: screen
// cells as console character cells, and console key events as key bytes.

#include <windows.h>

#include <cstdint>
#include <deque>

#include "platform/screen_model.h"

namespace platform::win32 {

// The console cell of a screen cell: the CP866 character as its Unicode
// glyph and the attribute byte as the cell colour, which the console takes
// as it is (foreground in the low nibble, background in the high one).
CHAR_INFO console_cell(Cell cell);

// Appends the key bytes of one key event: an ordinary key as its CP866
// code, an extended key as 0 and its scan code, as many times as the event
// repeats. Releases, lone shift keys and characters CP866 lacks add nothing.
void append_key_bytes(const KEY_EVENT_RECORD& event, std::deque<std::uint8_t>& out);

}  // namespace platform::win32
