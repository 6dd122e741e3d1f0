#pragma once
// The digit string editor: a row of places, each holding one code (a
// dialled digit, a phone book letter; 0 an empty place), edited on screen in
// COLOR_BOX. Every digit string of the programs is this one editor; what
// differs between them is a handful of modes:
// - typing overwrites the code under the cursor, or inserts it there,
//   pushing the codes behind one place on (the last falls off): only when
//   the place holds a code, or always (a text, whose empty places inside
//   are kept);
// - the cursor stops on the last place, or may stand just after it, where
//   typing does nothing;
// - Right leaves a place that holds a code, or moves only onto one.
// Left, Delete and Backspace are alike in every mode: Delete takes out the
// code under the cursor, Backspace the one before it; the codes behind move
// one place left and the last place empties.

#include <functional>

#include "toolkit/screen.h"

enum class DigitTyping { overwrite, insert, insert_always };
enum class RightStep { off_a_code, onto_a_code };

struct DigitString {
  ScreenPos at;
  int* codes;  // `count` places, the caller's
  int count;
  // The code a typed key stores; negative when the key is no character.
  std::function<int(int key)> code_of;
  // The character a code is drawn as.
  std::function<char(int code)> char_of;
  DigitTyping typing = DigitTyping::overwrite;
  bool past_last = false;
  RightStep right = RightStep::off_a_code;
  // Only Enter ends the editing; Esc and Backspace change nothing.
  bool enter_only = false;
};

// Draws the string in COLOR_BOX and edits it until Enter or Esc, which it
// returns; the codes hold what was typed either way (the caller writes them
// on Enter, or reads the stored ones again). A count below 1 edits nothing.
int edit_digit_string(const DigitString& field);

// Told of each key as it is read, before it acts, with the place it meets
// (scan -1 for a plain key); Enter and Esc too.
using DigitKeyWatch = std::function<void(int key, int scan, int place)>;
int edit_digit_string(const DigitString& field, const DigitKeyWatch& on_key);
