#include "platform/files.h"

#include "platform/cp866.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace platform {

std::filesystem::path file_path(std::string_view cp866_name) {
#ifdef _WIN32
  std::wstring wide;
  for (unsigned char b : cp866_name) wide.push_back(static_cast<wchar_t>(cp866::glyphs[b]));
  return std::filesystem::path(wide);
#else
  return std::filesystem::path(cp866::to_utf8(cp866_name));
#endif
}

std::optional<std::string> cp866_file_name(const std::filesystem::path& name) {
  std::string cp;
#ifdef _WIN32
  // Half of a surrogate pair has no CP866 glyph either.
  for (wchar_t c : name.native()) {
    int b = cp866::from_unicode(static_cast<char32_t>(c));
    if (b < 0) return std::nullopt;
    cp.push_back(static_cast<char>(b));
  }
#else
  cp = cp866::from_utf8(name.native());
#endif
  if (file_path(cp).native() != name.native()) return std::nullopt;
  return cp;
}

bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to) {
#ifdef _WIN32
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace platform
