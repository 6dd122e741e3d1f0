// The tomrik station's own calls: the frames fit their codes, name only the
// station's subscribers and lines, and tell a coherent story (a party is
// released only after it was taken, a connection's parties are off hook or
// seized, a channel serves one call at a time, a city call starts on a
// connected line); the same seed gives the same calls, and the traffic waits
// while nobody takes its frames.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "sim/tomrik_station.h"
#include "sim/tomrik_traffic.h"

namespace {

using sim::EventFrame;

// Follows the frames as the station's state and notes what does not fit.
class StoryCheck {
 public:
  StoryCheck(int lines, int subscribers) : lines_(lines), subscribers_(subscribers) {}

  void take(const EventFrame& f, std::uint64_t now) {
    ++seen_[f[0]];
    const int p1 = f.size() > 1 ? f[1] : 0, p2 = f.size() > 2 ? f[2] : 0;
    switch (f[0]) {
      case 0x81:
        expect(subscriber(p1) && !off_hook_.count(p1), "off hook twice", f);
        off_hook_[p1] = now;
        break;
      case 0x82:
        expect(off_hook_.count(p1) > 0, "on hook while on hook", f);
        if (off_hook_.count(p1)) longest_ = std::max(longest_, now - off_hook_[p1]);
        off_hook_.erase(p1);
        leave_connections(p1);
        break;
      case 0x83:
        expect(line(p1) && !seized_.count(p1), "line seized twice", f);
        seized_.insert(p1);
        break;
      case 0x84:
        expect(seized_.count(p1) > 0, "a free line released", f);
        seized_.erase(p1);
        leave_connections(100 + p1);
        break;
      case 0x85: expect(off_hook_.count(p1) && subscriber(p2) && !off_hook_.count(p2), "internal ringing", f); break;
      case 0x86: expect(seized_.count(p1) && subscriber(p2) && !off_hook_.count(p2), "city ringing", f); break;
      case 0x87: expect(subscriber(p1) && !off_hook_.count(p1), "stop ringing", f); break;
      case 0x88: expect(seized_.count(p1) > 0, "ring on a free line", f); break;
      case 0x89:
        expect(seized_.count(p1) && off_hook_.count(p2), "hold", f);
        leave_connections(p2);
        break;
      case 0x8B: connect(f); break;
      case 0x8D: {
        expect(f.size() == 4u + f[3], "digit count", f);
        const int channel = channel_of(p1);
        expect(channel && connections_[channel].count(100 + p2), "a call starts on a line not connected to it", f);
        for (std::size_t i = 4; i < f.size(); ++i) expect(f[i] >= 1 && f[i] <= 10, "digit code", f);
        break;
      }
      default: expect(false, "unknown code", f);
    }
  }

  std::vector<std::string> faults;
  std::map<int, int> seen_;
  std::uint64_t longest_ = 0;  // the longest a subscriber stayed off hook
  int conferences = 0;

 private:
  bool subscriber(int s) const { return s >= 1 && s <= subscribers_; }
  bool line(int l) const { return l >= 1 && l <= lines_; }
  void expect(bool ok, const char* what, const EventFrame& f) {
    if (ok) return;
    std::string text = what;
    for (int b : f) text += " " + std::to_string(b);
    faults.push_back(text);
  }
  int channel_of(int party) const {
    for (auto& [channel, parties] : connections_)
      if (parties.count(party)) return channel;
    return 0;
  }
  void leave_connections(int party) {
    for (auto it = connections_.begin(); it != connections_.end();) {
      it->second.erase(party);
      it = it->second.size() < 2 ? connections_.erase(it) : std::next(it);
    }
  }
  void connect(const EventFrame& f) {
    const int channel = f[1] >> 4;
    std::set<int> parties;
    for (int l = 1; l <= 4; ++l)
      if (f[1] & (1 << (l - 1))) parties.insert(100 + l);
    for (int s = 1; s <= 16; ++s)
      if ((s <= 8 ? f[2] : f[3]) & (1 << ((s - 1) % 8))) parties.insert(s);
    expect(channel >= 1 && parties.size() >= 2, "connection", f);
    for (int p : parties) expect(p > 100 ? seized_.count(p - 100) > 0 : off_hook_.count(p) > 0, "party not taken", f);
    auto used = connections_.find(channel);
    if (used != connections_.end()) {
      bool same_call = false;
      for (int p : parties) same_call |= used->second.count(p) > 0;
      expect(same_call, "a channel serves two calls", f);
    }
    for (int p : parties) leave_connections(p);
    connections_[channel] = parties;
    if (parties.size() > 2) ++conferences;
  }

