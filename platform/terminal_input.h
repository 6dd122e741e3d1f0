#pragma once
// The keyboard of a terminal: reads what arrives on a descriptor (standard
// input), turns the locale's multibyte characters into code points and
// those into key bytes with a KeyDecoder. A second descriptor can wake a
// wait (the window was resized). The end of the input (end of file, a
// terminal that hung up, a closed descriptor) is reported once there are
// no keys left, so the program can end instead of asking for keys that
// never come.

#include <cstdint>
#include <cwchar>

#include "platform/key_decoder.h"

namespace platform {

class TerminalInput {
 public:
  enum class Event { key, timed_out, woken, ended };

  explicit TerminalInput(int fd, int wake_fd = -1) : fd_(fd), wake_fd_(wake_fd) {}
  void set_wake_fd(int fd) { wake_fd_ = fd; }

  // Waits at most `timeout_ms` (negative: without limit) until a key byte
  // can be taken, the wake descriptor is readable (it is emptied), or the
  // input has ended.
  Event wait(int timeout_ms);
  std::uint8_t take() { return decoder_.take(); }
  // Forgets the keys decoded and not taken yet (whole keys: an extended
  // key's two bytes always go together).
  void drop_keys() { decoder_.drop_keys(); }

 private:
  void read_input(std::uint64_t now_ms);
  void feed_byte(unsigned char byte, std::uint64_t now_ms);
  void drain_wake_fd();
  void end_input();

  int fd_;
  int wake_fd_;
  KeyDecoder decoder_;
  std::mbstate_t shift_state_{};
  bool ended_ = false;
};

}  // namespace platform
