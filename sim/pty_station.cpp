#include "sim/pty_station.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace sim {
namespace {

std::uint64_t steady_us() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int baud_of(speed_t speed) {
  switch (speed) {
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    default: return 0;
  }
}

}  // namespace

PtyStation::~PtyStation() {
  remove_link();
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyStation::open(std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
    return false;
  }
  const char* name = ::ptsname(master_);
  if (!name) {
    error = "the pseudo-terminal has no device name";
    return false;
  }
  device_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    error = "cannot open " + device_ + ": " + std::strerror(errno);
    return false;
  }
  // Raw from the start: a cooked line would echo the station's answers
  // back to it before a program has set the line up.
  termios t{};
  if (::tcgetattr(slave_, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(slave_, TCSANOW, &t);
  }
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  return true;
}

bool PtyStation::make_link(const std::string& path, std::string& error) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      error = path + " exists and is not a symbolic link; not replacing it";
      return false;
    }
    ::unlink(path.c_str());
  }
  if (::symlink(device_.c_str(), path.c_str()) != 0) {
    error = "cannot make the link " + path + ": " + std::strerror(errno);
    return false;
  }
  link_ = path;
  return true;
}

void PtyStation::remove_link() {
  if (link_.empty()) return;
  // Only our own link: another simulator may have taken the name since.
  char target[PATH_MAX];
  ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
  if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == device_) ::unlink(link_.c_str());
  link_.clear();
}

// The kernel lists every lock in /proc/locks as "... MAJ:MIN:INODE ...".
bool PtyStation::someone_holds_the_lock() const {
  struct stat st {};
  if (::fstat(slave_, &st) != 0) return true;
  char mine[64];
  std::snprintf(mine, sizeof mine, " %02x:%02x:%lu ", major(st.st_dev), minor(st.st_dev),
                static_cast<unsigned long>(st.st_ino));
  std::ifstream locks("/proc/locks");
  if (!locks) return true;  // cannot tell: leave the flag alone
  std::string line;
  while (std::getline(locks, line))
    if ((line + " ").find(mine) != std::string::npos) return true;
  return false;
}

void PtyStation::release_abandoned_line() {
  int exclusive = 0;
  if (slave_ < 0 || ::ioctl(slave_, TIOCGEXCL, &exclusive) != 0 || !exclusive) return;
  if (someone_holds_the_lock()) return;
  ::ioctl(slave_, TIOCNXCL);
  if (note) note("the program before left the line without closing it; it is free again");
}

int PtyStation::line_baud() const {
  termios t{};
  if (::tcgetattr(slave_, &t) != 0) return 0;
  if ((t.c_cflag & CSIZE) != CS8 || (t.c_cflag & PARENB) || (t.c_lflag & ECHO)) return 0;
  return baud_of(::cfgetospeed(&t));
}

