#pragma once
// A serial port twin for tests: the line ends in an object of the test's
// choosing (an in-process station) instead of a device. Time is the
// services' clock, a virtual clock in tests, so a read that times out
// advances time by its time-out instead of sleeping, and runs are
// repeatable.
//
//   sim::KarvelStation station;
//   sim::StationLine line(station);          // faults, pacing
//   platform::LoopbackSerialPort port(&line);
//   port.open("COM1", 57600);
//   port.write_byte(0xBA); port.read_byte(b, 200);   // b == 0xBA

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/serial.h"

namespace platform {

// What stands at the far end of a loopback line.
class LinePeer {
 public:
  struct Reply {
    std::uint8_t byte;
    std::uint32_t delay_us;  // 0 = readable at once
  };
  virtual ~LinePeer() = default;
  // One byte from the computer, sent at `line_baud`, at time `now_ms`.
  virtual std::optional<Reply> on_byte(std::uint8_t byte, int line_baud, std::uint64_t now_ms) = 0;
};

class LoopbackSerialPort : public SerialPort {
 public:
  explicit LoopbackSerialPort(LinePeer* peer = nullptr) : peer_(peer) {}
  void attach(LinePeer* peer) { peer_ = peer; }

  SerialOpen open(const std::string& name, int baud) override;
  void close() override;
  bool is_open() const override { return open_; }
  int read_byte(std::uint8_t& byte, int timeout_ms) override;
  bool write_byte(std::uint8_t byte) override;
  bool set_rts(bool on) override;
  bool purge_input() override;

  // Puts a byte on the line as if the far end had sent it `delay_ms` from
  // now (a stray or stale byte).
  void inject(std::uint8_t byte, std::uint32_t delay_ms = 0);
  // Bytes sent but not read yet, arrived or still on their way.
  std::size_t in_flight() const { return flight_.size(); }

  // Failures to play, for the error paths of the programs.
  struct Troubles {
    PortRefusal open_refused = PortRefusal::none;  // the device cannot be had (error 6), and why
    int open_error = 0;                            // the system's error number that goes with it
    bool setup_fails = false;  // the line settings are refused (error 7)
    bool rts_fails = false;
    bool write_fails = false;
    bool read_fails = false;
  } troubles;

  // What the port saw, for the tests to look at.
  struct Record {
    std::string name;  // the name last opened
    int baud = 0;
    bool rts = false;
    int opens = 0;
    int purges = 0;
    std::vector<std::uint8_t> sent;
    std::vector<std::uint8_t> received;
  } record;

 private:
  struct InFlight {
    std::uint64_t due;
    std::uint64_t order;
    std::uint8_t byte;
  };
  std::size_t earliest() const;

  LinePeer* peer_;
  bool open_ = false;
  std::vector<InFlight> flight_;
  std::uint64_t order_ = 0;
};

}  // namespace platform
