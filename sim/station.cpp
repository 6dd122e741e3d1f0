#include "sim/station.h"

#include <cstdio>

namespace sim {

std::string hex_bytes(const std::uint8_t* bytes, std::size_t count) {
  std::string out;
  char piece[4];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(piece, sizeof piece, i ? " %02X" : "%02X", bytes[i]);
    out += piece;
  }
  return out;
}

std::optional<Answer> Station::receive(std::uint8_t byte, int line_baud, std::uint64_t now_ms) {
  if (line_baud != baud_) return std::nullopt;
  bool gone = now_ms - last_byte_ms_ >= static_cast<std::uint64_t>(frame_gap_ms());
  bool gave_up = answer_lost_ || gone;
  last_byte_ms_ = now_ms;
  answer_lost_ = false;
  bool between_frames = !in_frame();
  std::optional<Answer> answer;
  if (!between_frames && gave_up) {
    abandon_frame();
    log(gone ? "frame abandoned: the computer stopped answering" : "frame abandoned: the computer gave up on a lost answer");
    between_frames = true;
    answer = after_lost_frame(byte, now_ms);
  } else {
    answer = take(byte, now_ms);
  }
  started_by_ = between_frames && in_frame() ? byte : -1;
  return answer;
}

bool Station::queue_event(const EventFrame& frame, std::uint64_t due_ms, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (frame.empty()) return fail("an event frame needs its code");
  if (frame[0] == facts::nothing_to_report) return fail("0x80 means 'nothing to report' and is no event code");
  if (frame.size() != 1 + static_cast<std::size_t>(further_bytes(frame)))
    return fail("the number of bytes does not fit the event code");
  events_.push_back({frame, due_ms});
  return true;
}

bool Station::queue_live_event(const EventFrame& frame) {
  std::string why;
  if (queue_event(frame, 0, &why)) return true;
  ++refused_live_events_;
  log("live event " + (frame.empty() ? std::string("(empty)") : hex_bytes(frame.data(), frame.size())) +
      " refused: " + why);
  return false;
}

void Station::drop_oldest_events(std::size_t keep) {
  while (events_.size() > keep && event_sent_ == 0) events_.pop_front();
}

Answer Station::start_poll(std::uint64_t now_ms) {
  event_sent_ = 0;
  if (events_.empty() || events_.front().due > now_ms) {
    if (log_empty_polls) log("poll: nothing to report");
    return {facts::nothing_to_report, AnswerKind::idle};
  }
  std::uint8_t code = events_.front().frame[0];
  event_sent_ = 1;
  event_sum_ = code;
  return {code, AnswerKind::data};
}

std::optional<Answer> Station::continue_poll(std::uint8_t byte) {
  const EventFrame& frame = events_.front().frame;
  if (event_sent_ < frame.size()) {
    if (byte != facts::ack) {  // not the computer's acknowledgement: the frame is broken
      event_sent_ = 0;
      log("event " + hex_bytes(frame.data(), frame.size()) + ": broken by a byte other than 0xFF");
      return std::nullopt;
    }
    std::uint8_t next = frame[event_sent_++];
    event_sum_ = static_cast<std::uint8_t>(event_sum_ + next);
    return Answer{next, AnswerKind::data};
  }
  std::uint8_t check = check_byte(event_sum_);
  std::string text = "event " + hex_bytes(frame.data(), frame.size());
  event_sent_ = 0;
  if (byte == check) {
    log(text + ": delivered");
    events_.pop_front();
  } else {
    log(text + ": check byte mismatch, offered again");
  }
  return Answer{check, AnswerKind::check};
}

}  // namespace sim
