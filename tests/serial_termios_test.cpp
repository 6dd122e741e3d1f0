// The termios port against a station on a pseudo-terminal: in-process (the
// test serves the station between its own writes and reads) and as the
// stationsim program.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/serial.h"
#include "sim/karvel_station.h"
#include "sim/pty_station.h"
#include "sim/station_line.h"
#include "sim/storage_device.h"
#include "sim/tomrik_station.h"
#include "tests/sim_support.h"

namespace {

using platform::SerialOpen;

std::uint64_t elapsed_ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count();
}

struct PtyLine : ::testing::Test {
  sim::KarvelStation station;
  sim::StationLine line{station};
  std::unique_ptr<sim::PtyStation> pty = std::make_unique<sim::PtyStation>(station, line);
  std::unique_ptr<platform::SerialPort> port = platform::make_system_serial_port();
  std::uint8_t byte = 0;

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(pty->open(error)) << error;
    setenv("STATION_COM2", pty->device().c_str(), 1);
  }
  void TearDown() override { unsetenv("STATION_COM2"); }

  // One byte out, the station serves it, one byte back.
  int ask(std::uint8_t b, int timeout_ms = 200) {
    EXPECT_TRUE(port->write_byte(b));
    EXPECT_TRUE(pty->serve(100));
    return port->read_byte(byte, timeout_ms);
  }
};

TEST(SerialPath, PortNamesMapToDevicesAndTheEnvironmentOverrides) {
  unsetenv("STATION_COM1");
  unsetenv("STATION_COM2");
  EXPECT_EQ(platform::serial_device_path("COM1"), "/dev/ttyS0");
  EXPECT_EQ(platform::serial_device_path("COM2"), "/dev/ttyS1");
  setenv("STATION_COM1", " /tmp/line\t", 1);
  EXPECT_EQ(platform::serial_device_path("COM1"), "/tmp/line");
  setenv("STATION_COM1", "  ", 1);  // blank is unset
  EXPECT_EQ(platform::serial_device_path("COM1"), "/dev/ttyS0");
  unsetenv("STATION_COM1");
  EXPECT_EQ(platform::serial_device_path("COM3"), "");
}

// The storage device that switches itself: it takes a line the program is
// quiet on, keeps it while the program answers as the storage screen does,
// gives it back at the program's first byte for the station, and takes it
// again after a second of quiet.
TEST(PtyStorage, TheDeviceTakesAQuietLineAndGivesItBackToARecordFrame) {
  sim::TomrikStation station;
  sim::StationLine line{station};
  sim::PtyStation pty(station, line);
  sim::StorageDevice device;
  pty.set_storage(&device);
  pty.set_storage_auto(true);
  std::string error;
  ASSERT_TRUE(pty.open(error)) << error;
  setenv("STATION_COM2", pty.device().c_str(), 1);
  auto port = platform::make_system_serial_port();
  ASSERT_EQ(port->open("COM2", 4800), SerialOpen::ok);
  std::uint8_t byte = 0;
  auto next_byte = [&] {
    for (int i = 0; i < 60; ++i) {
      pty.serve(50);
      if (port->read_byte(byte, 0) == platform::serial_byte_received) return true;
    }
    return false;
  };
  ASSERT_TRUE(next_byte());
  EXPECT_EQ(byte, sim::StorageDevice::ready_byte);
  ASSERT_TRUE(port->write_byte(facts::storage_idle_answer));
  ASSERT_TRUE(next_byte());
  EXPECT_EQ(byte, sim::StorageDevice::ready_byte);
  ASSERT_TRUE(port->write_byte(facts::tomrik_read_record));
  ASSERT_TRUE(next_byte());
  EXPECT_EQ(byte, 0xFF);  // the station's acknowledgement of the frame
  EXPECT_FALSE(device.on());
  auto quiet_since = std::chrono::steady_clock::now();
  ASSERT_TRUE(next_byte());
  EXPECT_EQ(byte, sim::StorageDevice::ready_byte);
  EXPECT_GE(elapsed_ms(quiet_since), 900u);
  unsetenv("STATION_COM2");
}

