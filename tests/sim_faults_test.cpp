// The simulator's faults reach every path: a corrupted answer may be any
// byte the station sends, a tomrik station may answer the first
// synchronisation byte with its idle 0x80, and only a program that gave up
// ends a frame, however long short of its time-out a loaded machine pauses
// it.
#include <gtest/gtest.h>

#include <bit>
#include <set>

#include "link/link.h"
#include "settings/program_profile.h"
#include "sim/karvel_station.h"
#include "sim/station_line.h"
#include "sim/storage_device.h"
#include "sim/tomrik_station.h"
#include "tests/link_wire.h"
#include "tests/sim_on_line.h"
#include "tests/sim_support.h"

namespace {

using test::check_over;
using test::exchange;
using V = std::vector<int>;

constexpr int fast = 57600;
constexpr int slow = 4800;

int bits_wrong(int got, int right) { return std::popcount(static_cast<unsigned>((got ^ right) & 0xFF)); }

// Sends the bytes through the line one by one at the given times; each
// answer or no_answer.
V through(sim::StationLine& line, const std::vector<std::uint8_t>& bytes, int baud, std::uint64_t start,
          std::uint64_t step = 0) {
  V answers;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    auto reply = line.on_byte(bytes[i], baud, start + step * i);
    answers.push_back(reply ? reply->byte : test::no_answer);
  }
  return answers;
}

TEST(CorruptFault, DamagesEveryKindOfAnswerByOneBitAndCheckBytesStayBelow0x80) {
  // A read of two bytes: acknowledgements, data bytes and the check byte.
  std::uint8_t check = check_over({0xBD, 0x00, 0x80, 0x02, 'K', 'A'});
  std::vector<std::uint8_t> frame = {0xBD, 0x00, 0x80, 0x02, 0xFF, check};
  sim::KarvelStation clean, damaged;
  V right = exchange(clean, frame, fast);
  sim::FaultPlan plan;
  plan.corrupt = 1;
  plan.seed = 5;
  sim::StationLine line(damaged, plan);
  V got = through(line, frame, fast, 1000);
  ASSERT_EQ(got.size(), right.size());
  for (std::size_t i = 0; i + 1 < got.size(); ++i) EXPECT_EQ(bits_wrong(got[i], right[i]), 1) << "answer " << i;
  EXPECT_EQ(got.back(), (right.back() + 1) & 0x7F);

  // Over many answers every bit of a byte is hit.
  std::set<int> bits;
  for (int i = 0; i < 400; ++i) {
    int echo = through(line, {0xBA}, fast, 5000 + i)[0];
    ASSERT_EQ(bits_wrong(echo, 0xBA), 1);
    bits.insert(std::countr_zero(static_cast<unsigned>(echo ^ 0xBA)));
  }
  EXPECT_EQ(bits.size(), 8u);
}

TEST(CorruptFault, TheStorageDeviceDamagesDataAndSumsButNeverLengths) {
  sim::StorageDevice device;
  device.store = {{1, 2, 3}};
  sim::FaultPlan plan;
  plan.corrupt = 1;
  plan.seed = 9;
  device.set_faults(plan);
  device.switch_on(true, 1000);
  // The device sends; each of its bytes is answered as the program would.
  std::vector<std::uint8_t> sent;
  for (std::uint8_t answer : {0xA6, 0xFF, 0xFF, 0xFF, 0xFF, 3 + 1 + 2 + 3, 0x00}) {
    auto b = device.next_byte(1000);
    ASSERT_TRUE(b);
    sent.push_back(*b);
    device.take(answer, 1000);
  }
  ASSERT_EQ(sent.size(), 7u);
  EXPECT_EQ(sent[0], sim::StorageDevice::ready_byte);
  EXPECT_EQ(sent[1], 3);  // the length
  for (int i = 0; i < 3; ++i) EXPECT_EQ(bits_wrong(sent[2 + i], 1 + i), 1) << "data byte " << i;
  EXPECT_EQ(sent[5], (3 + 1 + 2 + 3) ^ 0x5A);
  EXPECT_EQ(sent[6], 0);  // the end of the store
}

