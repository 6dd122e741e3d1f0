#pragma once
// The melody name editor and the volume bar of the two melody screens. Both
// programs edit "name.mld" the same way: insert mode over the first 31 bytes
// of a name on a working copy, Enter keeping it and Esc leaving the old
// name. What the two programs do differently is told in the rules.

#include <cstdint>

#include "editors/melody_names.h"
#include "toolkit/screen.h"

struct MelodyNameEditor {
  ScreenPos at;     // where the name's first character stands
  int last_cursor;  // the cursor never passes this place; nothing is typed on it
  // Whether a letter 128..254 may also come after the extended-key prefix.
  bool extended_letters = false;
  // Where every key's code is shown as "ch=%3d"; nowhere when null.
  const ScreenPos* key_trace = nullptr;
  void (*on_help)() = nullptr;  // F10; ignored when null
};

// Edits the name of melody n in memory; true when Enter kept a new name.
bool edit_melody_name(MelodyNameFile& names, int n, const MelodyNameEditor& rules);

// The station keeps a melody volume as 15 - level in its low four bits; the
// programs write the upper bits as 0x40.
constexpr int loudest_volume = 15;
constexpr int volume_level(int stored) { return loudest_volume - (stored & 0x0F); }
constexpr int stored_volume(int level) { return 0x40 + loudest_volume - level; }

// The volume bar: 16 line characters with a marker at the level.
struct VolumeBar {
  ScreenPos at;
  char line;
  char marker;
};
void draw_volume_bar(const VolumeBar& bar, int level, std::uint8_t colour);
