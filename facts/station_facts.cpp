// The tomrik settings image as station records, in transfer order.
#include "facts/station_facts.h"

#include <algorithm>

namespace facts {
namespace {

// One line's records in transfer order: the index is the line plus
// index_step, the bytes of line 1 lie at base and each further line's
// `size` bytes later. Group 0x0D carries three values of a line under the
// indexes line, line + 4 and line + 8.
struct LineRecord {
  int group;
  int index_step;
  int base;
  int size;
};
constexpr LineRecord line_records[] = {
    {0x01, 0, 0x080, 1}, {0x04, 0, 0x090, 1}, {0x02, 0, 0x0A0, 1}, {0x0D, 0, 0x0B0, 1},
    {0x05, 0, 0x0C0, 4}, {0x0D, 4, 0x0D0, 1}, {0x03, 0, 0x0E0, 1}, {0x06, 0, 0x0F0, 1},
    {0x07, 0, 0x100, 1}, {0x0D, 8, 0x110, 1}, {0x0B, 0, 0x120, 1}, {0x0C, 0, 0x130, 1},
    {0x08, 0, 0x140, 4}, {0x09, 0, 0x150, 4}, {0x0A, 0, 0x160, 4}, {0x10, 0, 0x170, 4},
    {0x11, 0, 0x180, 4}, {0x12, 0, 0x190, 4}, {0x13, 0, 0x1A0, 4},
};

// The station values: the identity and three single bytes.
constexpr TomrikImageRow station_value_rows[] = {
    {tomrik_identity_group, tomrik_identity_index, 0x000, tomrik_identity_size},
    {0x81, 1, 0x010, 1},
    {0x82, 1, 0x020, 1},
    {0x83, 1, 0x030, 1},
};

// Per-subscriber groups: one byte per subscriber, 16 bytes per group.
constexpr int first_subscriber_group = 0x14, last_subscriber_group = 0x22;
constexpr int subscriber_base = 0x200;

// Tables of K entries, each at base + stride * (K - first).
struct KeyedTable {
  TomrikPart part;
  int group;
  int first, last;
  int base, stride;
  int size;
};
constexpr KeyedTable keyed_tables[] = {
    {TomrikPart::pickup_group, 0x28, 1, 8, 0x320, 16, 4},
    {TomrikPart::general_call_group, 0x29, 1, 6, 0x3A0, 16, 4},
    {TomrikPart::number_control, 0x0E, 0, 127, 0x400, 4, 4},
    {TomrikPart::command8_path, 0x0F, 0, 15, 0x600, 8, 8},
};
// General call groups 5 and 6 hold 8 bytes.
int keyed_size(const KeyedTable& table, int k) {
  return table.group == 0x29 && (k == 5 || k == 6) ? 8 : table.size;
}

}  // namespace

std::vector<TomrikImageUnit> tomrik_image_units(int lines, int subscribers) {
  lines = std::clamp(lines, 0, tomrik_max_lines);
  subscribers = std::clamp(subscribers, 0, tomrik_max_subscribers);
  std::vector<TomrikImageUnit> units;
  units.push_back({TomrikPart::station_values, 0,
                   std::vector<TomrikImageRow>(std::begin(station_value_rows), std::end(station_value_rows))});
  for (int line = 1; line <= lines; ++line) {
    TomrikImageUnit unit{TomrikPart::city_line, line, {}};
    for (const LineRecord& r : line_records)
      unit.rows.push_back({r.group, line + r.index_step, r.base + r.size * (line - 1), r.size});
    units.push_back(std::move(unit));
  }
  for (int group = first_subscriber_group; group <= last_subscriber_group; ++group) {
    TomrikImageUnit unit{TomrikPart::subscriber_group, group, {}};
    for (int s = 1; s <= subscribers; ++s)
      unit.rows.push_back({group, s, subscriber_base + 16 * (group - first_subscriber_group) + (s - 1), 1});
    units.push_back(std::move(unit));
  }
  for (const KeyedTable& table : keyed_tables)
    for (int k = table.first; k <= table.last; ++k)
      units.push_back({table.part, k, {{table.group, k, table.base + table.stride * (k - table.first), keyed_size(table, k)}}});
  return units;
}

std::vector<TomrikImageRow> tomrik_image_rows(int lines, int subscribers) {
  std::vector<TomrikImageRow> rows;
  for (const TomrikImageUnit& unit : tomrik_image_units(lines, subscribers))
    rows.insert(rows.end(), unit.rows.begin(), unit.rows.end());
  return rows;
}

}  // namespace facts
