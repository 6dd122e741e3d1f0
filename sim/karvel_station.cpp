#include "sim/karvel_station.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "facts/digits.h"
#include "facts/karvel_memory.h"
#include "platform/cp866.h"

namespace sim {
namespace {

constexpr Answer ack{facts::ack, AnswerKind::ack};

std::string address_text(std::uint16_t address, int count) {
  char text[32];
  std::snprintf(text, sizeof text, "%04X+%d", address, count);
  return text;
}

void put_text(std::array<std::uint8_t, 0x10000>& memory, std::uint16_t address, const char* text, std::size_t width) {
  std::size_t length = std::min(std::strlen(text), width);
  std::memset(&memory[address], ' ', width);
  std::memcpy(&memory[address], text, length);
}

}  // namespace

KarvelStation::KarvelStation() : Station(facts::karvel_speeds[3]) {
  fill_default_configuration();
  set_baud(facts::karvel_speeds[3]);
}

// A port as installed: in service with a ringer, tone dialling, and the
// usual timings (pulse parameters in units of 5 ms, times in seconds).
void KarvelStation::fill_default_port(std::uint16_t block) {
  const std::uint8_t main_settings[16] = {1, 5, 0, 0, 1, 1, 1, 1, 0, 1, 1, 0, 1, 0, 1, 0};
  const std::uint8_t pulse[11] = {10, 8, 60, 16, 120, 40, 8, 16, 4, 12, 40};
  const std::uint8_t times[16] = {15, 30, 40, 10, 20, 15, 30, 60, 30, 10, 30, 10, 0, 30, 0, 0};
  for (int i = 0; i < 16; ++i) memory_[block + i] = main_settings[i];
  for (int i = 0; i < 11; ++i) memory_[block + 0x10 + i] = pulse[i];
  for (int i = 0; i < 16; ++i) memory_[block + 0x20 + i] = times[i];
  memory_[block + 0x39] = 60;   // music listening time
  memory_[block + 0x3A] = 120;  // time on HOLD
}

// How port `port` of `ports` handles calls: exit group 1 in every station
// mode, all four city lines by day and on the holiday modes, lines 1 and 2
// at night; its first general-call group rings the next two ports, every
// other place is free (255).
void KarvelStation::fill_default_call_handling(int port, int ports) {
  const std::uint16_t block = static_cast<std::uint16_t>(facts::karvel_block_address(port));
  for (int mode = 0; mode < 4; ++mode) {
    const int row = block + facts::karvel_port_exit_groups_offset + 16 * mode;
    memory_[row] = 1;
    for (int line = 1; line <= 4; ++line) memory_[row + line] = mode != 1 || line <= 2;
  }
  std::fill(&memory_[block + facts::karvel_call_groups_offset], &memory_[block + facts::karvel_port_book_offset], 0xFF);
  memory_[block + facts::karvel_call_groups_offset] = static_cast<std::uint8_t>(port % ports + 1);
  memory_[block + facts::karvel_call_groups_offset + 1] = static_cast<std::uint8_t>((port + 1) % ports + 1);
}

// The four exit groups alike: "9" seizes lines 1..4 with additional
// dialling and the return of held calls; "8" (long distance) the same
// lines, checked against routing table 1, whose one control code "810"
// sends such numbers to phone book cell 1.
void KarvelStation::fill_default_exit_groups() {
  for (int group = 1; group <= 4; ++group) {
    const int base = facts::karvel_exit_group_address(group);
    for (int code_row : {2, 3}) {  // rows of the codes "8" and "9"
      for (int line = 1; line <= 4; ++line) memory_[base + 8 * code_row + line - 1] = static_cast<std::uint8_t>(line);
      memory_[base + 8 * code_row + 6] = 1;                    // additional dialling
      memory_[base + 8 * code_row + 7] = code_row == 2 ? 1 : 0;  // routing table
      memory_[base + 0x67 + code_row] = 1;                     // held call returns
    }
    const std::uint8_t control_code[6] = {8, 1, 10, 0, 0, 0};
    std::copy(control_code, control_code + 6, &memory_[base + 128 * 1 + 8 * 1]);
    memory_[base + 128 * 1 + 8 * 1 + 6] = 1;  // its phone book cell
  }
}

// Incoming calls: table 1 rings ports 1..3 first, then 4 and 5, then the
// whole first eight; every table rings each answer group for 20 seconds
// unless told otherwise.
void KarvelStation::fill_default_routing_tables() {
  for (int table = 1; table <= 16; ++table)
    for (int group = 1; group <= 4; ++group) memory_[facts::karvel_routing_ringing_time_address(table, group)] = 20;
  const std::uint8_t groups[3][8] = {{1, 2, 3}, {4, 5}, {1, 2, 3, 4, 5, 6, 7, 8}};
  for (int group = 0; group < 3; ++group)
    std::copy(groups[group], groups[group] + 8, &memory_[facts::karvel_routing_answer_groups + 16 * group]);
  const std::uint8_t times[4] = {15, 25, 40, 20};
  std::copy(times, times + 4, &memory_[facts::karvel_routing_ringing_times]);
}

// A city line as installed: in service, tone dialling, a 3-second pause
// after additional dialling and after the long-distance code "8", music
// for DISA callers, the usual line timings (units of 5 ms unless seconds),
// routing table 1 in every station mode, and one general-call group of
// ports 1 and 2.
void KarvelStation::fill_default_city_line(std::uint16_t block) {
  const std::uint8_t main_settings[16] = {1, 5, 1, 3, 3, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0x90, 0x01};  // delay 400
  const std::uint8_t times[16] = {40, 60, 4, 16, 20, 60, 100, 6, 5, 12, 8, 60, 120, 100, 20, 80};
  const std::uint8_t durations[16] = {0, 0, 0, 0, 0, 5, 2, 120, 10, 30, 3, 30, 5, 0, 0, 0};
  for (int i = 0; i < 16; ++i) {
    memory_[block + i] = main_settings[i];
    memory_[block + 0x10 + i] = times[i];
    memory_[block + 0x20 + i] = durations[i];
  }
  memory_[block + 0x34] = 8;  // long-distance code "8"
  for (int mode = 0; mode < 4; ++mode) memory_[block + facts::karvel_line_routing_table_offset + mode] = 1;
  std::fill(&memory_[block + facts::karvel_call_groups_offset], &memory_[block + facts::karvel_port_book_offset], 0xFF);
  memory_[block + facts::karvel_call_groups_offset] = 1;
  memory_[block + facts::karvel_call_groups_offset + 1] = 2;
}

// Pickup group 1 holds ports 1..3 and group 2 ports 4 and 5; the other
// places are free (0).
void KarvelStation::fill_default_pickup_groups() {
  const std::uint8_t group1[3] = {1, 2, 3}, group2[2] = {4, 5};
  std::copy(group1, group1 + 3, &memory_[facts::karvel_pickup_groups]);
  std::copy(group2, group2 + 2, &memory_[facts::karvel_pickup_groups + facts::karvel_pickup_group_size]);
}

// A station as an engineer finds it after installation: 24 ports and 4
// city lines in service, plain numbering, no access codes.
void KarvelStation::fill_default_configuration() {
  put_text(memory_, facts::karvel_identity_address, "KAR424-4", facts::karvel_identity_size);
  put_text(memory_, facts::karvel_version_address, "V 4.07", facts::karvel_text_size);
  put_text(memory_, facts::karvel_date_address, "15.03.06", facts::karvel_text_size);
  put_text(memory_, facts::karvel_time_address, "10: 30", facts::karvel_text_size);  // shown as positions 0, 1, 2, 4, 5
  const int first_line_port = 33, ports = 24, lines = 4;
  memory_[facts::karvel_first_line_port_address] = first_line_port;
  for (int i = 0; i < facts::karvel_ringing_limit_count; ++i) memory_[facts::karvel_ringing_limits + i] = 8;  // ringing telephones per interval
  memory_[facts::karvel_reset_cycles] = 5;                               // cycles for a general reset
  memory_[facts::karvel_melody_address] = 1;                               // melody 2 on hold
  memory_[facts::karvel_volume_address] = 0x45;                               // at volume level 10
  memory_[facts::karvel_disa_dial_seconds] = 10;                               // seconds to dial after DISA
  for (int p = 1; p <= 48; ++p) memory_[facts::karvel_hardware_number_address(p)] = static_cast<std::uint8_t>(p);
  const char* mode_names[4] = {"День"_cp, "Ночь"_cp, "Выходной"_cp, "Праздник"_cp};
  for (int m = 0; m < 4; ++m) put_text(memory_, static_cast<std::uint16_t>(facts::karvel_mode_name_address(m)), mode_names[m],
                                    facts::karvel_mode_name_size);
  for (int p = 1; p <= ports; ++p) fill_default_port(static_cast<std::uint16_t>(facts::karvel_block_address(p)));
  for (int p = 1; p <= ports; ++p) fill_default_call_handling(p, ports);
  fill_default_exit_groups();
  fill_default_routing_tables();
  for (int l = 1; l <= lines; ++l)
    fill_default_city_line(static_cast<std::uint16_t>(facts::karvel_block_address(first_line_port + l - 1)));
  fill_default_pickup_groups();
  for (int k = 1; k <= ports; ++k) memory_[facts::karvel_logical_numbers + k] = static_cast<std::uint8_t>(k);  // number 100 + k
  fill_default_phone_books(ports);
}

// A few numbers in the station book, and port 1 with two numbers of its
// own in the pool; every other port's entries have no cell yet.
void KarvelStation::fill_default_phone_books(int ports) {
  auto put_number = [this](int base, int cell, const char* number) {
    const int address = base + facts::karvel_book_cell_size * cell;
    for (int i = 0; number[i] && i < facts::karvel_book_cell_size; ++i) {
      const char c = number[i];
      const int code = c == 'F' || c == 'P' || c == 'T' ? c : facts::dial_code(c);
      memory_[address + i] = static_cast<std::uint8_t>(code);
    }
  };
  put_number(facts::karvel_station_book, 1, "84957771234");
  put_number(facts::karvel_station_book, 2, "88002000600");
  put_number(facts::karvel_station_book, 5, "9P84993332211");
  put_number(facts::karvel_station_book, 12, "112");
  for (int p = 1; p <= ports; ++p)
    for (int i = 0; i < facts::karvel_port_book_entries; ++i)
      memory_[facts::karvel_block_address(p) + facts::karvel_port_book_offset + i] = facts::karvel_book_no_cell;
  const int port1_entries = facts::karvel_block_address(1) + facts::karvel_port_book_offset;
  memory_[port1_entries] = 1;
  memory_[port1_entries + 1] = 2;
  put_number(facts::karvel_book_pool, 1, "84951234567");
  put_number(facts::karvel_book_pool, 2, "89161112233");
}

void KarvelStation::set_baud(int baud) {
  Station::set_baud(baud);
  int index = facts::karvel_speed_index(baud);
  if (index >= 0) memory_[speed_setting] = static_cast<std::uint8_t>(index);
}

void KarvelStation::follow_speed_setting() {
  int baud = facts::karvel_speed(memory_[speed_setting]);
  if (baud && baud != this->baud()) {
    Station::set_baud(baud);
    log("exchange speed now " + std::to_string(baud) + " baud");
  }
}

int KarvelStation::further_bytes(const EventFrame& frame) const {
  return frame.empty() ? 0 : facts::event_length(facts::Model::karvel, frame[0]);
}

std::vector<std::uint8_t> KarvelStation::image() const {
  return std::vector<std::uint8_t>(memory_.begin() + window, memory_.end());
}

bool KarvelStation::load_image(const std::vector<std::uint8_t>& image) {
  if (image.size() != image_bytes) return false;
  std::copy(image.begin(), image.end(), memory_.begin() + window);
  follow_speed_setting();
  return true;
}

bool KarvelStation::set_identity(const std::string& text) {
  if (text.size() != facts::karvel_identity_size) return false;
  std::memcpy(&memory_[facts::karvel_identity_address], text.data(), facts::karvel_identity_size);
  return true;
}

void KarvelStation::abandon_frame() {
  step_ = Step::idle;
  abandon_poll();
}

Answer KarvelStation::add(std::uint8_t byte, Step next, Answer answer) {
  frame_.sum = static_cast<std::uint8_t>(frame_.sum + byte);
  step_ = next;
  return answer;
}

std::optional<Answer> KarvelStation::break_frame(const char* why) {
  log(std::string(frame_.command == facts::karvel_read_block ? "read " : "write ") +
      address_text(frame_.address, frame_.count) +
      ": " + why);
  step_ = Step::idle;
  return std::nullopt;
}

std::optional<Answer> KarvelStation::start_frame(std::uint8_t byte, std::uint64_t now_ms) {
  frame_ = Frame{};
  frame_.command = byte;
  switch (byte) {
    case facts::karvel_line_test:
      log("line test");
      return Answer{byte, AnswerKind::echo};
    case facts::karvel_read_block:
    case facts::karvel_write_block:
      return add(byte, Step::address_low, ack);
    case facts::karvel_key_frame:
      return add(byte, Step::key_code, ack);
    case facts::event_poll: {
      Answer answer = start_poll(now_ms);
      if (polling()) step_ = Step::event;
      return answer;
    }
    default:
      log("byte " + hex_bytes(&byte, 1) + " ignored: no frame starts with it");
      return std::nullopt;
  }
}

Answer KarvelStation::send_data() {
  std::uint8_t value = memory_[static_cast<std::uint16_t>(frame_.address + frame_.done)];
  ++frame_.done;
  return add(value, frame_.done == frame_.count ? Step::read_check : Step::read_data, {value, AnswerKind::data});
}

Answer KarvelStation::finish_read(std::uint8_t their_check) {
  std::uint8_t check = check_byte(frame_.sum);
  std::string what = "read " + address_text(frame_.address, frame_.count);
  step_ = Step::idle;
  if (frame_.spoiled) {
    log(what + ": spoiled");
    return {spoiled(check), AnswerKind::check};
  }
  log(what + (their_check == check ? ": ok" : ": check byte mismatch"));
  return {check, AnswerKind::check};
}

Answer KarvelStation::finish_write(std::uint8_t their_check) {
  std::uint8_t check = check_byte(frame_.sum);
  step_ = Step::idle;
  std::string what = "write " + address_text(frame_.address, frame_.count);
  if (frame_.spoiled) {
    log(what + ": spoiled, not stored");
    return {spoiled(check), AnswerKind::check};
  }
  if (their_check != check) {
    log(what + ": check byte mismatch, not stored");
    return {check, AnswerKind::check};
  }
  bool speed_written = false;
  for (int i = 0; i < frame_.count; ++i) {
    auto address = static_cast<std::uint16_t>(frame_.address + i);
    // What the station keeps to itself is acknowledged and not stored.
    if (facts::karvel_kept_by_station(address)) continue;
    memory_[address] = frame_.data[i];
    speed_written = speed_written || address == speed_setting;
  }
  log(what + ": stored");
  if (speed_written) follow_speed_setting();
  return {check, AnswerKind::check};
}

Answer KarvelStation::finish_key(std::uint8_t their_check) {
  std::uint8_t check = check_byte(frame_.sum);
  step_ = Step::idle;
  bool agreed = their_check == check;
  log("key " + hex_bytes(&frame_.key, 1) + (agreed ? ": received" : ": check byte mismatch"));
  if (agreed) {
    if (keys_.size() == 256) keys_.pop_front();
    keys_.push_back(frame_.key);
    traffic_.key(frame_.key, now_ms_);
  }
  return {check, AnswerKind::check};
}

void KarvelStation::start_traffic(std::uint64_t seed, std::uint64_t now_ms) {
  traffic_.log = [this](const std::string& line) { log(line); };
  traffic_.start(seed, now_ms);
}

void KarvelStation::offer_live_event(const EventFrame& frame) {
  if (queue_live_event(frame)) drop_oldest_events(live_events_kept);
}

std::optional<Answer> KarvelStation::take(std::uint8_t byte, std::uint64_t now_ms) {
  now_ms_ = now_ms;
  switch (step_) {
    case Step::idle:
      // A live station moves on between frames, never in the middle of one.
      traffic_.advance_to(now_ms);
      return start_frame(byte, now_ms);
    case Step::address_low:
      frame_.address = byte;
      return add(byte, Step::address_high, ack);
    case Step::address_high: {
      FrameName name{frame_.command, static_cast<std::uint16_t>(frame_.address | byte << 8), 0, 0};
      frame_.spoiled = spoils(name);
      frame_.address = name.address;
      return add(byte, Step::count, ack);
    }
    case Step::count:
      frame_.count = byte;
      if (frame_.command == facts::karvel_write_block) return add(byte, byte ? Step::write_data : Step::write_check, ack);
      add(byte, Step::read_check, ack);
      if (byte == 0) return std::nullopt;  // the check byte comes next, unasked
      return send_data();
    case Step::read_data:
      if (byte != facts::ack) return break_frame("broken by a byte other than 0xFF");
      return send_data();
    case Step::read_check:
      return finish_read(byte);
    case Step::write_data:
      frame_.data[frame_.done++] = byte;
      return add(byte, frame_.done == frame_.count ? Step::write_check : Step::write_data, ack);
    case Step::write_check:
      return finish_write(byte);
    case Step::key_code:
      frame_.key = byte;
      return add(byte, Step::key_check, ack);
    case Step::key_check:
      return finish_key(byte);
    case Step::event: {
      std::optional<Answer> answer = continue_poll(byte);
      if (!polling()) step_ = Step::idle;
      return answer;
    }
  }
  return std::nullopt;
}

}  // namespace sim
