#pragma once
// "tarif.dat", the file of tomrik's call records, 32 bytes each (the layout
// is told with CallRecord): the storage screen downloads the station's
// records into it, the station display adds the city calls it saw, and the
// viewer reads it. Everything that reads or writes the file, and the
// arithmetic of a call's length, is here.

#include <array>
#include <cstdint>
#include <cstdio>
#include <set>

#include "settings/call_record.h"

constexpr const char* call_records_file = "tarif.dat";

constexpr int record_start = 5;     // hours, minutes, seconds
constexpr int record_duration = 8;  // hours, minutes, seconds; the end time as the station keeps it
constexpr int number_first = 11;
constexpr int pattern_places = 20;  // bytes 11..30 of a filter

// The viewer's filter, in the record layout: subscriber (0 all), line (0
// all) and a number pattern of "0".."9", "*", "#" and "?" ended by 0. Part
// of the run state (settings/run_state.h), which resets it.
extern CallRecord& record_filter;

bool call_record_matches(const CallRecord& record, const CallRecord& filter);

// A dialled-number character as reported and matched: ";" is "*", "<" is
// "#"; 0 when the byte is no number character.
char number_character(std::uint8_t byte);

struct TimeOfDay {
  int hours = 0, minutes = 0, seconds = 0;
};
// The length of a call from its start to its end within one day: a call
// across midnight borrows the day, and the date plays no part.
TimeOfDay call_duration(const TimeOfDay& start, const TimeOfDay& end);
// The file's record of a call the storage device sent as `length` bytes (a
// shorter one has zeros in the rest, a longer one gives its first 32): the
// end time the station keeps in the duration's place made the duration.
CallRecord downloaded_call_record(const std::uint8_t* bytes, int length);

// "tarif.dat" opened to add records at its end, or to read them; nullptr
// when it cannot be.
std::FILE* open_call_records_for_appending();
std::FILE* open_call_records_for_reading();
// Adds the record at the file's end and hands it to the system at once, so
// a program stopped later loses none.
bool append_call_record(std::FILE* file, const CallRecord& record);

// Reads record n (1-based); `end` at the end of the file or when the file
// holds only part of it.
enum class RecordRead { ok, end, seek_failed };
RecordRead read_call_record(std::FILE* file, int n, CallRecord& out);

// The records a download adds to "tarif.dat", each call once: a download
// repeated after one that failed half way does not add the same calls
// again. The file's own records are learnt at the first download.
class DownloadedCalls {
 public:
  DownloadedCalls() = default;
  DownloadedCalls(const DownloadedCalls&) = delete;
  DownloadedCalls& operator=(const DownloadedCalls&) = delete;
  ~DownloadedCalls();

  bool open();
  void learn_file();
  // Appends the record unless the file holds it already.
  void add(const CallRecord& record);

 private:
  using Bytes = std::array<std::uint8_t, call_record_size>;
  std::FILE* file_ = nullptr;
  std::set<Bytes> in_file_;
  bool in_file_known_ = false;
};
