#pragma once
// Call records of "tarif.dat": 32 bytes each. Byte 0 the subscriber code
// (0 marks an empty slot), byte 1 the city line, bytes 2..4 the date,
// 5..7 the start time, 8..10 the duration (hours, minutes, seconds),
// 11..31 the dialled number as characters (0 for none; the station's own
// store writes ";" for "*" and "<" for "#").

#include <cstdint>
#include <cstdio>

constexpr int call_record_size = 32;
constexpr int number_first = 11;
constexpr int pattern_places = 20;  // bytes 11..30 of a filter

struct CallRecord {
  std::uint8_t bytes[call_record_size] = {};
};

// The viewer's filter, in the record layout: subscriber (0 all), line (0
// all) and a number pattern of "0".."9", "*", "#" and "?" ended by 0.
extern CallRecord record_filter;

bool call_record_matches(const CallRecord& record, const CallRecord& filter);

// A dialled-number character as reported and matched: ";" is "*", "<" is
// "#"; 0 when the byte is no number character.
char number_character(std::uint8_t byte);

// Reads record n (1-based); false at the end of the file or when the file
// holds only part of it.
enum class RecordRead { ok, end, seek_failed };
RecordRead read_call_record(std::FILE* file, int n, CallRecord& out);
