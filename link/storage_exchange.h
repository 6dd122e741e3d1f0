#pragma once
// The exchange with the storage device, the station's store of call records
// and its clock, without a screen. The device drives it: every byte it sends
// is answered with exactly one byte, the idle answer while there is nothing
// to do, otherwise the next byte of the operation under way. An operation
// asked for begins with the next byte the device sends. Frames are checked
// with a plain sum modulo 256; a record's sum starts with its length byte.
//
// Each byte taken gives the answer to send and what, if anything, the
// program has to show or keep. Only the byte exchange is here; the line
// itself is the caller's (link_get_byte and link_put_byte).

#include <array>
#include <cstdint>

#include "facts/station_facts.h"

enum class StorageOperation { read_calls, clear_calls, read_clock, set_clock, read_times, write_times };

enum class StorageNews {
  none,
  download_started,
  call_received,      // call() holds its call_length() bytes as the device keeps it; calls() counts it
  download_finished,  // calls() records in all
  store_cleared,
  clock_read,         // clock()
  clock_set,          // clock(), as sent
  times_read,         // times()
  sum_wrong,          // the operation() ended; expected_sum() against received_sum()
};

struct StorageStep {
  int answer;
  StorageNews news = StorageNews::none;
};

using StorageClock = std::array<std::uint8_t, facts::storage_clock_bytes>;
using StorageTimes = std::array<std::uint8_t, facts::storage_times_bytes>;

// The device's clock record of the computer's local time now. The device
// counts the days of the week 1 (Monday) .. 7 (Sunday), as its display
// names them.
StorageClock clock_of_local_time();

class StorageExchange {
 public:
  bool idle() const { return state_ == State::idle; }
  // Starts an operation with the device's next byte; `times` are the
  // day/night times that write_times sends.
  void start(StorageOperation operation, const StorageTimes& times = {});
  // Ends the operation under way: the device's bytes get the idle answer
  // again.
  void cancel() { state_ = State::idle; }
  // The answer to the device's byte `received`.
  StorageStep take(int received);

  StorageOperation operation() const { return operation_; }
  const std::uint8_t* call() const { return call_.data(); }
  int call_length() const { return call_length_; }
  int calls() const { return calls_; }
  const StorageClock& clock() const { return clock_; }
  const StorageTimes& times() const { return times_; }
  int expected_sum() const { return sum_; }
  int received_sum() const { return received_; }

 private:
  enum class State {
    idle,
    read_start, read_length, read_data, read_check,
    clear_start, clear_confirm,
    clock_read_start, clock_read_data, clock_read_check,
    clock_write_start, clock_write_data, clock_write_check,
    times_read_start, times_read_data, times_read_check,
    times_write_start, times_write_data, times_write_check,
  };

  void begin_frame(State next, int bytes);
  int take_byte(std::uint8_t* into, int r, State check);
  int give_byte(const std::uint8_t* from, State check);
  StorageStep check_sum(int r, StorageNews news, State next = State::idle);

  State state_ = State::idle;
  StorageOperation operation_ = StorageOperation::read_calls;
  int sum_ = 0, left_ = 0, index_ = 0, calls_ = 0, received_ = 0;
  std::array<std::uint8_t, 255> call_{};  // as long as a length byte can say
  int call_length_ = 0;
  StorageClock clock_{};
  StorageTimes times_{};
};
