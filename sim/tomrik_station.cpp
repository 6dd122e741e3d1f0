#include "sim/tomrik_station.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "facts/digits.h"
#include "facts/tomrik_records.h"

namespace sim {
namespace {

namespace group = facts::tomrik_group;

constexpr Answer ack{facts::ack, AnswerKind::ack};

constexpr std::uint8_t phone_book_group = group::phone_book;  // common book; + k for subscriber k
constexpr int phone_book_entries = group::phone_book_cells;
constexpr int phone_number_codes = group::phone_book_cell_size;
constexpr std::size_t special_cell_half = group::special_cell_half;

// A few numbers in the common book and in the first subscriber's own; the
// other entries are empty.
const char* default_phone_number(int book, int entry) {
  if (book == 0 && entry == 1) return "2223322";
  if (book == 0 && entry == 2) return "8p4951234567";
  if (book == 0 && entry == 3) return "t1#";
  if (book == 1 && entry == 1) return "84957654321";
  return "";
}

// A number as the station keeps it: digit codes (10 for "0", 11 "*",
// 12 "#", 116 "t", 255 a pause "p"), empty places (0) up to `places`.
std::vector<std::uint8_t> number_codes(const char* number, std::size_t places) {
  std::vector<std::uint8_t> codes;
  for (const char* c = number; *c && codes.size() < places; ++c) {
    const int code = *c == 't' ? facts::tomrik_book_t : *c == 'p' ? facts::tomrik_book_pause : facts::dial_code(*c);
    codes.push_back(static_cast<std::uint8_t>(code));
  }
  codes.resize(places, 0);
  return codes;
}

std::string record_text(std::uint8_t group, std::uint8_t index) {
  char text[32];
  std::snprintf(text, sizeof text, "(%u,%u)", group, index);
  return text;
}

// The first bytes of record (group, index) in its place in the image.
void put(std::vector<std::uint8_t>& image, int group, int index, std::initializer_list<std::uint8_t> bytes) {
  for (const facts::TomrikImageRow& row : facts::tomrik_image_rows(facts::tomrik_max_lines, facts::tomrik_max_subscribers))
    if (row.group == group && row.index == index)
      std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), row.size), image.begin() + row.offset);
}

// Number control: while long distance is forbidden, the free "8800"
// numbers are allowed on lines 1 and 2; while it is allowed, international
// "810" and the paid "8809" are forbidden on every line. After command 8,
// "1" goes out by line 1 or 2, "2" by line 3 or 4, "9" by any line.
void put_number_control(std::vector<std::uint8_t>& image) {
  constexpr int number_group = group::number_control, paths_group = group::command8_paths, forbidden = 64, rows = 16;
  for (int line = 1; line <= 2; ++line) put(image, number_group, (line - 1) * rows, {8, 8, 10, 10});
  for (int line = 1; line <= TomrikStation::max_lines; ++line) {
    put(image, number_group, forbidden + (line - 1) * rows, {8, 1, 10, 0});
    put(image, number_group, forbidden + (line - 1) * rows + 1, {8, 8, 10, 9});
  }
  put(image, paths_group, 0, {1, 0, 0, 0, 1, 2, 0, 0});
  put(image, paths_group, 1, {2, 0, 0, 0, 3, 4, 0, 0});
  put(image, paths_group, 2, {9, 0, 0, 0, 1, 2, 3, 4});
}

