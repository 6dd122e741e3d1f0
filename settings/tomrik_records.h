#pragma once
// The tomrik settings image as station records: which record fills which
// bytes of the image, in the order the transfers move them, with the marks
// of the progress bar.

#include <vector>

struct TomrikRecordStep {
  int group;
  int index;
  int offset;       // in the image
  int size;         // data bytes taken from or given to the record
  bool optional;    // phone book records (0x0E, 0x0F): a failed read is no fault
  int write_wait_ms;  // pause after writing this record to the station
  int marks_after;  // cells of the progress bar filled after this record
};

// The rows of the image leave room for 4 lines and 16 subscribers: larger
// counts from a station are cut to those.
constexpr int tomrik_max_lines = 4;
constexpr int tomrik_max_subscribers = 16;
constexpr int tomrik_bar_cells = 43;

std::vector<TomrikRecordStep> tomrik_record_plan(int city_lines, int subscribers);
