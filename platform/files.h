#pragma once
// File operations whose meaning differs between systems.

#include <string>

namespace platform {

// Puts the file `from` in the place of `to`, replacing a file of that name
// in one step (a plain rename refuses an existing target on Windows).
bool replace_file(const std::string& from, const std::string& to);

}  // namespace platform
