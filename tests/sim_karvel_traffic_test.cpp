// The live karvel station: its traffic keeps the state memory and the event
// stream telling one story, whatever the seed and however often it is
// looked at, and the computer's key frames dial on its first port.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "sim/karvel_station.h"
#include "sim/karvel_traffic.h"
#include "tests/sim_support.h"

namespace {

using Memory = sim::KarvelTraffic::Memory;

constexpr int ports = 24, lines = 4, first_line_block = 33, channel_rows = 4;

// The default station's configuration window, for a traffic of its own.
Memory default_station_memory() {
  sim::KarvelStation station;
  Memory memory{};
  for (int a = 0x8000; a <= 0xFFFF; ++a) memory[a] = station.peek(static_cast<std::uint16_t>(a));
  return memory;
}

int port_byte(const Memory& m, int p, int i) { return m[256 * p + i]; }
int line_byte(const Memory& m, int line, int i) { return m[256 * (first_line_block + line - 1) + i]; }
int channel_byte(const Memory& m, int j, int i) { return m[0x3007 + 256 * j + i]; }

// The channel a port or line block number stands on, by its own state block.
int channel_of(const Memory& m, int member) { return m[256 * member + 3]; }

// Checks one event against the state memory at the moment it is given.
// Returns what is wrong, or "".
std::string contradiction(const Memory& m, const sim::EventFrame& e) {
  auto fail = [&](const std::string& what) { return sim::hex_bytes(e.data(), e.size()) + ": " + what; };
  const int a = e.size() > 1 ? e[1] : 0, b = e.size() > 2 ? e[2] : 0;
  switch (e[0]) {
    case 0x81:
      if (port_byte(m, a, 2) < 0x40 || !(port_byte(m, a, 0) & 1)) return fail("the port is not off hook");
      break;
    case 0x82:
      if (port_byte(m, a, 2) != 0 || port_byte(m, a, 3) != 0) return fail("the port is not idle");
      break;
    case 0x83:
      if (line_byte(m, a, 2) == 0) return fail("the line is idle");
      break;
    case 0x84:
      if (line_byte(m, a, 2) != 0 || line_byte(m, a, 0) != 0) return fail("the line is not idle");
      break;
    case 0x85:
      if ((port_byte(m, a, 2) != 0x44 && port_byte(m, a, 2) != 0x45) || port_byte(m, a, 4) != b)
        return fail("the caller is not calling that port");
      break;
    case 0x86:
      if (port_byte(m, b, 2) != 0x04 || line_byte(m, a, 4) != b) return fail("the port is not rung by the line");
      break;
    case 0x88:
      if (line_byte(m, a, 2) != 1) return fail("the line is not ringing");
      break;
    case 0x89:
      if (line_byte(m, a, 2) != 4 || port_byte(m, b, 2) != 0x5C) return fail("the line is not held by the port");
      break;
    case 0x8A:
      if (port_byte(m, a, 2) != 0x4D || port_byte(m, b, 5) != a) return fail("the port is not held");
      break;
    case 0x8B: {
      const int j = a;
      if (j < 1 || j > channel_rows) return fail("no such channel");
      for (int i = 1; i <= 6; ++i) {
        if (channel_byte(m, j, i) != e[1 + i]) return fail("the channel block names other members");
        // A port named in a connection shows that connection in its state block.
        if (e[1 + i] && channel_of(m, e[1 + i]) != j) return fail("a member's state block shows another channel");
      }
      break;
    }
    case 0x8C:
      if (port_byte(m, a, 2) != 0x42) return fail("the port is not in clear-down");
      break;
    case 0x8D:
      if (line_byte(m, a, 2) != 24) return fail("the line is not clearing down");
      break;
    case 0x90:
      if (m[0x3900] != 0) return fail("a SELECTOR leader is still there");
      break;
    case 0x91:
      if (m[0x3900] != a || port_byte(m, a, 2) != 0x5F) return fail("the port does not lead SELECTOR mode");
      break;
    case 0x92:
    case 0x93: {
      bool registered = false;
      for (int i = 2; i < 8; ++i) registered = registered || m[0x3900 + i] == a;
      if (registered != (e[0] == 0x93)) return fail("the registration list disagrees");
      break;
    }
  }
  // Every member of a channel shows the channel in its own state block.
  for (int j = 1; j <= channel_rows; ++j)
    for (int i = 1; i <= 7 && channel_byte(m, j, i); ++i)
      if (channel_of(m, channel_byte(m, j, i)) != j) return fail("channel " + std::to_string(j) + " lists a member elsewhere");
  return "";
}

struct TrafficRun {
  Memory memory = default_station_memory();
  std::vector<sim::EventFrame> events;
  std::vector<std::string> faults;
  sim::KarvelTraffic traffic{memory, [this](const sim::EventFrame& e) {
                               events.push_back(e);
                               std::string wrong = contradiction(memory, e);
                               if (!wrong.empty()) faults.push_back(wrong);
                             }};
  void run(std::uint64_t seed, std::uint64_t from, std::uint64_t to, std::uint64_t step) {
    traffic.start(seed, from);
    for (std::uint64_t t = from; t <= to; t += step) traffic.advance_to(t);
  }
  bool state_equals(const TrafficRun& other) const {
    return std::equal(memory.begin(), memory.begin() + 0x8000, other.memory.begin());
  }
};

constexpr std::uint64_t start_ms = 1000000;
constexpr std::uint64_t ten_minutes = 600000;

TEST(KarvelTraffic, StateMemoryAndEventsTellOneStoryForManySeeds) {
  for (std::uint64_t seed : {1u, 7u, 42u, 2024u}) {
    TrafficRun run;
    run.run(seed, start_ms, start_ms + ten_minutes, 10);
    EXPECT_TRUE(run.faults.empty()) << "seed " << seed << ": " << run.faults.size() << " contradictions, first "
                                    << run.faults.front();
    std::map<int, int> codes;
    for (const auto& e : run.events) ++codes[e[0]];
    // The station announces its counts first.
    ASSERT_GE(run.events.size(), 2u);
    EXPECT_EQ(run.events[0], (sim::EventFrame{0x8E, ports}));
    EXPECT_EQ(run.events[1], (sim::EventFrame{0x8F, lines}));
    // Ten minutes of a working station show every kind of call.
    for (int code : {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x8B, 0x8C, 0x8D, 0x90, 0x91, 0x92, 0x93})
      EXPECT_GT(codes[code], 0) << "seed " << seed << " never gave event " << std::hex << code;
    EXPECT_GT(codes[0x89] + codes[0x8A], 0) << "seed " << seed << ": nobody was ever held";
  }
}

// Only the station's own ports and lines in service take part, the
// computer's telephone is left alone, and nothing is written past the state
// of 24 ports, 4 lines, 4 channels, the SELECTOR and the board.
TEST(KarvelTraffic, KeepsToItsStationsPortsLinesAndChannelsInService) {
  TrafficRun run;
  run.memory[0x8000 + 256 * 7] = 0;                       // port 7
  run.memory[0x8000 + 256 * (first_line_block + 1)] = 0;  // line 2
  run.run(3, start_ms, start_ms + ten_minutes, 10);
  for (const auto& e : run.events) {
    if (e[0] == 0x81 || e[0] == 0x82 || e[0] == 0x85) {
      EXPECT_TRUE(e[1] >= 2 && e[1] <= ports && e[1] != 7) << sim::hex_bytes(e.data(), e.size());
    }
    if (e[0] == 0x83 || e[0] == 0x84 || e[0] == 0x86 || e[0] == 0x88) {
      EXPECT_TRUE(e[1] >= 1 && e[1] <= lines && e[1] != 2) << sim::hex_bytes(e.data(), e.size());
    }
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(run.memory[256 * 7 + i], 0);
  for (int a = 256 * 25; a < 256 * first_line_block; ++a) EXPECT_EQ(run.memory[a], 0) << std::hex << a;
  for (int a = 0x3007 + 256 * 5; a < 0x3900; ++a) EXPECT_EQ(run.memory[a], 0) << std::hex << a;
}

TEST(KarvelTraffic, TheSameSeedGivesTheSameStationHoweverOftenItIsLookedAt) {
  TrafficRun often, seldom, other;
  often.run(11, start_ms, start_ms + 120000, 7);
  seldom.run(11, start_ms, start_ms + 120000, 4000);
  other.run(12, start_ms, start_ms + 120000, 4000);
  EXPECT_TRUE(often.state_equals(seldom));
  EXPECT_EQ(often.events, seldom.events);
  EXPECT_NE(often.events, other.events);
}

// ------------------------------------------------------------ on the line

using test::check_over;
using test::exchange;
constexpr int fast = 57600;

// A key frame of the event log view, and the poll that fetches one event.
std::vector<int> key_frame(sim::Station& st, std::uint8_t code, std::uint64_t now) {
  return exchange(st, {0x81, code, check_over({0x81, code})}, fast, now);
}
sim::EventFrame poll_event(sim::KarvelStation& st, std::uint64_t now) {
  auto first = st.receive(0x80, fast, now);
  if (!first || first->byte == 0x80) return {};
  sim::EventFrame frame{first->byte};
  for (int i = 0; i < st.further_bytes(frame); ++i) frame.push_back(st.receive(0xFF, fast, now)->byte);
  st.receive(check_over(frame), fast, now);
  return frame;
}
std::vector<sim::EventFrame> poll_all(sim::KarvelStation& st, std::uint64_t now) {
  std::vector<sim::EventFrame> events;
  for (sim::EventFrame e = poll_event(st, now); !e.empty(); e = poll_event(st, now)) events.push_back(e);
  return events;
}

TEST(KarvelLiveStation, KeyFramesDialOnTheComputersTelephone) {
  sim::KarvelStation st;
  st.start_traffic(9, start_ms);
  // Before its first call of its own: lift, then dial 102 (port 2).
  for (std::uint8_t code : {0x20, 0x11, 0x1A, 0x12}) key_frame(st, code, start_ms);
  EXPECT_EQ(poll_all(st, start_ms), (std::vector<sim::EventFrame>{
                                        {0x8E, ports}, {0x8F, lines}, {0x81, 1}, {0x85, 1, 2}}));
  EXPECT_EQ(st.peek(0x0100 + 2), 0x44);  // port 1 calls
  EXPECT_EQ(st.peek(0x0200 + 2), 0x03);  // port 2 rings
  EXPECT_EQ(st.peek(0x0200 + 0), 0x02);
}

TEST(KarvelLiveStation, ADigitAloneLiftsAndAWrongNumberEndsInADiallingError) {
  sim::KarvelStation st;
  st.start_traffic(9, start_ms);
  poll_all(st, start_ms);
  key_frame(st, 0x15, start_ms);  // "5": no number starts so
  EXPECT_EQ(poll_all(st, start_ms), (std::vector<sim::EventFrame>{{0x81, 1}}));
  EXPECT_EQ(st.peek(0x0100 + 2), 0x4E);
  key_frame(st, 0x19, start_ms);  // ignored after the error
  // Two seconds later the computer's telephone is put down again.
  std::vector<sim::EventFrame> later = poll_all(st, start_ms + 2000);
  EXPECT_NE(std::find(later.begin(), later.end(), sim::EventFrame{0x82, 1}), later.end());
  EXPECT_EQ(st.peek(0x0100 + 2), 0x00);
}

TEST(KarvelLiveStation, CityLineDialledWithZeroIsTaken) {
  sim::KarvelStation st;
  st.start_traffic(9, start_ms);
  poll_all(st, start_ms);
  for (std::uint8_t code : {0x20, 0x1A, 0x13}) key_frame(st, code, start_ms);  // F3: line 3
  EXPECT_EQ(poll_all(st, start_ms), (std::vector<sim::EventFrame>{{0x81, 1}, {0x83, 3}}));
  EXPECT_EQ(st.peek(256 * (first_line_block + 2) + 4), 1);  // the line's subscriber is port 1
}

TEST(KarvelLiveStation, EventsNobodyPollsForAreKeptToTheNewest) {
  sim::KarvelStation st;
  st.start_traffic(4, start_ms);
  // An hour of traffic without a poll, looked at now and then by the line test.
  for (std::uint64_t t = start_ms; t <= start_ms + 3600000; t += 1000) exchange(st, {0xBA}, fast, t);
  EXPECT_EQ(st.events_waiting(), sim::KarvelStation::live_events_kept);
  EXPECT_EQ(st.refused_live_events(), 0);  // every event the traffic made fits its code
}

TEST(KarvelLiveStation, WithoutTrafficTheStationStaysStillAndKeysMoveNothing) {
  sim::KarvelStation st;
  key_frame(st, 0x20, start_ms);
  key_frame(st, 0x15, start_ms);
  EXPECT_EQ(st.events_waiting(), 0u);
  for (int a = 0; a < 0x8000; ++a) ASSERT_EQ(st.peek(static_cast<std::uint16_t>(a)), 0) << a;
}

}  // namespace
