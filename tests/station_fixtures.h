#pragma once
// Screen tests against the in-process simulated station of either model,
// connected as the program connects to a real one: the station on the
// loopback line is found (karvel by its speed search) and its identity and
// counts are taken from what it says. karvel: 24 ports, 4 city lines from
// block 33, 4 channel rows, at 57600 baud; tomrik: 4 city lines, 16
// subscribers. The notes of frames start after the connection. Each test
// runs in a temporary current directory, the run state reset around it.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "karvel/context_help.h"
#include "link/link.h"
#include "link/link_connect.h"
#include "settings/program_profile.h"
#include "sim/karvel_station.h"
#include "sim/tomrik_station.h"
#include "tests/settings_test_support.h"
#include "tests/sim_on_line.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace test {

template <class Model>
struct StationTest : SettingsFixture {
  StationOnLine<Model> on_line;
  Model& station = on_line.station;

  void SetUp() override {
    SettingsFixture::SetUp();
    use_program(std::is_same_v<Model, sim::TomrikStation> ? tomrik_program : karvel_program);
    on_line.plug_in();
    ASSERT_EQ(link_find_station(), LinkFound::station);
    on_line.forget_frames();
    set_colour(COLOR_SCREEN);
    clear_screen();
  }
};

struct KarvelStationTest : StationTest<sim::KarvelStation> {
  int blocks_seen = 0;
  std::vector<int> block_addresses;  // every block frame the station was sent
  std::vector<std::pair<int, std::function<void()>>> at_block;

  void SetUp() override {
    StationTest::SetUp();
    on_line.on_block = [this](int address) {
      block_addresses.push_back(address);
      ++blocks_seen;
      for (auto& [n, action] : at_block)
        if (n == blocks_seen) action();
    };
    // Every topic a screen may open: "#n" and nothing else.
    help_file = std::tmpfile();
    for (int topic : {4, 65, 67, 68, 69, 70, 71, 72, 73, 74, 75, 80, 81, 82, 88, 89, 165, 166, 167})
      add_help_topic(topic);
  }
  void TearDown() override {
    if (help_file) std::fclose(help_file);
    help_file = nullptr;
    StationTest::TearDown();
  }
  void add_help_topic(int topic) { std::fprintf(help_file, "#%-4d\ntopic %d\n", topic, topic); }
  // Keys typed after a modal box (help, access code, port prompt) has
  // closed: a box empties the key queue as it closes.
  void keys_after_box(std::initializer_list<int> k) { keys(k, 100000); }
  // Runs `action` when the station is sent its n-th block frame.
  void when_block(int n, std::function<void()> action) { at_block.emplace_back(n, std::move(action)); }
  void esc_at_block(int n) {
    when_block(n, [this] { services.keys.add({key::esc}); });
  }
  // The number of block frames that read the memory at `address`.
  int reads_of(int address) const {
    int n = 0;
    for (int a : block_addresses) n += a == address;
    return n;
  }
  void poke(int address, std::initializer_list<int> bytes) {
    for (int b : bytes) station.poke(static_cast<std::uint16_t>(address++), static_cast<std::uint8_t>(b));
  }
  std::vector<int> peek(int address, int count) const {
    std::vector<int> bytes;
    for (int i = 0; i < count; ++i) bytes.push_back(station.peek(static_cast<std::uint16_t>(address + i)));
    return bytes;
  }
  // Protects `parameter` with access code level 2, whose code is 4242.
  void protect(int parameter) {
    link_state.access_code_table[2] = 4242;
    station.poke(static_cast<std::uint16_t>(0xED00 + parameter), 2);
  }
};

struct TomrikStationTest : StationTest<sim::TomrikStation> {
  // The bytes of a record as the station holds them; assigning them gives
  // the station that record (one it did not have holds no room for writes
  // beyond them).
  std::vector<std::uint8_t>& rec(int group, int index) {
    return station.record_bytes(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(index));
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
    for (auto& w : on_line.records_written) n += w == std::make_pair(group, index);
    return n;
  }
};

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

// Notes a snapshot of the screen each time a key is read.
struct ScreenAtKeys : platform::KeyInput {
  platform::KeyInput* keys;
  std::function<std::string()> snapshot;
  std::vector<std::string> seen;
  ScreenAtKeys(platform::KeyInput* k, std::function<std::string()> s) : keys(k), snapshot(std::move(s)) {
    platform::services().keys = this;
  }
  ~ScreenAtKeys() override { platform::services().keys = keys; }
  bool waiting() override { return keys->waiting(); }
  std::uint8_t read() override {
    seen.push_back(snapshot());
    return keys->read();
  }
  bool saw(const std::string& text) const {
    for (const std::string& s : seen)
      if (s == text) return true;
    return false;
  }
};

// Whether any row of the screen holds the text (CP866).
inline bool screen_shows(const std::string& text) {
  for (int row = 1; row <= 25; ++row)
    if (text_at(1, row, 80).find(text) != std::string::npos) return true;
  return false;
}

// The header of the open help topic: window (2, 2) is absolute (6, 4).
inline std::string help_header() { return text_at(6, 4, 5); }

// A list of 16 places: the given members, then `free_place`.
inline std::vector<int> members(std::initializer_list<int> first, int free_place) {
  std::vector<int> places(first);
  places.resize(16, free_place);
  return places;
}

}  // namespace test
