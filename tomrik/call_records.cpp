#include "tomrik/call_records.h"

#include <algorithm>

#include "platform/files.h"
#include "settings/run_state.h"

constinit CallRecord& record_filter = run.record_filter;

char number_character(std::uint8_t byte) {
  if (byte >= '0' && byte <= '9') return static_cast<char>(byte);
  if (byte == '*' || byte == ';') return '*';
  if (byte == '#' || byte == '<') return '#';
  return 0;
}

bool call_record_matches(const CallRecord& record, const CallRecord& filter) {
  const std::uint8_t* r = record.bytes;
  const std::uint8_t* f = filter.bytes;
  if (f[0] != 0 && f[0] != r[0]) return false;
  if (f[1] != 0 && f[1] != r[1]) return false;
  for (int i = number_first; i < number_first + pattern_places && f[i] != 0; ++i) {
    if (f[i] == '?') continue;
    if (f[i] == '*' || f[i] == '#') {
      if (number_character(r[i]) != f[i]) return false;
    } else if (f[i] != r[i]) {
      return false;
    }
  }
  return true;
}

TimeOfDay call_duration(const TimeOfDay& start, const TimeOfDay& end) {
  TimeOfDay length;
  int borrow = 0;
  length.seconds = end.seconds - start.seconds;
  if (length.seconds < 0) length.seconds += 60, borrow = 1;
  length.minutes = end.minutes - start.minutes - borrow;
  borrow = 0;
  if (length.minutes < 0) length.minutes += 60, borrow = 1;
  length.hours = end.hours - start.hours - borrow;
  if (length.hours < 0) length.hours += 24;
  return length;
}

namespace {

TimeOfDay time_at(const CallRecord& r, int place) { return {r.bytes[place], r.bytes[place + 1], r.bytes[place + 2]}; }

}  // namespace

CallRecord downloaded_call_record(const std::uint8_t* bytes, int length) {
  CallRecord r;
  std::copy_n(bytes, std::clamp(length, 0, call_record_size), r.bytes);
  TimeOfDay call_length = call_duration(time_at(r, record_start), time_at(r, record_duration));
  r.bytes[record_duration] = static_cast<std::uint8_t>(call_length.hours);
  r.bytes[record_duration + 1] = static_cast<std::uint8_t>(call_length.minutes);
  r.bytes[record_duration + 2] = static_cast<std::uint8_t>(call_length.seconds);
  return r;
}

std::FILE* open_call_records_for_appending() { return platform::open_regular_file(call_records_file, "ab"); }
std::FILE* open_call_records_for_reading() { return platform::open_regular_file(call_records_file, "rb"); }

bool append_call_record(std::FILE* file, const CallRecord& record) {
  return std::fwrite(record.bytes, 1, call_record_size, file) == static_cast<std::size_t>(call_record_size) &&
         std::fflush(file) == 0;
}

RecordRead read_call_record(std::FILE* file, int n, CallRecord& out) {
  if (n < 1) return RecordRead::end;
  if (std::fseek(file, static_cast<long>(n - 1) * call_record_size, SEEK_SET) != 0) return RecordRead::seek_failed;
  CallRecord record;
  if (std::fread(record.bytes, 1, call_record_size, file) != static_cast<std::size_t>(call_record_size))
    return RecordRead::end;
  out = record;
  return RecordRead::ok;
}

DownloadedCalls::~DownloadedCalls() {
  if (file_) std::fclose(file_);
}

bool DownloadedCalls::open() {
  file_ = open_call_records_for_appending();
  return file_ != nullptr;
}

// Whole records only: a cut-off tail matches nothing.
void DownloadedCalls::learn_file() {
  if (in_file_known_) return;
  in_file_known_ = true;
  std::FILE* f = open_call_records_for_reading();
  if (!f) return;
  Bytes r;
  while (std::fread(r.data(), 1, r.size(), f) == r.size()) in_file_.insert(r);
  std::fclose(f);
}

void DownloadedCalls::add(const CallRecord& record) {
  Bytes r;
  std::copy(record.bytes, record.bytes + call_record_size, r.begin());
  if (file_ && in_file_.insert(r).second) append_call_record(file_, record);
}
