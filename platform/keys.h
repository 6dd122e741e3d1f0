#pragma once
// The shared key table. An extended key reaches the program as the prefix 0
// followed by its scan code, so a plain "H" typed on the keyboard is never Up.

namespace key {
constexpr int esc = 27;
constexpr int enter = 13;
constexpr int line_feed = 10;
constexpr int space = 32;
constexpr int up = 72;     // after 0
constexpr int down = 80;   // after 0
constexpr int left = 75;   // after 0
constexpr int right = 77;  // after 0
constexpr int insert = 82; // after 0
constexpr int del = 83;    // after 0
constexpr int backspace = 8;
constexpr int tab = 9;
constexpr int home = 71;   // after 0
constexpr int end = 79;    // after 0
constexpr int pgup = 73;   // after 0
constexpr int pgdn = 81;   // after 0
constexpr int f1 = 59;     // F1..F10 are 59..68, after 0
constexpr int f2 = 60;
constexpr int f3 = 61;
constexpr int f4 = 62;
constexpr int f5 = 63;
constexpr int f6 = 64;
constexpr int f7 = 65;
constexpr int f8 = 66;
constexpr int f9 = 67;
constexpr int f10 = 68;
constexpr int form_feed = 12;
constexpr int extended = 0;

// A Y/N question's yes: the Y key in either keyboard layout, so "Н"/"н"
// (CP866 0x8D, 0xAD, the Russian letters on that key) answer yes as well.
constexpr bool is_yes(int code) { return code == 'Y' || code == 'y' || code == 0x8D || code == 0xAD; }
}  // namespace key
