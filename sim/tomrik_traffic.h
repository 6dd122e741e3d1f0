#pragma once
// Calls on a tomrik station, run by the station itself and told to the
// program as the event frames its polls are offered:
//
//   internal call   81 a, 85 a b, (81 b, 8B connection) or 87 b unanswered,
//                   82 for each party
//   city call in    83 l, 88 l, 86 l s, 81 s, 8B l+s; maybe 89 l s (held)
//                   and 8B again; 82 s and 84 l in either order
//   city call out   81 s, 83 l, 8B l+s, 8D s l n digits, then 82 s, 84 l
//                   (the program records the call at 84)
//   conference      two subscribers connected, a third joins: 8B with three
//
// A connection takes the lowest free speech channel (1..15) and carries it
// in the high half of its first byte. A subscriber, line or channel belongs
// to one call at a time, from its first event to its last, so the frames
// always tell a coherent story. The same seed gives the same calls.

#include <cstdint>
#include <random>
#include <vector>

#include "sim/station.h"

namespace sim {

class TomrikTraffic {
 public:
  TomrikTraffic(int lines, int subscribers, std::uint64_t seed);

  // The frames that come due while the traffic's own time runs on by
  // `elapsed_ms`, in the order they happen.
  std::vector<EventFrame> advance(std::uint64_t elapsed_ms);

  // Offers the frames to the station's polls. The traffic's time runs only
  // while the station has taken every frame offered before, so calls unfold
  // while a program watches them, and its clock times them as they happen.
  void feed(Station& station, std::uint64_t now_ms);

  // Calls under way.
  std::size_t calls() const { return calls_.size(); }

 private:
  struct Planned {
    std::uint64_t at;
    std::uint64_t order;
    EventFrame frame;
  };
  // What a call holds until its last frame has been told.
  struct Call {
    std::uint64_t ends = 0;
    std::vector<int> subscribers;
    std::vector<int> lines;
    int channel = 0;
  };
  // Writes one call's frames into the plan, each some time after the one
  // before.
  class Script {
   public:
    Script(TomrikTraffic& traffic, std::uint64_t start) : traffic_(traffic), at_(start) {}
    void after(std::uint64_t delay_ms, EventFrame frame);
    std::uint64_t at() const { return at_; }

   private:
    TomrikTraffic& traffic_;
    std::uint64_t at_;
  };

  int pick(int low, int high);  // inclusive
  int free_subscriber();        // 0 when none
  int free_line();
  int free_channel();

  void start_call();
  void internal_call(Call& call, bool answered);
  void city_call_in(Call& call);
  void city_call_out(Call& call);
  void conference(Call& call);
  void release_finished_calls();

  EventFrame connection(std::initializer_list<int> lines, std::initializer_list<int> subscribers, int channel) const;

  int lines_;
  int subscribers_;
  std::mt19937_64 random_;
  std::uint64_t now_ = 0;
  std::uint64_t next_call_ = 500;
  std::uint64_t order_ = 0;
  std::vector<Planned> plan_;  // by time, then by order
  std::vector<Call> calls_;
  std::vector<bool> subscriber_taken_, line_taken_, channel_taken_;
  bool fed_before_ = false;
  std::uint64_t last_feed_ms_ = 0;
};

}  // namespace sim
