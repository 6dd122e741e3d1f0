#pragma once
// Value fields of the karvel editors. A field is a cell of the screen's
// grid_cursor (its screen position, where the value is printed
// left-aligned), a station address and a byte count. The editors keep no
// copy of a value: the show half reads the bytes with
// link_read_block_alike, the edit half changes them in link_buffer and
// writes them with link_write_block on Enter (in file mode both act on the
// settings image).
// Two-byte numbers are stored low byte first.
//
// Show halves return the status of their read. Edit halves return 0
// (written, or left with Esc), -1 (access refused) or the non-zero status
// of a failed read or write.

#include <cstdint>
#include <string>

#include "toolkit/field_texts.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

// One drawing of several fields, as one user action (a page opened, its
// port or group changed). The first read that fails shows its box; every
// field shown after it while the drawing lasts is blanked without asking
// the station, so a silent station costs one box per drawing. A drawing
// within another goes on from the outer one's failure and hands its own
// back to it.
class FieldDrawing {
 public:
  FieldDrawing();
  ~FieldDrawing();
  FieldDrawing(const FieldDrawing&) = delete;
  FieldDrawing& operator=(const FieldDrawing&) = delete;

  // The status of the first failed read, 0 while every read went through.
  int status() const { return status_; }
  // Whether the user closed that read's box with Esc: the screen ends.
  bool left() const { return left_; }

 private:
  friend int drawing_read_block(int address, int count);
  int status_ = 0;
  bool left_ = false;
  FieldDrawing* outer_;
};

// link_read_block_alike for a drawing: once the drawing has failed it asks
// the station nothing and gives that failure's status again.
int drawing_read_block(int address, int count);

// link_read_block_alike that tells whether the user closed the box of its
// failure with Esc.
int read_block_watching_esc(int address, int count, bool& esc);

// A show half whose read fails prints blanks over the field's width, so
// the field never keeps a value of another port, line, group or page.
int show_yes_no(ScreenPos at, int address, std::uint8_t colour);
int edit_yes_no(ScreenPos at, int address);
int show_baud(ScreenPos at, int address, std::uint8_t colour);
int edit_baud(ScreenPos at, int address);
int show_port_bus(ScreenPos at, int address, std::uint8_t colour);
int show_allowed(ScreenPos at, int address, std::uint8_t colour);
int edit_allowed(ScreenPos at, int address);
int show_dial_mode(ScreenPos at, int address, std::uint8_t colour);
int edit_dial_mode(ScreenPos at, int address);
int show_hold_sound(ScreenPos at, int address, std::uint8_t colour);
int edit_hold_sound(ScreenPos at, int address);
int show_line_ref(ScreenPos at, int address, std::uint8_t colour);
int edit_line_ref(ScreenPos at, int address);
int show_number(ScreenPos at, int address, std::uint8_t colour);
int edit_number(ScreenPos at, int address, int minimum, int maximum);
int show_number16(ScreenPos at, int address, std::uint8_t colour);
int edit_number16(ScreenPos at, int address, int minimum, int maximum);
int show_port_ref(ScreenPos at, int address, std::uint8_t colour);
int edit_port_ref(ScreenPos at, int address);
int show_subscriber_ref(ScreenPos at, int address, std::uint8_t colour, int kind);
int edit_subscriber_ref(ScreenPos at, int address, int kind);
int show_digits(ScreenPos at, int address, std::uint8_t colour, int count, const DigitPair* table);
int edit_digits(ScreenPos at, int address, int count, const DigitPair* table);
int show_text(ScreenPos at, int address, std::uint8_t colour, int count);
// The station counts the show halves check references against.
FieldCounts link_counts();
int edit_text(ScreenPos at, int address, int count);

// Access codes. The protection level of a parameter is the station byte at
// 0xED00 + its number; levels 1..7 name a code of access_code_table.
extern int access_pending;
// No access code pending (reset_run_state calls it).
void reset_editor_state();
void load_access_level(int parameter);
// The prompt for the pending level's code: 0 when the code was right or
// none is needed; -1 when a wrong one was typed, or the level names a code
// while the codes are not known (they could not be read at connection);
// access_refused_quietly when Esc left the prompt or the level could not be
// read (its box has been shown): the edit is refused with no more said. It
// shows no refusal: each caller answers a refusal in its own way. Always
// leaves access_pending at 0.
inline constexpr int access_refused_quietly = -2;
int ask_access_code();
// The check every edit half starts with: ask_access_code, and the refusal
// box when it answered -1. 0 when editing may go on, -1 when refused.
int check_access();
void show_access_denied();

// tomrik cells: the value lives in the record buffer read with
// link_read_record_alike (element 0 the data length). Nothing is shown or
// edited when the record is empty.
struct CellRule {
  std::string (*text)(int value);  // CP866 text of the value
  int (*next)(int value);          // the value after one Space
  // The largest value the station may be sent: a stored value above it (a
  // garbled record) is shown but written back only once Space has stepped
  // it onto the cycle.
  int highest = 255;
};
void show_record_cell(ScreenPos at, const int* record, int value, const CellRule& rule, std::uint8_t colour);
// Space changes `value` by the rule and reprints it; returns Enter or Esc for
// the screen to act on, or 0 at once when the record is empty.
int edit_record_cell(ScreenPos at, const int* record, int& value, const CellRule& rule);

void show_bit_yes_no(ScreenPos at, int value, int bit, std::uint8_t colour);
// Space flips bit `bit` - 1 of `value` (kept to 8 bits); returns Enter or Esc.
int edit_bit_yes_no(ScreenPos at, int& value, int bit);
