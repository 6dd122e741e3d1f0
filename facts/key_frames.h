#pragma once
// The codes karvel's event log view sends in key frames (command
// karvel_key_frame): a digit of the console telephone, or the lift that
// starts a dialled sequence.

namespace facts {

inline constexpr int key_digit_one = 0x11;  // "1".."9" are 0x11..0x19
inline constexpr int key_digit_zero = 0x1A;
inline constexpr int key_lift = 0x20;

// The key code of a digit 0..9.
constexpr int key_digit_code(int digit) { return digit == 0 ? key_digit_zero : key_digit_one + digit - 1; }
// The digit 0..9 of a key code, -1 for a code that is no digit.
constexpr int key_code_digit(int code) {
  if (code >= key_digit_one && code < key_digit_one + 9) return code - key_digit_one + 1;
  return code == key_digit_zero ? 0 : -1;
}

}  // namespace facts
