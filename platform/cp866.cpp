#include "platform/cp866.h"

namespace cp866 {

std::string from_utf8(std::string_view utf8) {
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    int b = from_unicode(next_code_point(utf8, i));
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

static void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string glyph_utf8(unsigned char byte) {
  std::string out;
  append_utf8(out, glyphs[byte]);
  return out;
}

std::string to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(2 * bytes.size());
  for (unsigned char b : bytes) append_utf8(out, glyphs[b]);
  return out;
}

}  // namespace cp866
