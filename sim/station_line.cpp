#include "station_line.h"

#include <cmath>

namespace sim {

double byte_time_ms(int baud) { return baud > 0 ? 10000.0 / baud : 0; }

StationLine::StationLine(Station& station, FaultPlan plan) : station_(station) { set_faults(plan); }

void StationLine::set_faults(const FaultPlan& plan) {
  plan_ = plan;
  rng_ = plan.seed ? plan.seed : 1;
}

int StationLine::late_delay_ms() const { return station_.program_timeout_ms() * 3 / 2; }

// xorshift64*: small, fast, and the same on every system.
double StationLine::next_unit() {
  rng_ ^= rng_ >> 12;
  rng_ ^= rng_ << 25;
  rng_ ^= rng_ >> 27;
  return static_cast<double>((rng_ * 0x2545F4914F6CDD1DULL) >> 11) * 0x1.0p-53;
}

Fault StationLine::draw(AnswerKind kind) {
  // Three draws for every answer, whatever they decide, so that one
  // probability does not shift the faults the others pick.
  double drop = next_unit(), corrupt = next_unit(), late = next_unit();
  auto planned = plan_.at_answer.find(answers_);
  if (planned != plan_.at_answer.end()) return planned->second;
  if (drop < plan_.drop) return Fault::drop;
  if (kind == AnswerKind::check && corrupt < plan_.corrupt) return Fault::corrupt;
  if (late < plan_.late) return Fault::late;
  return Fault::none;
}

std::optional<platform::LinePeer::Reply> StationLine::on_byte(std::uint8_t byte, int line_baud, std::uint64_t now_ms) {
  std::optional<Answer> answer = station_.receive(byte, line_baud, now_ms);
  if (!answer) return std::nullopt;
  ++answers_;
  Reply reply{answer->byte, 0};
  if (pacing_) reply.delay_us = static_cast<std::uint32_t>(std::lround(2000 * byte_time_ms(line_baud)));
  auto tell = [&](const std::string& what) {
    if (fault_log) fault_log("fault: answer " + std::to_string(answers_) + " " + what);
  };
  switch (draw(answer->kind)) {
    case Fault::none:
      break;
    case Fault::drop:
      tell("dropped");
      return std::nullopt;
    case Fault::corrupt:
      // A corrupted check byte stays a plausible check byte, just the wrong one.
      reply.byte = answer->kind == AnswerKind::check ? static_cast<std::uint8_t>((reply.byte + 1) & 0x7F)
                                                     : static_cast<std::uint8_t>(reply.byte ^ 0x01);
      tell("corrupted");
      break;
    case Fault::late:
      reply.delay_us += static_cast<std::uint32_t>(late_delay_ms()) * 1000;
      tell("late by " + std::to_string(late_delay_ms()) + " ms");
      break;
  }
  return reply;
}

}  // namespace sim