// What a freshly installed station holds: tone dialling, "8" for long
// distance, each line ringing its own subscriber by day and subscriber 1 by
// night, city calls allowed on every line, long distance for the first four
// subscribers on lines 1 and 2, their long-distance and city calls charged,
// subscriber 1 may intrude and call line 1 by its hot line, two pickup
// groups, a general call group, melody 4 at level 7, day and night switched
// by hand or by the clock.
std::vector<std::uint8_t> default_image() {
  std::vector<std::uint8_t> image(TomrikStation::image_bytes, 0);
  put(image, facts::tomrik_identity_group, facts::tomrik_identity_index, {'T', '4', '1', '6'});
  put(image, group::day_night, 1, {0});     // day/night: manual and automatic
  put(image, group::melody, 1, {3});     // melody
  put(image, group::volume, 1, {0x48});  // volume: level 7
  for (int l = 1; l <= TomrikStation::max_lines; ++l) {
    put(image, group::dial_mode, l, {1});       // tone dialling
    put(image, group::load_time, l, {1});       // no load delay
    put(image, group::line_pauses, l, {2});       // pause after the additional digit
    put(image, group::long_distance_code, l, {8});       // long-distance code "8"
    put(image, group::line_pauses, l + group::line_pause_step, {3});   // pause after the long-distance code
    put(image, group::disa_signal, l, {1});       // ringback tone during DISA
    put(image, group::line_pauses, l + 2 * group::line_pause_step, {10});  // DISA wait
    put(image, group::break_time, l, {5});       // line break 500 ms
    put(image, group::hold_time, l, {60});      // line hold 60 s
    put(image, group::distribution_day, l, {static_cast<std::uint8_t>(l)});  // day, group 1
    put(image, group::distribution_night, l, {1});       // night, group 1
  }
  for (int s = 1; s <= TomrikStation::max_subscribers; ++s) {
    put(image, group::city_day, s, {0x0F});  // city access by day, all lines
    put(image, group::city_night, s, {0x0F});  // and by night
    put(image, group::tone_dialling, s, {1});     // tone dialling allowed
  }
  for (int s = 1; s <= 4; ++s) {
    put(image, group::long_distance_day, s, {0x03});  // long distance by day, lines 1 and 2
    put(image, group::tariffing, s, {0x03});  // long-distance and city calls charged
  }
  put(image, group::intrusion, 1, {1});    // subscriber 1 may intrude
  put(image, group::hot_line, 1, {facts::tomrik_hot_line::first_line});  // and has city line 1 as hot line
  put(image, group::pickup, 1, {1, 2, 3, 4});
  put(image, group::pickup, 2, {5, 6, 7, 0});
  put(image, group::general_call, 1, {1, 2, 3, 0});
  put_number_control(image);
  return image;
}

}  // namespace

TomrikStation::TomrikStation() : Station(facts::tomrik_speed) { rebuild_records(default_image()); }

int TomrikStation::further_bytes(const EventFrame& frame) const {
  if (frame.empty()) return 0;
  int fixed = facts::event_length(facts::Model::tomrik, frame[0]);
  constexpr std::size_t counter = facts::tomrik_counted_event_byte;
  if (frame[0] != facts::tomrik_counted_event) return fixed;
  return fixed + (frame.size() > counter ? frame[counter] : 0);
}

// The image-backed records come from the image; the others (software
// version, phone books, the special cell) keep what they held if the station
// still has them, else start empty.
void TomrikStation::rebuild_records(const std::vector<std::uint8_t>& image) {
  facts::TomrikCounts counts = facts::tomrik_counts(image.data());
  lines_ = std::clamp(counts.city_lines, 0, max_lines);
  subscribers_ = std::clamp(counts.subscribers, 0, max_subscribers);
  std::map<std::uint16_t, Record> old;
  old.swap(records_);
  for (const facts::TomrikImageRow& row : facts::tomrik_image_rows(lines_, subscribers_)) {
    Record& r = records_[key(static_cast<std::uint8_t>(row.group), static_cast<std::uint8_t>(row.index))];
    r.bytes.assign(image.begin() + row.offset, image.begin() + row.offset + row.size);
    r.room = r.bytes.size();
  }
  auto keep_or_make = [&](std::uint8_t group, std::uint8_t index, std::vector<std::uint8_t> fresh) {
    auto found = old.find(key(group, index));
    if (found != old.end()) {
      records_[key(group, index)] = found->second;
    } else {
      std::size_t room = fresh.size();
      records_[key(group, index)] = {std::move(fresh), room};
    }
  };
  auto text = [](const char* s) { return std::vector<std::uint8_t>(s, s + std::strlen(s)); };
  keep_or_make(group::software_version, 1, text("V3.12   "));
  keep_or_make(group::software_date, 1, text("15.03.06"));
  keep_or_make(group::software_time, 1, text("10:30 "));
  for (int book = 0; book <= subscribers_; ++book)
    for (int entry = 1; entry <= phone_book_entries; ++entry)
      keep_or_make(static_cast<std::uint8_t>(phone_book_group + book), static_cast<std::uint8_t>(entry),
                   number_codes(default_phone_number(book, entry), phone_number_codes));
  // The special cell: 48 codes as two records of 24.
  std::vector<std::uint8_t> cell = number_codes("8p4957100000t21#", 2 * special_cell_half);
  keep_or_make(group::special_cell_first, 0, std::vector<std::uint8_t>(cell.begin(), cell.begin() + special_cell_half));
  keep_or_make(group::special_cell_second, 0, std::vector<std::uint8_t>(cell.begin() + special_cell_half, cell.end()));
}

