#include "tomrik_station.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

// Per-line records in transfer order: group, index offset from the line
// number, image offset of line 1, bytes per line.
struct LineSlot {
  std::uint8_t group, index_offset;
  std::uint16_t base;
  std::uint8_t size;
};
constexpr LineSlot line_slots[] = {
    {0x01, 0, 0x080, 1}, {0x04, 0, 0x090, 1}, {0x02, 0, 0x0A0, 1}, {0x0D, 0, 0x0B0, 1}, {0x05, 0, 0x0C0, 4},
    {0x0D, 4, 0x0D0, 1}, {0x03, 0, 0x0E0, 1}, {0x06, 0, 0x0F0, 1}, {0x07, 0, 0x100, 1}, {0x0D, 8, 0x110, 1},
    {0x0B, 0, 0x120, 1}, {0x0C, 0, 0x130, 1}, {0x08, 0, 0x140, 4}, {0x09, 0, 0x150, 4}, {0x0A, 0, 0x160, 4},
    {0x10, 0, 0x170, 4}, {0x11, 0, 0x180, 4}, {0x12, 0, 0x190, 4}, {0x13, 0, 0x1A0, 4},
};

constexpr std::uint8_t phone_book_group = 50;  // common book; 50 + k for subscriber k
constexpr int phone_book_entries = 16;
constexpr int phone_number_codes = 25;

int digit(std::uint8_t c) { return c - '0'; }

std::string record_text(std::uint8_t group, std::uint8_t index) {
  char text[32];
  std::snprintf(text, sizeof text, "(%u,%u)", group, index);
  return text;
}

// What a freshly installed station holds: tone dialling, "8" for long
// distance, each line ringing its own subscriber by day and subscriber 1 by
// night, city calls allowed on every line, subscribers 1..4 in pickup group 1.
std::vector<std::uint8_t> default_image() {
  std::vector<std::uint8_t> image(TomrikStation::image_bytes, 0);
  std::memcpy(image.data(), "T416", 4);
  image[0x020] = 3;     // melody
  image[0x030] = 0x48;  // volume: level 7
  for (int l = 0; l < TomrikStation::max_lines; ++l) {
    image[0x080 + l] = 1;                // tone dialling
    image[0x090 + l] = 1;                // no load delay
    image[0x0B0 + l] = 2;                // pause after the additional digit
    image[0x0C0 + 4 * l] = 8;            // long-distance code "8"
    image[0x0D0 + l] = 3;                // pause after the long-distance code
    image[0x0E0 + l] = 1;                // ringback tone during DISA
    image[0x110 + l] = 10;               // DISA wait
    image[0x120 + l] = 5;                // line break 500 ms
    image[0x130 + l] = 60;               // line hold 60 s
    image[0x140 + 4 * l] = static_cast<std::uint8_t>(l + 1);  // day, group 1
    image[0x170 + 4 * l] = 1;            // night, group 1
  }
  for (int s = 0; s < TomrikStation::max_subscribers; ++s) {
    image[0x200 + 16 * (0x1A - 0x14) + s] = 0x0F;  // city access by day, all lines
    image[0x200 + 16 * (0x1B - 0x14) + s] = 0x0F;  // and by night
  }
  for (int k = 0; k < 4; ++k) image[0x320 + k] = static_cast<std::uint8_t>(k + 1);
  return image;
}

}  // namespace

