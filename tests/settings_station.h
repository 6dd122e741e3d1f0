#pragma once
// An in-process station for the transfer tests, answering byte by byte on
// a serial port twin: karvel memory blocks (0xBD / 0xBE) over a 32 KB
// configuration window, and tomrik records (0xAA / 0xA5) kept by (group,
// index). Chosen blocks or records can be made to fail with a wrong check
// byte, the station answers at once, and `on_block` lets a test act at a
// chosen point of a transfer (press a key).

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "link/link.h"
#include "platform/serial.h"

namespace test {

class StationTwin : public platform::SerialPort {
 public:
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(32768, 0);  // 0x8000..0xFFFF
  std::map<std::pair<int, int>, std::vector<std::uint8_t>> records;
  std::set<int> failing_blocks;                  // start addresses
  std::set<std::pair<int, int>> failing_records;  // (group, index)
  std::function<void(int address)> on_block;   // a karvel block frame begins
  std::function<void(int group, int index)> on_record;  // a tomrik record frame begins
  std::vector<std::pair<int, int>> records_read, records_written;
  int blocks_read = 0, blocks_written = 0;

  platform::SerialOpen open(const std::string&, int) override {
    open_ = true;
    return platform::SerialOpen::ok;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }
  bool set_rts(bool) override { return true; }
  bool purge_input() override {
    pending_ = -1;
    return true;
  }
  int read_byte(std::uint8_t& byte, int) override {
    if (pending_ < 0) return platform::serial_timed_out;
    byte = static_cast<std::uint8_t>(pending_);
    pending_ = -1;
    return platform::serial_byte_received;
  }
  bool write_byte(std::uint8_t byte) override {
    pending_ = answer(byte);
    return true;
  }

 private:
  enum Phase { idle, lo, hi, count, data, check, group, index, length };
  bool open_ = false;
  int pending_ = -1;
  Phase phase_ = idle;
  int command_ = 0, address_ = 0, count_ = 0, done_ = 0, sum_ = 0, group_ = 0, index_ = 0;
  std::vector<std::uint8_t> frame_;

  std::uint8_t& mem(int address) { return memory[(address - 0x8000) & 0x7FFF]; }
  bool failing() const {
    if (command_ == 0xBD || command_ == 0xBE) return failing_blocks.count(address_) > 0;
    return failing_records.count({group_, index_}) > 0;
  }
  int close_frame() {
    phase_ = idle;
    int c = link_check_byte(sum_ & 0xFF);
    return failing() ? (c ^ 1) : c;
  }

  int answer(int b) {
    switch (phase_) {
      case idle:
        command_ = b;
        sum_ = b;
        if (b == 0xBD || b == 0xBE) {
          phase_ = lo;
          return 0xFF;
        }
        if (b == 0xAA || b == 0xA5) {
          phase_ = group;
          return 0xFF;
        }
        return b == 0x80 ? 0x80 : -1;
      case lo:
        address_ = b;
        sum_ += b;
        phase_ = hi;
        return 0xFF;
      case hi:
        address_ |= b << 8;
        sum_ += b;
        phase_ = count;
        if (on_block) on_block(address_);
        return 0xFF;
      case count:
        count_ = b;
        sum_ += b;
        done_ = 0;
        if (command_ == 0xBD) {
          ++blocks_read;
          if (count_ == 0) {
            phase_ = check;
            return -1;
          }
          phase_ = data;
          sum_ += mem(address_);
          return mem(address_);
        }
        ++blocks_written;
        frame_.clear();
        phase_ = count_ == 0 ? check : data;
        return 0xFF;
      case data:
        if (command_ == 0xBD) {
          // The computer's 0xFF asks for the next byte; after the last one
          // its byte is the check byte.
          if (++done_ < count_) {
            int v = mem(address_ + done_);
            sum_ += v;
            return v;
          }
          return close_frame();
        }
        if (command_ == 0xBE) {
          frame_.push_back(static_cast<std::uint8_t>(b));
          sum_ += b;
          if (++done_ == count_) phase_ = check;
          return 0xFF;
        }
        // Records.
        if (command_ == 0xAA) {
          auto& r = records[{group_, index_}];
          if (++done_ <= static_cast<int>(r.size())) {
            sum_ += r[done_ - 1];
            return r[done_ - 1];
          }
          return close_frame();
        }
        frame_.push_back(static_cast<std::uint8_t>(b));
        sum_ += b;
        if (static_cast<int>(frame_.size()) == count_) phase_ = check;
        return 0xFF;
      case check:
        if (command_ == 0xBE && !failing())
          for (int i = 0; i < count_; ++i) mem(address_ + i) = frame_[i];
        if (command_ == 0xA5 && !failing()) {
          records[{group_, index_}] = frame_;
          records_written.push_back({group_, index_});
        }
        return close_frame();
      case group:
        group_ = b;
        sum_ += b;
        phase_ = index;
        return 0xFF;
      case index: {
        index_ = b;
        sum_ += b;
        if (on_record) on_record(group_, index_);
        if (command_ == 0xAA) {
          records_read.push_back({group_, index_});
          auto& r = records[{group_, index_}];
          count_ = static_cast<int>(r.size());
          sum_ += count_;
          done_ = 0;
          phase_ = count_ == 0 ? check : data;
          return count_;
        }
        phase_ = length;
        return 0xFF;
      }
      case length:
        count_ = b;
        sum_ += b;
        frame_.clear();
        phase_ = count_ == 0 ? check : data;
        return 0xFF;
    }
    return -1;
  }
};

}  // namespace test
