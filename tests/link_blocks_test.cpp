// The karvel block frames, byte for byte, with a fault at every position.
#include <gtest/gtest.h>

#include <memory>

#include "settings/program_profile.h"
#include "settings/settings_image.h"
#include "tests/link_wire.h"

namespace {

using test::silent;
using test::Step;

struct KarvelBlocks : test::ScriptedLink {
  test::BoxWatcher boxes;
  void SetUp() override {
    use_line(karvel_program);
    platform::services().keys = &boxes;
  }
  std::vector<std::string> box(const char* message) { return {message}; }
  const std::vector<std::string> no_box{};
};

// The wire of a read of `data` at `address`: the station answers the count
// with the first data byte and each acknowledgement with the next one.
std::vector<Step> read_wire(int address, std::vector<int> data) {
  int lo = address & 0xFF, hi = address >> 8, n = static_cast<int>(data.size());
  std::vector<Step> w{{0xBD, 0xFF}, {lo, 0xFF}, {hi, 0xFF}, {n, n ? data[0] : silent}};
  int sum = 0xBD + lo + hi + n;
  for (int i = 0; i < n; ++i) {
    sum += data[i];
    if (i + 1 < n) w.push_back({0xFF, data[i + 1]});
  }
  int check = link_check_byte(sum);
  w.push_back({check, check});
  return w;
}

// A write the station takes, and the read-back that proves it.
std::vector<Step> write_wire(int address, std::vector<int> data) {
  int lo = address & 0xFF, hi = address >> 8, n = static_cast<int>(data.size());
  std::vector<Step> w{{0xBE, 0xFF}, {lo, 0xFF}, {hi, 0xFF}, {n, 0xFF}};
  int sum = 0xBE + lo + hi + n;
  append_sent_data_and_check(w, data, sum);
  std::vector<Step> back = read_wire(address, data);
  w.insert(w.end(), back.begin(), back.end());
  return w;
}

TEST(CheckByte, StaysWithinSevenBitsAndFoldsBitSeven) {
  EXPECT_EQ(link_check_byte(0x80), 0x2B);
  EXPECT_EQ(link_check_byte(0x00), 0x2A);
  EXPECT_EQ(link_check_byte(0x86), 0x31);
  EXPECT_EQ(link_check_byte(0x186), 0x31);  // the sum counts modulo 256
  for (int s = 0; s < 256; ++s) EXPECT_LE(link_check_byte(s), 0x7F) << s;
}

// The screens pass results on to the box and compare them as numbers: the
// names must keep the numbers the box and the callers know.
TEST(LinkResults, KeepTheirNumbers) {
  EXPECT_EQ(link_ok, 0);
  EXPECT_EQ(link_no_answer, 1);
  EXPECT_EQ(link_no_sync, 2);
  EXPECT_EQ(link_not_acknowledged, 3);
  EXPECT_EQ(link_check_mismatch, 4);
  EXPECT_EQ(link_not_connected, 5);
  EXPECT_EQ(link_port_busy, 6);
  EXPECT_EQ(link_system_error, 7);
  EXPECT_EQ(link_wrong_answer, 8);
  EXPECT_EQ(link_interrupted, 27);  // the Esc key code
  EXPECT_EQ(link_failed, -1);
  EXPECT_EQ(link_refused, 1);
  EXPECT_EQ(link_key_check_mismatch, 2);
}

TEST_F(KarvelBlocks, ReadSendsTheFramePictureAndFillsTheBuffer) {
  wire->play(read_wire(0x8029, {0x12, 0xC4}));
  ASSERT_EQ(link_read_block(0x8029, 2), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  EXPECT_EQ(wire->sent, (std::vector<int>{0xBD, 0x29, 0x80, 0x02, 0xFF, test::check_of({0xBD, 0x29, 0x80, 2, 0x12, 0xC4})}));
  EXPECT_EQ(link_buffer[0], 0x12);
  EXPECT_EQ(link_buffer[1], 0xC4);
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KarvelBlocks, ReadOfNoBytesSendsTheCheckByteRightAfterTheCount) {
  wire->play(read_wire(0x8100, {}));
  EXPECT_EQ(link_read_block(0x8100, 0), link_ok);
  EXPECT_EQ(wire->sent, (std::vector<int>{0xBD, 0x00, 0x81, 0x00, test::check_of({0xBD, 0x00, 0x81, 0x00})}));
}

TEST_F(KarvelBlocks, ReadOfAFullBlockCarries255Bytes) {
  std::vector<int> data;
  for (int i = 0; i < 255; ++i) data.push_back((i * 7) & 0xFF);
  wire->play(read_wire(0xF000, data));
  ASSERT_EQ(link_read_block(0xF000, 255), link_ok);
  for (int i = 0; i < 255; ++i) ASSERT_EQ(link_buffer[i], data[i]) << i;
}

TEST_F(KarvelBlocks, CommandByteIsRepeatedOnceWhenUnanswered) {
  std::vector<Step> w = read_wire(0x8000, {0x41});
  w.insert(w.begin(), Step{0xBD, silent});
  wire->play(w);
  EXPECT_EQ(link_read_block(0x8000, 1), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  wire->play({{0xBD, silent}, {0xBD, silent}, {0xBD, 0xFF}});
  auto start = services.clock.now_ms();
  EXPECT_EQ(link_read_block(0x8000, 1), link_failed);
  EXPECT_EQ(wire->sent, (std::vector<int>{0xBD, 0xBD}));  // no third try
  // Two time-outs of 200 ms, and between them the 200 ms in which a late
  // answer to the first byte may still come, to be thrown away.
  EXPECT_EQ(services.clock.now_ms() - start, 600u);
  EXPECT_EQ(boxes.boxes, box("Нет ответа от внешнего устройства."));
}

// A late answer is thrown away before the repeated command byte and before
// the next frame, so it never shifts the answers of the frame.
TEST_F(KarvelBlocks, LateAnswersDoNotShiftTheFrame) {
  std::vector<Step> w = read_wire(0x8029, {0x12, 0x34});
  w.insert(w.begin(), Step{0xBD, 0xFF, true});
  wire->play(w);
  EXPECT_EQ(link_read_block(0x8029, 2), link_ok);
  EXPECT_EQ(link_buffer[0], 0x12);

  w = read_wire(0x8029, {0x12, 0x34});
  w.back().late = true;  // the check byte's answer comes too late
  std::vector<Step> next = write_wire(0x8029, {5});
  w.insert(w.end(), next.begin(), next.end());
  wire->play(w);
  EXPECT_EQ(link_read_block(0x8029, 2), link_failed);
  link_buffer[0] = 5;
  EXPECT_EQ(link_write_block(0x8029, 1), link_ok);
  EXPECT_EQ(boxes.boxes, box("Нет ответа от внешнего устройства."));
}

// A fault at each byte of a 2-byte read: the result, the box, and that the
// frame stops at the faulty byte.
TEST_F(KarvelBlocks, ReadFaultAtEachBytePosition) {
  struct Case {
    int position;
    bool drop;  // else a wrong answer
    int result;
    const char* box;
  };
  const char* no_answer = "Нет ответа от внешнего устройства.";
  const Case cases[] = {
      {0, false, link_refused, nullptr},  // the command answered, but not with 0xFF: no box
      {1, true, link_failed, no_answer},
      {1, false, link_not_acknowledged, "Неверное подтверждение."},
      {2, true, link_failed, no_answer},
      {2, false, link_not_acknowledged, "Неверное подтверждение."},
      {3, true, link_failed, nullptr},  // a missing data byte shows no box
      {4, true, link_failed, nullptr},
      {3, false, link_check_mismatch, "Не совпала контрольная сумма."},  // a corrupted data byte fails the check
      {4, false, link_check_mismatch, "Не совпала контрольная сумма."},
      {5, true, link_failed, no_answer},
      {5, false, link_check_mismatch, "Не совпала контрольная сумма."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "position " << c.position << (c.drop ? " dropped" : " wrong"));
    std::vector<Step> w = read_wire(0x8029, {0x12, 0x34});
    w[c.position].answer = c.drop ? silent : (w[c.position].answer ^ 0x01);
    wire->play(w);
    boxes.boxes.clear();
    EXPECT_EQ(link_read_block(0x8029, 2), c.result);
    EXPECT_EQ(boxes.boxes, c.box ? box(c.box) : no_box);
    std::size_t sent = c.position == 0 ? 1 : c.drop || c.position < 3 ? c.position + 1 : 6;
    EXPECT_EQ(wire->sent.size(), sent);
  }
}

TEST_F(KarvelBlocks, WriteSendsAddressCountDataAndCheck) {
  for (int i = 0; i < 3; ++i) link_buffer[i] = 0xA0 + i;
  wire->play(write_wire(0x8123, {0xA0, 0xA1, 0xA2}));
  EXPECT_EQ(link_write_block(0x8123, 3), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(KarvelBlocks, WriteFaultAtEachBytePositionNamesThePosition) {
  link_buffer[0] = 0x01;
  link_buffer[1] = 0x02;
  for (int index = 0; index < 7; ++index) {
    for (bool drop : {true, false}) {
      SCOPED_TRACE(testing::Message() << "byte " << index + 1 << (drop ? " dropped" : " wrong"));
      std::vector<Step> w = write_wire(0x8100, {1, 2});
      w[index].answer = drop ? silent : w[index].answer ^ 0x01;
      if (drop && index == 0) w.insert(w.begin(), Step{0xBE, silent});  // the repeat is dropped too
      wire->play(w);
      boxes.boxes.clear();
      int n = index + 1;
      int expected = drop ? (index == 0 ? link_failed : -n) : n;
      EXPECT_EQ(link_write_block(0x8100, 2), expected);
      const char* message = drop ? "Нет ответа от внешнего устройства."
                            : index == 6 ? "Не совпала контрольная сумма."
                                         : "Неверное подтверждение.";
      EXPECT_EQ(boxes.boxes, box(message));
      EXPECT_EQ(wire->sent.size(), static_cast<std::size_t>(drop && index == 0 ? 2 : n));
    }
  }
}

TEST_F(KarvelBlocks, WriteCommandAnsweredOnTheRepeat) {
  std::vector<Step> w = write_wire(0x8029, {3});
  w.insert(w.begin(), Step{0xBE, silent});
  wire->play(w);
  link_buffer[0] = 3;
  EXPECT_EQ(link_write_block(0x8029, 1), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
}

TEST_F(KarvelBlocks, FileModeActsOnTheImageAndSendsNothing) {
  link_state.file_mode = 1;
  link_state.station_connected = 0;
  link_buffer[0] = 0x55;
  link_buffer[1] = 0x66;
  EXPECT_EQ(link_write_block(0x8029, 2), link_ok);
  EXPECT_EQ(settings_image.karvel[0x29], 0x55);
  link_buffer[0] = link_buffer[1] = 0;
  EXPECT_EQ(link_read_block(0x8029, 2), link_ok);
  EXPECT_EQ(link_buffer[0], 0x55);
  EXPECT_EQ(link_buffer[1], 0x66);
  EXPECT_EQ(link_read_block(0xFFFF, 1), link_ok);  // the last byte of the window
  EXPECT_TRUE(wire->sent.empty());
}

TEST_F(KarvelBlocks, FileModeRefusesBlocksOutsideTheWindow) {
  link_state.file_mode = 1;
  link_buffer[0] = 0x77;
  EXPECT_NE(link_write_block(0x7FFF, 2), link_ok);   // starts below the window
  EXPECT_NE(link_write_block(0xFFF0, 32), link_ok);  // runs past its end
  EXPECT_NE(link_read_block(0x0100, 8), link_ok);    // the live state memory
  for (std::uint8_t b : settings_image.karvel) ASSERT_EQ(b, 0);
  EXPECT_TRUE(wire->sent.empty());
}

TEST_F(KarvelBlocks, WithoutStationOrFileNothingMovesAndTheBufferStays) {
  link_state.station_connected = 0;
  link_buffer[0] = 0x99;
  EXPECT_EQ(link_read_block(0x8000, 8), link_ok);
  EXPECT_EQ(link_write_block(0x8000, 8), link_ok);
  EXPECT_EQ(link_buffer[0], 0x99);
  EXPECT_TRUE(wire->sent.empty());
}

TEST_F(KarvelBlocks, ByteOperationsReportTheirFailures) {
  int value = -5;
  EXPECT_EQ(link_get_byte(value), link_no_answer);  // time-out
  EXPECT_EQ(value, -5);
  wire->read_fails = true;
  EXPECT_EQ(link_get_byte(value), link_failed);
  wire->write_fails = true;
  EXPECT_EQ(link_put_byte(0x1BD), link_failed);
  wire->write_fails = false;
  EXPECT_EQ(link_put_byte(0x1BD), link_ok);
  EXPECT_EQ(wire->sent, (std::vector<int>{0xBD}));  // only the low 8 bits
  // A write that fails is not waited on, and gives the no-answer result.
  wire->read_fails = false;
  wire->write_fails = true;
  auto start = services.clock.now_ms();
  EXPECT_EQ(link_read_block(0x8000, 1), link_failed);
  EXPECT_EQ(services.clock.now_ms(), start);
}

TEST_F(KarvelBlocks, ReadTimeOutsAre200Milliseconds) {
  int value = 0;
  auto start = services.clock.now_ms();
  link_get_byte(value);
  EXPECT_EQ(services.clock.now_ms() - start, 200u);
  // The longest failing read: two command bytes unanswered, the line let
  // settle between them.
  wire->play({});
  services.clock.advance(1000);  // the line has long been quiet
  start = services.clock.now_ms();
  link_read_block(0x8000, 255);
  EXPECT_EQ(services.clock.now_ms() - start, 600u);
}

}  // namespace
