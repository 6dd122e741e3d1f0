#pragma once
// The tomrik transfers' plan: the records of the settings image in the order
// the transfers move them, with what the transfers add to each: the pause
// after writing it and the marks of the progress bar that follow it.

#include <vector>

#include "facts/station_facts.h"

struct TomrikRecordStep {
  int group;
  int index;
  int offset;       // in the image
  int size;         // data bytes taken from or given to the record
  int write_wait_ms;  // pause after writing this record to the station
  int marks_after;  // cells of the progress bar filled after this record
};

inline constexpr int tomrik_max_lines = facts::tomrik_max_lines;
inline constexpr int tomrik_max_subscribers = facts::tomrik_max_subscribers;
inline constexpr int tomrik_bar_cells = 43;

// Counts beyond the image's rows are cut to them.
std::vector<TomrikRecordStep> tomrik_record_plan(int city_lines, int subscribers);
