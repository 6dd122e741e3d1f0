#pragma once
// In-memory twins of the platform services, for tests: keys from a script,
// a virtual clock that advances only when the program waits, and a viewer
// runner that records what it was asked to show.

#include <cstdint>
#include <deque>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

// Thrown when a program asks for a key after the script has run out, so a
// test can run a loop that never returns on its own (the main menu) and
// still get control back.
struct ScriptExhausted : std::runtime_error {
  ScriptExhausted() : std::runtime_error("key script exhausted") {}
};

// The calendar time runs with the virtual time: set_wall names the calendar
// second of the present virtual moment.
class VirtualClock : public Clock {
 public:
  std::uint64_t now_ms() override { return now_; }
  void sleep_ms(int ms) override { now_ += ms > 0 ? ms : 0; slept_ += ms > 0 ? ms : 0; }
  std::time_t wall_seconds() override { return wall_ + static_cast<std::time_t>((now_ - wall_set_at_) / 1000); }
  void advance(std::uint64_t ms) { now_ += ms; }
  void set_wall(std::time_t seconds) {
    wall_ = seconds;
    wall_set_at_ = now_;
  }
  std::uint64_t slept() const { return slept_; }

 private:
  std::uint64_t now_ = 1000000;
  std::uint64_t slept_ = 0;
  std::time_t wall_ = 1141200000;  // a day in March 2006
  std::uint64_t wall_set_at_ = 1000000;
};

class ScriptedKeys : public KeyInput {
 public:
  explicit ScriptedKeys(VirtualClock* clock = nullptr) : clock_(clock) {}
  // Each byte is due at once; `after_ms` makes the next ones due only that
  // much virtual time later (a key pressed while a screen polls).
  void add(std::initializer_list<int> bytes, std::uint64_t after_ms = 0);
  void add_text(const std::string& cp866_bytes);
  // After the keys added so far the input ends, as a closed terminal's
  // does: the program is ended by end_without_keys.
  void end_input() { ended_ = true; }
  bool waiting() override;
  std::uint8_t read() override;
  std::size_t left() const { return queue_.size(); }

 private:
  struct Entry {
    std::uint8_t byte;
    std::uint64_t due;
  };
  std::deque<Entry> queue_;
  VirtualClock* clock_;
  bool ended_ = false;
};

// Makes a FIFO, a name that is no regular file. A system without FIFOs
// makes nothing, so the name stays missing, which no program can open either.
void make_fifo(const std::string& path);

// While it lives, no file this process writes may grow beyond `bytes`: a
// write past it fails as on a full disk. A system without such a limit
// sets none, and active() says so.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(std::uint64_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool active() const { return active_; }
  // Whether this system can set such a limit at all (Windows cannot).
  static const bool available;

 private:
  bool active_ = false;
  std::uint64_t old_soft_ = 0, old_hard_ = 0;
  void (*old_handler_)(int) = nullptr;
};

class RecordingRunner : public ProgramRunner {
 public:
  void run_viewer(const std::string& file) override { shown.push_back(file); }
  std::vector<std::string> shown;
};

// Counts presents, so tests can see that output reached the display.
class CountingDisplay : public Display {
 public:
  void present(ScreenModel& model) override {
    ++presents;
    model.clear_damage();
  }
  int presents = 0;
};

// Installs all twins for one test and puts the old services back after.
class TestServices {
 public:
  TestServices();
  ~TestServices();
  VirtualClock clock;
  ScriptedKeys keys{&clock};
  RecordingRunner runner;
  CountingDisplay display;
  ScreenModel& screen() { return services().screen; }

 private:
  Services saved_;
};

}  // namespace platform
