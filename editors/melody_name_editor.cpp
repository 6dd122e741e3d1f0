#include "editors/melody_name_editor.h"

#include <array>
#include <string>

namespace {

// The editor leaves a slot's last byte alone.
constexpr int name_places = MelodyNameFile::slot_size - 1;

using NameBytes = std::array<std::uint8_t, MelodyNameFile::slot_size>;

void draw_name(const NameBytes& name, ScreenPos at, std::uint8_t colour) {
  std::string text;
  for (std::uint8_t b : name) text.push_back(shown_name_char(b));
  print_at(at, text, colour);
}

// Removes the character at p of the editor's places; a 0 enters at the end.
void remove_at(NameBytes& name, int p) {
  if (p < 0 || p >= name_places) return;
  for (int i = p; i < name_places - 1; ++i) name[i] = name[i + 1];
  name[name_places - 1] = 0;
}

// Puts a character at p; the last of the places drops off.
void insert_at(NameBytes& name, int p, std::uint8_t ch) {
  for (int i = name_places - 1; i > p; --i) name[i] = name[i - 1];
  name[p] = ch;
}

// The character a key types, or -1. The console gives CP866 letters as
// ordinary keys; some consoles give them after the extended-key prefix.
int typed_character(int k, int scan, const MelodyNameEditor& rules) {
  if (k == key::extended) return rules.extended_letters && scan >= 128 && scan <= 254 ? scan : -1;
  return k >= 32 && k <= 254 ? k : -1;
}

void trace_key(const MelodyNameEditor& rules, int code) {
  if (rules.key_trace) print_at(*rules.key_trace, format("ch=%3d", code), COLOR_SCREEN);
}

// Reads a key and, after the extended prefix, its scan code (-1 for an
// ordinary key); each code read is traced.
int read_traced_key(const MelodyNameEditor& rules, int& scan) {
  int k = read_key();
  trace_key(rules, k);
  scan = -1;
  if (k == key::extended) {
    scan = read_key();
    trace_key(rules, scan);
  }
  return k;
}

}  // namespace

bool edit_melody_name(MelodyNameFile& names, int n, const MelodyNameEditor& rules) {
  NameBytes name = names.slot(n);
  int p = 0;
  for (;;) {
    draw_name(name, rules.at, COLOR_BOX);
    goto_xy(ScreenPos{rules.at.column + p, rules.at.row});
    int scan;
    int k = read_traced_key(rules, scan);
    if (int ch = typed_character(k, scan, rules); ch >= 0) {
      if (p < rules.last_cursor) insert_at(name, p++, static_cast<std::uint8_t>(ch));
      continue;
    }
    if (k == key::esc) return false;
    if (k == key::enter) {
      names.set_slot(n, name);
      return true;
    }
    if (k == key::backspace && p > 0) remove_at(name, --p);
    if (k != key::extended) continue;
    if (scan == key::del) remove_at(name, p);
    if (scan == key::left && p > 0) --p;
    if (scan == key::right && p < rules.last_cursor && name[p] != 0) ++p;
    if (scan == key::f10 && rules.on_help) rules.on_help();
  }
}
