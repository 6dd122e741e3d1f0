#pragma once
// The serial port twin for the storage device screen: the line ends in the
// simulator's storage device, which sends first. Virtual time moves by the
// program's wait when nothing comes and by a millisecond for each byte, so
// keys due later arrive while the screen exchanges.

#include <stdexcept>

#include "platform/platform.h"
#include "platform/serial.h"
#include "platform/twins.h"
#include "sim/storage_device.h"

namespace test {

class StorageLine : public platform::SerialPort {
 public:
  explicit StorageLine(sim::StorageDevice& device) : device_(device) {}
  platform::SerialOpen open(const std::string&, int) override {
    open_ = true;
    return platform::SerialOpen::ok;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  bool set_rts(bool) override { return true; }
  bool purge_input() override { return true; }
  int read_byte(std::uint8_t& byte, int timeout_ms) override {
    // A screen that never stops exchanging once its keys have run out.
    if (++reads > read_limit) throw platform::ScriptExhausted();
    std::uint64_t now = platform::now_ms();
    std::uint64_t due = device_.next_due_ms();
    if (due <= now + static_cast<std::uint64_t>(timeout_ms)) {
      platform::sleep_ms(static_cast<int>((due > now ? due - now : 0) + 1));
      if (auto b = device_.next_byte(platform::now_ms())) {
        byte = *b;
        sent.push_back(*b);
        return platform::serial_byte_received;
      }
    }
    platform::sleep_ms(timeout_ms);
    ++timeouts;
    return platform::serial_timed_out;
  }
  bool write_byte(std::uint8_t byte) override {
    answers.push_back(byte);
    device_.take(byte, platform::now_ms());
    return true;
  }
  std::vector<std::uint8_t> sent, answers;
  long reads = 0, timeouts = 0;
  long read_limit = 200000;

 private:
  sim::StorageDevice& device_;
  bool open_ = false;
};

}  // namespace test
