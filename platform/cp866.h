#pragma once
// Code page 866: the programs keep every text as CP866 bytes, as the
// station's DOS heritage has it. Source files are UTF-8, so string literals
// are converted at compile time with the _cp suffix; the terminal back end
// converts cells to Unicode only when it draws them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cp866 {

// The glyph each of the 256 bytes shows on a text-mode screen. Bytes below
// 0x20 show the familiar OEM symbols (16 is the right-pointing triangle).
inline constexpr std::array<char32_t, 256> glyphs = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  // 00
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  // 08
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  // 10
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  // 18
    0x0020, 0x0021, 0x0022, 0x0023, 0x0024, 0x0025, 0x0026, 0x0027,  // 20
    0x0028, 0x0029, 0x002A, 0x002B, 0x002C, 0x002D, 0x002E, 0x002F,  // 28
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,  // 30
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,  // 38
    0x0040, 0x0041, 0x0042, 0x0043, 0x0044, 0x0045, 0x0046, 0x0047,  // 40
    0x0048, 0x0049, 0x004A, 0x004B, 0x004C, 0x004D, 0x004E, 0x004F,  // 48
    0x0050, 0x0051, 0x0052, 0x0053, 0x0054, 0x0055, 0x0056, 0x0057,  // 50
    0x0058, 0x0059, 0x005A, 0x005B, 0x005C, 0x005D, 0x005E, 0x005F,  // 58
    0x0060, 0x0061, 0x0062, 0x0063, 0x0064, 0x0065, 0x0066, 0x0067,  // 60
    0x0068, 0x0069, 0x006A, 0x006B, 0x006C, 0x006D, 0x006E, 0x006F,  // 68
    0x0070, 0x0071, 0x0072, 0x0073, 0x0074, 0x0075, 0x0076, 0x0077,  // 70
    0x0078, 0x0079, 0x007A, 0x007B, 0x007C, 0x007D, 0x007E, 0x2302,  // 78
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 80
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 88
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 90
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 98
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // A0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // E0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // E8
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // F8
};

// Unicode code point to CP866 byte; -1 when the code page has no such glyph.
constexpr int from_unicode(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (int b = 0; b < 256; ++b) {
    if (b >= 0x20 && b < 0x80) continue;
    if (glyphs[b] == cp) return b;
  }
  if (cp == 0x00A0) return 0xFF;
  return -1;
}

// Decodes one UTF-8 sequence starting at s[i]; advances i. Returns
// 0xFFFFFFFF on a malformed sequence.
constexpr char32_t next_code_point(std::string_view s, std::size_t& i) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b0 = byte(i);
  int extra = b0 < 0x80 ? 0 : (b0 >> 5) == 0x6 ? 1 : (b0 >> 4) == 0xE ? 2 : (b0 >> 3) == 0x1E ? 3 : -1;
  if (extra < 0) {
    ++i;
    return 0xFFFFFFFFu;
  }
  if (i + extra >= s.size()) {
    i = s.size();
    return 0xFFFFFFFFu;
  }
  char32_t cp = extra == 0 ? b0 : (b0 & (0x3F >> extra));
  for (int k = 1; k <= extra; ++k) {
    unsigned char b = byte(i + k);
    if ((b & 0xC0) != 0x80) {
      i += k;
      return 0xFFFFFFFFu;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += extra + 1;
  return cp;
}

// Run-time conversion of UTF-8 text (file names, typed text); characters the
// code page lacks become '?'.
std::string from_utf8(std::string_view utf8);
// CP866 bytes to UTF-8, each byte by its screen glyph (control bytes too).
std::string to_utf8(std::string_view bytes);
// One CP866 byte's glyph as UTF-8.
std::string glyph_utf8(unsigned char byte);

// The literal's characters as a pack: a class-type template argument would
// be simpler, but clang 14 crashes printing one in a diagnostic note (a
// "..."_cp inside a std::vector's braced initialiser), and the fuzz and
// sanitizer builds use clang.
template <char... Cs>
consteval auto convert_literal() {
  constexpr char text[] = {Cs..., '\0'};
  std::array<char, sizeof...(Cs) + 1> out{};
  std::string_view in(text, sizeof...(Cs));
  std::size_t i = 0, o = 0;
  while (i < in.size()) {
    char32_t cp = next_code_point(in, i);
    int b = from_unicode(cp);
    if (b < 0) throw "literal holds a character that CP866 lacks";
    out[o++] = static_cast<char>(b);
  }
  return out;
}

template <char... Cs>
inline constexpr auto literal_storage = convert_literal<Cs...>();

}  // namespace cp866

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#ifdef __clang__
#pragma clang diagnostic ignored "-Wgnu-string-literal-operator-template"
#endif
// "Файл"_cp is the CP866 form of the literal, NUL-terminated, with static
// storage, so it may be kept in tables.
template <typename C, C... Cs>
constexpr const char* operator""_cp() {
  return cp866::literal_storage<Cs...>.data();
}
#pragma GCC diagnostic pop
