#pragma once
// A tomrik call record of "tarif.dat": 32 bytes. Byte 0 the subscriber code
// (0 marks an empty slot), byte 1 the city line, bytes 2..4 the date,
// 5..7 the start time, 8..10 the duration (hours, minutes, seconds),
// 11..31 the dialled number as characters (0 for none; the station's own
// store writes ";" for "*" and "<" for "#"). The record viewer keeps its
// filter in the same layout for the whole run.

#include <cstdint>

constexpr int call_record_size = 32;

struct CallRecord {
  std::uint8_t bytes[call_record_size] = {};
};