std::size_t PtyStation::bytes_waiting() const {
  int n = 0;
  if (master_ < 0 || ::ioctl(master_, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<std::size_t>(n);
}

// How long to wait, in microseconds (-1: no limit): at most `wait_ms`, and
// no later than the next answer is due. Microseconds, because a paced answer
// at 57600 baud is due in a third of a millisecond.
std::int64_t PtyStation::wait_limit_us(int wait_ms, std::uint64_t now_us) const {
  std::int64_t limit = wait_ms < 0 ? -1 : static_cast<std::int64_t>(wait_ms) * 1000;
  for (const Pending& p : pending_) {
    std::int64_t until = p.due_us <= now_us ? 0 : static_cast<std::int64_t>(p.due_us - now_us);
    if (limit < 0 || until < limit) limit = until;
  }
  if (storage_ && storage_->on()) {
    std::uint64_t due_ms = storage_->next_due_ms();
    if (due_ms != UINT64_MAX) {
      std::int64_t until = due_ms * 1000 <= now_us ? 0 : static_cast<std::int64_t>(due_ms * 1000 - now_us);
      if (limit < 0 || until < limit) limit = until;
    }
  }
  if (storage_auto_ && storage_ && !storage_->on()) {
    std::uint64_t due_us = program_spoke_us_ + static_cast<std::uint64_t>(auto_storage_quiet_ms) * 1000;
    std::int64_t until = due_us <= now_us ? 0 : static_cast<std::int64_t>(due_us - now_us);
    if (limit < 0 || until < limit) limit = until;
  }
  return limit;
}

void PtyStation::answer(std::uint8_t byte, std::uint64_t now_us) {
  program_spoke_us_ = now_us;
  if (storage_auto_ && storage_ && storage_->on() && !storage_->takes_as_answer(byte)) {
    storage_->switch_on(false, now_us / 1000);
    pending_.clear();  // the device's unanswered byte is not the station's answer
    if (note) note("the program speaks to the station: storage device off");
  }
  if (storage_ && storage_->on()) {
    storage_->take(byte, now_us / 1000);
    return;
  }
  int baud = line_baud();
  if (baud != station_.baud() && baud != last_refused_baud_ && note) {
    note("the line is at " + (baud ? std::to_string(baud) + " baud" : std::string("a format other than 8N1")) +
         ", the station at " + std::to_string(station_.baud()) + ": no answer");
  }
  last_refused_baud_ = baud == station_.baud() ? -1 : baud;
  // A simulator too busy to read the line in time reads the program's
  // command byte and its repeat after the time-out together, before the
  // first answer has gone out. The station answers once and its frame
  // starts there, as a station that heard only the repeat would.
  if (!pending_.empty() && station_.repeats_frame_start(byte)) {
    if (note) note("command byte repeated before its answer went out: answered once");
    return;
  }
  if (auto reply = line_.on_byte(byte, baud, now_us / 1000))
    pending_.push_back({now_us + reply->delay_us, order_++, reply->byte});
}

void PtyStation::send_due(std::uint64_t now_us) {
  std::sort(pending_.begin(), pending_.end(), [](const Pending& a, const Pending& b) {
    return a.due_us != b.due_us ? a.due_us < b.due_us : a.order < b.order;
  });
  std::size_t sent = 0;
  while (sent < pending_.size() && pending_[sent].due_us <= now_us) {
    ssize_t n = ::write(master_, &pending_[sent].byte, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n != 1 && note) note("answer lost: the program is not reading the line");
    ++sent;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(sent));
}

bool PtyStation::serve(int wait_ms, const sigset_t* mask) {
  std::int64_t limit = wait_limit_us(wait_ms, steady_us());
  timespec ts{static_cast<time_t>(limit / 1000000), static_cast<long>(limit % 1000000) * 1000L};
  pollfd p{master_, POLLIN, 0};
  int n = ::ppoll(&p, 1, limit < 0 ? nullptr : &ts, mask);
  if (n < 0 && errno != EINTR) return false;
  if (n > 0 && (p.revents & POLLIN)) {
    std::uint8_t bytes[64];
    ssize_t got = ::read(master_, bytes, sizeof bytes);
    if (got < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) return false;
    std::uint64_t now = steady_us();
    for (ssize_t i = 0; i < got; ++i) answer(bytes[i], now);
  }
  drive_storage(steady_us());
  send_due(steady_us());
  return true;
}

void PtyStation::switch_storage_by_itself(std::uint64_t now_us) {
  if (!storage_auto_ || !storage_ || storage_->on()) return;
  if (now_us - program_spoke_us_ < static_cast<std::uint64_t>(auto_storage_quiet_ms) * 1000) return;
  storage_->switch_on(true, now_us / 1000);
  if (note) note("the program is quiet: storage device on");
}

void PtyStation::drive_storage(std::uint64_t now_us) {
  switch_storage_by_itself(now_us);
  if (!storage_ || !storage_->on()) return;
  if (auto b = storage_->next_byte(now_us / 1000)) pending_.push_back({now_us, order_++, *b});
}

}  // namespace sim
