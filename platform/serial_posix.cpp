// The serial port on a POSIX system: a termios device in raw mode.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/serial.h"

namespace platform {
namespace {

// A write that cannot leave (the far end stopped reading) gives up after
// 1 ms a byte plus 50 ms instead of blocking the program: 51 ms for the
// one-byte writes of the exchange.
constexpr int write_timeout_ms_per_byte = 1;
constexpr int write_timeout_ms_constant = 50;

constexpr int write_timeout_ms(int bytes) { return bytes * write_timeout_ms_per_byte + write_timeout_ms_constant; }

class IoctlSerialDriver : public SerialDriver {
 public:
  bool low_latency(int fd, bool& on) override {
    serial_struct s{};
    if (::ioctl(fd, TIOCGSERIAL, &s) != 0) return false;
    on = (s.flags & ASYNC_LOW_LATENCY) != 0;
    return true;
  }
  bool set_low_latency(int fd, bool on) override {
    serial_struct s{};
    if (::ioctl(fd, TIOCGSERIAL, &s) != 0) return false;
    if (on) s.flags |= ASYNC_LOW_LATENCY;
    else s.flags &= ~ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &s) == 0;
  }
};

speed_t termios_speed(int baud) {
  switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    default: return B0;
  }
}

PortRefusal refusal_of(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return PortRefusal::no_device;
    case EACCES:
    case EPERM:
    case EROFS: return PortRefusal::no_permission;
    case EBUSY: return PortRefusal::held;  // another program set TIOCEXCL
    default: return PortRefusal::other;
  }
}

std::uint64_t steady_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Waits for `events` on the descriptor until `deadline`. Returns the events
// that came (with POLLERR for a failed wait), or 0 at the deadline.
short wait_for(int fd, short events, std::uint64_t deadline) {
  for (;;) {
    std::uint64_t now = steady_ms();
    int left = now >= deadline ? 0 : static_cast<int>(deadline - now);
    pollfd p{fd, events, 0};
    int n = ::poll(&p, 1, left);
    if (n > 0) return p.revents;
    if (n == 0) return 0;
    if (errno != EINTR) return POLLERR;
  }
}

// The line settings a port found when it was opened, kept where the signal
// handler can reach them: a program ended by a signal puts them back as
// surely as one that closes the port. A process has few ports open at once.
struct FoundLine {
  volatile sig_atomic_t fd = -1;
  termios settings{};
  SerialDriver* driver = nullptr;
  volatile sig_atomic_t low_latency_to_clear = 0;
};
FoundLine found_lines[4];

FoundLine* take_found_line(int fd) {
  for (FoundLine& line : found_lines)
    if (line.fd < 0) {
      line.fd = fd;
      return &line;
    }
  return nullptr;  // more ports than slots: this one is put back on close only
}

void put_back(FoundLine& line) {
  int fd = line.fd;
  if (fd < 0) return;
  line.fd = -1;
  if (line.low_latency_to_clear) line.driver->set_low_latency(fd, false);
  line.low_latency_to_clear = 0;
  ::tcsetattr(fd, TCSANOW, &line.settings);
}

class TermiosPort : public SerialPort {
 public:
  explicit TermiosPort(SerialDriver& driver) : driver_(driver) {}
  ~TermiosPort() override { close(); }

