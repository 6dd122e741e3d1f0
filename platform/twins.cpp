#include "platform/twins.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

namespace platform {

void ScriptedKeys::add(std::initializer_list<int> bytes, std::uint64_t after_ms) {
  std::uint64_t base = queue_.empty() ? (clock_ ? clock_->now_ms() : 0) : queue_.back().due;
  for (int b : bytes) queue_.push_back(Entry{static_cast<std::uint8_t>(b), base + after_ms});
}

void ScriptedKeys::add_text(const std::string& cp866_bytes) {
  for (char c : cp866_bytes) add({static_cast<unsigned char>(c)});
}

bool ScriptedKeys::waiting() {
  if (queue_.empty() && ended_) end_without_keys();
  if (queue_.empty()) return false;
  return !clock_ || queue_.front().due <= clock_->now_ms();
}

std::uint8_t ScriptedKeys::read() {
  if (queue_.empty() && ended_) end_without_keys();
  if (queue_.empty()) throw ScriptExhausted();
  Entry e = queue_.front();
  queue_.pop_front();
  if (clock_ && e.due > clock_->now_ms()) clock_->advance(e.due - clock_->now_ms());
  return e.byte;
}

void make_fifo(const std::string& path) {
#ifndef _WIN32
  ::mkfifo(path.c_str(), 0600);
#else
  (void)path;
#endif
}

#ifndef _WIN32
const bool FileSizeLimit::available = true;

// A write past the limit raises SIGXFSZ, which would end the program; with
// the signal ignored the write fails with EFBIG instead.
FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
  rlimit old{};
  if (::getrlimit(RLIMIT_FSIZE, &old) != 0) return;
  old_soft_ = old.rlim_cur, old_hard_ = old.rlim_max;
  rlimit limit{static_cast<rlim_t>(bytes), old.rlim_max};
  old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  if (!active_) std::signal(SIGXFSZ, old_handler_);
}

FileSizeLimit::~FileSizeLimit() {
  if (!active_) return;
  rlimit old{static_cast<rlim_t>(old_soft_), static_cast<rlim_t>(old_hard_)};
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_handler_);
}
#else
const bool FileSizeLimit::available = false;
FileSizeLimit::FileSizeLimit(std::uint64_t) {}
FileSizeLimit::~FileSizeLimit() {}
#endif

TestServices::TestServices() : saved_() {
  Services& s = services();
  saved_.display = s.display;
  saved_.keys = s.keys;
  saved_.clock = s.clock;
  saved_.runner = s.runner;
  s.screen = ScreenModel();
  s.display = &display;
  s.keys = &keys;
  s.clock = &clock;
  s.runner = &runner;
}

TestServices::~TestServices() {
  Services& s = services();
  s.display = saved_.display;
  s.keys = saved_.keys;
  s.clock = saved_.clock;
  s.runner = saved_.runner;
}

}  // namespace platform
