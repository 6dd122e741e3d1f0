#pragma once
// What the POSIX and the Win32 system back ends share.

#include <cstddef>
#include <cstdint>

namespace platform {

// Milliseconds of the steady clock, which never goes back.
std::uint64_t steady_now_ms();

// The line a command stopped by a signal leaves on standard error. It is
// made before any signal can come, so that the handler only writes it.
struct StopLine {
  char text[128] = {};
  std::size_t length = 0;
};
// `newline` is the system's line end; on a terminal it starts the line as
// well, which may follow a progress bar. A long program name is cut.
void make_stop_line(StopLine& line, const char* program, const char* newline);

}  // namespace platform
