// tomrik's record frames: the synchronisation prelude, then the record.
#include <gtest/gtest.h>

#include <memory>

#include "settings/program_profile.h"
#include "tests/link_wire.h"

namespace {

using test::silent;
using test::Step;

struct Records : test::ScriptedLink {
  int record[256] = {};
  void SetUp() override { use_line(tomrik_program); }
};

// Synchronisation answers, then a read of `data` from record (group, index).
std::vector<Step> read_wire(std::vector<int> sync, int group, int index, std::vector<int> data) {
  std::vector<Step> w;
  for (int a : sync) w.push_back({0xAA, a});
  int n = static_cast<int>(data.size());
  w.push_back({group, 0xFF});
  w.push_back({index, n});
  int sum = 0xAA + group + index + n;
  for (int d : data) {
    w.push_back({0xFF, d});
    sum += d;
  }
  int check = link_check_byte(sum);
  w.push_back({check, check});
  return w;
}

std::vector<Step> write_wire(std::vector<int> sync, int group, int index, std::vector<int> data) {
  std::vector<Step> w;
  for (int a : sync) w.push_back({0xA5, a});
  int n = static_cast<int>(data.size());
  int sum = 0xA5 + group + index + n;
  w.push_back({group, 0xFF});
  w.push_back({index, 0xFF});
  w.push_back({n, 0xFF});
  append_sent_data_and_check(w, data, sum);
  // The read-back that proves the write.
  std::vector<Step> back = read_wire({0xFF}, group, index, data);
  w.insert(w.end(), back.begin(), back.end());
  return w;
}

TEST_F(Records, ReadTakesTheLengthAndTheData) {
  wire->play(read_wire({0xFF}, 0x80, 1, {'4', '4', '1', '6'}));
  ASSERT_EQ(link_read_record(record, 0x80, 1), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  EXPECT_EQ(record[0], 4);
  EXPECT_EQ(record[1], '4');
  EXPECT_EQ(record[4], '6');
}

TEST_F(Records, SynchronisationRules) {
  // 0x12, 0x80, 0xFF synchronises on the third byte.
  wire->play(read_wire({0x12, 0x80, 0xFF}, 1, 2, {9}));
  EXPECT_EQ(link_read_record(record, 1, 2), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  // 0x12, 0xFF does not synchronise on the second; 0x80, 0xFF then does.
  wire->play(read_wire({0x12, 0xFF, 0x80, 0xFF}, 1, 2, {9}));
  EXPECT_EQ(link_read_record(record, 1, 2), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  // An unanswered attempt counts as 0, not as the idle answer.
  wire->play(read_wire({0x80, silent, 0xFF, 0x80, 0xFF}, 1, 2, {9}));
  EXPECT_EQ(link_read_record(record, 1, 2), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
}

TEST_F(Records, ReadGivesUpAfterThirteenAttempts) {
  wire->play(std::vector<Step>(20, Step{0xAA, 0x12}));
  EXPECT_EQ(link_read_record(record, 1, 1), link_no_answer);
  EXPECT_EQ(wire->sent.size(), 13u);
  // With nothing on the line: thirteen time-outs of 51 ms, the line let
  // settle for 51 ms after each but the last, and no more.
  wire->script.clear();
  services.clock.advance(1000);  // after a pause, the line is quiet
  auto start = services.clock.now_ms();
  EXPECT_EQ(link_read_record(record, 1, 1), link_no_answer);
  EXPECT_EQ(services.clock.now_ms() - start, 13 * 51u + 12 * 51u);
}

TEST_F(Records, WriteDoesNotEvaluateTheThirteenthAttempt) {
  std::vector<Step> w(12, Step{0xA5, 0x12});
  w.push_back({0xA5, 0xFF});  // would synchronise, but is not looked at
  wire->play(w);
  int data[2] = {1, 7};
  EXPECT_EQ(link_write_record(data, 3, 1), link_no_sync);
  EXPECT_EQ(wire->sent.size(), 13u);
  w.back().answer = silent;
  wire->play(w);
  EXPECT_EQ(link_write_record(data, 3, 1), link_no_answer);
  // Twelve attempts answered 0x80 then 0xFF synchronise on the last evaluated one.
  std::vector<int> sync(10, 0x12);
  sync.push_back(0x80);
  sync.push_back(0xFF);
  wire->play(write_wire(sync, 3, 1, {7}));
  EXPECT_EQ(link_write_record(data, 3, 1), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
}

TEST_F(Records, ReadFaultAtEachBytePosition) {
  // Steps: 0 sync, 1 group, 2 index (answered with N), 3..4 data, 5 check.
  struct Case {
    std::size_t position;
    bool drop;
    int result;
  } cases[] = {{1, true, link_no_answer},       {1, false, link_not_acknowledged}, {2, true, link_no_answer},
               {3, true, link_no_answer},       {4, true, link_no_answer},         {3, false, link_check_mismatch},
               {4, false, link_check_mismatch}, {5, true, link_no_answer},         {5, false, link_check_mismatch}};
  for (const Case& c : cases) {
    std::vector<Step> w = read_wire({0xFF}, 5, 2, {0x31, 0x32});
    w[c.position].answer = c.drop ? silent : w[c.position].answer ^ 1;
    wire->play(w);
    EXPECT_EQ(link_read_record(record, 5, 2), c.result) << c.position << c.drop;
  }
}

TEST_F(Records, ALengthFromTheStationNeverPassesTheRecord) {
  std::vector<int> data(255, 0x44);
  wire->play(read_wire({0xFF}, 0x0E, 3, data));
  record[255] = 0;
  ASSERT_EQ(link_read_record(record, 0x0E, 3), link_ok);
  EXPECT_EQ(record[0], 255);
  EXPECT_EQ(record[255], 0x44);
}

TEST_F(Records, WriteSendsTheRecordAndEachByteMustBeAcknowledged) {
  int data[4] = {3, 0x10, 0x20, 0x30};
  wire->play(write_wire({0xFF}, 0x14, 2, {0x10, 0x20, 0x30}));
  ASSERT_EQ(link_write_record(data, 0x14, 2), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  // Steps: 0 sync, 1 group, 2 index, 3 N, 4..6 data, 7 check.
  for (std::size_t p = 1; p <= 7; ++p) {
    for (bool drop : {true, false}) {
      std::vector<Step> w = write_wire({0xFF}, 0x14, 2, {0x10, 0x20, 0x30});
      w[p].answer = drop ? silent : w[p].answer ^ 1;
      wire->play(w);
      EXPECT_EQ(link_write_record(data, 0x14, 2),
                drop ? link_no_answer : p == 7 ? link_check_mismatch : link_not_acknowledged)
          << p;
      EXPECT_EQ(wire->sent.size(), p + 1);
    }
  }
}

TEST_F(Records, ByteReadFailuresCountAsTimeOutsIn51Milliseconds) {
  int value = 0;
  auto start = services.clock.now_ms();
  EXPECT_EQ(link_get_byte(value), link_no_answer);
  EXPECT_EQ(services.clock.now_ms() - start, 51u);
  wire->read_fails = true;
  EXPECT_EQ(link_get_byte(value), link_no_answer);
}

}  // namespace