TEST_F(PtyLine, BlockReadThroughTheRealLine) {
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  EXPECT_EQ(pty->line_baud(), 57600);
  EXPECT_TRUE(port->set_rts(true));  // a pseudo-terminal has no RTS: done all the same
  EXPECT_TRUE(port->set_rts(false));
  EXPECT_TRUE(port->purge_input());
  std::vector<int> got;
  std::uint8_t check = test::check_over({0xBD, 0x00, 0x80, 0x02, 'K', 'A'});
  for (std::uint8_t b : std::vector<std::uint8_t>{0xBD, 0x00, 0x80, 0x02, 0xFF, check}) {
    ASSERT_EQ(ask(b), platform::serial_byte_received);
    got.push_back(byte);
  }
  EXPECT_EQ(got, (std::vector<int>{0xFF, 0xFF, 0xFF, 'K', 'A', check}));
}

// A simulator too busy to read the line in time reads the command byte and
// the program's repeat of it after the time-out together: it answers once,
// and the frame goes on from there.
TEST_F(PtyLine, ACommandByteRepeatedBeforeItsAnswerWentOutIsAnsweredOnce) {
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  EXPECT_TRUE(port->write_byte(0xBD));
  EXPECT_TRUE(port->write_byte(0xBD));
  // The pseudo-terminal passes bytes on in its own time: wait until both are
  // there, so that the station reads them together as the busy one does.
  for (int i = 0; i < 1000 && pty->bytes_waiting() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(pty->bytes_waiting(), 2u);
  EXPECT_TRUE(pty->serve(100));
  ASSERT_EQ(port->read_byte(byte, 200), platform::serial_byte_received);
  EXPECT_EQ(byte, 0xFF);
  EXPECT_EQ(port->read_byte(byte, 20), platform::serial_timed_out);
  std::vector<int> got;
  std::uint8_t check = test::check_over({0xBD, 0x00, 0x80, 0x02, 'K', 'A'});
  for (std::uint8_t b : std::vector<std::uint8_t>{0x00, 0x80, 0x02, 0xFF, check}) {
    ASSERT_EQ(ask(b), platform::serial_byte_received);
    got.push_back(byte);
  }
  EXPECT_EQ(got, (std::vector<int>{0xFF, 0xFF, 'K', 'A', check}));
}

TEST_F(PtyLine, StationIsSilentAtAnotherSpeedAndTheReadWaitsItsTimeOut) {
  ASSERT_EQ(port->open("COM2", 9600), SerialOpen::ok);
  EXPECT_EQ(pty->line_baud(), 9600);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ask(0xBA, 50), platform::serial_timed_out);
  EXPECT_GE(elapsed_ms(start), 45u);
  EXPECT_LT(elapsed_ms(start), 1000u);
  // Reopened at the station's speed, the same line answers.
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  EXPECT_EQ(ask(0xBA), platform::serial_byte_received);
  EXPECT_EQ(byte, 0xBA);
}

TEST_F(PtyLine, PortHeldByAnotherProgramCannotBeOpenedUntilItIsClosed) {
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  auto second = platform::make_system_serial_port();
  EXPECT_EQ(second->open("COM2", 57600), SerialOpen::not_available);
  EXPECT_EQ(second->refusal(), platform::PortRefusal::held);
  port->close();
  EXPECT_EQ(second->open("COM2", 57600), SerialOpen::ok);
  EXPECT_EQ(port->open("COM2", 57600), SerialOpen::not_available);
}

