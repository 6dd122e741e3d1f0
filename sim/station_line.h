#pragma once
// The line between the computer and a station: it carries the station's
// answers back, and can be made to misbehave.
//
// Faults, drawn for each answer from one seeded generator so that a run can
// be repeated:
//   drop    the answer is lost (the station went on as if it had been heard)
//   corrupt the answer arrives with one bit wrong, whatever it is: an
//           acknowledgement, a data byte, a length or a check byte (a check
//           byte stays a plausible check byte, just the wrong one)
//   corrupt_checks  only check bytes arrive wrong, every other answer is
//           left alone (for tests of the check itself)
//   late    the answer comes after the program has given up waiting
//   corrupt_received  a byte from the computer reaches the station with one
//           bit wrong (its own seeded generator, so that the answers'
//           faults stay where the seed put them)
// A fault can also be planned for one answer by its number (1 = the first
// answer the station gives), for tests that break a frame at one place;
// a planned corrupt alters any answer.
//
// A lost or late answer makes the program give up the frame after its
// time-out; the line tells the station so, and the station takes the next
// byte as the start of a new frame however soon it comes.
//
// Pacing delays each answer by the time the computer's byte and the answer
// take on a real line at its speed (10 bits each), for benchmarks.

#include <cstdint>
#include <map>
#include <set>
#include <optional>
#include <string>

#include "platform/serial_loopback.h"
#include "sim/station.h"

namespace sim {

enum class Fault { none, drop, corrupt, late };

struct FaultPlan {
  double drop = 0;
  double corrupt = 0;
  double corrupt_checks = 0;
  double late = 0;
  double corrupt_received = 0;
  std::uint64_t seed = 1;
  std::map<std::uint64_t, Fault> at_answer;
  // Bytes from the computer (1 = the first) that reach the station with
  // bit 0 wrong.
  std::set<std::uint64_t> corrupt_received_at;
};

class StationLine : public platform::LinePeer {
 public:
  explicit StationLine(Station& station, FaultPlan plan = {});

  std::optional<Reply> on_byte(std::uint8_t byte, int line_baud, std::uint64_t now_ms) override;

  void set_faults(const FaultPlan& plan);
  void set_pacing(bool on) { pacing_ = on; }
  // How long a late answer takes: half as long again as the program waits.
  int late_delay_ms() const;
  // Answers the station has given so far (whether they arrived or not).
  std::uint64_t answers() const { return answers_; }
  // Bytes the computer has sent so far.
  std::uint64_t received() const { return received_; }

  // Told of every fault played, for the simulator's log.
  std::function<void(const std::string&)> fault_log;

 private:
  struct Drawn {
    Fault fault;
    int bit;  // of a corrupt: which bit goes wrong
  };
  Drawn draw(AnswerKind kind);
  static std::uint8_t damaged(const Answer& answer, int bit);
  static double next_unit(std::uint64_t& state);
  double next_unit() { return next_unit(rng_); }
  std::uint8_t as_received(std::uint8_t byte);

  Station& station_;
  FaultPlan plan_;
  std::uint64_t rng_;
  std::uint64_t received_rng_;
  std::uint64_t received_ = 0;  // bytes from the computer
  bool pacing_ = false;
  std::uint64_t answers_ = 0;
};

// The wire time of one byte at a speed: 10 bits (start, 8 data, stop).
double byte_time_ms(int baud);

}  // namespace sim
