#pragma once
// A karvel screen test against the in-process station, connected: 24 ports,
// 4 city lines from block 33, 4 channel rows. Keys can be given at once,
// after some virtual time, or when the station has served a number of block
// reads (for the state table, which reads without pause).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

#include "link/link.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "sim/karvel_station.h"
#include "tests/sim_on_line.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace test {

// Counts the presents that had changed rows to show: the output a terminal
// would get.
class DamageWatch : public platform::Display {
 public:
  void present(platform::ScreenModel& model) override {
    for (int row = 1; row <= platform::ScreenModel::rows; ++row)
      if (model.row_damaged(row)) {
        ++changed_presents;
        break;
      }
    model.clear_damage();
  }
  int changed_presents = 0;
};

struct KarvelLiveTest : ::testing::Test {
  platform::TestServices services;
  StationOnLine<sim::KarvelStation> line;
  sim::KarvelStation& station = line.station;
  int blocks_seen = 0;
  std::vector<int> block_addresses;  // every block frame the station was sent
  std::vector<std::pair<int, std::function<void()>>> at_block;

  std::filesystem::path old_dir = std::filesystem::current_path();
  std::filesystem::path dir;

  void SetUp() override {
    static int serial = 0;
    dir = std::filesystem::temp_directory_path() /
          ("karvel_live_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    use_program(karvel_program);
    reset_run_state();
    line.plug_in();
    link_state.speed_index = 3;
    link_state.station_connected = 1;
    link_state.port_count = 24;
    link_state.city_line_count = 4;
    link_state.channel_row_count = 4;
    link_state.first_line_port = 33;
    line.on_block = [this](int address) {
      block_addresses.push_back(address);
      ++blocks_seen;
      for (auto& [n, action] : at_block)
        if (n == blocks_seen) action();
    };
    set_colour(COLOR_SCREEN);
    clear_screen();
  }
  void TearDown() override {
    reset_run_state();
    std::filesystem::current_path(old_dir);
    std::filesystem::remove_all(dir);
  }

  void keys(std::initializer_list<int> k, std::uint64_t after_ms = 0) { services.keys.add(k, after_ms); }
  // Runs `action` when the station is sent its n-th block frame.
  void when_block(int n, std::function<void()> action) { at_block.emplace_back(n, std::move(action)); }
  void esc_at_block(int n) {
    when_block(n, [this] { services.keys.add({key::esc}); });
  }
  void poke_state(int address, std::initializer_list<int> bytes) {
    for (int b : bytes) station.poke(static_cast<std::uint16_t>(address++), static_cast<std::uint8_t>(b));
  }
  // The number of block frames that read the state memory at `address`.
  int reads_of(int address) const {
    int n = 0;
    for (int a : block_addresses) n += a == address;
    return n;
  }
};

// Whether any row of the screen holds the text (CP866).
inline bool screen_shows(const std::string& text) {
  for (int row = 1; row <= 25; ++row)
    if (text_at(1, row, 80).find(text) != std::string::npos) return true;
  return false;
}

}  // namespace test
