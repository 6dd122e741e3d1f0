// The run state's one reset: every fixture relies on it to start from what a
// program starts with, so each part is set here and must come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "editors/field_editors.h"
#include "karvel/menu_table.h"
#include "link/link.h"
#include "link/link_image.h"
#include "link/link_port.h"
#include "settings/run_state.h"
#include "tomrik/call_records.h"
#include "tomrik/day_night_times.h"

namespace {

// An open port that answers every byte with 0x5A and tells when it is
// dropped.
class MarkedPort : public platform::SerialPort {
 public:
  explicit MarkedPort(bool* dropped) : dropped_(dropped) {}
  ~MarkedPort() override { *dropped_ = true; }
  platform::SerialOpen open(const std::string&, int) override { return platform::SerialOpen::ok; }
  void close() override {}
  bool is_open() const override { return true; }
  int read_byte(std::uint8_t& byte, int) override {
    byte = 0x5A;
    return platform::serial_byte_received;
  }
  bool write_byte(std::uint8_t) override { return true; }
  bool set_rts(bool) override { return true; }
  bool purge_input() override { return true; }

 private:
  bool* dropped_;
};

int no_key_frames(int, int&) { return 0; }

struct RunStateReset : ::testing::Test {
  void TearDown() override { reset_run_state(); }
};

TEST_F(RunStateReset, EveryPartComesBackAsTheProgramStartsWithIt) {
  reset_run_state();
  use_menu_table(karvel_menu_table);
  menu_state.current_menu = 3;
  menu_state.menu_choice[2] = 4;
  menu_state.exit_chosen = true;

  link_state.port_index = 1;
  link_state.speed_index = 3;
  link_state.station_connected = 1;
  link_state.file_mode = 1;
  std::copy_n("KT216A4", 8, link_state.station_identity);
  link_state.city_line_count = 4;
  link_state.port_count = 24;
  link_state.subscriber_count = 16;
  link_state.channel_row_count = 2;
  link_state.first_line_port = 0x11;
  link_state.access_code_table[3] = 1234;
  link_state.trace_flag = 1;
  link_state.key_frames = no_key_frames;

  std::copy_n("st.set", 7, settings_state.file_name);
  settings_state.name_too_long = true;
  settings_image.karvel[0] = 'K';
  settings_image.karvel[karvel_image_size - 1] = 0x77;
  settings_image.tomrik[tomrik_image_size - 1] = 0x66;
  access_pending = 4321;
  record_filter.bytes[0] = 3;
  record_filter.bytes[number_first] = '7';
  day_night_times[0] = 22;
  day_night_times[3] = 30;

  reset_run_state();

  EXPECT_EQ(menu_state.table, nullptr);
  EXPECT_EQ(menu_state.current_menu, 1);
  for (int m = 1; m <= menu_count; ++m) EXPECT_EQ(menu_state.menu_choice[m], 1) << "menu " << m;
  EXPECT_FALSE(menu_state.exit_chosen);

  EXPECT_EQ(link_state.port_index, 0);
  EXPECT_EQ(link_state.speed_index, 0);
  EXPECT_EQ(link_state.station_connected, 0);
  EXPECT_EQ(link_state.file_mode, 0);
  EXPECT_EQ(link_state.station_identity[0], 0);
  EXPECT_EQ(link_state.city_line_count, 0);
  EXPECT_EQ(link_state.port_count, 0);
  EXPECT_EQ(link_state.subscriber_count, 0);
  EXPECT_EQ(link_state.channel_row_count, 0);
  EXPECT_EQ(link_state.first_line_port, 0);
  EXPECT_EQ(link_state.access_code_table[3], 0);
  EXPECT_EQ(link_state.trace_flag, 0);
  EXPECT_EQ(link_state.key_frames, nullptr);

  EXPECT_EQ(settings_state.file_name[0], 0);
  EXPECT_FALSE(settings_state.name_too_long);
  EXPECT_EQ(settings_image.karvel[0], 0);
  EXPECT_EQ(settings_image.karvel[karvel_image_size - 1], 0);
  EXPECT_EQ(settings_image.tomrik[tomrik_image_size - 1], 0);
  EXPECT_EQ(access_pending, 0);
  EXPECT_EQ(record_filter.bytes[0], 0);
  EXPECT_EQ(record_filter.bytes[number_first], 0);
  EXPECT_EQ(day_night_times[0], 20);
  EXPECT_EQ(day_night_times[1], 0);
  EXPECT_EQ(day_night_times[2], 9);
  EXPECT_EQ(day_night_times[3], 0);
}

TEST_F(RunStateReset, TheStationDisplayForgetsEveryPartyAndCall) {
  reset_run_state();
  run.station_display.subscribers[15] = {1, 4, 2, 3};
  run.station_display.lines[3] = {1, 6, 16, 0};
  run.station_display.calls[3].subscriber = 16;
  run.station_display.calls[3].digits[20] = '9';

  reset_run_state();

  EXPECT_EQ(run.station_display.subscribers[15].mode, 0);
  EXPECT_EQ(run.station_display.subscribers[15].busy, 0);
  EXPECT_EQ(run.station_display.lines[3].peer, 0);
  EXPECT_EQ(run.station_display.calls[3].subscriber, 0);
  EXPECT_EQ(run.station_display.calls[3].digits[20], 0);
}

TEST_F(RunStateReset, TheOpenPortIsDroppedWithTheStationsLastByte) {
  reset_run_state();
  bool dropped = false;
  link_use_port(std::make_unique<MarkedPort>(&dropped));
  int byte = 0;
  ASSERT_EQ(link_get_byte(byte), link_ok);
  ASSERT_TRUE(link_state.port_opened);
  ASSERT_EQ(link_last_reply(), 0x5A);

  reset_run_state();

  EXPECT_TRUE(dropped);
  EXPECT_FALSE(link_state.port_opened);
  EXPECT_EQ(link_state.port, nullptr);
  EXPECT_EQ(link_last_reply(), 0);
}

TEST_F(RunStateReset, FileModeWorksOnTheImageAfterTheReset) {
  link_use_image(nullptr);  // as if nothing had given the image to the link
  reset_run_state();
  link_state.file_mode = 1;
  settings_image.karvel[0x100] = 0x42;

  ASSERT_EQ(link_read_block(0x8100, 1), link_ok);
  EXPECT_EQ(link_buffer[0], 0x42);
}

}  // namespace
