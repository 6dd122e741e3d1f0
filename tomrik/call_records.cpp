#include "tomrik/call_records.h"

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

RecordRead read_call_record(std::FILE* file, int n, CallRecord& out) {
  if (n < 1) return RecordRead::end;
  if (std::fseek(file, static_cast<long>(n - 1) * call_record_size, SEEK_SET) != 0) return RecordRead::seek_failed;
  CallRecord record;
  if (std::fread(record.bytes, 1, call_record_size, file) != static_cast<std::size_t>(call_record_size))
    return RecordRead::end;
  out = record;
  return RecordRead::ok;
}