  SerialOpen open(const std::string& name, int baud) override {
    close();
    refusal_ = PortRefusal::none;
    std::string path = serial_device_path(name);
    if (path.empty()) return refuse(PortRefusal::no_device);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return refuse(refusal_of(errno), errno);
    // TIOCEXCL keeps other users out but not root; the lock holds against
    // every program that takes it, root included.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      int error = errno;
      ::close(fd);
      return refuse(error == EWOULDBLOCK ? PortRefusal::held : PortRefusal::other, error);
    }
    fd_ = fd;
    ::ioctl(fd_, TIOCEXCL);
    have_found_ = ::tcgetattr(fd_, &found_settings_) == 0;
    if (have_found_ && (found_ = take_found_line(fd_))) {
      found_->settings = found_settings_;
      found_->driver = &driver_;
    }
    if (!set_line(baud)) {
      close();
      return SerialOpen::setup_failed;
    }
    set_rts(false);  // the program drives RTS itself, starting low
    ask_for_low_latency();
    return SerialOpen::ok;
  }

  void close() override {
    if (fd_ < 0) return;
    if (found_) found_->fd = -1;  // put back here, not by a signal any more
    found_ = nullptr;
    if (low_latency_turned_on_) driver_.set_low_latency(fd_, false);
    low_latency_turned_on_ = false;
    if (have_found_) ::tcsetattr(fd_, TCSANOW, &found_settings_);
    have_found_ = false;
    ::ioctl(fd_, TIOCNXCL);  // a pseudo-terminal outlives us; let the next program in
    ::close(fd_);
    fd_ = -1;
  }

  bool is_open() const override { return fd_ >= 0; }

  int read_byte(std::uint8_t& byte, int timeout_ms) override {
    if (fd_ < 0) return serial_read_failed;
    int got = take_byte(byte);
    if (got != serial_timed_out) return got;
    present();
    std::uint64_t deadline = steady_ms() + (timeout_ms > 0 ? timeout_ms : 0);
    while (short events = wait_for(fd_, POLLIN, deadline)) {
      got = take_byte(byte);
      if (got != serial_timed_out) return got;
      // Woken with nothing to read: a line that hung up would wake us
      // again at once, so that is a failure rather than a wait.
      if (events & (POLLERR | POLLHUP | POLLNVAL)) return serial_read_failed;
    }
    return serial_timed_out;
  }

  bool write_byte(std::uint8_t byte) override {
    if (fd_ < 0) return false;
    std::uint64_t deadline = steady_ms() + write_timeout_ms(1);
    for (;;) {
      ssize_t n = ::write(fd_, &byte, 1);
      if (n == 1) return true;
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) return false;
      if (wait_for(fd_, POLLOUT, deadline) != POLLOUT) return false;
    }
  }

  bool set_rts(bool on) override {
    if (fd_ < 0) return false;
    int bits = TIOCM_RTS;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
    return errno == ENOTTY || errno == EINVAL;  // no modem lines: nothing to drive
  }

  bool purge_input() override { return fd_ >= 0 && ::tcflush(fd_, TCIFLUSH) == 0; }

 private:
  bool set_line(int baud) {
    speed_t speed = termios_speed(baud);
    termios t{};
    if (speed == B0 || ::tcgetattr(fd_, &t) != 0) return false;
    ::cfmakeraw(&t);
    t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS | CSIZE);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0) return false;
    return ::tcsetattr(fd_, TCSANOW, &t) == 0;
  }

  // One read that does not wait: a byte, nothing there yet, or a failure.
  // In raw mode with VMIN = VTIME = 0 an empty line reads as 0 bytes.
  int take_byte(std::uint8_t& byte) {
    for (;;) {
      ssize_t n = ::read(fd_, &byte, 1);
      if (n == 1) return serial_byte_received;
      if (n == 0 || errno == EAGAIN) return serial_timed_out;
      if (errno == EINTR) continue;
      return serial_read_failed;
    }
  }

  // Every answer of the exchange is one byte; without low latency a USB
  // adapter would sit on each for its latency timer. A device that refuses
  // is used as it is; the setting found is put back on close.
  void ask_for_low_latency() {
    bool on = false;
    if (!driver_.low_latency(fd_, on) || on) return;
    low_latency_turned_on_ = driver_.set_low_latency(fd_, true);
    if (found_) found_->low_latency_to_clear = low_latency_turned_on_;
  }

  SerialDriver& driver_;
  int fd_ = -1;
  termios found_settings_{};
  bool have_found_ = false;
  FoundLine* found_ = nullptr;
  bool low_latency_turned_on_ = false;
};

}  // namespace

bool is_serial_speed(int baud) { return termios_speed(baud) != B0; }

void put_back_serial_lines() {
  for (FoundLine& line : found_lines) put_back(line);
}

std::string serial_device_path(const std::string& name) {
  int number = serial_port_number(name);
  if (number == 0) return {};
  std::string chosen = serial_device_chosen(name);
  if (!chosen.empty()) return chosen;
  return number == 1 ? "/dev/ttyS0" : "/dev/ttyS1";
}

SerialDriver& system_serial_driver() {
  static IoctlSerialDriver driver;
  return driver;
}

std::unique_ptr<SerialPort> make_system_serial_port(SerialDriver* driver) {
  return std::make_unique<TermiosPort>(driver ? *driver : system_serial_driver());
}

}  // namespace platform
