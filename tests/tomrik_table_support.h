#pragma once
// A tomrik station on the record twin for the table screen tests, with the
// grid moves the screens take.

#include <memory>

#include "link/link_port.h"
#include "settings_station.h"
#include "settings_test_support.h"

namespace test {

struct TomrikTableFixture : SettingsFixture {
  StationTwin* station = nullptr;

  void SetUp() override {
    SettingsFixture::SetUp();
    use_profile(tomrik_profile);
    auto s = std::make_unique<StationTwin>();
    station = s.get();
    s->open("COM1", 4800);
    link_use_port(std::move(s));
    link_state.station_connected = 1;
    link_state.city_line_count = 4;
    link_state.subscriber_count = 16;
  }
  void TearDown() override {
    link_use_port(nullptr);
    SettingsFixture::TearDown();
  }
  std::vector<std::uint8_t>& rec(int group, int index) { return station->records[{group, index}]; }
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
