// The termios port's write time-out and its request for low latency, on a
// pseudo-terminal whose far end the test holds and never reads.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/serial.h"

namespace {

using platform::SerialOpen;

struct SilentFarEnd : ::testing::Test {
  int master = -1;
  void SetUp() override {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    setenv("STATION_COM2", ptsname(master), 1);
  }
  void TearDown() override {
    unsetenv("STATION_COM2");
    if (master >= 0) close(master);
  }
};

// A driver that has the setting, or refuses like a pseudo-terminal, and
// remembers what it was asked.
struct FakeDriver : platform::SerialDriver {
  bool has_setting = true;
  bool on = false;
  std::vector<bool> set_calls;
  bool low_latency(int, bool& value) override {
    if (!has_setting) return false;
    value = on;
    return true;
  }
  bool set_low_latency(int, bool value) override {
    set_calls.push_back(value);
    if (!has_setting) return false;
    on = value;
    return true;
  }
};

TEST_F(SilentFarEnd, AWriteThatCannotLeaveGivesUpAfterFiftyOneMilliseconds) {
  auto port = platform::make_system_serial_port();
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  // Fill the line until a byte can no longer leave; only that last write
  // waits out its time-out.
  long long last_ms = 0;
  bool refused = false;
  for (int i = 0; i < 1 << 22 && !refused; ++i) {
    auto start = std::chrono::steady_clock::now();
    refused = !port->write_byte(0x55);
    last_ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  }
  ASSERT_TRUE(refused);
  EXPECT_GE(last_ms, 50);
  // The real clock of a machine that may be busy with other work: a loaded
  // one has been seen to add 100 ms; a write that waited for good, or for
  // a time-out of a second, still fails here.
  EXPECT_LT(last_ms, 300);
}

TEST_F(SilentFarEnd, LowLatencyIsAskedForOnOpenAndTheOldSettingComesBackOnClose) {
  FakeDriver driver;
  auto port = platform::make_system_serial_port(&driver);
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  EXPECT_TRUE(driver.on);
  // Reopening (a speed change) closes first: off, then on again.
  ASSERT_EQ(port->open("COM2", 9600), SerialOpen::ok);
  EXPECT_EQ(driver.set_calls, (std::vector<bool>{true, false, true}));
  port->close();
  EXPECT_FALSE(driver.on);

  // Already low: left alone, and left on after close.
  driver.on = true;
  driver.set_calls.clear();
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  port->close();
  EXPECT_TRUE(driver.set_calls.empty());
  EXPECT_TRUE(driver.on);
}

TEST_F(SilentFarEnd, APortWithoutTheSettingIsUsedAsItIs) {
  FakeDriver driver;
  driver.has_setting = false;
  auto port = platform::make_system_serial_port(&driver);
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  EXPECT_TRUE(port->write_byte(0xBA));
  std::uint8_t byte = 0;
  ASSERT_EQ(read(master, &byte, 1), 1);
  EXPECT_EQ(byte, 0xBA);
  port->close();
  EXPECT_TRUE(driver.set_calls.empty());

  // The real driver on a pseudo-terminal refuses the same way.
  bool on = false;
  int fd = open(ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(platform::system_serial_driver().low_latency(fd, on));
  close(fd);
}

}  // namespace
