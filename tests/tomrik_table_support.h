#pragma once
// A tomrik station (the simulated one) for the table screen tests, with the
// grid moves the screens take.

#include "settings/program_profile.h"
#include "sim/tomrik_station.h"
#include "tests/settings_test_support.h"
#include "tests/sim_on_line.h"

namespace test {

struct TomrikTableFixture : SettingsFixture {
  StationOnLine<sim::TomrikStation> on_line;
  StationOnLine<sim::TomrikStation>* station = &on_line;

  void SetUp() override {
    SettingsFixture::SetUp();
    use_program(tomrik_program);
    on_line.plug_in();
    link_state.station_connected = 1;
    link_state.city_line_count = 4;
    link_state.subscriber_count = 16;
  }
  // The bytes of a record as the station holds them; assigning them gives
  // the station that record (one it did not have holds no room for writes
  // beyond them).
  std::vector<std::uint8_t>& rec(int group, int index) {
    return on_line.station.record_bytes(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(index));
  }
  // Arrow moves from the cell (1, 1) to (column, row).
  void go(int column, int row) {
    for (int r = 1; r < row; ++r) keys({0, key::down});
    for (int c = 1; c < column; ++c) keys({0, key::right});
  }
  void back(int column, int row) {
    for (int r = 1; r < row; ++r) keys({0, key::up});
    for (int c = 1; c < column; ++c) keys({0, key::left});
  }
  int writes_of(int group, int index) const {
    int n = 0;
    for (auto& w : station->records_written) n += w == std::make_pair(group, index);
    return n;
  }
};

}  // namespace test
