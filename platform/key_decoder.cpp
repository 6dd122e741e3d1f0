#include "platform/key_decoder.h"

#include <string_view>

#include "platform/cp866.h"
#include "platform/keys.h"

namespace platform {
namespace {

constexpr char32_t esc_char = 0x1B;
constexpr char32_t delete_char = 0x7F;
// Longer than any key's sequence; anything longer is not from a key.
constexpr std::size_t longest_sequence = 16;

// The PC's scan codes of a cursor or function key alone and with Shift,
// Ctrl and Alt.
struct ScanCodes {
  std::uint8_t plain, shift, ctrl, alt;
};
constexpr ScanCodes up_key{key::up, key::up, 0x8D, 0x98};
constexpr ScanCodes down_key{key::down, key::down, 0x91, 0xA0};
constexpr ScanCodes left_key{key::left, key::left, 0x73, 0x9B};
constexpr ScanCodes right_key{key::right, key::right, 0x74, 0x9D};
constexpr ScanCodes home_key{key::home, key::home, 0x77, 0x97};
constexpr ScanCodes end_key{key::end, key::end, 0x75, 0x9F};
constexpr ScanCodes pgup_key{key::pgup, key::pgup, 0x84, 0x99};
constexpr ScanCodes pgdn_key{key::pgdn, key::pgdn, 0x76, 0xA1};
constexpr ScanCodes insert_key{key::insert, key::insert, 0x92, 0xA2};
constexpr ScanCodes delete_key{key::del, key::del, 0x93, 0xA3};
constexpr ScanCodes back_tab_key{0x0F, 0x0F, 0x94, 0xA5};  // Shift+Tab

// F1..F10 are four runs of ten; F11 and F12 came later and sit apart.
constexpr ScanCodes function_key(int n) {
  auto at = [n](int first) { return static_cast<std::uint8_t>(first + n - 1); };
  if (n <= 10) return {at(key::f1), at(0x54), at(0x5E), at(0x68)};
  if (n == 11) return {0x85, 0x87, 0x89, 0x8B};
  return {0x86, 0x88, 0x8A, 0x8C};
}

struct Modifiers {
  bool shift = false, alt = false, ctrl = false;
};

// xterm's modifier parameter: 1 + a bit each for Shift, Alt and Ctrl.
Modifiers modifiers_from(int parameter) {
  int bits = parameter > 1 ? parameter - 1 : 0;
  return {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
}

std::uint8_t scan_code_with(const ScanCodes& codes, Modifiers m) {
  if (m.alt) return codes.alt;
  if (m.ctrl) return codes.ctrl;
  if (m.shift) return codes.shift;
  return codes.plain;
}

// "Esc [ N ~": the editing and function keys by number (VT220, xterm,
// rxvt and the Linux console).
const ScanCodes* key_by_number(int n) {
  static const ScanCodes f[12] = {function_key(1), function_key(2), function_key(3),  function_key(4),
                                  function_key(5), function_key(6), function_key(7),  function_key(8),
                                  function_key(9), function_key(10), function_key(11), function_key(12)};
  switch (n) {
    case 1: case 7: return &home_key;
    case 2: return &insert_key;
    case 3: return &delete_key;
    case 4: case 8: return &end_key;
    case 5: return &pgup_key;
    case 6: return &pgdn_key;
    case 11: case 12: case 13: case 14: case 15: return &f[n - 11];
    case 17: case 18: case 19: case 20: case 21: return &f[n - 12];
    case 23: case 24: return &f[n - 13];
    default: return nullptr;
  }
}

// "Esc [ X" and "Esc O X": the cursor keys and F1..F4 by their last letter.
const ScanCodes* key_by_letter(char32_t final) {
  static const ScanCodes f[4] = {function_key(1), function_key(2), function_key(3), function_key(4)};
  switch (final) {
    case 'A': case 'a': return &up_key;
    case 'B': case 'b': return &down_key;
    case 'C': case 'c': return &right_key;
    case 'D': case 'd': return &left_key;
    case 'H': return &home_key;
    case 'F': return &end_key;
    case 'P': case 'Q': case 'R': case 'S': return &f[final - 'P'];
    default: return nullptr;
  }
}

// What a sequence says once it is complete.
struct Sequence {
  char32_t intro = 0;         // '[' or 'O'
  bool console_form = false;  // "Esc [ [ A".."Esc [ [ E": the Linux console's F1..F5
  bool odd_parameters = false;  // anything but digits and ";" (mouse, replies): no key
  int parameters[4] = {};
  int count = 0;
  char32_t final = 0;
};

Sequence parse(const std::u32string& held) {
  Sequence s;
  s.intro = held[1];
  s.final = held.back();
  std::size_t first = 2;
  if (s.intro == '[' && held.size() > 3 && held[2] == '[') {
    s.console_form = true;
    first = 3;
  }
  std::u32string_view middle(held.data() + first, held.size() - 1 - first);
  if (middle.empty()) return s;
  // Numbers separated by ";"; an empty one counts as 0.
  s.count = 1;
  for (char32_t c : middle) {
    if (c == ';' && s.count < 4) {
      ++s.count;
    } else if (c >= '0' && c <= '9') {
      int& p = s.parameters[s.count - 1];
      if (p < 1000) p = p * 10 + static_cast<int>(c - '0');
    } else {
      s.odd_parameters = true;
    }
  }
  return s;
}

// The keypad in application mode: "Esc O" and a letter for each key.
int keypad_character(char32_t final) {
  if (final == 'M') return key::enter;
  if (final == 'X') return '=';
  if (final >= 'j' && final <= 'y') return static_cast<int>(std::u32string_view(U"*+,-./0123456789")[final - 'j']);
  return -1;
}

// "Esc [ N ~" with xterm's modifier after the number, or rxvt's "$" (Shift),
// "^" (Ctrl) and "@" (both) in place of the "~".
int numbered_key_code(const Sequence& s) {
  if (s.count == 0) return -1;
  const ScanCodes* codes = key_by_number(s.parameters[0]);
  if (!codes) return -1;
  Modifiers m;
  if (s.final == '~' && s.count > 1) m = modifiers_from(s.parameters[1]);
  m.shift = m.shift || s.final == '$' || s.final == '@';
  m.ctrl = m.ctrl || s.final == '^' || s.final == '@';
  return scan_code_with(*codes, m);
}

// "Esc [ 1 ; M X" and "Esc O X" (old xterm: "Esc O M X"); rxvt sends its
// Shift and Ctrl arrows with lower-case letters instead.
int lettered_key_code(const Sequence& s) {
  if (s.final == 'Z') return s.intro == '[' ? back_tab_key.plain : -1;
  const ScanCodes* codes = key_by_letter(s.final);
  if (!codes) return -1;
  Modifiers m;
  if (s.final >= 'a' && s.final <= 'd') {
    m.shift = s.intro == '[';
    m.ctrl = s.intro == 'O';
  } else if (s.count == 2) {
    m = modifiers_from(s.parameters[1]);
  } else if (s.count == 1 && s.intro == 'O') {
    m = modifiers_from(s.parameters[0]);
  }
  return scan_code_with(*codes, m);
}

// The scan code a complete sequence stands for, or -1.
int scan_code_of(const Sequence& s) {
  if (s.console_form) {
    bool f1_to_f5 = s.count == 0 && s.final >= 'A' && s.final <= 'E';
    return f1_to_f5 ? function_key(static_cast<int>(s.final - 'A') + 1).plain : -1;
  }
  switch (s.final) {
    case '~': case '$': case '^': case '@': return numbered_key_code(s);
    default: return lettered_key_code(s);
  }
}

// The key of the US layout for each letter of the Russian one at the same
// place: Alt+й is Alt+Q.
constexpr std::u32string_view russian_letters = U"йцукенгшщзхъфывапролджэячсмитьбюё";
constexpr std::string_view us_keys_of_russian = "qwertyuiop[]asdfghjkl;'zxcvbnm,.`";
static_assert(russian_letters.size() == us_keys_of_russian.size());

struct AltKey {
  char key, shifted;
  std::uint8_t scan;
};
constexpr AltKey alt_keys[] = {
    {'1', '!', 0x78},  {'2', '@', 0x79}, {'3', '#', 0x7A},  {'4', '$', 0x7B}, {'5', '%', 0x7C}, {'6', '^', 0x7D},
    {'7', '&', 0x7E},  {'8', '*', 0x7F}, {'9', '(', 0x80},  {'0', ')', 0x81}, {'-', '_', 0x82}, {'=', '+', 0x83},
    {'q', 'Q', 0x10},  {'w', 'W', 0x11}, {'e', 'E', 0x12},  {'r', 'R', 0x13}, {'t', 'T', 0x14}, {'y', 'Y', 0x15},
    {'u', 'U', 0x16},  {'i', 'I', 0x17}, {'o', 'O', 0x18},  {'p', 'P', 0x19}, {'[', '{', 0x1A}, {']', '}', 0x1B},
    {'a', 'A', 0x1E},  {'s', 'S', 0x1F}, {'d', 'D', 0x20},  {'f', 'F', 0x21}, {'g', 'G', 0x22}, {'h', 'H', 0x23},
    {'j', 'J', 0x24},  {'k', 'K', 0x25}, {'l', 'L', 0x26},  {';', ':', 0x27}, {'\'', '"', 0x28}, {'`', '~', 0x29},
    {'\\', '|', 0x2B}, {'z', 'Z', 0x2C}, {'x', 'X', 0x2D},  {'c', 'C', 0x2E}, {'v', 'V', 0x2F}, {'b', 'B', 0x30},
    {'n', 'N', 0x31},  {'m', 'M', 0x32}, {',', '<', 0x33},  {'.', '>', 0x34}, {'/', '?', 0x35},
};

char32_t lower_russian(char32_t ch) {
  if (ch >= U'А' && ch <= U'Я') return ch + 0x20;
  if (ch == U'Ё') return U'ё';
  return ch;
}

}  // namespace

int alt_scan_code(char32_t ch) {
  std::size_t at = russian_letters.find(lower_russian(ch));
  if (at != std::u32string_view::npos) ch = static_cast<unsigned char>(us_keys_of_russian[at]);
  for (const AltKey& k : alt_keys) {
    if (ch == static_cast<unsigned char>(k.key) || ch == static_cast<unsigned char>(k.shifted)) return k.scan;
  }
  return -1;
}

void KeyDecoder::feed(char32_t ch, std::uint64_t now_ms) {
  tick(now_ms);
  if (held_.empty()) {
    if (ch == esc_char) {
      held_.assign(1, ch);
      held_at_ = now_ms;
    } else {
      take_plain(ch);
    }
    return;
  }
  if (held_.size() > 1) {
    continue_sequence(ch, now_ms);
    return;
  }
  // Only an Esc is held.
  if (ch == '[' || ch == 'O') {
    held_.push_back(ch);
    held_at_ = now_ms;
    return;
  }
  if (ch == esc_char) {  // Esc twice: the first one was the key
    keys_.push_back(key::esc);
    held_at_ = now_ms;
    return;
  }
  held_.clear();
  if (ch < 0x20 || ch == delete_char) {
    // Esc and then Enter, Tab or Backspace are two keys, as a quick hand
    // presses them; no screen has a use for those keys with Alt.
    keys_.push_back(key::esc);
    take_plain(ch);
    return;
  }
  take_alt(ch);
}

void KeyDecoder::continue_sequence(char32_t ch, std::uint64_t now_ms) {
  bool console_intro = held_ == U"\x1b[" && ch == '[';
  bool console_key = held_ == U"\x1b[[";
  bool parameter = !console_key && ch >= 0x30 && ch <= 0x3F;
  // rxvt ends its shifted keys with "$", which is no final character
  // elsewhere; no key sends it inside a sequence.
  bool final = (ch >= 0x40 && ch <= 0x7E) || ch == '$';
  if (console_intro || parameter) {
    if (held_.size() < longest_sequence) held_.push_back(ch);
    else overlong_ = true;  // swallowed up to its final character, then dropped
    held_at_ = now_ms;
    return;
  }
  if (final) {
    held_.push_back(ch);
    if (!overlong_) decode_sequence();
    clear_held();
    return;
  }
  // Not part of a sequence: what was held is given up and the character
  // taken on its own.
  give_up_held();
  feed(ch, now_ms);
}

void KeyDecoder::decode_sequence() {
  Sequence s = parse(held_);
  if (s.odd_parameters) return;
  if (int scan = scan_code_of(s); scan > 0) {
    push_extended(scan);
    return;
  }
  int keypad = s.intro == 'O' && s.count == 0 ? keypad_character(s.final) : -1;
  if (keypad >= 0) take_plain(static_cast<char32_t>(keypad));
}

void KeyDecoder::give_up_held() {
  if (held_.size() == 1) keys_.push_back(key::esc);
  else if (held_.size() == 2) take_alt(held_[1]);  // Alt+[ or Alt+O, nothing after
  clear_held();
}

void KeyDecoder::clear_held() {
  held_.clear();
  overlong_ = false;
}

void KeyDecoder::tick(std::uint64_t now_ms) {
  std::optional<std::uint64_t> due = deadline();
  if (due && now_ms >= *due) give_up_held();
}

std::optional<std::uint64_t> KeyDecoder::deadline() const {
  if (held_.empty()) return std::nullopt;
  return held_at_ + (held_.size() == 1 ? esc_wait_ms : sequence_gap_ms);
}

void KeyDecoder::flush() { give_up_held(); }

std::uint8_t KeyDecoder::take() {
  std::uint8_t b = keys_.front();
  keys_.pop_front();
  return b;
}

void KeyDecoder::take_plain(char32_t ch) {
  if (ch == delete_char) {
    keys_.push_back(key::backspace);
    return;
  }
  // A NUL would read as the extended prefix and swallow the next key.
  int b = cp866::from_unicode(ch);
  if (b > 0) keys_.push_back(static_cast<std::uint8_t>(b));
}

void KeyDecoder::take_alt(char32_t ch) {
  int scan = alt_scan_code(ch);
  if (scan > 0) push_extended(scan);
}

void KeyDecoder::push_extended(int scan_code) {
  keys_.push_back(key::extended);
  keys_.push_back(static_cast<std::uint8_t>(scan_code));
}

}  // namespace platform
