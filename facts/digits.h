#pragma once
// Dialled digit codes, one per byte, as both models store numbers: 1..9 the
// digits 1..9, 10 the digit 0, 11 "*", 12 "#", 0 an empty place.

namespace facts {

inline constexpr int dial_empty = 0;
inline constexpr int dial_zero = 10;
inline constexpr int dial_star = 11;
inline constexpr int dial_hash = 12;

// Phone book numbers add three letters, each code the letter's ASCII
// value: "F", "P" and "T".
inline constexpr int book_letter_f = 'F';
inline constexpr int book_letter_p = 'P';
inline constexpr int book_letter_t = 'T';

// tomrik's phone books add two: a "t" and a pause, shown "p".
inline constexpr int tomrik_book_t = 116;
inline constexpr int tomrik_book_pause = 255;

// The character of a digit code, 0 for a code that is none of them (the
// empty place included).
constexpr char dial_char(int code) {
  if (code >= 1 && code <= 9) return static_cast<char>('0' + code);
  if (code == dial_zero) return '0';
  if (code == dial_star) return '*';
  if (code == dial_hash) return '#';
  return 0;
}
// The digit code of "0".."9", "*" or "#"; -1 for any other character.
constexpr int dial_code(int ch) {
  if (ch >= '1' && ch <= '9') return ch - '0';
  if (ch == '0') return dial_zero;
  if (ch == '*') return dial_star;
  if (ch == '#') return dial_hash;
  return -1;
}

}  // namespace facts
