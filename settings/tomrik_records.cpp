#include "settings/tomrik_records.h"

#include <iterator>

namespace {

using facts::TomrikImageUnit;
using facts::TomrikPart;

// The station values are written with a pause after each but the identity,
// which is never written: the station takes a while over them.
constexpr int station_value_waits_ms[] = {0, 500, 500, 100};

// How many marks of the bar follow a unit of the image.
int marks_after(const TomrikImageUnit& unit) {
  switch (unit.part) {
    case TomrikPart::station_values:
    case TomrikPart::city_line:
    case TomrikPart::pickup_group:
    case TomrikPart::general_call_group:
      return 1;
    case TomrikPart::subscriber_group: return unit.number % 4 == 0 ? 1 : 0;
    case TomrikPart::number_control: return unit.number % 12 == 0 ? 1 : 0;
    case TomrikPart::command8_path: return unit.number % 4 == 0 ? 1 : 0;
  }
  return 0;
}

}  // namespace

std::vector<TomrikRecordStep> tomrik_record_plan(int city_lines, int subscribers) {
  std::vector<TomrikRecordStep> plan;
  for (const TomrikImageUnit& unit : facts::tomrik_image_units(city_lines, subscribers)) {
    for (std::size_t i = 0; i < unit.rows.size(); ++i) {
      const facts::TomrikImageRow& row = unit.rows[i];
      int wait = unit.part == TomrikPart::station_values && i < std::size(station_value_waits_ms)
                     ? station_value_waits_ms[i]
                     : 0;
      plan.push_back({row.group, row.index, row.offset, row.size, wait, 0});
    }
    // A unit without rows (a group of a station without subscribers) puts
    // its marks after the record before it; the first unit always has rows.
    if (!plan.empty()) plan.back().marks_after += marks_after(unit);
  }
  return plan;
}
