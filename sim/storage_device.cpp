#include "sim/storage_device.h"

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>

#include "facts/station_facts.h"
#include "platform/calendar.h"

namespace sim {

namespace {

constexpr std::uint8_t ack = facts::ack;
constexpr int late_ms = 80;  // past the program's 51 ms wait for a byte

std::int64_t seconds_of(const std::array<std::uint8_t, 7>& c) {
  std::tm t{};
  t.tm_year = 100 + c[0];
  t.tm_mon = c[2] - 1;
  t.tm_mday = c[3];
  t.tm_hour = c[4];
  t.tm_min = c[5];
  t.tm_sec = c[6];
  return static_cast<std::int64_t>(platform::utc_seconds(t));
}

}  // namespace

StorageDevice::StorageDevice() { set_clock({24, 1, 1, 1, 0, 0, 0}, 0); }

void StorageDevice::switch_on(bool on, std::uint64_t now_ms) {
  if (on == on_) return;
  on_ = on;
  awaiting_ = false;
  begin_ready();
  pending_due_ms_ = now_ms;
  note(on ? "storage device on" : "storage device off");
}

void StorageDevice::set_faults(const FaultPlan& plan) {
  plan_ = plan;
  rng_ = plan.seed ? plan.seed * 0x9E3779B97F4A7C15ull : 1;
}

double StorageDevice::next_unit() {
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 7;
  rng_ ^= rng_ << 17;
  return static_cast<double>(rng_ >> 11) / 9007199254740992.0;
}

void StorageDevice::set_clock(const std::array<std::uint8_t, 7>& clock, std::uint64_t now_ms) {
  clock_base_s_ = seconds_of(clock);
  clock_set_ms_ = now_ms;
}

std::array<std::uint8_t, 7> StorageDevice::clock(std::uint64_t now_ms) const {
  std::int64_t elapsed = now_ms >= clock_set_ms_ ? static_cast<std::int64_t>((now_ms - clock_set_ms_) / 1000) : 0;
  std::time_t t = static_cast<std::time_t>(clock_base_s_ + elapsed);
  std::tm tm{};
  tm = platform::utc_time(t);
  return clock_record(tm);
}

std::array<std::uint8_t, 7> clock_record(const std::tm& t) {
  return {static_cast<std::uint8_t>(t.tm_year - 100), static_cast<std::uint8_t>(t.tm_wday == 0 ? 7 : t.tm_wday),
          static_cast<std::uint8_t>(t.tm_mon + 1),    static_cast<std::uint8_t>(t.tm_mday),
          static_cast<std::uint8_t>(t.tm_hour),       static_cast<std::uint8_t>(t.tm_min),
          static_cast<std::uint8_t>(t.tm_sec)};
}

void StorageDevice::begin_ready() {
  step_ = Step::ready;
  purpose_ = Purpose::none;
  queue(ready_byte, Sent::control);
}

// The next byte to send, with the faults drawn for it.
void StorageDevice::queue(std::uint8_t byte, Sent what) {
  Fault fault = Fault::none;
  bool is_sum = what == Sent::sum;
  if (is_sum) {
    ++sums_sent_;
    auto planned = plan_.at_answer.find(sums_sent_);
    if (planned != plan_.at_answer.end()) fault = planned->second;
  }
  double corrupt_p = is_sum ? std::max(plan_.corrupt, plan_.corrupt_checks) : what == Sent::data ? plan_.corrupt : 0;
  int bit = 0;
  if (fault == Fault::none && (plan_.drop > 0 || plan_.corrupt > 0 || plan_.corrupt_checks > 0 || plan_.late > 0)) {
    double drop = next_unit(), corrupt = next_unit(), late = next_unit();
    if (drop < plan_.drop) {
      fault = Fault::drop;
    } else if (corrupt < corrupt_p) {
      fault = Fault::corrupt;
      bit = std::min(7, static_cast<int>(corrupt / corrupt_p * 8));
    } else if (late < plan_.late) {
      fault = Fault::late;
    }
  }
  pending_due_ms_ = 0;
  pending_drop_ = false;
  switch (fault) {
    case Fault::none: break;
    case Fault::drop:
      pending_drop_ = true;
      note("fault: storage byte lost");
      break;
    case Fault::corrupt:
      byte = static_cast<std::uint8_t>(is_sum ? byte ^ 0x5A : byte ^ (1u << bit));
      note(is_sum ? "fault: storage sum sent wrong" : "fault: storage byte sent with one bit wrong");
      break;
    case Fault::late:
      pending_late_ = true;
      note("fault: storage byte late");
      break;
  }
  pending_ = byte;
}

std::optional<std::uint8_t> StorageDevice::next_byte(std::uint64_t now_ms) {
  if (!on_) return std::nullopt;
  if (awaiting_) {
    if (now_ms < sent_ms_ + resend_ms) return std::nullopt;
    // The computer is silent: whatever was under way is given up.
    awaiting_ = false;
    if (step_ != Step::ready) note("storage: no answer, operation given up");
    begin_ready();
  }
  if (!pending_) return std::nullopt;
  if (pending_late_) {
    pending_late_ = false;
    pending_due_ms_ = now_ms + late_ms;
  }
  if (now_ms < pending_due_ms_) return std::nullopt;
  std::uint8_t byte = *pending_;
  pending_.reset();
  awaiting_ = true;
  sent_ms_ = now_ms;
  if (pending_drop_) {
    pending_drop_ = false;
    return std::nullopt;
  }
  return byte;
}

std::uint64_t StorageDevice::next_due_ms() const {
  if (!on_) return UINT64_MAX;
  if (awaiting_) return sent_ms_ + resend_ms;
  return pending_ ? pending_due_ms_ : UINT64_MAX;
}

void StorageDevice::prepare_send(const std::vector<std::uint8_t>& bytes, Purpose purpose) {
  data_ = bytes;
  purpose_ = purpose;
  at_ = 0;
  sum_ = data_[0];
  step_ = Step::send_data;
  queue(data_[0], Sent::data);
}

void StorageDevice::prepare_take(int count, Purpose purpose) {
  data_.clear();
  take_count_ = static_cast<std::size_t>(count);
  purpose_ = purpose;
  sum_ = 0;
  step_ = Step::take_data;
  queue(ready_byte, Sent::control);
}

void StorageDevice::start_record() {
  if (record_ >= store.size()) {
    step_ = Step::end_of_store;
    queue(0, Sent::control);
    return;
  }
  data_ = store[record_];
  if (data_.empty()) data_.push_back(0);  // a length byte of 0 would end the store
  if (data_.size() > 255) data_.resize(255);
  sum_ = static_cast<std::uint8_t>(data_.size());
  at_ = 0;
  step_ = Step::record_length;
  queue(static_cast<std::uint8_t>(data_.size()), Sent::control);
}

// After an acknowledged data byte: the next one, or the sum after the last.
void StorageDevice::send_next(Step sum_step) {
  if (++at_ < data_.size()) {
    sum_ = static_cast<std::uint8_t>(sum_ + data_[at_]);
    queue(data_[at_], Sent::data);
  } else {
    step_ = sum_step;
    queue(sum_, Sent::sum);
  }
}

bool StorageDevice::takes_as_answer(std::uint8_t byte) const {
  if (!on_ || !awaiting_) return false;
  if (step_ != Step::ready) return true;
  switch (byte) {
    case facts::storage_idle_answer:
    case facts::storage_read_calls:
    case facts::storage_clear_calls:
    case facts::storage_read_clock:
    case facts::storage_set_clock:
    case facts::storage_read_times:
    case facts::storage_write_times: return true;
    default: return false;
  }
}

void StorageDevice::take(std::uint8_t byte, std::uint64_t now_ms) {
  if (!on_ || !awaiting_) return;  // a byte nobody asked for
  awaiting_ = false;
  auto abort = [&](const char* what) {
    note(std::string("storage: ") + what + ", operation given up");
    begin_ready();
  };
  switch (step_) {
    case Step::ready:
      switch (byte) {
        case facts::storage_read_calls:
          record_ = 0;
          start_record();
          return;
        case facts::storage_clear_calls:
          note("storage: " + std::to_string(store.size()) + " records cleared");
          store.clear();
          step_ = Step::clear_confirm;
          queue(0x00, Sent::control);
          return;
        case facts::storage_read_clock: {
          auto c = clock(now_ms);
          prepare_send(std::vector<std::uint8_t>(c.begin(), c.end()), Purpose::clock_read);
          return;
        }
        case facts::storage_read_times:
          prepare_send(std::vector<std::uint8_t>(times.begin(), times.end()), Purpose::times_read);
          return;
        case facts::storage_set_clock: prepare_take(facts::storage_clock_bytes, Purpose::clock_write); return;
        case facts::storage_write_times: prepare_take(facts::storage_times_bytes, Purpose::times_write); return;
        default: begin_ready(); return;
      }
    case Step::record_length:
      if (byte != ack) return abort("record length not acknowledged");
      step_ = Step::record_data;
      sum_ = static_cast<std::uint8_t>(sum_ + data_[0]);
      queue(data_[0], Sent::data);
      return;
    case Step::record_data:
      if (byte != ack) return abort("record byte not acknowledged");
      send_next(Step::record_sum);
      return;
    case Step::record_sum:
      if (byte != sum_) return abort("record sum not confirmed");
      ++record_;
      start_record();
      return;
    case Step::end_of_store:
      if (byte == 0x00) note("storage: " + std::to_string(record_) + " records sent");
      begin_ready();
      return;
    case Step::clear_confirm: begin_ready(); return;
    case Step::send_data:
      if (byte != ack) return abort("byte not acknowledged");
      send_next(Step::send_sum);
      return;
    case Step::send_sum:
      if (byte != sum_) note("storage: sum not confirmed");
      begin_ready();
      return;
    case Step::take_data:
      data_.push_back(byte);
      sum_ = static_cast<std::uint8_t>(sum_ + byte);
      if (data_.size() < take_count_) {
        queue(ready_byte, Sent::control);
      } else {
        step_ = Step::take_sum;
        queue(sum_, Sent::sum);
      }
      return;
    case Step::take_sum:
      if (byte == sum_) {
        if (purpose_ == Purpose::clock_write) {
          std::array<std::uint8_t, 7> c{};
          std::copy(data_.begin(), data_.end(), c.begin());
          set_clock(c, now_ms);
          note("storage: clock set");
        } else if (purpose_ == Purpose::times_write) {
          std::copy(data_.begin(), data_.end(), times.begin());
          note("storage: day/night times set");
        }
      } else {
        note("storage: sum not confirmed, nothing kept");
      }
      begin_ready();
      return;
  }
}

std::vector<StoredCall> generate_calls(int count, std::uint64_t seed) {
  std::uint64_t state = seed * 6364136223846793005ull + 1442695040888963407ull;
  auto next = [&](int range) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(range));
  };
  std::vector<StoredCall> calls;
  for (int i = 0; i < count; ++i) {
    StoredCall c;
    c.push_back(static_cast<std::uint8_t>(1 + next(16)));  // subscriber
    c.push_back(static_cast<std::uint8_t>(1 + next(4)));   // line
    int day = 1 + (i * 3) % 28;
    c.push_back(static_cast<std::uint8_t>(day));
    c.push_back(12);
    c.push_back(26);
    int start = i % 4 == 1 ? 23 * 3600 + 50 * 60 + next(600) : 8 * 3600 + next(12 * 3600);
    int duration = 5 + next(900);
    int end = (start + duration) % 86400;
    for (int t : {start, end}) {
      c.push_back(static_cast<std::uint8_t>(t / 3600));
      c.push_back(static_cast<std::uint8_t>(t / 60 % 60));
      c.push_back(static_cast<std::uint8_t>(t % 60));
    }
    int digits = 2 + next(20);  // 2..21: the record is 13..32 bytes
    if (i % 5 == 3) c.push_back(';');
    if (i % 7 == 4) c.push_back('<');
    for (int d = static_cast<int>(c.size()) - 11; d < digits; ++d) c.push_back(static_cast<std::uint8_t>('0' + next(10)));
    calls.push_back(c);
  }
  return calls;
}

bool read_store_file(const std::string& path, std::vector<StoredCall>& out, std::string& error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    error = "cannot read " + path;
    return false;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  out.clear();
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t n = bytes[at++];
    if (n == 0) continue;  // an empty record would end a download early
    if (at + n > bytes.size()) {
      error = path + ": the last record is cut off";
      return false;
    }
    out.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
  }
  return true;
}

}  // namespace sim
