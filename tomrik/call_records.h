#pragma once
// Call records of "tarif.dat", 32 bytes each (the layout is told with
// CallRecord): reading them and matching them against the viewer's filter.

#include <cstdint>
#include <cstdio>

#include "settings/call_record.h"

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

// Reads record n (1-based); false at the end of the file or when the file
// holds only part of it.
enum class RecordRead { ok, end, seek_failed };
RecordRead read_call_record(std::FILE* file, int n, CallRecord& out);
