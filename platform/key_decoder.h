#pragma once
// Turns what a terminal sends into the programs' key bytes: characters as
// their CP866 codes, the cursor and function keys' escape sequences as the
// extended prefix 0 and the PC scan code, and Esc before a character (how
// terminals send Alt+key) as 0 and the scan code of Alt with that key. The
// screens ignore scan codes they do not know, so an Alt key or a sequence
// of a key the programs have no use for never leaves a screen as Esc would.
//
// Esc alone is told from the start of a sequence by time: the rest of a
// sequence comes right behind its Esc, a key pressed after Esc does not.
// Sequences that cannot be made out are dropped whole.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace platform {

class KeyDecoder {
 public:
  // How long an Esc waits for the rest of a sequence before it counts as
  // the Esc key. Long enough for a sequence that crosses a slow link in
  // pieces, short enough not to be felt.
  static constexpr int esc_wait_ms = 100;
  // Once a sequence has begun ("Esc [" or "Esc O"), how long each further
  // character of it may take.
  static constexpr int sequence_gap_ms = 250;

  // One character from the terminal (a Unicode code point), arrived at
  // `now_ms`.
  void feed(char32_t ch, std::uint64_t now_ms);
  // Decodes a held sequence whose time is up.
  void tick(std::uint64_t now_ms);
  // When a held sequence's time is up; nothing when none is held.
  std::optional<std::uint64_t> deadline() const;
  // The input has ended: a held sequence is decoded as it stands.
  void flush();

  bool has_key() const { return !keys_.empty(); }
  // The next key byte; an extended key's two bytes are always queued together.
  std::uint8_t take();
  // Forgets every decoded key not taken yet.
  void drop_keys() { keys_.clear(); }

 private:
  void take_plain(char32_t ch);
  void take_alt(char32_t ch);
  void continue_sequence(char32_t ch, std::uint64_t now_ms);
  void decode_sequence();
  void give_up_held();
  void clear_held();
  void push_extended(int scan_code);

  std::u32string held_;  // an unfinished sequence, from its Esc
  std::uint64_t held_at_ = 0;  // when its last character came
  bool overlong_ = false;      // longer than any key's: dropped when it ends
  std::deque<std::uint8_t> keys_;
};

// The PC scan code of Alt with the key that types `ch` (US or Russian
// layout), or -1 when there is none.
int alt_scan_code(char32_t ch);

}  // namespace platform
