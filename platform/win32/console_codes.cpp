#include "platform/win32/console_codes.h"

#include <algorithm>

#include "platform/cp866.h"
#include "platform/keys.h"

namespace platform::win32 {
namespace {

// A held key repeats; more than this many repeats in one event are dropped
// rather than flooding the queue.
constexpr int most_repeats = 16;

// The keys without a character that the programs know, by virtual key.
struct ExtendedKey {
  WORD virtual_key;
  std::uint8_t scan;
};

constexpr ExtendedKey extended_keys[] = {
    {VK_UP, key::up},       {VK_DOWN, key::down},     {VK_LEFT, key::left},   {VK_RIGHT, key::right},
    {VK_INSERT, key::insert}, {VK_DELETE, key::del},  {VK_HOME, key::home},   {VK_END, key::end},
    {VK_PRIOR, key::pgup},  {VK_NEXT, key::pgdn},     {VK_F1, key::f1},       {VK_F2, key::f2},
    {VK_F3, key::f3},       {VK_F4, key::f4},         {VK_F5, key::f5},       {VK_F6, key::f6},
    {VK_F7, key::f7},       {VK_F8, key::f8},         {VK_F9, key::f9},       {VK_F10, key::f10},
};

// Control keys by virtual key, for consoles that send them without their
// character (Wine's terminal console gives Esc so).
struct ControlKey {
  WORD virtual_key;
  wchar_t ch;
};

constexpr ControlKey control_keys[] = {
    {VK_ESCAPE, key::esc}, {VK_RETURN, key::enter}, {VK_BACK, key::backspace}, {VK_TAB, key::tab}};

int extended_scan(WORD virtual_key) {
  for (const ExtendedKey& k : extended_keys)
    if (k.virtual_key == virtual_key) return k.scan;
  return -1;
}

wchar_t character_of(const KEY_EVENT_RECORD& event) {
  if (event.uChar.UnicodeChar != 0) return event.uChar.UnicodeChar;
  for (const ControlKey& k : control_keys)
    if (k.virtual_key == event.wVirtualKeyCode) return k.ch;
  return 0;
}

// Alt with a character key gives the key's scan code after 0, as on the
// DOS keyboard; Ctrl with Alt is AltGr, which types characters.
bool alt_held(DWORD state) {
  bool alt = state & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED);
  bool ctrl = state & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED);
  return alt && !ctrl;
}

struct KeyBytes {
  std::uint8_t bytes[2];
  int count = 0;
};

KeyBytes bytes_of_key(const KEY_EVENT_RECORD& event) {
  KeyBytes out{};
  int scan = extended_scan(event.wVirtualKeyCode);
  wchar_t ch = character_of(event);
  if (scan < 0 && ch != 0 && alt_held(event.dwControlKeyState) && event.wVirtualScanCode > 0 &&
      event.wVirtualScanCode < 0x80)
    scan = event.wVirtualScanCode;
  if (scan >= 0) {
    out.bytes[0] = key::extended;
    out.bytes[1] = static_cast<std::uint8_t>(scan);
    out.count = 2;
    return out;
  }
  // Some terminals send DEL for Backspace; the programs know only 8.
  if (ch == 127) ch = key::backspace;
  int code = ch == 0 ? -1 : cp866::from_unicode(static_cast<char32_t>(ch));
  if (code > 0) {
    out.bytes[0] = static_cast<std::uint8_t>(code);
    out.count = 1;
  }
  return out;
}

}  // namespace

CHAR_INFO console_cell(Cell cell) {
  CHAR_INFO info{};
  bool blank = cell.ch == 0 || cell.ch == 0xFF;
  info.Char.UnicodeChar = blank ? L' ' : static_cast<wchar_t>(cp866::glyphs[cell.ch]);
  info.Attributes = cell.attr;
  return info;
}

void append_key_bytes(const KEY_EVENT_RECORD& event, std::deque<std::uint8_t>& out) {
  if (!event.bKeyDown) return;
  KeyBytes key = bytes_of_key(event);
  int repeats = std::clamp<int>(event.wRepeatCount, 1, most_repeats);
  for (int r = 0; r < repeats; ++r)
    for (int i = 0; i < key.count; ++i) out.push_back(key.bytes[i]);
}

}  // namespace platform::win32
