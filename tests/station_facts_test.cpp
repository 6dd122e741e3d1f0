// The station facts against the numbers as the wire and the settings files
// give them, written out here once more so that a slip in the shared table
// cannot pass unseen by both the programs and the simulator.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "facts/digits.h"
#include "facts/events.h"
#include "facts/karvel_memory.h"
#include "facts/karvel_state.h"
#include "facts/key_frames.h"
#include "facts/station_facts.h"
#include "settings/tomrik_records.h"

namespace {

namespace fs = std::filesystem;

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

// The karvel settings places as the settings files and the station's
// manual give them.
TEST(StationFacts, KarvelMemoryMapIsTheStationsOwn) {
  EXPECT_EQ(facts::karvel_address_mask, 0xFFFF);
  EXPECT_EQ(facts::karvel_window_mask, 0x7FFF);
  EXPECT_EQ(facts::karvel_version_address, 0x8008);
  EXPECT_EQ(facts::karvel_date_address, 0x8010);
  EXPECT_EQ(facts::karvel_time_address, 0x8018);
  EXPECT_EQ(facts::karvel_text_size, 8);
  const int general[] = {facts::karvel_ringing_limits,     facts::karvel_mode_address,
                         facts::karvel_line_init_counter,  facts::karvel_reset_counter,
                         facts::karvel_reset_cycles,       facts::karvel_announcer_fitted,
                         facts::karvel_speed_address,      facts::karvel_telephone_speed,
                         facts::karvel_dtmf_connection,    facts::karvel_loudspeaker_code,
                         facts::karvel_melody_address,     facts::karvel_volume_address,
                         facts::karvel_playback_length,    facts::karvel_playback_reduction,
                         facts::karvel_disa_dial_seconds};
  const int expected[] = {0x8020, 0x8024, 0x8025, 0x8026, 0x8027, 0x8028, 0x8029, 0x802A,
                          0x802B, 0x802C, 0x8030, 0x8031, 0x8032, 0x8034, 0x8035};
  for (std::size_t i = 0; i < std::size(general); ++i) EXPECT_EQ(general[i], expected[i]) << i;
  EXPECT_EQ(facts::karvel_ringing_limit_count, 4);
  EXPECT_EQ(facts::karvel_hardware_number_address(1), 0x8040);
  EXPECT_EQ(facts::karvel_hardware_number_address(48), 0x806F);
  EXPECT_EQ(facts::karvel_mode_name_address(0), 0x8080);
  EXPECT_EQ(facts::karvel_mode_name_address(3), 0x8098);
  EXPECT_EQ(facts::karvel_mode_name_size, 8);
  EXPECT_EQ(facts::karvel_service_bytes, 0x80E4);
  EXPECT_EQ(facts::karvel_logical_number_address(1, 1), 0xB580);
  EXPECT_EQ(facts::karvel_logical_number_address(3, 20), 0xB580 + 59);
  EXPECT_EQ(facts::karvel_block_address(33), 0x8000 + 256 * 33);
  EXPECT_EQ(facts::karvel_port_exit_groups_offset, 0x40);
  EXPECT_EQ(facts::karvel_line_routing_table_offset, 0x40);
  EXPECT_EQ(facts::karvel_call_groups_offset, 0x80);
  EXPECT_EQ(facts::karvel_port_book_offset, 0xC0);
  EXPECT_EQ(facts::karvel_station_book, 0xE000);
  EXPECT_EQ(facts::karvel_book_pool, 0xC000);
  EXPECT_EQ(facts::karvel_routing_answer_group_address(1, 1, 16), 0xB100);
  EXPECT_EQ(facts::karvel_routing_answer_group_address(16, 4, 16), 0xB100 + 64 * 15 + 48);
  EXPECT_EQ(facts::karvel_routing_book_cell_address(16), 0xB50F);
  EXPECT_EQ(facts::karvel_routing_ringing_time_address(16, 4), 0xB540 + 63);
  EXPECT_EQ(facts::karvel_protection_address(1), 0xED01);
  EXPECT_EQ(facts::karvel_protection_address(256), 0xEE00);
  EXPECT_EQ(facts::karvel_pickup_groups, 0xEE00);
  EXPECT_EQ(facts::karvel_pickup_group_size, 16);
  EXPECT_EQ(facts::karvel_exit_group_address(1), 0xF000);
  EXPECT_EQ(facts::karvel_exit_group_address(4), 0xFC00);
}

TEST(StationFacts, KarvelStateMemoryAndItsCodes) {
  EXPECT_EQ(facts::karvel_state_block_size, 8);
  EXPECT_EQ(facts::karvel_port_queue_offset, 0x30);
  EXPECT_EQ(facts::karvel_port_hold_offset, 0x50);
  EXPECT_EQ(facts::karvel_channel_blocks, 0x3007);
  EXPECT_EQ(facts::karvel_selector_block, 0x3900);
  EXPECT_EQ(facts::karvel_selector_channels, 0x3008);
  EXPECT_EQ(facts::karvel_selector_channel_size, 9);
  EXPECT_EQ(facts::karvel_board_block, 0x3A00);
  EXPECT_EQ(facts::karvel_board_channels, 0x3A10);
  EXPECT_EQ(facts::karvel_board_channel_step, 16);
  EXPECT_EQ(facts::karvel_board_queue, 0x3A40);
  EXPECT_EQ(facts::karvel_board_programming, 0x80);
  EXPECT_EQ(facts::karvel_board_led_off, 0x10);
  EXPECT_EQ(facts::karvel_board_station_input, 0x01);
  namespace port = facts::karvel_port_code;
  const int ports[] = {port::idle,      port::ringing,      port::city_ringing, port::no_channel, port::clear_down,
                       port::dial_tone, port::calling,      port::calling_busy, port::talking,    port::held,
                       port::dial_error, port::going_out,   port::city_talk,    port::no_line,    port::holding,
                       port::selector,  port::announcer};
  const int port_codes[] = {0x00, 0x03, 0x04, 0x40, 0x42, 0x43, 0x44, 0x45, 0x48,
                            0x4D, 0x4E, 0x55, 0x56, 0x57, 0x5C, 0x5F, 0x60};
  for (std::size_t i = 0; i < std::size(ports); ++i) EXPECT_EQ(ports[i], port_codes[i]) << i;
  EXPECT_EQ(port::off_hook_from, 0x40);
  namespace line = facts::karvel_line_code;
  const int lines[] = {line::idle, line::ringing,     line::talking,  line::waiting_channel,   line::held,
                       line::disa, line::direct_call, line::loading,  line::clear_down,
                       line::waiting_announcer, line::before_disa};
  const int line_codes[] = {0, 1, 2, 3, 4, 11, 14, 23, 24, 25, 26};
  for (std::size_t i = 0; i < std::size(lines); ++i) EXPECT_EQ(lines[i], line_codes[i]) << i;
}

// Event codes, key frame codes and dialled digit codes of both models.
TEST(StationFacts, EventKeyAndDigitCodes) {
  namespace k = facts::karvel_event;
  const int karvel[] = {k::handset_up,     k::handset_down,  k::line_busy,      k::line_free,     k::port_calls,
                        k::line_calls,     k::call_ended,    k::line_rings,     k::line_held,     k::port_held,
                        k::connection,     k::clear_down,    k::line_call_ended, k::port_count,   k::line_count,
                        k::selector_ended, k::selector_made, k::selector_left,  k::selector_joined};
  for (int i = 0; i < 19; ++i) EXPECT_EQ(karvel[i], 0x81 + i) << i;
  namespace t = facts::tomrik_event;
  const int tomrik[] = {t::off_hook,      t::on_hook,        t::line_seized,  t::line_released,
                        t::internal_call, t::city_call,      t::stop_ringing, t::ring_from_city,
                        t::line_on_hold,  t::subscriber_held, t::connection};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(tomrik[i], 129 + i) << i;
  EXPECT_EQ(t::city_call_starts, 141);

  for (int d = 1; d <= 9; ++d) {
    EXPECT_EQ(facts::key_digit_code(d), 0x10 + d);
    EXPECT_EQ(facts::key_code_digit(0x10 + d), d);
  }
  EXPECT_EQ(facts::key_digit_code(0), 0x1A);
  EXPECT_EQ(facts::key_code_digit(0x1A), 0);
  EXPECT_EQ(facts::key_lift, 0x20);
  for (int code : {0x10, 0x1B, 0x20}) EXPECT_EQ(facts::key_code_digit(code), -1) << code;

  const std::string digits = "1234567890*#";
  for (int code = 1; code <= 12; ++code) {
    EXPECT_EQ(facts::dial_char(code), digits[code - 1]) << code;
    EXPECT_EQ(facts::dial_code(digits[code - 1]), code) << code;
  }
  for (int code : {0, 13, 70, 255}) EXPECT_EQ(facts::dial_char(code), 0) << code;
  for (int ch : {' ', 'F', 'p'}) EXPECT_EQ(facts::dial_code(ch), -1) << ch;
  EXPECT_EQ(facts::dial_empty, 0);
  EXPECT_EQ(facts::book_letter_f, 70);
  EXPECT_EQ(facts::book_letter_p, 80);
  EXPECT_EQ(facts::book_letter_t, 84);
  EXPECT_EQ(facts::tomrik_book_t, 116);
  EXPECT_EQ(facts::tomrik_book_pause, 255);
}

TEST(StationFacts, TomrikRecordGroups) {
  namespace g = facts::tomrik_group;
  const std::pair<int, int> groups[] = {
      {g::dial_mode, 1},          {g::extra_digit, 2},         {g::disa_signal, 3},        {g::load_time, 4},
      {g::long_distance_code, 5}, {g::disa_day, 6},            {g::disa_night, 7},         {g::distribution_day, 8},
      {g::break_time, 11},        {g::hold_time, 12},          {g::line_pauses, 13},       {g::number_control, 14},
      {g::command8_paths, 15},    {g::distribution_night, 16}, {g::distribution_delay, 19}, {g::intrusion, 20},
      {g::notification, 21},      {g::day_night_transfer, 22}, {g::search_start, 23},      {g::hot_line, 24},
      {g::flash_time, 25},        {g::city_day, 26},           {g::city_night, 27},        {g::long_distance_day, 28},
      {g::long_distance_night, 29}, {g::commands_15_17, 30},   {g::tariffing, 31},         {g::closed_dialling, 32},
      {g::command8, 33},          {g::tone_dialling, 34},      {g::pickup, 40},            {g::general_call, 41},
      {g::phone_book, 50},        {g::special_cell_first, 67}, {g::special_cell_second, 68}, {g::identity, 0x80},
      {g::day_night, 0x81},       {g::melody, 130},            {g::volume, 131},           {g::software_version, 132},
      {g::software_date, 133},    {g::software_time, 134}};
  for (const auto& [name, number] : groups) EXPECT_EQ(name, number);
  EXPECT_EQ(g::line_pause_step, 4);
  EXPECT_EQ(g::first_subscriber_group, 0x14);
  EXPECT_EQ(g::last_subscriber_group, 0x22);
  EXPECT_EQ(facts::tomrik_hot_line::first_call_group, 21);
  EXPECT_EQ(facts::tomrik_hot_line::last_call_group, 26);
  EXPECT_EQ(facts::tomrik_hot_line::first_other_group, 31);
  EXPECT_EQ(facts::tomrik_hot_line::last_other_group, 36);
  EXPECT_EQ(facts::tomrik_hot_line::first_line, 129);
}

// ---- No station fact outside the map ----------------------------------------

// The scan's rule, kept simple so that what it proves is plain: after
// comments, string and character literals are blanked out,
// - no hex literal names a station address: 0x3000..0x3FFF (live state)
//   or 0x8000..0xFFFF (the configuration window);
// - no record call names its group by a number: the group argument of
//   link_read_record, link_write_record, table_read and the simulator's
//   put and keep_or_make is never a bare literal;
// - no constant named *_group, *_address or *_block is a bare literal.
// It cannot see a fact spelled in decimal or below 0x3000 elsewhere (event
// codes, key codes, digit codes, offsets within a block): those are kept
// to the map by review and by the golden tests above.

std::string code_only(const std::string& source) {
  std::string out = source;
  enum { code, line_comment, block_comment, text, character, raw } state = code;
  std::string raw_end;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const char c = source[i], next = i + 1 < source.size() ? source[i + 1] : '\0';
    switch (state) {
      case code:
        if (c == '/' && next == '/') state = line_comment;
        else if (c == '/' && next == '*') state = block_comment;
        else if (c == 'R' && next == '"' && (i == 0 || !std::isalnum(static_cast<unsigned char>(source[i - 1])))) {
          std::size_t open = source.find('(', i);
          raw_end = ")" + source.substr(i + 2, open - i - 2) + "\"";
          state = raw;
        } else if (c == '"') state = text;
        else if (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(source[i - 1])))) state = character;
        continue;
      case line_comment:
        if (c == '\n') state = code;
        break;
      case block_comment:
        if (c == '*' && next == '/') {
          out[i] = out[i + 1] = ' ';
          ++i;
          state = code;
          continue;
        }
        break;
      case text:
      case character:
        if (c == '\\') {
          out[i] = ' ';
          if (i + 1 < out.size() && out[i + 1] != '\n') out[++i] = ' ';
          continue;
        }
        if (c == (state == text ? '"' : '\'')) {
          state = code;
          continue;
        }
        break;
      case raw:
        if (source.compare(i, raw_end.size(), raw_end) == 0) {
          i += raw_end.size() - 1;
          state = code;
          continue;
        }
        break;
    }
    if (c != '\n') out[i] = ' ';
  }
  return out;
}

