#pragma once
// Calendar time, the broken-down forms the systems give under different
// names (localtime_r and timegm on POSIX, localtime_s and _mkgmtime on
// Windows).

#include <ctime>

namespace platform {

std::tm local_time(std::time_t t);
std::tm utc_time(std::time_t t);
// The moment a broken-down UTC time names; fields out of range carry over.
std::time_t utc_seconds(std::tm t);

}  // namespace platform
