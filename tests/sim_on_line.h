#pragma once
// A simulated station of either model as the far end of the program's link
// port, through the loopback line, with a note of the block and record
// frames it was sent. A test can act when a frame starts (press a key, spoil
// a later frame), can make chosen frames fail (the station then answers them
// with a wrong check byte and stores nothing) and can send a frame to
// another address or record than the one the program named.

#include <functional>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "link/link_port.h"
#include "platform/serial_loopback.h"
#include "sim/station_line.h"

namespace test {

template <class Model>
class StationOnLine {
 public:
  using Record = std::pair<int, int>;  // (group, index)

  Model station;

  std::set<int> failing_blocks;      // start addresses
  std::set<Record> failing_records;
  std::function<void(int address)> on_block;            // a karvel block frame starts
  std::function<void(int group, int index)> on_record;  // a tomrik record frame starts
  // May change the name of a frame that has started (counted by the name the
  // program gave it).
  std::function<void(sim::FrameName&)> redirect;

  int blocks_read = 0, blocks_written = 0;
  // Every record frame that reached its name, in order; writes only when
  // they were not made to fail.
  std::vector<Record> records_read, records_written;

  StationOnLine() {
    station.frame_hook = [this](sim::FrameName& frame) {
      bool spoiled = starts(frame);
      if (redirect) redirect(frame);
      return spoiled;
    };
  }
  StationOnLine(const StationOnLine&) = delete;
  StationOnLine& operator=(const StationOnLine&) = delete;

  // The line to the station, for faults to play on it.
  sim::StationLine& line() { return line_; }

  // The station hears and says nothing from `from_ms` until `until_ms` on
  // the test's clock, as one that has gone and come back.
  void fall_silent(std::uint64_t from_ms, std::uint64_t until_ms) {
    mute_.from = from_ms;
    mute_.until = until_ms;
  }

  // Forgets the frames noted so far (those of a connection).
  void forget_frames() {
    blocks_read = blocks_written = 0;
    records_read.clear();
    records_written.clear();
  }
  // What the port talks to: the station, unless it is made silent.
  platform::LinePeer* peer() { return &mute_; }

  // Makes this station the far end of the link's port, open at its speed.
  void plug_in() {
    auto port = std::make_unique<platform::LoopbackSerialPort>(&mute_);
    port->open("COM1", station.baud());
    link_use_port(std::move(port));
  }

 private:
  bool starts(const sim::FrameName& frame) {
    if (frame.command == facts::karvel_read_block || frame.command == facts::karvel_write_block) {
      (frame.command == facts::karvel_read_block ? blocks_read : blocks_written) += 1;
      if (on_block) on_block(frame.address);
      return failing_blocks.count(frame.address) > 0;
    }
    Record record{frame.group, frame.index};
    if (on_record) on_record(record.first, record.second);
    bool fails = failing_records.count(record) > 0;
    if (frame.command == facts::tomrik_read_record) records_read.push_back(record);
    if (frame.command == facts::tomrik_write_record && !fails) records_written.push_back(record);
    return fails;
  }

  sim::StationLine line_{station};
  struct Mute : platform::LinePeer {
    explicit Mute(sim::StationLine& to) : line(to) {}
    std::optional<Reply> on_byte(std::uint8_t byte, int baud, std::uint64_t now_ms) override {
      if (now_ms >= from && now_ms < until) return std::nullopt;
      return line.on_byte(byte, baud, now_ms);
    }
    sim::StationLine& line;
    std::uint64_t from = 0, until = 0;
  } mute_{line_};
};

}  // namespace test
