#include "platform/terminal_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>

namespace platform {
namespace {

std::uint64_t steady_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Milliseconds from `now` to `until`, as poll takes them.
int ms_until(std::uint64_t now, std::uint64_t until) {
  if (until <= now) return 0;
  std::uint64_t left = until - now;
  return left > INT_MAX ? INT_MAX : static_cast<int>(left);
}

}  // namespace

TerminalInput::Event TerminalInput::wait(int timeout_ms) {
  if (fd_ < 0) end_input();  // nothing to read keys from
  const std::uint64_t start = steady_ms();
  const bool limited = timeout_ms >= 0;
  const std::uint64_t limit = start + (limited ? static_cast<std::uint64_t>(timeout_ms) : 0);
  for (bool first = true;; first = false) {
    std::uint64_t now = steady_ms();
    decoder_.tick(now);
    if (decoder_.has_key()) return Event::key;
    if (ended_) return Event::ended;
    if (limited && now >= limit && !first) return Event::timed_out;

    // Sleep until the limit, or until a held Esc's time is up.
    int wait_ms = -1;
    if (limited) wait_ms = ms_until(now, limit);
    if (auto due = decoder_.deadline()) {
      int to_due = ms_until(now, *due);
      if (wait_ms < 0 || to_due < wait_ms) wait_ms = to_due;
    }
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
    int n = ::poll(fds, wake_fd_ >= 0 ? 2 : 1, wait_ms);
    if (n < 0) {
      if (errno == EINTR) continue;
      end_input();  // the input cannot be waited for any more
      continue;
    }
    if (wake_fd_ >= 0 && (fds[1].revents & POLLIN)) {
      drain_wake_fd();
      return Event::woken;
    }
    if (fds[0].revents & POLLNVAL) end_input();
    else if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) read_input(steady_ms());
  }
}

void TerminalInput::read_input(std::uint64_t now_ms) {
  unsigned char buffer[256];
  ssize_t n = ::read(fd_, buffer, sizeof buffer);
  if (n > 0) {
    for (ssize_t i = 0; i < n; ++i) feed_byte(buffer[i], now_ms);
    return;
  }
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
  end_input();  // end of file, or a terminal that is gone (EIO)
}

void TerminalInput::feed_byte(unsigned char byte, std::uint64_t now_ms) {
  char c = static_cast<char>(byte);
  wchar_t wc = 0;
  std::size_t got = std::mbrtowc(&wc, &c, 1, &shift_state_);
  if (got == static_cast<std::size_t>(-2)) return;  // more of the character to come
  if (got == static_cast<std::size_t>(-1)) {
    shift_state_ = std::mbstate_t{};  // not a character of the locale: dropped
    return;
  }
  decoder_.feed(static_cast<char32_t>(wc), now_ms);
}

// One read: wakes that came after it wake the next wait, which is harmless,
// and a descriptor that blocks cannot hold the program here.
void TerminalInput::drain_wake_fd() {
  char buffer[64];
  [[maybe_unused]] ssize_t n = ::read(wake_fd_, buffer, sizeof buffer);
}

void TerminalInput::end_input() {
  ended_ = true;
  decoder_.flush();
}

}  // namespace platform
