#include "platform/calendar.h"

namespace platform {

#ifdef _WIN32

std::tm local_time(std::time_t t) {
  std::tm out{};
  localtime_s(&out, &t);
  return out;
}

std::tm utc_time(std::time_t t) {
  std::tm out{};
  gmtime_s(&out, &t);
  return out;
}

std::time_t utc_seconds(std::tm t) { return _mkgmtime(&t); }

#else

std::tm local_time(std::time_t t) {
  std::tm out{};
  localtime_r(&t, &out);
  return out;
}

std::tm utc_time(std::time_t t) {
  std::tm out{};
  gmtime_r(&t, &out);
  return out;
}

std::time_t utc_seconds(std::tm t) { return timegm(&t); }

#endif

}  // namespace platform
