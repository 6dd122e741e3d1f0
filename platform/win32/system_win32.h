#pragma once
// The outside viewer's command lines on Windows, apart from the running so
// that they can be checked.

#include <string>
#include <vector>

namespace platform::win32 {

// The viewer "hiew" first; where it cannot be started, the system's
// "more" shows the same file.
std::vector<std::string> viewer_command_lines(const std::string& file);

}  // namespace platform::win32