std::vector<ImageSlot> tomrik_image_slots(int lines, int subscribers) {
  std::vector<ImageSlot> slots = {{0x80, 1, 0x000, 4}, {0x81, 1, 0x010, 1}, {0x82, 1, 0x020, 1}, {0x83, 1, 0x030, 1}};
  lines = std::clamp(lines, 0, TomrikStation::max_lines);
  subscribers = std::clamp(subscribers, 0, TomrikStation::max_subscribers);
  for (int l = 1; l <= lines; ++l)
    for (const LineSlot& s : line_slots)
      slots.push_back({s.group, static_cast<std::uint8_t>(l + s.index_offset),
                       static_cast<std::uint16_t>(s.base + s.size * (l - 1)), s.size});
  for (int g = 0x14; g <= 0x22; ++g)
    for (int s = 1; s <= subscribers; ++s)
      slots.push_back({static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(s),
                       static_cast<std::uint16_t>(0x200 + 16 * (g - 0x14) + s - 1), 1});
  for (int k = 1; k <= 8; ++k)
    slots.push_back({0x28, static_cast<std::uint8_t>(k), static_cast<std::uint16_t>(0x320 + 16 * (k - 1)), 4});
  for (int k = 1; k <= 6; ++k)
    slots.push_back({0x29, static_cast<std::uint8_t>(k), static_cast<std::uint16_t>(0x3A0 + 16 * (k - 1)),
                     static_cast<std::uint8_t>(k == 5 || k == 6 ? 8 : 4)});
  for (int k = 0; k <= 127; ++k)
    slots.push_back({0x0E, static_cast<std::uint8_t>(k), static_cast<std::uint16_t>(0x400 + 4 * k), 4});
  for (int k = 0; k <= 15; ++k)
    slots.push_back({0x0F, static_cast<std::uint8_t>(k), static_cast<std::uint16_t>(0x600 + 8 * k), 8});
  return slots;
}

TomrikStation::TomrikStation() : Station(4800) { rebuild_records(default_image()); }

int TomrikStation::further_bytes(const EventFrame& frame) const {
  std::uint8_t code = frame.empty() ? 0 : frame[0];
  switch (code) {
    case 0x81: case 0x82: case 0x83: case 0x84: case 0x87: case 0x88: case 0x8C: return 1;
    case 0x85: case 0x86: case 0x89: case 0x8A: return 2;
    case 0x8B: return 3;
    case 0x8D: return 3 + (frame.size() > 3 ? frame[3] : 0);
    default: return 0;
  }
}

// The image-backed records come from the image; the others (software
// version, phone books, the special cell) keep what they held if the station
// still has them, else start empty.
void TomrikStation::rebuild_records(const std::vector<std::uint8_t>& image) {
  lines_ = std::clamp(digit(image[1]), 0, max_lines);
  subscribers_ = std::clamp(10 * digit(image[2]) + digit(image[3]), 0, max_subscribers);
  std::map<std::uint16_t, std::vector<std::uint8_t>> old;
  old.swap(records_);
  for (const ImageSlot& s : tomrik_image_slots(lines_, subscribers_))
    records_[key(s.group, s.index)].assign(image.begin() + s.offset, image.begin() + s.offset + s.size);
  auto keep_or_make = [&](std::uint8_t group, std::uint8_t index, std::vector<std::uint8_t> fresh) {
    auto found = old.find(key(group, index));
    records_[key(group, index)] = found != old.end() ? found->second : std::move(fresh);
  };
  auto text = [](const char* s) { return std::vector<std::uint8_t>(s, s + std::strlen(s)); };
  keep_or_make(132, 1, text("V3.12   "));
  keep_or_make(133, 1, text("15.03.06"));
  keep_or_make(134, 1, text("10:30 "));
  for (int book = 0; book <= subscribers_; ++book)
    for (int entry = 1; entry <= phone_book_entries; ++entry)
      keep_or_make(static_cast<std::uint8_t>(phone_book_group + book), static_cast<std::uint8_t>(entry),
                   std::vector<std::uint8_t>(phone_number_codes, 0));
  keep_or_make(67, 0, std::vector<std::uint8_t>(24, 0));
  keep_or_make(68, 0, std::vector<std::uint8_t>(24, 0));
}

std::vector<std::uint8_t> TomrikStation::image() const {
  std::vector<std::uint8_t> image(image_bytes, 0);
  for (const ImageSlot& s : tomrik_image_slots(lines_, subscribers_)) {
    const std::vector<std::uint8_t>* data = record(s.group, s.index);
    if (!data) continue;
    std::copy_n(data->begin(), std::min<std::size_t>(s.size, data->size()), image.begin() + s.offset);
  }
  return image;
}

bool TomrikStation::load_image(const std::vector<std::uint8_t>& image) {
  if (image.size() != image_bytes) return false;
  rebuild_records(image);
  return true;
}

