#pragma once
// The storage device of tomrik as the fuzz targets give it: a device that
// sends the input's bytes, and the screen run on it with the operations the
// input chooses.
//
// The input: a count byte n (0..7), n operation bytes (the menu item, and
// for the times' editor which keys), then the device's bytes. 0xF5 escapes
// as for the station's answers: followed by 0 a read times out. Once the
// input is used up the device sends 0x00, which ends every operation.
#include <algorithm>
#include <memory>

#include "fuzz/fuzz_support.h"
#include "tomrik/day_night_times.h"
#include "tomrik/screens.h"

namespace fuzz {

class DevicePort : public platform::SerialPort {
 public:
  explicit DevicePort(Input& input) : input_(input) {}
  platform::SerialOpen open(const std::string&, int) override { return platform::SerialOpen::ok; }
  void close() override {}
  bool is_open() const override { return true; }
  bool set_rts(bool) override { return true; }
  bool purge_input() override { return true; }
  bool write_byte(std::uint8_t) override { return true; }
  int read_byte(std::uint8_t& byte, int timeout_ms) override {
    if (++reads_ > 400000) {
      std::fprintf(stderr, "fuzz: the storage screen never ended\n");
      std::abort();
    }
    // The line is quiet when the screen starts, so its first read drains
    // nothing of the input.
    if (reads_ == 1) return timed_out(timeout_ms);
    if (input_.empty()) {
      byte = 0;
      return platform::serial_byte_received;
    }
    byte = input_.byte();
    if (byte == 0xF5 && input_.byte() == 0) return timed_out(timeout_ms);
    return platform::serial_byte_received;
  }

 private:
  int timed_out(int timeout_ms) {
    platform::sleep_ms(timeout_ms);
    return platform::serial_timed_out;
  }
  Input& input_;
  long reads_ = 0;
};

// The keys that choose `item` from the item now selected, and answer what
// it asks.
inline void add_operation(Keys& keys, int& selected, std::uint8_t op) {
  int item = op % 7;
  for (; selected != item; selected = (selected + 1) % 8) keys.add({key::extended, key::down});
  keys.add({key::enter});
  if (item <= 1) keys.add({op & 8 ? 'y' : 'n'});
  if (item == 6) {
    const int moves[4][2] = {{key::extended, key::up}, {key::extended, key::left}, {key::space, -1}, {key::space, -1}};
    for (int i = 0; i < (op >> 4); ++i) {
      const int* m = moves[(op + i) % 4];
      keys.script.push_back(static_cast<std::uint8_t>(m[0]));
      if (m[1] >= 0) keys.script.push_back(static_cast<std::uint8_t>(m[1]));
    }
    keys.add({op & 8 ? key::enter : key::esc});
  }
}



// Runs the storage screen on the rest of the input, with whatever
// "tarif.dat" the target left in the work folder.
inline void run_storage_screen(Session& session, Input& in) {
  session.keys.always_waiting = true;
  session.keys.fallback = {key::esc};
  const int start_times[4] = {20, 0, 9, 0};
  std::copy(start_times, start_times + 4, day_night_times);
  int ops = in.byte() % 8;
  int selected = 0;
  for (int i = 0; i < ops; ++i) add_operation(session.keys, selected, in.byte());
  session.keys.add({key::esc});
  link_use_port(std::make_unique<DevicePort>(in));
  link_state.station_connected = 1;
  storage_device_screen();
}

}  // namespace fuzz