TEST_F(PtyLine, LineLeftExclusiveByAProgramThatEndedIsFreedOnlyOnceItsLockIsGone) {
  // A program that ends with the port open: exclusive flag and lock, no close.
  int fd = open(pty->device().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  ASSERT_EQ(ioctl(fd, TIOCEXCL), 0);
  int exclusive = 0;
  pty->release_abandoned_line();  // still held: left alone
  ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 1);
  close(fd);
  pty->release_abandoned_line();
  fd = open(pty->device().c_str(), O_RDWR | O_NOCTTY);  // root may open it anyway: look at the flag
  ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
  EXPECT_EQ(exclusive, 0);
  close(fd);
}

TEST_F(PtyLine, AbsentDeviceNonTerminalAndOddSpeedFail) {
  setenv("STATION_COM2", "/nonexistent/ttyX", 1);
  EXPECT_EQ(port->open("COM2", 57600), SerialOpen::not_available);
  EXPECT_EQ(port->refusal(), platform::PortRefusal::no_device);
  char name[] = "/tmp/serial_testXXXXXX";
  int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  setenv("STATION_COM2", name, 1);
  EXPECT_EQ(port->open("COM2", 57600), SerialOpen::setup_failed);  // opens, but is no terminal
  EXPECT_FALSE(port->is_open());
  unlink(name);
  setenv("STATION_COM2", pty->device().c_str(), 1);
  EXPECT_EQ(port->open("COM2", 12345), SerialOpen::setup_failed);
}

TEST_F(PtyLine, ReadFailsInsteadOfWaitingWhenTheStationIsGone) {
  ASSERT_EQ(port->open("COM2", 57600), SerialOpen::ok);
  pty.reset();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port->read_byte(byte, 200), platform::serial_read_failed);
  EXPECT_LT(elapsed_ms(start), 150u);
}

// stationsim beside the test binary.
std::string stationsim_path() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  std::string path(self, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "stationsim";
}

TEST(Stationsim, ServesALinkAndSavesItsConfigurationOnSigterm) {
  std::string program = stationsim_path();
  if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "no stationsim beside the tests";
  std::string dir = "/tmp/stationsim_test_" + std::to_string(getpid());
  mkdir(dir.c_str(), 0700);
  std::string link = dir + "/com1", saved = dir + "/out.set";
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child cannot fail the test itself: a lost redirect ends it with 126, which the parent sees.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
    execl(program.c_str(), program.c_str(), "--link", link.c_str(), "--save", saved.c_str(), "--baud", "38400",
          "--identity", "XYZ216-3", static_cast<char*>(nullptr));
    _exit(127);
  }
  struct stat st {};
  for (int i = 0; i < 200 && lstat(link.c_str(), &st) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (lstat(link.c_str(), &st) != 0) {
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    FAIL() << "stationsim made no link; exit status " << WEXITSTATUS(status);
  }

  setenv("STATION_COM1", link.c_str(), 1);
  auto port = platform::make_system_serial_port();
  ASSERT_EQ(port->open("COM1", 38400), SerialOpen::ok);
  unsetenv("STATION_COM1");
  std::uint8_t b = 0;
  auto ask = [&](std::uint8_t out) {
    EXPECT_TRUE(port->write_byte(out));
    EXPECT_EQ(port->read_byte(b, 200), platform::serial_byte_received);
    return b;
  };
  EXPECT_EQ(ask(0xBA), 0xBA);
  std::vector<std::uint8_t> frame = {0xBE, 0x00, 0x90, 0x01, 0x5A};
  for (std::uint8_t x : frame) EXPECT_EQ(ask(x), 0xFF);
  EXPECT_EQ(ask(test::check_over(frame)), test::check_over(frame));
  port->close();

  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(lstat(link.c_str(), &st), 0);  // the link went with it
  std::ifstream in(saved, std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(image.size(), 32768u);
  EXPECT_EQ(image.substr(0, 8), "XYZ216-3");
  EXPECT_EQ(image[0x29], 2);  // 38400
  EXPECT_EQ(image[0x1000], 0x5A);
  unlink(saved.c_str());
  rmdir(dir.c_str());
}

}  // namespace