std::vector<std::uint8_t> TomrikStation::image() const {
  std::vector<std::uint8_t> image(image_bytes, 0);
  for (const facts::TomrikImageRow& row : facts::tomrik_image_rows(lines_, subscribers_)) {
    const std::vector<std::uint8_t>* data = record(static_cast<std::uint8_t>(row.group), static_cast<std::uint8_t>(row.index));
    if (!data) continue;
    std::copy_n(data->begin(), std::min<std::size_t>(row.size, data->size()), image.begin() + row.offset);
  }
  return image;
}

bool TomrikStation::load_image(const std::vector<std::uint8_t>& image) {
  if (image.size() != image_bytes) return false;
  rebuild_records(image);
  return true;
}

bool TomrikStation::set_identity(const std::string& text) {
  if (text.size() != facts::tomrik_identity_size) return false;
  std::vector<std::uint8_t> current = image();
  std::memcpy(current.data(), text.data(), facts::tomrik_identity_size);
  rebuild_records(current);
  return true;
}

const std::vector<std::uint8_t>* TomrikStation::record(std::uint8_t group, std::uint8_t index) const {
  auto found = records_.find(key(group, index));
  return found == records_.end() ? nullptr : &found->second.bytes;
}

std::vector<std::uint8_t>& TomrikStation::record_bytes(std::uint8_t group, std::uint8_t index) {
  return records_[key(group, index)].bytes;
}

void TomrikStation::set_record(std::uint8_t group, std::uint8_t index, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t>& r = records_[key(group, index)].bytes;
  r.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(data.size(), 255)));
}

void TomrikStation::abandon_frame() {
  step_ = Step::idle;
  abandon_poll();
}

Answer TomrikStation::idle_answer() {
  step_ = Step::idle;
  ready_ = true;
  return {facts::nothing_to_report, AnswerKind::idle};
}

void TomrikStation::set_idle_sync(double probability, std::uint64_t seed) {
  idle_sync_ = probability;
  idle_rng_ = seed ? seed * 0x9E3779B97F4A7C15ull : 1;
}

// Whether this first synchronisation byte is answered idle; a station that
// has just answered idle is ready and never does so twice running.
bool TomrikStation::answers_idle_first() {
  if (ready_ || idle_sync_ <= 0) return false;
  idle_rng_ ^= idle_rng_ << 13;
  idle_rng_ ^= idle_rng_ >> 7;
  idle_rng_ ^= idle_rng_ << 17;
  return static_cast<double>(idle_rng_ >> 11) * 0x1.0p-53 < idle_sync_;
}

std::optional<Answer> TomrikStation::after_lost_frame(std::uint8_t, std::uint64_t) { return idle_answer(); }

Answer TomrikStation::add(std::uint8_t byte, Step next, Answer answer) {
  frame_.sum = static_cast<std::uint8_t>(frame_.sum + byte);
  step_ = next;
  return answer;
}

std::optional<Answer> TomrikStation::start_frame(std::uint8_t byte, std::uint64_t now_ms) {
  if (byte == facts::tomrik_read_record || byte == facts::tomrik_write_record) {
    if (answers_idle_first()) {
      log("synchronisation: answered idle first");
      return idle_answer();
    }
    ready_ = false;
    frame_ = Frame{};
    frame_.command = byte;
    return add(byte, Step::group, ack);
  }
  if (byte == facts::event_poll) {
    Answer answer = start_poll(now_ms);
    if (polling()) step_ = Step::event;
    return answer;
  }
  return idle_answer();
}

