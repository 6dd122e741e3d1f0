#include "sim/tomrik_traffic.h"

#include <algorithm>

#include "facts/events.h"

namespace sim {
namespace {

// The event codes of a tomrik station.
using namespace facts::tomrik_event;
constexpr int internal_ringing = internal_call, city_ringing = city_call, line_held = line_on_hold;
constexpr int connected = connection;

constexpr int max_channel = 15;     // the high half of a byte
constexpr std::size_t max_calls = 3;  // under way at once

std::uint8_t byte(int value) { return static_cast<std::uint8_t>(value); }

// Takes the first free one of numbers 1..count, looking from `start` on
// (0-based) and round; 0 when all are taken.
int take_free(std::vector<bool>& taken, int count, int start) {
  for (int i = 0; i < count; ++i) {
    int n = 1 + (start + i) % count;
    if (!taken[n]) {
      taken[n] = true;
      return n;
    }
  }
  return 0;
}

// A dialled digit as its code: 10 for "0".
std::uint8_t digit_code(int digit) { return byte(digit == 0 ? 10 : digit); }

}  // namespace

TomrikTraffic::TomrikTraffic(int lines, int subscribers, std::uint64_t seed)
    : lines_(std::clamp(lines, 0, facts::tomrik_max_lines)),
      subscribers_(std::clamp(subscribers, 0, facts::tomrik_max_subscribers)),
      random_(seed),
      subscriber_taken_(subscribers_ + 1, false),
      line_taken_(lines_ + 1, false),
      channel_taken_(max_channel + 1, false) {}

void TomrikTraffic::Script::after(std::uint64_t delay_ms, EventFrame frame) {
  at_ += delay_ms;
  traffic_.plan_.push_back({at_, traffic_.order_++, std::move(frame)});
}

int TomrikTraffic::pick(int low, int high) {
  return low + static_cast<int>(random_() % static_cast<std::uint64_t>(high - low + 1));
}

int TomrikTraffic::free_subscriber() { return subscribers_ ? take_free(subscriber_taken_, subscribers_, pick(0, subscribers_ - 1)) : 0; }
int TomrikTraffic::free_line() { return lines_ ? take_free(line_taken_, lines_, pick(0, lines_ - 1)) : 0; }

// The lowest free channel, as a station hands them out.
int TomrikTraffic::free_channel() {
  for (int c = 1; c <= max_channel; ++c) {
    if (!channel_taken_[c]) {
      channel_taken_[c] = true;
      return c;
    }
  }
  return 0;
}

EventFrame TomrikTraffic::connection(std::initializer_list<int> lines, std::initializer_list<int> subscribers,
                                     int channel) const {
  int p1 = channel << 4, low = 0, high = 0;
  for (int l : lines) p1 |= 1 << (l - 1);
  for (int s : subscribers) (s <= 8 ? low : high) |= 1 << ((s - 1) % 8);
  return {connected, byte(p1), byte(low), byte(high)};
}

void TomrikTraffic::internal_call(Call& call, bool answered) {
  const int a = call.subscribers[0], b = call.subscribers[1];
  Script s(*this, now_);
  s.after(0, {off_hook, byte(a)});
  s.after(pick(1000, 2500), {internal_ringing, byte(a), byte(b)});
  if (!answered) {
    s.after(pick(4000, 8000), {stop_ringing, byte(b)});
    s.after(pick(200, 800), {on_hook, byte(a)});
  } else {
    s.after(pick(2000, 5000), {off_hook, byte(b)});
    s.after(pick(100, 300), connection({}, {a, b}, call.channel));
    const int first = pick(0, 1) ? a : b;
    s.after(pick(4000, 20000), {on_hook, byte(first)});
    s.after(pick(300, 1500), {on_hook, byte(first == a ? b : a)});
  }
  call.ends = s.at() + 1;
}

void TomrikTraffic::city_call_in(Call& call) {
  const int l = call.lines[0], sub = call.subscribers[0];
  Script s(*this, now_);
  s.after(0, {line_seized, byte(l)});
  s.after(pick(200, 600), {ring_from_city, byte(l)});
  s.after(pick(100, 300), {city_ringing, byte(l), byte(sub)});
  s.after(pick(2000, 5000), {off_hook, byte(sub)});
  s.after(pick(100, 300), connection({l}, {sub}, call.channel));
  if (pick(0, 3) == 0) {  // the subscriber holds the line a while
    s.after(pick(3000, 8000), {line_held, byte(l), byte(sub)});
    s.after(pick(3000, 6000), connection({l}, {sub}, call.channel));
  }
  const bool caller_first = pick(0, 1);
  s.after(pick(4000, 20000), caller_first ? EventFrame{line_released, byte(l)} : EventFrame{on_hook, byte(sub)});
  s.after(pick(300, 1500), caller_first ? EventFrame{on_hook, byte(sub)} : EventFrame{line_released, byte(l)});
  call.ends = s.at() + 1;
}

// A city number: "8" and ten digits for long distance, else seven.
void TomrikTraffic::city_call_out(Call& call) {
  const int l = call.lines[0], sub = call.subscribers[0];
  EventFrame start = {city_call_starts, byte(sub), byte(l), 0};
  const bool long_distance = pick(0, 2) == 0;
  if (long_distance) start.push_back(digit_code(8));
  const int digits = long_distance ? 10 : 7;
  start.push_back(digit_code(pick(2, 9)));
  for (int i = 1; i < digits; ++i) start.push_back(digit_code(pick(0, 9)));
  start[3] = byte(static_cast<int>(start.size()) - 4);
  Script s(*this, now_);
  s.after(0, {off_hook, byte(sub)});
  s.after(pick(800, 2000), {line_seized, byte(l)});
  s.after(pick(200, 500), connection({l}, {sub}, call.channel));
  s.after(pick(3000, 6000), std::move(start));
  s.after(pick(5000, 25000), {on_hook, byte(sub)});
  s.after(pick(200, 800), {line_released, byte(l)});
  call.ends = s.at() + 1;
}

void TomrikTraffic::conference(Call& call) {
  const int a = call.subscribers[0], b = call.subscribers[1], c = call.subscribers[2];
  Script s(*this, now_);
  s.after(0, {off_hook, byte(a)});
  s.after(pick(1000, 2000), {internal_ringing, byte(a), byte(b)});
  s.after(pick(2000, 4000), {off_hook, byte(b)});
  s.after(pick(100, 300), connection({}, {a, b}, call.channel));
  s.after(pick(3000, 6000), {off_hook, byte(c)});
  s.after(pick(1000, 2000), connection({}, {a, b, c}, call.channel));
  s.after(pick(5000, 15000), {on_hook, byte(c)});
  s.after(pick(300, 1000), {on_hook, byte(b)});
  s.after(pick(300, 1000), {on_hook, byte(a)});
  call.ends = s.at() + 1;
}

void TomrikTraffic::start_call() {
  enum Kind { out, in, internal, unanswered, three } kind;
  const int roll = pick(1, 100);
  kind = roll <= 35 ? out : roll <= 65 ? in : roll <= 85 ? internal : roll <= 95 ? unanswered : three;
  const int subscribers_needed = kind == three ? 3 : kind == internal || kind == unanswered ? 2 : 1;
  const int lines_needed = kind == out || kind == in ? 1 : 0;

  Call call;
  for (int i = 0; i < subscribers_needed; ++i)
    if (int s = free_subscriber()) call.subscribers.push_back(s);
  for (int i = 0; i < lines_needed; ++i)
    if (int l = free_line()) call.lines.push_back(l);
  if (kind != unanswered) call.channel = free_channel();
  const bool complete = static_cast<int>(call.subscribers.size()) == subscribers_needed &&
                        static_cast<int>(call.lines.size()) == lines_needed && (kind == unanswered || call.channel);
  if (!complete) {  // the station is too busy for this call: give its parties back
    for (int s : call.subscribers) subscriber_taken_[s] = false;
    for (int l : call.lines) line_taken_[l] = false;
    channel_taken_[call.channel] = false;
    return;
  }
  switch (kind) {
    case out: city_call_out(call); break;
    case in: city_call_in(call); break;
    case internal: internal_call(call, true); break;
    case unanswered: internal_call(call, false); break;
    case three: conference(call); break;
  }
  std::stable_sort(plan_.begin(), plan_.end(),
                   [](const Planned& x, const Planned& y) { return x.at != y.at ? x.at < y.at : x.order < y.order; });
  calls_.push_back(std::move(call));
}

void TomrikTraffic::release_finished_calls() {
  for (auto it = calls_.begin(); it != calls_.end();) {
    if (it->ends > now_) {
      ++it;
      continue;
    }
    for (int s : it->subscribers) subscriber_taken_[s] = false;
    for (int l : it->lines) line_taken_[l] = false;
    channel_taken_[it->channel] = false;
    it = calls_.erase(it);
  }
}

std::vector<EventFrame> TomrikTraffic::advance(std::uint64_t elapsed_ms) {
  std::vector<EventFrame> due;
  const std::uint64_t until = now_ + elapsed_ms;
  for (;;) {
    const bool planned_first = !plan_.empty() && plan_.front().at <= next_call_;
    const std::uint64_t next = planned_first ? plan_.front().at : next_call_;
    if (next > until) break;
    now_ = next;
    release_finished_calls();
    if (planned_first) {
      due.push_back(std::move(plan_.front().frame));
      plan_.erase(plan_.begin());
    } else {
      if (calls_.size() < max_calls) start_call();
      next_call_ = now_ + pick(1000, 4000);
    }
  }
  now_ = until;
  release_finished_calls();
  return due;
}

void TomrikTraffic::feed(Station& station, std::uint64_t now_ms) {
  const std::uint64_t elapsed = fed_before_ ? now_ms - last_feed_ms_ : 0;
  fed_before_ = true;
  last_feed_ms_ = now_ms;
  if (station.events_waiting() > 0) return;
  for (const EventFrame& frame : advance(elapsed)) station.queue_live_event(frame);
}

}  // namespace sim
