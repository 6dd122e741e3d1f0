#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

#include "platform/calendar.h"
#include "platform/files.h"

namespace platform {

Services& services() {
  static Services instance;
  return instance;
}

void present() {
  Services& s = services();
  if (s.display) s.display->present(s.screen);
}

std::uint8_t next_key_byte() {
  present();
  return services().keys->read();
}

bool key_byte_waiting() {
  present();
  return services().keys->waiting();
}

void sleep_ms(int ms) {
  present();
  if (ms > 0) services().clock->sleep_ms(ms);
}

std::uint64_t now_ms() { return services().clock->now_ms(); }

std::tm local_now() { return local_time(services().clock->wall_seconds()); }

void run_viewer(const std::string& file) {
  Services& s = services();
  present();
  if (s.display) s.display->suspend();
  if (s.runner) s.runner->run_viewer(file);
  if (s.display) {
    s.display->resume(s.screen);
    s.display->present(s.screen);
  }
}

namespace {
int works_under_way = 0;
}  // namespace

WorkUnderWay::WorkUnderWay() { ++works_under_way; }
WorkUnderWay::~WorkUnderWay() { --works_under_way; }

namespace {

// Keys of a command with no screen: none waits, and one asked for ends it.
class NoKeys : public KeyInput {
 public:
  bool waiting() override { return false; }
  std::uint8_t read() override {
    remove_temporaries_on_signal();
    std::fputs("a key was asked for in a command with no screen; it was not finished\n", stderr);
    std::exit(1);
  }
};

}  // namespace

void use_no_terminal() {
  static NoKeys no_keys;
  services().display = nullptr;
  services().keys = &no_keys;
}

void end_without_keys() {
  remove_temporaries_on_signal();
  if (works_under_way == 0) std::exit(0);
  std::fputs("input ended during a transfer; it was not finished and no file was changed\n", stderr);
  std::exit(1);
}

}  // namespace platform
