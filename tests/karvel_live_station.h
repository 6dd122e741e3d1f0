#pragma once
// A karvel screen test against the in-process station (24 ports, 4 city
// lines, its default configuration) on the loopback line, with a help file
// whose topics name themselves and a note of what the screen showed at
// every key the program read.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "karvel/context_help.h"
#include "karvel/internal_ports.h"
#include "link/link.h"
#include "link/link_port.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "sim/karvel_station.h"
#include "tests/sim_on_line.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace test {

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

// The header of the open help topic: window (2, 2) is absolute (6, 4).
inline std::string help_header() { return text_at(6, 4, 5); }

struct KarvelLiveStation : ::testing::Test {
  platform::TestServices services;
  StationOnLine<sim::KarvelStation> on_line;
  sim::KarvelStation& station = on_line.station;

  void SetUp() override {
    use_program(karvel_program);
    reset_run_state();
    on_line.plug_in();
    link_state.speed_index = 3;
    link_state.station_connected = 1;
    link_state.port_count = 24;
    link_state.city_line_count = 4;
    reset_port_editor();
    set_colour(COLOR_SCREEN);
    clear_screen();
    // Every topic a call handling screen may open: "#n" and nothing else.
    help_file = std::tmpfile();
    for (int topic : {4, 65, 67, 68, 69, 70, 71, 72, 73, 74, 75, 80, 81, 82, 88, 89, 165, 166, 167})
      std::fprintf(help_file, "#%-4d\ntopic %d\n", topic, topic);
  }
  void TearDown() override {
    std::fclose(help_file);
    help_file = nullptr;
    reset_run_state();
  }
  void keys(std::initializer_list<int> k) { services.keys.add(k); }
  // Keys typed after a modal box (help, access code, port prompt) has
  // closed: a box empties the key queue as it closes.
  void keys_after_box(std::initializer_list<int> k) { services.keys.add(k, 100000); }
  void poke(int address, std::initializer_list<int> bytes) {
    for (int b : bytes) station.poke(static_cast<std::uint16_t>(address++), static_cast<std::uint8_t>(b));
  }
  std::vector<int> peek(int address, int count) {
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

// A list of 16 places: the given members, then `free_place`.
inline std::vector<int> members(std::initializer_list<int> first, int free_place) {
  std::vector<int> places(first);
  places.resize(16, free_place);
  return places;
}

}  // namespace test
