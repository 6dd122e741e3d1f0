#pragma once
// The far end of the loopback line for the link targets: every byte the
// program sends is answered with the next byte of the input. 0xF5 is an
// escape: followed by 0 the byte goes unanswered, by 1 the next answer comes
// after the program has stopped waiting for it (a stale byte for a later
// read), by anything else it is the answer 0xF5 itself. Once the input is
// used up nothing more is answered.

#include "fuzz/fuzz_support.h"
#include "platform/serial_loopback.h"

namespace fuzz {

class StationAnswers : public platform::LinePeer {
 public:
  StationAnswers(Input& input, int late_ms) : input_(input), late_ms_(late_ms) {}

  std::optional<Reply> on_byte(std::uint8_t, int, std::uint64_t) override {
    bool late = false;
    while (!input_.empty()) {
      std::uint8_t b = input_.byte();
      if (b != escape) return Reply{b, late ? static_cast<std::uint32_t>(late_ms_) * 1000u : 0u};
      std::uint8_t what = input_.byte();
      if (what == 0) return std::nullopt;
      if (what == 1) {
        late = true;
        continue;
      }
      return Reply{escape, late ? static_cast<std::uint32_t>(late_ms_) * 1000u : 0u};
    }
    return std::nullopt;
  }

  // Puts a loopback port on this far end in the link, open at `baud`.
  void plug_in(int baud) {
    auto port = std::make_unique<platform::LoopbackSerialPort>(this);
    port->open("COM1", baud);
    link_use_port(std::move(port));
  }

 private:
  static constexpr std::uint8_t escape = 0xF5;
  Input& input_;
  int late_ms_;
};

}  // namespace fuzz
