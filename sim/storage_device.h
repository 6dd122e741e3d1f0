#pragma once
// The call record store and clock of the tomrik station (its "накопитель").
// Unlike the station, the device drives the line: while it is switched on it
// sends a byte and waits for exactly one answer before it sends the next.
// While there is nothing to do it sends its ready byte and the computer
// answers 0x80; a command byte in place of 0x80 starts an operation:
//
//   A6 read the store  per record: N / FF, d1 / FF ... dN / FF, sum / sum;
//                      after the last record 00 / 00
//   A9 clear the store confirm / FF
//   A7 read the clock  c0 / FF ... c6 / FF, sum / sum
//   AE set the clock   ready / c0 ... ready / c6, sum / sum (kept when equal)
//   A1 read the day/night times  t0 / FF ... t3 / FF, sum / sum
//   A2 write them      ready / t0 ... ready / t3, sum / sum (kept when equal)
//
// (device byte / computer's answer). Sums are plain sums modulo 256; a
// record's sum starts with its length byte. An answer other than the one
// expected ends the operation and the device is ready again; so does a
// computer that stays silent for longer than resend_ms, after which the
// device sends its ready byte again.
//
// Clock record: year - 2000, day of the week 1 (Monday) .. 7 (Sunday),
// month, day, hours, minutes, seconds. It runs on from when it was set.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "facts/station_facts.h"
#include "sim/station_line.h"

namespace sim {

using StoredCall = std::vector<std::uint8_t>;  // the N bytes the device sends

class StorageDevice {
 public:
  static constexpr std::uint8_t ready_byte = 0x55;
  static constexpr int resend_ms = 200;

  StorageDevice();

  void switch_on(bool on, std::uint64_t now_ms = 0);
  bool on() const { return on_; }

  // The byte to put on the line now, if any: the next byte of the exchange,
  // or the ready byte again after a silence. Nothing while switched off or
  // while an answer is awaited.
  std::optional<std::uint8_t> next_byte(std::uint64_t now_ms);
  // The computer's byte, the answer to the byte sent last.
  void take(std::uint8_t byte, std::uint64_t now_ms);
  // Whether `byte` from the computer can be an answer of the storage screen:
  // one was awaited and, at rest, it is the idle answer or a command. A byte
  // nobody asked for, or a record frame's first byte, cannot.
  bool takes_as_answer(std::uint8_t byte) const;
  // When next_byte may have something to send, for a caller that waits.
  std::uint64_t next_due_ms() const;

  std::vector<StoredCall> store;
  std::array<std::uint8_t, facts::storage_times_bytes> times{20, 0, 9, 0};
  void set_clock(const std::array<std::uint8_t, facts::storage_clock_bytes>& clock, std::uint64_t now_ms);
  std::array<std::uint8_t, facts::storage_clock_bytes> clock(std::uint64_t now_ms) const;

  // Faults on the bytes the device sends: drop (never arrives), corrupt
  // (a data byte arrives with one bit wrong, a sum arrives wrong), late
  // (arrives after the computer stopped waiting). Lengths, the end of the
  // store and the ready byte are not corrupted: a length damaged to 0 would
  // end a download early in a way neither side can tell, which only shows
  // the protocol, not the program. `plan.at_answer` counts the device's
  // sums, 1 = the first; corrupt_checks damages sums only.
  void set_faults(const FaultPlan& plan);
  // Told of operations and faults, for the simulator's log.
  std::function<void(const std::string&)> log;

 private:
  enum class Step { ready, record_length, record_data, record_sum, end_of_store, clear_confirm,
                    send_data, send_sum, take_data, take_sum };
  enum class Purpose { records, clock_read, times_read, clock_write, times_write, none };

  void begin_ready();
  void prepare_send(const std::vector<std::uint8_t>& bytes, Purpose purpose);
  void prepare_take(int count, Purpose purpose);
  enum class Sent { control, data, sum };  // what a byte is, for the faults
  void queue(std::uint8_t byte, Sent what);
  void start_record();
  void send_next(Step sum_step);
  void note(const std::string& text) const {
    if (log) log(text);
  }
  double next_unit();

  bool on_ = false;
  Step step_ = Step::ready;
  Purpose purpose_ = Purpose::none;
  bool awaiting_ = false;
  std::uint64_t sent_ms_ = 0;
  std::optional<std::uint8_t> pending_;  // the byte to send next
  std::uint64_t pending_due_ms_ = 0;
  bool pending_drop_ = false;
  bool pending_late_ = false;
  std::size_t take_count_ = 0;
  std::uint8_t last_sent_ = 0;
  std::vector<std::uint8_t> data_;
  std::size_t at_ = 0;
  std::size_t record_ = 0;
  std::uint8_t sum_ = 0;
  std::uint64_t sums_sent_ = 0;
  FaultPlan plan_;
  std::uint64_t rng_ = 1;
  std::int64_t clock_base_s_ = 0;   // the clock's time when it was set
  std::uint64_t clock_set_ms_ = 0;
};

// The clock record of a broken-down time.
std::array<std::uint8_t, 7> clock_record(const std::tm& time);

// A plausible store of `count` calls: subscribers 1..16, lines 1..4, dates
// in one month, some calls across midnight, dialled numbers of 2..20
// characters (";" for "*", "<" for "#"), so that the lengths vary.
std::vector<StoredCall> generate_calls(int count, std::uint64_t seed);
// A store file: records one after another, each its length byte and then
// its bytes. False with a reason when the file cannot be read or is cut off.
bool read_store_file(const std::string& path, std::vector<StoredCall>& out, std::string& error);

}  // namespace sim
