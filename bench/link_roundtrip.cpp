// Round trips through link_read_block against a station on a serial line
// (the simulator's pseudo-terminal behind STATION_COM1): reads `reads`
// blocks of `count` bytes across the configuration window and reports the
// time taken, block reads and byte round trips per second, and the time the
// same bytes take on the wire at the line speed.
//
//   link_roundtrip [reads] [count] [speed index 0..3]
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "facts/station_facts.h"
#include "link/link.h"
#include "platform/platform.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "toolkit/profile.h"

namespace {

// CPU time of this process so far, user and system, in seconds.
double cpu_seconds() {
  rusage use{};
  getrusage(RUSAGE_SELF, &use);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(use.ru_utime) + seconds(use.ru_stime);
}

// No keyboard here: a box that waits for a key gets one at once.
class NoKeys : public platform::KeyInput {
 public:
  bool waiting() override { return false; }
  std::uint8_t read() override { return ' '; }
};

}  // namespace

int main(int argc, char** argv) {
  int reads = argc > 1 ? std::atoi(argv[1]) : 2048;
  int count = argc > 2 ? std::atoi(argv[2]) : 16;
  int speed_index = argc > 3 ? std::atoi(argv[3]) : 3;
  if (reads < 1 || count < 1 || count > 255 || speed_index < 0 || speed_index > 3) {
    std::fprintf(stderr, "usage: link_roundtrip [reads] [count 1..255] [speed index 0..3]\n");
    return 2;
  }
  platform::use_system_services();
  NoKeys keys;
  platform::services().keys = &keys;
  use_program(karvel_program);
  reset_run_state();
  link_state.speed_index = speed_index;
  if (link_open_port() != 0) {
    std::fprintf(stderr, "link_roundtrip: cannot open COM1\n");
    return 1;
  }
  link_rts_on();
  link_state.station_connected = 1;

  int failures = 0;
  double cpu_start = cpu_seconds();
  std::uint64_t start = platform::now_ms();
  for (int i = 0; i < reads; ++i) {
    int address = facts::karvel_window + (i * count) % (facts::karvel_image_size - count);
    if (link_read_block(address, count) != 0) ++failures;
  }
  double seconds = (platform::now_ms() - start) / 1000.0;
  double cpu = cpu_seconds() - cpu_start;

  // Each byte out is answered by one byte back: command, two address
  // bytes, count, count - 1 acknowledgements and the check byte.
  int exchanges_per_read = 4 + (count - 1) + 1;
  double exchanges = static_cast<double>(reads) * exchanges_per_read;
  double wire_seconds = exchanges * 2 * 10 / facts::karvel_speeds[speed_index];  // 8N1: 10 bits a byte
  std::printf("reads %d of %d bytes at %d baud: %.3f s, %d failed\n", reads, count, facts::karvel_speeds[speed_index], seconds, failures);
  std::printf("block reads per second: %.1f\n", seconds > 0 ? reads / seconds : 0.0);
  std::printf("byte round trips per second: %.0f\n", seconds > 0 ? exchanges / seconds : 0.0);
  std::printf("wire time: %.3f s; measured / wire: %.3f\n", wire_seconds, seconds / wire_seconds);
  // What the program side spends of its own, whatever the far end does.
  std::printf("program CPU per round trip: %.1f us (%.1f %% of its wire time)\n", cpu / exchanges * 1e6,
              100 * cpu / wire_seconds);
  return failures ? 1 : 0;
}
