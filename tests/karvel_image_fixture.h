#pragma once
// A karvel test on a loaded settings image (file mode): a station of 24
// ports and 4 city lines whose bytes the test sets and reads back.

#include <gtest/gtest.h>

#include "editors/field_editors.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace test {

inline std::uint8_t& image(int address) { return settings_image.karvel[address - 0x8000]; }

struct KarvelImageTest : ::testing::Test {
  platform::TestServices services;
  void SetUp() override {
    use_program(karvel_program);
    reset_run_state();
    link_state.file_mode = 1;
    link_state.port_count = 24;
    link_state.city_line_count = 4;
    set_colour(COLOR_SCREEN);
    clear_screen();
  }
  void TearDown() override { reset_run_state(); }
  void keys(std::initializer_list<int> k) { services.keys.add(k); }
};

}  // namespace test