std::vector<std::string> station_literals(const std::string& source) {
  const std::string text = code_only(source);
  std::vector<std::string> found;
  static const std::regex hex(R"(\b0[xX]([0-9A-Fa-f]+)\b)");
  for (std::sregex_iterator m(text.begin(), text.end(), hex), end; m != end; ++m) {
    const unsigned long value = std::stoul((*m)[1].str(), nullptr, 16);
    if ((value >= 0x3000 && value <= 0x3FFF) || (value >= 0x8000 && value <= 0xFFFF)) found.push_back(m->str());
  }
  static const std::regex record_call(
      R"(\b(link_read_record\s*\(\s*[^,()]+,|link_write_record\s*\(\s*[^,()]+,|table_read\s*\(|put\s*\(\s*image\s*,|keep_or_make\s*\()\s*(0[xX][0-9A-Fa-f]+|\d+)\b)");
  for (std::sregex_iterator m(text.begin(), text.end(), record_call), end; m != end; ++m) found.push_back(m->str());
  static const std::regex named(R"(\b\w+_(group|address|block)\s*=\s*(0[xX][0-9A-Fa-f]+|\d+)\s*[;,])");
  for (std::sregex_iterator m(text.begin(), text.end(), named), end; m != end; ++m) found.push_back(m->str());
  return found;
}