bool TomrikStation::set_identity(const std::string& text) {
  if (text.size() != 4) return false;
  std::vector<std::uint8_t> current = image();
  std::memcpy(current.data(), text.data(), 4);
  rebuild_records(current);
  return true;
}

const std::vector<std::uint8_t>* TomrikStation::record(std::uint8_t group, std::uint8_t index) const {
  auto found = records_.find(key(group, index));
  return found == records_.end() ? nullptr : &found->second;
}

void TomrikStation::set_record(std::uint8_t group, std::uint8_t index, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t>& r = records_[key(group, index)];
  r.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(data.size(), 255)));
}

void TomrikStation::abandon_frame() {
  step_ = Step::idle;
  abandon_poll();
}

Answer TomrikStation::idle_answer() {
  step_ = Step::idle;
  return {0x80, AnswerKind::idle};
}

std::optional<Answer> TomrikStation::after_lost_frame(std::uint8_t, std::uint64_t) { return idle_answer(); }

Answer TomrikStation::add(std::uint8_t byte, Step next, Answer answer) {
  frame_.sum = static_cast<std::uint8_t>(frame_.sum + byte);
  step_ = next;
  return answer;
}

std::optional<Answer> TomrikStation::start_frame(std::uint8_t byte, std::uint64_t now_ms) {
  if (byte == 0xAA || byte == 0xA5) {
    frame_ = Frame{};
    frame_.command = byte;
    return add(byte, Step::group, {0xFF, AnswerKind::ack});
  }
  if (byte == 0x80) {
    Answer answer = start_poll(now_ms);
    if (polling()) step_ = Step::event;
    return answer;
  }
  return idle_answer();
}

// The index names the record: a read answers with its length, a write is
// acknowledged only for a record the station has.
Answer TomrikStation::open_record(std::uint8_t index) {
  frame_.index = index;
  const std::vector<std::uint8_t>* data = record(frame_.group, index);
  if (frame_.command == 0xA5) {
    if (!data) {
      log("write " + record_text(frame_.group, index) + ": refused, no such record");
      step_ = Step::idle;
      return {0x00, AnswerKind::refusal};
    }
    return add(index, Step::write_length, {0xFF, AnswerKind::ack});
  }
  frame_.length = data ? static_cast<std::uint8_t>(data->size()) : 0;
  if (data) std::copy(data->begin(), data->end(), frame_.data.begin());
  add(index, Step::read_data, {});
  return add(frame_.length, frame_.length ? Step::read_data : Step::read_check, {frame_.length, AnswerKind::data});
}

Answer TomrikStation::send_data() {
  std::uint8_t value = frame_.data[frame_.done++];
  return add(value, frame_.done == frame_.length ? Step::read_check : Step::read_data, {value, AnswerKind::data});
}

Answer TomrikStation::finish(std::uint8_t their_check) {
  std::uint8_t check = check_byte(frame_.sum);
  step_ = Step::idle;
  bool reading = frame_.command == 0xAA;
  std::string what = (reading ? "read " : "write ") + record_text(frame_.group, frame_.index) + " " +
                     std::to_string(frame_.length) + " bytes";
  if (their_check != check) {
    log(what + (reading ? ": check byte mismatch" : ": check byte mismatch, not stored"));
  } else if (reading) {
    log(what + ": ok");
  } else {
    std::vector<std::uint8_t>& r = records_[key(frame_.group, frame_.index)];
    std::copy_n(frame_.data.begin(), std::min<std::size_t>(frame_.length, r.size()), r.begin());
    log(what + ": stored");
  }
  return {check, AnswerKind::check};
}

std::optional<Answer> TomrikStation::take(std::uint8_t byte, std::uint64_t now_ms) {
  constexpr Answer ack{0xFF, AnswerKind::ack};
  switch (step_) {
    case Step::idle:
      return start_frame(byte, now_ms);
    case Step::group:
      if (byte == 0xAA || byte == 0xA5) return start_frame(byte, now_ms);  // another attempt
      frame_.group = byte;
      return add(byte, Step::index, ack);
    case Step::index:
      return open_record(byte);
    case Step::read_data:
      if (byte != 0xFF) return idle_answer();  // not an acknowledgement: the frame is broken
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
