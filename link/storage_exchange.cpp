#include "link/storage_exchange.h"

#include <ctime>

#include "platform/calendar.h"

namespace {

constexpr int idle_answer = facts::storage_idle_answer;
constexpr int ack = facts::ack;
constexpr int end_of_store = 0x00;

}  // namespace

StorageClock clock_of_local_time() {
  std::tm t = platform::local_time(std::time(nullptr));
  return {static_cast<std::uint8_t>(t.tm_year - 100), static_cast<std::uint8_t>(t.tm_wday == 0 ? 7 : t.tm_wday),
          static_cast<std::uint8_t>(t.tm_mon + 1),    static_cast<std::uint8_t>(t.tm_mday),
          static_cast<std::uint8_t>(t.tm_hour),       static_cast<std::uint8_t>(t.tm_min),
          static_cast<std::uint8_t>(t.tm_sec)};
}

void StorageExchange::start(StorageOperation operation, const StorageTimes& times) {
  operation_ = operation;
  switch (operation) {
    case StorageOperation::read_calls: state_ = State::read_start; break;
    case StorageOperation::clear_calls: state_ = State::clear_start; break;
    case StorageOperation::read_clock: state_ = State::clock_read_start; break;
    case StorageOperation::set_clock: state_ = State::clock_write_start; break;
    case StorageOperation::read_times: state_ = State::times_read_start; break;
    case StorageOperation::write_times:
      times_ = times;
      state_ = State::times_write_start;
      break;
  }
}

void StorageExchange::begin_frame(State next, int bytes) {
  state_ = next;
  left_ = bytes;
  sum_ = 0;
  index_ = 0;
}

// One byte of a frame the device sends, acknowledged; `check` follows the
// last one.
int StorageExchange::take_byte(std::uint8_t* into, int r, State check) {
  into[index_++] = static_cast<std::uint8_t>(r);
  sum_ = (sum_ + r) & 0xFF;
  if (--left_ == 0) state_ = check;
  return ack;
}

// One byte of a frame the program sends, in answer to any byte.
int StorageExchange::give_byte(const std::uint8_t* from, State check) {
  int b = from[index_++];
  sum_ = (sum_ + b) & 0xFF;
  if (--left_ == 0) state_ = check;
  return b;
}

// The device's sum of a frame: equal, it is echoed and `news` told; a
// wrong one ends the operation.
StorageStep StorageExchange::check_sum(int r, StorageNews news, State next) {
  if (r != sum_) {
    received_ = r;
    state_ = State::idle;
    return {idle_answer, StorageNews::sum_wrong};
  }
  state_ = next;
  return {sum_, news};
}

StorageStep StorageExchange::take(int r) {
  r &= 0xFF;  // a byte, whatever the caller held it in
  switch (state_) {
    case State::idle:
      return {idle_answer};

    case State::read_start:
      calls_ = 0;
      state_ = State::read_length;
      return {facts::storage_read_calls, StorageNews::download_started};
    case State::read_length:
      if (r == 0) {
        state_ = State::idle;
        return {end_of_store, StorageNews::download_finished};
      }
      call_length_ = r;
      begin_frame(State::read_data, r);
      sum_ = r;
      ++calls_;
      return {ack};
    case State::read_data:
      return {take_byte(call_.data(), r, State::read_check)};
    case State::read_check:
      return check_sum(r, StorageNews::call_received, State::read_length);

    case State::clear_start:
      state_ = State::clear_confirm;
      return {facts::storage_clear_calls};
    case State::clear_confirm:
      state_ = State::idle;
      return {ack, StorageNews::store_cleared};

    case State::clock_read_start:
      begin_frame(State::clock_read_data, facts::storage_clock_bytes);
      return {facts::storage_read_clock};
    case State::clock_read_data:
      return {take_byte(clock_.data(), r, State::clock_read_check)};
    case State::clock_read_check:
      return check_sum(r, StorageNews::clock_read);

    case State::clock_write_start:
      clock_ = clock_of_local_time();
      begin_frame(State::clock_write_data, facts::storage_clock_bytes);
      return {facts::storage_set_clock};
    case State::clock_write_data:
      return {give_byte(clock_.data(), State::clock_write_check)};
    case State::clock_write_check:
      return check_sum(r, StorageNews::clock_set);

    case State::times_read_start:
      begin_frame(State::times_read_data, facts::storage_times_bytes);
      return {facts::storage_read_times};
    case State::times_read_data:
      return {take_byte(times_.data(), r, State::times_read_check)};
    case State::times_read_check:
      return check_sum(r, StorageNews::times_read);

    case State::times_write_start:
      begin_frame(State::times_write_data, facts::storage_times_bytes);
      return {facts::storage_write_times};
    case State::times_write_data:
      return {give_byte(times_.data(), State::times_write_check)};
    case State::times_write_check: {
      // The times are read back, so the program shows what the device holds.
      StorageStep step = check_sum(r, StorageNews::none, State::times_read_start);
      if (step.news != StorageNews::sum_wrong) operation_ = StorageOperation::read_times;
      return step;
    }
  }
  return {idle_answer};
}
