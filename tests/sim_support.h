#pragma once
// Helpers for the station tests: play bytes at a station and collect what it
// answers, as a wire picture.

#include <cstdint>
#include <vector>

#include "sim/station.h"

namespace test {

constexpr int no_answer = -1;

// Sends the bytes one by one at `baud`, all at `now_ms`; each answer, or
// no_answer, in order.
inline std::vector<int> exchange(sim::Station& station, const std::vector<std::uint8_t>& bytes, int baud,
                                 std::uint64_t now_ms = 1000) {
  std::vector<int> answers;
  for (std::uint8_t b : bytes) {
    auto a = station.receive(b, baud, now_ms);
    answers.push_back(a ? a->byte : no_answer);
  }
  return answers;
}

// The check byte over a list of frame bytes.
inline std::uint8_t check_over(const std::vector<std::uint8_t>& bytes) {
  std::uint8_t sum = 0;
  for (std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
  return sim::check_byte(sum);
}

}  // namespace test