  int lines_, subscribers_;
  std::map<int, std::uint64_t> off_hook_;
  std::set<int> seized_;
  std::map<int, std::set<int>> connections_;  // channel: parties (a line as 100 + line)
};

std::vector<EventFrame> frames_of(sim::TomrikTraffic& traffic, std::uint64_t minutes) {
  std::vector<EventFrame> all;
  for (std::uint64_t t = 0; t < minutes * 60000; t += 50)
    for (EventFrame& f : traffic.advance(50)) all.push_back(std::move(f));
  return all;
}

TEST(TomrikTraffic, HalfAnHourOfCallsTellsACoherentStory) {
  for (std::uint64_t seed : {1, 2, 77}) {
    sim::TomrikTraffic traffic(4, 16, seed);
    sim::TomrikStation station;
    StoryCheck story(4, 16);
    std::uint64_t now = 0;
    for (int step = 0; step < 30 * 60 * 20; ++step, now += 50) {
      for (const EventFrame& f : traffic.advance(50)) {
        std::string why;
        EXPECT_TRUE(station.queue_event(f, 0, &why)) << why;
        story.take(f, now);
      }
      EXPECT_LE(traffic.calls(), 3u);
    }
    for (const std::string& fault : story.faults) ADD_FAILURE() << "seed " << seed << ": " << fault;
    EXPECT_GE(story.seen_[0x8D], 10) << seed;  // city calls out, with their numbers
    EXPECT_GE(story.seen_[0x86], 10) << seed;  // and in
    EXPECT_GE(story.seen_[0x85], 5) << seed;
    EXPECT_GE(story.seen_[0x87], 1) << seed;
    EXPECT_GE(story.seen_[0x89], 1) << seed;
    EXPECT_GE(story.conferences, 1) << seed;
    EXPECT_LE(story.longest_, 60000u) << seed;
  }
}

TEST(TomrikTraffic, TheStationsCountsBoundEveryNumber) {
  sim::TomrikTraffic traffic(2, 5, 3);
  StoryCheck story(2, 5);
  std::uint64_t now = 0;
  for (const EventFrame& f : frames_of(traffic, 20)) story.take(f, now += 50);
  for (const std::string& fault : story.faults) ADD_FAILURE() << fault;
  EXPECT_GE(story.seen_[0x8D], 5);
}

TEST(TomrikTraffic, TheSameSeedGivesTheSameCalls) {
  sim::TomrikTraffic a(4, 16, 9), b(4, 16, 9), c(4, 16, 10);
  std::vector<EventFrame> first = frames_of(a, 5), again = frames_of(b, 5), other = frames_of(c, 5);
  EXPECT_GT(first.size(), 50u);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
}

TEST(TomrikTraffic, TheCallsWaitWhileNobodyTakesTheirFrames) {
  sim::TomrikStation station;
  sim::TomrikTraffic traffic(4, 16, 1);
  for (std::uint64_t now = 0; now < 10 * 60000; now += 50) traffic.feed(station, now);
  // Only the first call's first frame came; the rest waits its turn.
  EXPECT_EQ(station.events_waiting(), 1u);
  EXPECT_EQ(traffic.calls(), 1u);
  EXPECT_EQ(station.refused_live_events(), 0);
}

}  // namespace
