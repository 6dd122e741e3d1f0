// The station facts against the numbers as the wire and the settings files
// give them, written out here once more so that a slip in the shared table
// cannot pass unseen by both the programs and the simulator.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "station_facts.h"

namespace {

struct Row {
  int group, index, offset, size;
  bool operator==(const Row&) const = default;
};

std::vector<Row> rows_of(const std::vector<facts::TomrikImageRow>& rows) {
  std::vector<Row> out;
  for (const auto& r : rows) out.push_back({r.group, r.index, r.offset, r.size});
  return out;
}

// The tomrik image table, row by row, in the order of the transfers.
std::vector<Row> tomrik_table(int lines, int subscribers) {
  std::vector<Row> t = {{0x80, 1, 0x000, 4}, {0x81, 1, 0x010, 1}, {0x82, 1, 0x020, 1}, {0x83, 1, 0x030, 1}};
  for (int l = 1; l <= lines; ++l) {
    int i = l - 1;
    t.insert(t.end(), {{0x01, l, 0x080 + i, 1},     {0x04, l, 0x090 + i, 1},     {0x02, l, 0x0A0 + i, 1},
                       {0x0D, l, 0x0B0 + i, 1},     {0x05, l, 0x0C0 + 4 * i, 4}, {0x0D, l + 4, 0x0D0 + i, 1},
                       {0x03, l, 0x0E0 + i, 1},     {0x06, l, 0x0F0 + i, 1},     {0x07, l, 0x100 + i, 1},
                       {0x0D, l + 8, 0x110 + i, 1}, {0x0B, l, 0x120 + i, 1},     {0x0C, l, 0x130 + i, 1},
                       {0x08, l, 0x140 + 4 * i, 4}, {0x09, l, 0x150 + 4 * i, 4}, {0x0A, l, 0x160 + 4 * i, 4},
                       {0x10, l, 0x170 + 4 * i, 4}, {0x11, l, 0x180 + 4 * i, 4}, {0x12, l, 0x190 + 4 * i, 4},
                       {0x13, l, 0x1A0 + 4 * i, 4}});
  }
  for (int g = 0x14; g <= 0x22; ++g)
    for (int s = 1; s <= subscribers; ++s) t.push_back({g, s, 0x200 + 16 * (g - 0x14) + (s - 1), 1});
  for (int k = 1; k <= 8; ++k) t.push_back({0x28, k, 0x320 + 16 * (k - 1), 4});
  for (int k = 1; k <= 6; ++k) t.push_back({0x29, k, 0x3A0 + 16 * (k - 1), k == 5 || k == 6 ? 8 : 4});
  for (int k = 0; k <= 127; ++k) t.push_back({0x0E, k, 0x400 + 4 * k, 4});
  for (int k = 0; k <= 15; ++k) t.push_back({0x0F, k, 0x600 + 8 * k, 8});
  return t;
}

TEST(StationFacts, AreTheNumbersOfTheWireAndTheSettingsFiles) {
  // Check byte.
  EXPECT_EQ(facts::check_byte(0x00), 0x2A);
  EXPECT_EQ(facts::check_byte(0x80), 0x2B);
  EXPECT_EQ(facts::check_byte(0x81 + 0x05), 0x31);
  EXPECT_EQ(facts::check_byte(0x186), 0x31);

  // Bytes of the line.
  EXPECT_EQ(facts::ack, 0xFF);
  EXPECT_EQ(facts::event_poll, 0x80);
  EXPECT_EQ(facts::nothing_to_report, 0x80);
  EXPECT_EQ(facts::karvel_key_frame, 0x81);
  EXPECT_EQ(facts::karvel_line_test, 0xBA);
  EXPECT_EQ(facts::karvel_read_block, 0xBD);
  EXPECT_EQ(facts::karvel_write_block, 0xBE);
  EXPECT_EQ(facts::tomrik_read_record, 0xAA);
  EXPECT_EQ(facts::tomrik_write_record, 0xA5);

  // Event lengths.
  const int karvel_lengths[] = {1, 1, 1, 1, 2, 2, 2, 1, 2, 2, 7, 1, 2, 1, 1, 1, 1, 1, 1};  // 0x81..0x93
  const int tomrik_lengths[] = {1, 1, 1, 1, 2, 2, 1, 1, 2, 2, 3, 1, 3, 0, 0, 0, 0, 0, 0};
  for (int code = 0x81; code <= 0x93; ++code) {
    EXPECT_EQ(facts::event_length(facts::Model::karvel, code), karvel_lengths[code - 0x81]) << code;
    EXPECT_EQ(facts::event_length(facts::Model::tomrik, code), tomrik_lengths[code - 0x81]) << code;
  }
  for (int code : {0x00, 0x7F, 0x80, 0x94, 0xFF}) {
    EXPECT_EQ(facts::event_length(facts::Model::karvel, code), 0) << code;
    EXPECT_EQ(facts::event_length(facts::Model::tomrik, code), 0) << code;
  }
  EXPECT_EQ(facts::tomrik_counted_event, 0x8D);
  EXPECT_EQ(facts::tomrik_counted_event_byte, 3);

  // Speeds.
  const int speeds[] = {9600, 19200, 38400, 57600};
  const char* const names[] = {" 9600", "19200", "38400", "57600"};
  ASSERT_EQ(facts::karvel_speed_count, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(facts::karvel_speed(i), speeds[i]);
    EXPECT_STREQ(facts::karvel_speed_names[i], names[i]);
    EXPECT_EQ(facts::karvel_speed_index(speeds[i]), i);
  }
  EXPECT_EQ(facts::karvel_speed(4), 0);
  EXPECT_EQ(facts::karvel_speed(-1), 0);
  EXPECT_EQ(facts::karvel_speed_index(4800), -1);
  EXPECT_EQ(facts::tomrik_speed, 4800);

  // Karvel memory.
  EXPECT_EQ(facts::karvel_window, 0x8000);
  EXPECT_EQ(facts::karvel_image_size, 32768);
  EXPECT_EQ(facts::karvel_identity_address, 0x8000);
  EXPECT_EQ(facts::karvel_identity_size, 8);
  EXPECT_EQ(facts::karvel_first_line_port_address, 0x801F);
  EXPECT_EQ(facts::karvel_speed_address, 0x8029);
  EXPECT_EQ(facts::karvel_access_codes_address, 0x80F0);
  EXPECT_EQ(facts::karvel_access_code_count, 7);

  // Identities.
  const auto* karvel = reinterpret_cast<const std::uint8_t*>("K-T216A4");
  facts::KarvelCounts k = facts::karvel_counts(karvel);
  EXPECT_EQ(k.city_lines, 2);
  EXPECT_EQ(k.ports, 16);
  EXPECT_EQ(k.channel_rows, 4);
  std::string text;
  for (int i = 0; i < facts::karvel_identity_text_size; ++i) text += static_cast<char>(karvel[facts::karvel_identity_text_bytes[i]]);
  EXPECT_EQ(text, "KT216A4");
  facts::TomrikCounts t = facts::tomrik_counts(reinterpret_cast<const std::uint8_t*>("T208"));
  EXPECT_EQ(t.city_lines, 2);
  EXPECT_EQ(t.subscribers, 8);
  facts::TomrikCounts garbled = facts::tomrik_counts(reinterpret_cast<const std::uint8_t*>("T:A9"));
  EXPECT_EQ(garbled.city_lines, 0);
  EXPECT_EQ(garbled.subscribers, 9);
  EXPECT_EQ(facts::tomrik_identity_group, 0x80);
  EXPECT_EQ(facts::tomrik_identity_index, 1);
  EXPECT_EQ(facts::tomrik_identity_size, 4);

  // Tomrik image.
  EXPECT_EQ(facts::tomrik_image_size, 2048);
  EXPECT_EQ(rows_of(facts::tomrik_image_rows(4, 16)), tomrik_table(4, 16));
  EXPECT_EQ(rows_of(facts::tomrik_image_rows(2, 8)), tomrik_table(2, 8));
  EXPECT_EQ(rows_of(facts::tomrik_image_rows(9, 99)), tomrik_table(4, 16));  // the rows hold 4 lines, 16 subscribers
  EXPECT_EQ(rows_of(facts::tomrik_image_rows(0, 0)), tomrik_table(0, 0));

  // Storage device.
  EXPECT_EQ(facts::storage_idle_answer, 0x80);
  EXPECT_EQ(facts::storage_read_calls, 0xA6);
  EXPECT_EQ(facts::storage_clear_calls, 0xA9);
  EXPECT_EQ(facts::storage_read_clock, 0xA7);
  EXPECT_EQ(facts::storage_set_clock, 0xAE);
  EXPECT_EQ(facts::storage_read_times, 0xA1);
  EXPECT_EQ(facts::storage_write_times, 0xA2);
  EXPECT_EQ(facts::storage_clock_bytes, 7);
  EXPECT_EQ(facts::storage_times_bytes, 4);
}

// The image's rows come in units that the transfers mark their progress
// by: a per-subscriber group without subscribers is still a unit.
TEST(StationFacts, TomrikUnitsHoldTheRowsInOrder) {
  auto units = facts::tomrik_image_units(1, 0);
  ASSERT_EQ(units.size(), 1u + 1 + 15 + 8 + 6 + 128 + 16);
  EXPECT_EQ(units[0].part, facts::TomrikPart::station_values);
  EXPECT_EQ(units[1].part, facts::TomrikPart::city_line);
  EXPECT_EQ(units[1].rows.size(), 19u);
  EXPECT_EQ(units[2].part, facts::TomrikPart::subscriber_group);
  EXPECT_EQ(units[2].number, 0x14);
  EXPECT_TRUE(units[2].rows.empty());
  EXPECT_EQ(units[17].part, facts::TomrikPart::pickup_group);
  EXPECT_EQ(units[25].part, facts::TomrikPart::general_call_group);
  EXPECT_EQ(units[31].part, facts::TomrikPart::number_control);
  EXPECT_EQ(units[31].number, 0);
  EXPECT_EQ(units.back().part, facts::TomrikPart::command8_path);
  EXPECT_EQ(units.back().number, 15);
}

}  // namespace
