#pragma once
// Typing a number into a field: the echo of the digits, the prompt loop
// every "type a number and press Enter" field runs, the four keys that
// step through numbered things (ports, lines, groups, tables), and the
// loop of a value stepped with Space.

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/screen.h"

// The echo of digits typed into a field of `width` places: each digit shows
// where it falls, and once the places are full the field shows the last
// `width` digits typed, so the echo never runs past the field.
class DigitEcho {
 public:
  DigitEcho(ScreenPos at, int width, std::uint8_t colour) : at_(at), width_(width), colour_(colour) {}
  // Blanks the field and puts the cursor on its first place.
  void clear();
  void add(char digit);

 private:
  ScreenPos at_;
  int width_;
  std::uint8_t colour_;
  std::string shown_;
};

// A typed number's field. Digits are echoed as typed; a value that passes
// `maximum` starts the field again, so it never overflows; so does Enter on
// a value below `minimum`. With `places_restart` a digit past the places
// starts again too; without, the echo shows the last digits ("0 0 0 0 5" is
// 5). Keys other than digits, Enter and Esc are read and ignored.
struct NumberPrompt {
  ScreenPos at;
  int places;
  std::uint8_t colour;
  int minimum = 0;
  int maximum = 99999;
  bool places_restart = true;
  // Without, a value past `maximum` stays just past it, however many digits
  // follow, and only Enter starts the field again.
  bool past_maximum_restarts = true;
};

// How the prompt ended: Enter with a value within the limits, or Esc with
// the digits typed so far.
struct TypedNumber {
  int key;  // key::enter or key::esc
  int value;
};

TypedNumber read_typed_number(const NumberPrompt& prompt);

// Home, PgUp, PgDn and End applied to `number` of 1..last; any other key
// leaves it.
int step_number(int number, int last, int key_code);

// A value chosen with Space: each Space runs `step`, which changes the value
// and shows it, until Enter or Esc, which it returns. Other keys, extended
// ones whole, are read and dropped.
int read_space_steps(const std::function<void()>& step);