// The index names the record: a read answers with its length, a write is
// acknowledged only for a record the station has.
Answer TomrikStation::open_record(std::uint8_t byte) {
  FrameName name{frame_.command, 0, frame_.group, byte};
  frame_.spoiled = spoils(name);
  // The sum is of the bytes heard; the record is the one named.
  frame_.group = name.group;
  frame_.index = name.index;
  const std::uint8_t index = name.index;
  const std::vector<std::uint8_t>* data = record(frame_.group, index);
  if (frame_.command == facts::tomrik_write_record) {
    if (!data) {
      log("write " + record_text(frame_.group, index) + ": refused, no such record");
      step_ = Step::idle;
      return {0x00, AnswerKind::refusal};
    }
    return add(byte, Step::write_length, ack);
  }
  // A length byte counts to 255 at most: a longer record is sent cut.
  frame_.length = data ? static_cast<std::uint8_t>(std::min<std::size_t>(data->size(), frame_.data.size())) : 0;
  if (data) std::copy_n(data->begin(), frame_.length, frame_.data.begin());
  add(byte, Step::read_data, {});
  return add(frame_.length, frame_.length ? Step::read_data : Step::read_check, {frame_.length, AnswerKind::data});
}

Answer TomrikStation::send_data() {
  std::uint8_t value = frame_.data[frame_.done++];
  return add(value, frame_.done == frame_.length ? Step::read_check : Step::read_data, {value, AnswerKind::data});
}

// The bytes of a write whose check bytes agreed, as far as the record
// reaches.
void TomrikStation::store_written() {
  // The identity and station values are the station's own: acknowledged,
  // not stored.
  if (facts::tomrik_kept_by_station(frame_.group)) return;
  Record& r = records_[key(frame_.group, frame_.index)];
  std::size_t n = std::min<std::size_t>(frame_.length, std::max(r.room, r.bytes.size()));
  if (r.bytes.size() < n) r.bytes.resize(n);
  std::copy_n(frame_.data.begin(), n, r.bytes.begin());
}

Answer TomrikStation::finish(std::uint8_t their_check) {
  std::uint8_t check = check_byte(frame_.sum);
  step_ = Step::idle;
  bool reading = frame_.command == facts::tomrik_read_record;
  std::string what = (reading ? "read " : "write ") + record_text(frame_.group, frame_.index) + " " +
                     std::to_string(frame_.length) + " bytes";
  if (frame_.spoiled) {
    log(what + (reading ? ": spoiled" : ": spoiled, not stored"));
    return {spoiled(check), AnswerKind::check};
  }
  if (their_check != check) {
    log(what + (reading ? ": check byte mismatch" : ": check byte mismatch, not stored"));
  } else if (reading) {
    log(what + ": ok");
  } else {
    store_written();
    // The bytes too, so that a run can be followed in the log (the phone
    // books and the special cell are no part of the saved image).
    log(what + ": stored " + hex_bytes(frame_.data.data(), frame_.length));
  }
  return {check, AnswerKind::check};
}

std::optional<Answer> TomrikStation::take(std::uint8_t byte, std::uint64_t now_ms) {
  switch (step_) {
    case Step::idle:
      return start_frame(byte, now_ms);
    case Step::group:
      if (byte == facts::tomrik_read_record || byte == facts::tomrik_write_record) {
        ready_ = true;  // another attempt: the station is ready for it
        return start_frame(byte, now_ms);
      }
      frame_.group = byte;
      return add(byte, Step::index, ack);
    case Step::index:
      return open_record(byte);
    case Step::read_data:
      if (byte != facts::ack) return idle_answer();  // not an acknowledgement: the frame is broken
      return send_data();
    case Step::write_length:
      frame_.length = byte;
      return add(byte, byte ? Step::write_data : Step::write_check, ack);
    case Step::write_data:
      frame_.data[frame_.done++] = byte;
      return add(byte, frame_.done == frame_.length ? Step::write_check : Step::write_data, ack);
    case Step::read_check:
    case Step::write_check:
      return finish(byte);
    case Step::event: {
      std::optional<Answer> answer = continue_poll(byte);
      if (!polling()) step_ = Step::idle;
      return answer ? *answer : idle_answer();
    }
  }
  return std::nullopt;
}

}  // namespace sim