TEST(FrameGap, AHealthyFrameSurvivesAnyPauseShorterThanTheProgramsTimeOut) {
  // A loaded machine may hold the program between two bytes of a frame
  // whose answers all came in time: the frame goes on.
  sim::KarvelStation karvel;
  sim::StationLine karvel_line(karvel);
  std::uint8_t check = check_over({0xBD, 0x00, 0x80, 0x01, 'K'});
  EXPECT_EQ(through(karvel_line, {0xBD, 0x00, 0x80, 0x01, check}, fast, 1000, 198),
            (V{0xFF, 0xFF, 0xFF, 'K', check}));
  // One whole time-out of silence ends any frame: the program gave up.
  EXPECT_EQ(through(karvel_line, {0xBD, 0x00}, fast, 5000), (V{0xFF, 0xFF}));
  EXPECT_EQ(through(karvel_line, {0xBA}, fast, 5200), V{0xBA});

  sim::TomrikStation tomrik;
  sim::StationLine tomrik_line(tomrik);
  check = check_over({0xAA, 0x80, 0x01, 4, 'T', '4', '1', '6'});
  EXPECT_EQ(through(tomrik_line, {0xAA, 0x80, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, check}, slow, 1000, 49),
            (V{0xFF, 0xFF, 4, 'T', '4', '1', '6', check}));
  EXPECT_EQ(through(tomrik_line, {0xAA, 0x80}, slow, 5000), (V{0xFF, 0xFF}));
  EXPECT_EQ(through(tomrik_line, {0xAA, 0xAA}, slow, 5051), (V{0x80, 0xFF}));
}

TEST(FrameGap, AfterALostOrLateAnswerTheNextByteStartsANewFrameHoweverSoon) {
  for (sim::Fault fault : {sim::Fault::drop, sim::Fault::late}) {
    SCOPED_TRACE(static_cast<int>(fault));
    // tomrik: the answer to the group is lost; the program's next attempt
    // gets the idle answer, and the one after synchronises.
    sim::TomrikStation tomrik;
    sim::FaultPlan plan;
    plan.at_answer[2] = fault;
    sim::StationLine tomrik_line(tomrik, plan);
    through(tomrik_line, {0xAA, 0x80}, slow, 1000);
    EXPECT_EQ(through(tomrik_line, {0xAA, 0xAA}, slow, 1010), (V{0x80, 0xFF}));

    // karvel: the answer to the address low byte is lost; a new read that
    // follows at once is taken as a frame of its own, not as the rest of
    // the old one (the address would be 0xBD00).
    sim::KarvelStation karvel;
    sim::StationLine karvel_line(karvel, plan);
    through(karvel_line, {0xBD, 0x00}, fast, 1000);
    EXPECT_EQ(through(karvel_line, {0xBD, 0x00, 0x80, 0x01}, fast, 1010), (V{0xFF, 0xFF, 0xFF, 'K'}));
  }
}

TEST(IdleSync, TheFirstAttemptOfAFrameIsAnsweredIdleAndTheNextSynchronises) {
  sim::TomrikStation st;
  st.set_idle_sync(1.0, 7);
  std::uint8_t check = check_over({0xAA, 0x80, 0x01, 4, 'T', '4', '1', '6'});
  EXPECT_EQ(exchange(st, {0xAA, 0xAA, 0x80, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, check}, slow),
            (V{0x80, 0xFF, 0xFF, 4, 'T', '4', '1', '6', check}));
  // Never twice running, and a repeated attempt inside a frame is no first
  // byte.
  EXPECT_EQ(exchange(st, {0xA5, 0xA5, 0xA5}, slow), (V{0x80, 0xFF, 0xFF}));
  st.set_idle_sync(0, 7);
  sim::TomrikStation plain;
  EXPECT_EQ(exchange(plain, {0xAA}, slow), V{0xFF});
}

TEST(IdleSync, TheLinkReadsAndWritesThroughAStationThatAnswersIdleHalfTheTime) {
  platform::TestServices services;
  test::BoxWatcher boxes;
  test::UseKeys use_keys(boxes);
  use_program(tomrik_program);
  link_state = LinkState();
  test::StationOnLine<sim::TomrikStation> on_line;
  on_line.station.set_idle_sync(0.5, 3);
  on_line.plug_in();
  link_state.station_connected = 1;
  int failures = 0;
  for (int i = 0; i < 200; ++i) {
    int record[256] = {};
    failures += link_read_record(record, 0x80, 1) != link_ok;
    EXPECT_EQ(std::string(record + 1, record + 5), std::string("T416"));
    int written[256] = {4, 1 + i % 9, 2, 3, 4};
    failures += link_write_record(written, 0x05, 1) != link_ok;
    EXPECT_EQ(on_line.station.record(0x05, 1)->front(), 1 + i % 9);
  }
  EXPECT_EQ(failures, 0);
  auto& port = dynamic_cast<platform::LoopbackSerialPort&>(link_port());
  auto idle = std::count(port.record.received.begin(), port.record.received.end(), 0x80);
  // 600 frames: each write is read back.
  EXPECT_GT(idle, 225);
  EXPECT_LT(idle, 375);
  link_use_port(nullptr);
  link_state = LinkState();
  use_program(karvel_program);
}

}  // namespace
