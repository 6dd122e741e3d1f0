#include <gtest/gtest.h>

#include "sim/event_script.h"
#include "sim/karvel_station.h"
#include "sim/station_line.h"
#include "sim/tomrik_station.h"
#include "tests/sim_support.h"

namespace {

// Runs `count` line tests through the line; how many answers came, and
// how many of them late.
struct Tally {
  int answered = 0, late = 0;
};
Tally line_tests(sim::StationLine& line, int count) {
  Tally t;
  for (int i = 0; i < count; ++i) {
    auto r = line.on_byte(0xBA, 57600, 1000 + 1000 * i);
    if (!r) continue;
    ++t.answered;
    if (r->delay_us > 0) ++t.late;
  }
  return t;
}

TEST(StationLine, FaultProbabilitiesAreHonouredAndRepeatableBySeed) {
  sim::KarvelStation a, b;
  sim::FaultPlan plan;
  plan.drop = 0.3;
  plan.late = 0.2;
  plan.seed = 42;
  sim::StationLine la(a, plan), lb(b, plan);
  Tally ta = line_tests(la, 2000), tb = line_tests(lb, 2000);
  EXPECT_EQ(ta.answered, tb.answered);
  EXPECT_EQ(ta.late, tb.late);
  EXPECT_NEAR(ta.answered, 1400, 100);
  EXPECT_NEAR(ta.late, 0.2 * 1400, 60);
  plan.seed = 43;
  la.set_faults(plan);
  EXPECT_NE(line_tests(la, 2000).answered, ta.answered);
}

TEST(StationLine, CheckCorruptionTouchesOnlyCheckBytesAndLateWaitsPastTheTimeOut) {
  sim::KarvelStation st;
  sim::FaultPlan plan;
  plan.corrupt_checks = 1;
  sim::StationLine line(st, plan);
  std::uint8_t check = test::check_over({0xBD, 0x00, 0x80, 0x01, 'K'});
  std::vector<int> got;
  for (std::uint8_t b : std::vector<std::uint8_t>{0xBD, 0x00, 0x80, 0x01, check}) got.push_back(line.on_byte(b, 57600, 1000)->byte);
  EXPECT_EQ(got, (std::vector<int>{0xFF, 0xFF, 0xFF, 'K', (check + 1) & 0x7F}));

  plan = {};
  plan.late = 1;
  line.set_faults(plan);
  EXPECT_EQ(line.on_byte(0xBA, 57600, 2000)->delay_us, 300000u);  // 200 ms and half again
  sim::TomrikStation tomrik;
  sim::StationLine slow(tomrik, plan);
  EXPECT_EQ(slow.on_byte(0xAA, 4800, 2000)->delay_us, 76000u);  // past 51 ms
}

TEST(StationLine, PlannedFaultHitsExactlyTheNumberedAnswer) {
  sim::KarvelStation st;
  sim::FaultPlan plan;
  plan.at_answer = {{2, sim::Fault::drop}, {3, sim::Fault::corrupt}};
  sim::StationLine line(st, plan);
  EXPECT_TRUE(line.on_byte(0xBD, 57600, 1000).has_value());
  EXPECT_FALSE(line.on_byte(0x00, 57600, 1000).has_value());
  // The program gave up on the lost answer and starts a new read.
  EXPECT_EQ(line.on_byte(0xBD, 57600, 1000)->byte, 0xFE);  // an acknowledgement gone wrong
  EXPECT_EQ(line.answers(), 3u);
}

TEST(StationLine, PacingDelaysByTheWireTimeOfByteAndAnswer) {
  sim::KarvelStation st;
  sim::StationLine line(st);
  line.set_pacing(true);
  EXPECT_EQ(line.on_byte(0xBA, 57600, 1000)->delay_us, 347u);  // 2 x 10 bits at 57600
  st.set_baud(9600);
  EXPECT_EQ(line.on_byte(0xBA, 9600, 1000)->delay_us, 2083u);
}

TEST(EventScript, ParsesDelaysCommentsAndRejectsBadLinesWithTheirNumber) {
  std::vector<sim::ScriptedEvent> events;
  std::string error;
  ASSERT_TRUE(sim::parse_event_script("# calls\n81 05\n\n+250 0x85 1 0B  # answered\n", events, error));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].after_ms, 250u);
  EXPECT_EQ(events[1].frame, (sim::EventFrame{0x85, 0x01, 0x0B}));

  sim::KarvelStation st;
  ASSERT_TRUE(sim::schedule_events(st, events, 10000, error));
  EXPECT_EQ(test::exchange(st, {0x80, 0xFF, 0x31}, 57600, 10000), (std::vector<int>{0x81, 0x05, 0x31}));
  EXPECT_EQ(test::exchange(st, {0x80}, 57600, 10249), std::vector<int>{0x80});
  EXPECT_EQ(test::exchange(st, {0x80}, 57600, 10250), std::vector<int>{0x85});

  struct Bad {
    const char* text;
    const char* where;
  };
  for (Bad bad : {Bad{"81 05\n81 5G\n", "line 2"}, Bad{"81 05\n+x 81 05\n", "line 2"}, Bad{"+100\n", "line 1"},
                  Bad{"81 123\n", "line 1"}}) {
    events.clear();
    EXPECT_FALSE(sim::parse_event_script(bad.text, events, error)) << bad.text;
    EXPECT_EQ(error.rfind(bad.where, 0), 0u) << error;
  }
  events.clear();
  ASSERT_TRUE(sim::parse_event_script("81 05\n81\n", events, error));
  EXPECT_FALSE(sim::schedule_events(st, events, 0, error));
  EXPECT_NE(error.find("line 2"), std::string::npos);
}

}  // namespace
