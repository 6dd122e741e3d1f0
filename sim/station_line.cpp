#include "sim/station_line.h"

#include <algorithm>
#include <cmath>

namespace sim {

double byte_time_ms(int baud) { return baud > 0 ? 10000.0 / baud : 0; }

StationLine::StationLine(Station& station, FaultPlan plan) : station_(station) { set_faults(plan); }

void StationLine::set_faults(const FaultPlan& plan) {
  plan_ = plan;
  rng_ = plan.seed ? plan.seed : 1;
  received_rng_ = rng_ ^ 0x9E3779B97F4A7C15ULL;
}

int StationLine::late_delay_ms() const { return station_.program_timeout_ms() * 3 / 2; }

// xorshift64*: small, fast, and the same on every system.
double StationLine::next_unit(std::uint64_t& state) {
  state ^= state >> 12;
  state ^= state << 25;
  state ^= state >> 27;
  return static_cast<double>((state * 0x2545F4914F6CDD1DULL) >> 11) * 0x1.0p-53;
}

// The computer's byte as the station hears it.
std::uint8_t StationLine::as_received(std::uint8_t byte) {
  ++received_;
  int bit = 0;
  if (!plan_.corrupt_received_at.count(received_)) {
    if (plan_.corrupt_received <= 0) return byte;
    double draw = next_unit(received_rng_);
    if (draw >= plan_.corrupt_received) return byte;
    bit = std::min(7, static_cast<int>(draw / plan_.corrupt_received * 8));
  }
  if (fault_log) fault_log("fault: received byte " + std::to_string(received_) + " corrupted");
  return static_cast<std::uint8_t>(byte ^ (1u << bit));
}

StationLine::Drawn StationLine::draw(AnswerKind kind) {
  // Three draws for every answer, whatever they decide, so that one
  // probability does not shift the faults the others pick.
  double drop = next_unit(), corrupt = next_unit(), late = next_unit();
  auto planned = plan_.at_answer.find(answers_);
  if (planned != plan_.at_answer.end()) return {planned->second, -1};
  if (drop < plan_.drop) return {Fault::drop, 0};
  double corrupt_p = kind == AnswerKind::check ? std::max(plan_.corrupt, plan_.corrupt_checks) : plan_.corrupt;
  // Which bit goes wrong comes from where the draw fell below the
  // probability, so that it costs no draw of its own.
  if (corrupt < corrupt_p) return {Fault::corrupt, std::min(7, static_cast<int>(corrupt / corrupt_p * 8))};
  if (late < plan_.late) return {Fault::late, 0};
  return {Fault::none, 0};
}

// A check byte stays below 0x80, so that the program sees a plausible check
// byte that is just wrong; any other answer gets the drawn bit flipped (a
// planned corrupt, with no bit drawn, flips bit 0).
std::uint8_t StationLine::damaged(const Answer& answer, int bit) {
  if (answer.kind == AnswerKind::check) return static_cast<std::uint8_t>((answer.byte + 1) & 0x7F);
  return static_cast<std::uint8_t>(answer.byte ^ (1u << (bit < 0 ? 0 : bit)));
}

std::optional<platform::LinePeer::Reply> StationLine::on_byte(std::uint8_t byte, int line_baud, std::uint64_t now_ms) {
  std::optional<Answer> answer = station_.receive(as_received(byte), line_baud, now_ms);
  if (!answer) return std::nullopt;
  ++answers_;
  Reply reply{answer->byte, 0};
  if (pacing_) reply.delay_us = static_cast<std::uint32_t>(std::lround(2000 * byte_time_ms(line_baud)));
  auto tell = [&](const std::string& what) {
    if (fault_log) fault_log("fault: answer " + std::to_string(answers_) + " " + what);
  };
  Drawn drawn = draw(answer->kind);
  switch (drawn.fault) {
    case Fault::none:
      break;
    case Fault::drop:
      tell("dropped");
      station_.answer_lost();
      return std::nullopt;
    case Fault::corrupt:
      reply.byte = damaged(*answer, drawn.bit);
      tell("corrupted");
      break;
    case Fault::late:
      reply.delay_us += static_cast<std::uint32_t>(late_delay_ms()) * 1000;
      tell("late by " + std::to_string(late_delay_ms()) + " ms");
      station_.answer_lost();
      break;
  }
  return reply;
}

}  // namespace sim
