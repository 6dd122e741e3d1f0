#include "platform/system_shared.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/platform.h"

namespace platform {

std::uint64_t steady_now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void make_stop_line(StopLine& line, const char* program, const char* newline) {
  const char* start = standard_error_is_terminal() ? newline : "";
  int n = std::snprintf(line.text, sizeof line.text, "%s%s: stopped by a signal; the command did not finish%s", start,
                        program, newline);
  line.length = n > 0 ? std::min(static_cast<std::size_t>(n), sizeof line.text - 1) : 0;
}

}  // namespace platform
