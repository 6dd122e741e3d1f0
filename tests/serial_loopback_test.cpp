#include <gtest/gtest.h>

#include "platform/serial_loopback.h"
#include "platform/twins.h"
#include "sim/karvel_station.h"
#include "sim/station_line.h"

namespace {

struct Loopback : ::testing::Test {
  platform::TestServices services;
  sim::KarvelStation station;
  sim::StationLine line{station};
  platform::LoopbackSerialPort port{&line};
  std::uint8_t byte = 0;

  void SetUp() override { ASSERT_EQ(port.open("COM1", 57600), platform::SerialOpen::ok); }
  std::uint64_t now() { return services.clock.now_ms(); }
};

TEST_F(Loopback, AnswerIsReadAtOnceAndSilenceCostsExactlyTheTimeOut) {
  std::uint64_t start = now();
  ASSERT_TRUE(port.write_byte(0xBA));
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_byte_received);
  EXPECT_EQ(byte, 0xBA);
  EXPECT_EQ(now(), start);
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_timed_out);
  EXPECT_EQ(now(), start + 200);
  EXPECT_GT(services.display.presents, 0);  // the screen was shown before the wait
  EXPECT_EQ(port.record.sent, std::vector<std::uint8_t>{0xBA});
}

TEST_F(Loopback, StationAtAnotherSpeedIsSilent) {
  ASSERT_EQ(port.open("COM1", 9600), platform::SerialOpen::ok);
  port.write_byte(0xBA);
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_timed_out);
}

TEST_F(Loopback, LateAnswerIsMissedThenFoundStaleUnlessPurged) {
  sim::FaultPlan plan;
  plan.at_answer = {{1, sim::Fault::late}, {3, sim::Fault::late}};
  line.set_faults(plan);
  port.write_byte(0xBA);
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_timed_out);
  // The next frame finds the stale echo first, once it has arrived.
  services.clock.advance(200);
  port.write_byte(0xBD);
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_byte_received);
  EXPECT_EQ(byte, 0xBA);

  // A late byte still on its way survives a purge and arrives in a wait.
  port.write_byte(0x00);  // answer 3: late
  port.purge_input();     // throws away the acknowledgement of 0xBD
  std::uint64_t sent = now();
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_timed_out);
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_byte_received);
  EXPECT_EQ(byte, 0xFF);
  EXPECT_EQ(now(), sent + 300);
}

TEST_F(Loopback, ByteThatArrivesDuringTheWaitEndsItEarly) {
  port.inject(0x42, 30);
  std::uint64_t start = now();
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_byte_received);
  EXPECT_EQ(byte, 0x42);
  EXPECT_EQ(now(), start + 30);
}

TEST_F(Loopback, PlayedTroublesAndAClosedPort) {
  port.troubles.setup_fails = true;
  EXPECT_EQ(port.open("COM2", 57600), platform::SerialOpen::setup_failed);
  port.troubles = {};
  port.troubles.open_refused = platform::PortRefusal::held;
  EXPECT_EQ(port.open("COM1", 57600), platform::SerialOpen::not_available);
  EXPECT_FALSE(port.is_open());
  EXPECT_EQ(port.read_byte(byte, 200), platform::serial_read_failed);
  EXPECT_FALSE(port.write_byte(0xBA));
  EXPECT_FALSE(port.set_rts(true));
  port.troubles = {};
  EXPECT_EQ(port.open("COM3", 57600), platform::SerialOpen::not_available);
  EXPECT_EQ(port.open("COM1", 57600), platform::SerialOpen::ok);
  EXPECT_TRUE(port.set_rts(true));
  EXPECT_TRUE(port.record.rts);
}

}  // namespace