TEST(StationFacts, TheScanFindsAStationLiteralOnlyInCode) {
  EXPECT_EQ(station_literals("int a = 0x8024;  // 0x8029\n").size(), 1u);
  EXPECT_EQ(station_literals("x = 0x3A10; y = 0x7FFF; z = 0x2FFF; w = 0x10000;").size(), 1u);
  EXPECT_EQ(station_literals("puts(\"at 0x8029\"); c = '\\''; /* 0xED00 */ f(0x1A);").size(), 0u);
  EXPECT_EQ(station_literals("link_write_record(r, 40, 1); table_read(130, 1); put(image, 0x28, 1, {});").size(), 3u);
  EXPECT_EQ(station_literals("link_read_record(r, group, 1); constexpr int pickup_group = 40;").size(), 1u);
}

TEST(StationFacts, NoProgramOrSimulatorSourceSpellsAStationFact) {
  const fs::path root = SOURCE_ROOT_DIR;
  if (!fs::is_directory(root / "facts")) GTEST_SKIP() << "the sources are not at hand here";
  int files = 0;
  for (const char* folder : {"karvel", "tomrik", "toolkit", "link", "editors", "settings", "sim"}) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / folder)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      ++files;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string source{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      for (const std::string& literal : station_literals(source))
        ADD_FAILURE() << fs::relative(entry.path(), root).string() << ": " << literal;
    }
  }
  EXPECT_GE(files, 100);
}

}  // namespace
