// The terminal's keyboard read from a descriptor: keys, time-outs, a wake
// for a changed window, and the end of the input.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <string>
#include <vector>

#include "platform/terminal_input.h"

namespace {

using platform::TerminalInput;
using Event = TerminalInput::Event;

long long elapsed_ms(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since).count();
}

struct Pipes : ::testing::Test {
  int keys[2] = {-1, -1};
  int wake[2] = {-1, -1};
  std::string saved_locale;

  void SetUp() override {
    ASSERT_EQ(pipe(keys), 0);
    ASSERT_EQ(pipe2(wake, O_NONBLOCK), 0);
    saved_locale = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C.UTF-8");
  }
  void TearDown() override {
    std::setlocale(LC_CTYPE, saved_locale.c_str());
    for (int fd : {keys[0], keys[1], wake[0], wake[1]})
      if (fd >= 0) close(fd);
  }
  void type(const std::string& bytes) { ASSERT_EQ(write(keys[1], bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  void close_keys() {
    close(keys[1]);
    keys[1] = -1;
  }
  // Key bytes until the input has nothing more for a while or ends.
  std::vector<int> read_all(TerminalInput& input, Event& last) {
    std::vector<int> out;
    while ((last = input.wait(300)) == Event::key) out.push_back(input.take());
    return out;
  }
};

TEST_F(Pipes, KeysAreDecodedAndTheEndOfTheInputIsReportedAfterThem) {
  TerminalInput input(keys[0]);
  type("\x1b[Aq\xd0\xb6\x1b");  // Up, q, the Russian letter zhe, and an Esc the end cuts short
  close_keys();
  Event last{};
  EXPECT_EQ(read_all(input, last), (std::vector<int>{0, 72, 'q', 0xA6, 27}));
  EXPECT_EQ(last, Event::ended);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(input.wait(-1), Event::ended);  // and stays so: no wait, no spin
  EXPECT_EQ(input.wait(0), Event::ended);
  EXPECT_LT(elapsed_ms(start), 50);
}

TEST_F(Pipes, AnInputThatIsEmptyClosedOrMissingEnds) {
  close_keys();
  TerminalInput at_end(keys[0]);
  EXPECT_EQ(at_end.wait(-1), Event::ended);

  int null = open("/dev/null", O_RDONLY);
  ASSERT_GE(null, 0);
  TerminalInput empty(null);
  EXPECT_EQ(empty.wait(-1), Event::ended);
  close(null);
  TerminalInput closed(null);  // the number of a closed descriptor
  EXPECT_EQ(closed.wait(-1), Event::ended);
  TerminalInput none(-1);
  EXPECT_EQ(none.wait(-1), Event::ended);
}

TEST_F(Pipes, WaitsEndOnTimeOnAKeyOrOnAWake) {
  TerminalInput input(keys[0], wake[0]);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(input.wait(0), Event::timed_out);
  EXPECT_EQ(input.wait(40), Event::timed_out);
  EXPECT_GE(elapsed_ms(start), 40);

  ASSERT_EQ(write(wake[1], "!!", 2), 2);
  EXPECT_EQ(input.wait(-1), Event::woken);
  EXPECT_EQ(input.wait(0), Event::timed_out);  // the wake was used up

  // A lone Esc comes out once its wait is over, with no further input.
  type("\x1b");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(input.wait(0), Event::timed_out);
  EXPECT_EQ(input.wait(-1), Event::key);
  EXPECT_GE(elapsed_ms(start), platform::KeyDecoder::esc_wait_ms - 5);
  EXPECT_EQ(input.take(), 27);
}

TEST_F(Pipes, KeysDroppedWhileNobodyCanSeeTheScreenAreGoneWhole) {
  TerminalInput input(keys[0]);
  type("\x1b[Bx");
  ASSERT_EQ(input.wait(-1), Event::key);
  input.drop_keys();
  EXPECT_EQ(input.wait(0), Event::timed_out);
  type("y");
  ASSERT_EQ(input.wait(-1), Event::key);
  EXPECT_EQ(input.take(), 'y');
}

}  // namespace
