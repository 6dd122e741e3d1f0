#pragma once
// The melody name editor. Both programs edit "name.mld" the same way:
// insert mode over the first 31 bytes of a name on a working copy, Enter
// keeping it and Esc leaving the old name. What the two programs do
// differently is told in the rules.

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
