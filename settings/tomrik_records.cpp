#include "tomrik_records.h"

#include <algorithm>

namespace {

struct LineRecord {
  int group;
  int index_step;  // the index is line + index_step
  int base;
  int size;
};

// One line's records in transfer order. Group 0x0D carries three values of
// a line under the indexes line, line + 4 and line + 8.
constexpr LineRecord line_records[] = {
    {0x01, 0, 0x080, 1}, {0x04, 0, 0x090, 1}, {0x02, 0, 0x0A0, 1}, {0x0D, 0, 0x0B0, 1},
    {0x05, 0, 0x0C0, 4}, {0x0D, 4, 0x0D0, 1}, {0x03, 0, 0x0E0, 1}, {0x06, 0, 0x0F0, 1},
    {0x07, 0, 0x100, 1}, {0x0D, 8, 0x110, 1}, {0x0B, 0, 0x120, 1}, {0x0C, 0, 0x130, 1},
    {0x08, 0, 0x140, 4}, {0x09, 0, 0x150, 4}, {0x0A, 0, 0x160, 4}, {0x10, 0, 0x170, 4},
    {0x11, 0, 0x180, 4}, {0x12, 0, 0x190, 4}, {0x13, 0, 0x1A0, 4},
};

}  // namespace

std::vector<TomrikRecordStep> tomrik_record_plan(int city_lines, int subscribers) {
  int lines = std::clamp(city_lines, 0, tomrik_max_lines);
  int subs = std::clamp(subscribers, 0, tomrik_max_subscribers);
  std::vector<TomrikRecordStep> plan;
  auto add = [&](int group, int index, int offset, int size, bool optional = false, int wait = 0) {
    plan.push_back({group, index, offset, size, optional, wait, 0});
  };
  // Marks belong to the record they follow; the first record is always there.
  auto mark = [&] { ++plan.back().marks_after; };

  add(0x80, 1, 0x000, 4);
  add(0x81, 1, 0x010, 1, false, 500);
  add(0x82, 1, 0x020, 1, false, 500);
  add(0x83, 1, 0x030, 1, false, 100);
  mark();
  for (int line = 1; line <= lines; ++line) {
    for (const LineRecord& r : line_records)
      add(r.group, line + r.index_step, r.base + r.size * (line - 1), r.size);
    mark();
  }
  for (int group = 0x14; group <= 0x22; ++group) {
    for (int s = 1; s <= subs; ++s) add(group, s, 0x200 + 16 * (group - 0x14) + (s - 1), 1);
    if (group % 4 == 0) mark();
  }
  for (int k = 1; k <= 8; ++k) {
    add(0x28, k, 0x320 + 16 * (k - 1), 4);
    mark();
  }
  for (int k = 1; k <= 6; ++k) {
    add(0x29, k, 0x3A0 + 16 * (k - 1), k == 5 || k == 6 ? 8 : 4);
    mark();
  }
  for (int k = 0; k <= 127; ++k) {
    add(0x0E, k, 0x400 + 4 * k, 4, true);
    if (k % 12 == 0) mark();
  }
  for (int k = 0; k <= 15; ++k) {
    add(0x0F, k, 0x600 + 8 * k, 8, true);
    if (k % 4 == 0) mark();
  }
  return plan;
}
