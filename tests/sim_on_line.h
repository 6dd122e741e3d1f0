#pragma once
// A simulated station of either model as the far end of the program's link
// port, through the loopback line, with a note of the block and record
// frames it was sent. A test can act when a frame starts (press a key, spoil
// a later frame) and can make chosen frames fail: the station then answers
// them with a wrong check byte and stores nothing.

#include <functional>
#include <memory>
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

  int blocks_read = 0, blocks_written = 0;
  // Every record frame that reached its name, in order; writes only when
  // they were not made to fail.
  std::vector<Record> records_read, records_written;

  StationOnLine() {
    station.frame_hook = [this](const sim::FrameName& frame) { return starts(frame); };
  }
  StationOnLine(const StationOnLine&) = delete;
  StationOnLine& operator=(const StationOnLine&) = delete;

  // The line to the station, for faults to play on it.
  sim::StationLine& line() { return line_; }

  // Makes this station the far end of the link's port, open at its speed.
  void plug_in() {
    auto port = std::make_unique<platform::LoopbackSerialPort>(&line_);
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
};

}  // namespace test
