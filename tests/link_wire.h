#pragma once
// A serial line for link tests whose far end answers each byte the program
// sends, either from a script of expected bytes and answers or from a
// function; the virtual clock runs the read time-outs. A box watcher stands
// in for the keyboard and notes each link error box as it waits for its key.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/link_port.h"
#include "platform/serial.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "tests/test_support.h"
#include "toolkit/profile.h"
#include "toolkit/screen.h"

namespace test {

constexpr int silent = -1;  // the byte goes unanswered

struct Step {
  int out;     // the byte the program should send
  int answer;  // the far end's answer, or silent
  bool late = false;  // the answer comes only after the program gave up on it
};

class ScriptedWire : public platform::SerialPort {
 public:
  explicit ScriptedWire(platform::VirtualClock& clock) : clock_(clock) {}

  // Answers from the script, step by step; past its end nothing answers.
  // Playing a script starts the record of sent bytes anew.
  void play(std::vector<Step> steps) {
    script = std::move(steps);
    step_ = 0;
    sent.clear();
  }
  std::vector<Step> script;
  // Used instead of the script when set.
  std::function<int(int out)> peer;

  platform::SerialOpen open_result = platform::SerialOpen::ok;
  bool rts_ok = true;
  bool read_fails = false;
  bool write_fails = false;

  std::vector<int> sent;
  std::vector<int> bauds;  // of every open
  std::vector<std::string> names;
  std::vector<bool> rts;   // every RTS change
  int purges = 0;
  int baud = 0;

  platform::SerialOpen open(const std::string& name, int b) override {
    names.push_back(name);
    bauds.push_back(b);
    open_ = open_result == platform::SerialOpen::ok;
    baud = b;
    if (open_result == platform::SerialOpen::not_available) return refuse(platform::PortRefusal::held);
    return open_result;
  }
  void close() override { open_ = false; }
  bool is_open() const override { return open_; }

  int read_byte(std::uint8_t& byte, int timeout_ms) override {
    if (read_fails) return platform::serial_read_failed;
    if (received_.empty()) {
      clock_.sleep_ms(timeout_ms);
      // A late answer comes in just after the read gave up.
      if (late_ >= 0) received_.push_back(late_);
      late_ = -1;
      return platform::serial_timed_out;
    }
    byte = static_cast<std::uint8_t>(received_.front());
    received_.pop_front();
    return platform::serial_byte_received;
  }
  bool write_byte(std::uint8_t byte) override {
    if (write_fails) return false;
    sent.push_back(byte);
    int answer = silent;
    if (peer) {
      answer = peer(byte);
    } else if (step_ < script.size()) {
      answer = script[step_].answer;
      if (script[step_].late) std::swap(answer, late_);
    }
    ++step_;
    if (answer >= 0) received_.push_back(answer);
    return true;
  }
  bool set_rts(bool on) override {
    rts.push_back(on);
    return rts_ok;
  }
  bool purge_input() override {
    ++purges;
    received_.clear();
    return true;
  }

  // The bytes the script expects the program to send.
  std::vector<int> expected() const {
    std::vector<int> out;
    for (const Step& s : script) out.push_back(s.out);
    return out;
  }

 private:
  platform::VirtualClock& clock_;
  bool open_ = false;
  std::deque<int> received_;
  int late_ = -1;
  std::size_t step_ = 0;
};

// Keys for a test that shows link error boxes: each read notes the message
// row of the box on screen at that moment, then answers with a blank.
class BoxWatcher : public platform::KeyInput {
 public:
  bool waiting() override { return false; }
  std::uint8_t read() override {
    std::string row = utf8_at(17, 13, 48);
    row.erase(0, row.find_first_not_of(' '));
    row.erase(row.find_last_not_of(' ') + 1);
    boxes.push_back(row);
    std::string bottom = utf8_at(1, 25, 80);
    bottoms.push_back(bottom.erase(bottom.find_last_not_of(' ') + 1));
    return ' ';
  }
  std::vector<std::string> boxes;
  std::vector<std::string> bottoms;  // row 25 while each box was shown
};

// Plays the scripted keys first; once they have run out, notes boxes.
class ScriptThenBoxes : public BoxWatcher {
 public:
  explicit ScriptThenBoxes(platform::ScriptedKeys& keys) : keys_(keys) {}
  bool waiting() override { return keys_.waiting(); }
  std::uint8_t read() override { return keys_.left() ? keys_.read() : BoxWatcher::read(); }

 private:
  platform::ScriptedKeys& keys_;
};

// Puts a keyboard in for one scope.
class UseKeys {
 public:
  explicit UseKeys(platform::KeyInput& keys) : saved_(platform::services().keys) { platform::services().keys = &keys; }
  ~UseKeys() { platform::services().keys = saved_; }

 private:
  platform::KeyInput* saved_;
};

// A test of the link on a scripted line, in one program's profile; the
// line is open and the station taken as connected unless the test says
// otherwise.
struct ScriptedLink : ::testing::Test {
  platform::TestServices services;
  ScriptedWire* wire = nullptr;

  void use_line(const ProgramProfile& program, bool open_and_connected = true) {
    use_program(program);
    reset_run_state();
    auto w = std::make_unique<ScriptedWire>(services.clock);
    wire = w.get();
    if (open_and_connected) w->open("COM1", program.link.memory_window ? 9600 : 4800);
    link_use_port(std::move(w));
    link_state.station_connected = open_and_connected;
  }
  void TearDown() override {
    reset_run_state();
    use_program(karvel_program);
  }
};

// The check byte of a frame with these bytes.
inline int check_of(std::initializer_list<int> bytes) {
  int sum = 0;
  for (int b : bytes) sum += b;
  return link_check_byte(sum);
}

// Appends data bytes the computer sends, each acknowledged, and the check
// byte over `sum` plus the data, answered with the same check byte.
inline void append_sent_data_and_check(std::vector<Step>& wire, const std::vector<int>& data, int sum) {
  for (int d : data) {
    wire.push_back({d, 0xFF});
    sum += d;
  }
  int check = link_check_byte(sum);
  wire.push_back({check, check});
}

}  // namespace test
