#pragma once
// The frame of a page of fields: its hint line, the arrows over its grid,
// a table of the keys it takes and what each does, and the numbered things
// (ports, lines, groups, tables) Home, PgUp, PgDn and End step through.

#include <functional>
#include <vector>

#include "toolkit/screen.h"

// What a key did on the page.
enum class KeyResult {
  handled,  // done; the page goes on
  ignored,  // not this key's: the frame's own keys may take it
  leave,    // the page ends
  redraw,   // the values are shown again
};

struct PageKey {
  using Action = std::function<KeyResult(GridCursor& grid)>;
  int key;  // as grid_navigate returns it: Enter, Esc, Tab or a scan code
  Action action;
};

// In a key table: every key that no entry before it took, Esc too.
constexpr int any_page_key = -1;

// The numbered things the page shows one at a time.
struct PageNumber {
  int* current = nullptr;          // none: the page has no numbers
  std::function<int()> last;       // the highest, as the station counts them now
  bool home_and_end = true;        // false: only PgUp and PgDn step
  bool step_homes_cursor = false;  // true: a step puts the cursor on cell 1,1
};

struct FieldPage {
  GridCursor grid;
  // The page's hint line, drawn before each key. A page whose hints stand
  // from before it starts (their owner redraws them after what covers
  // them) has none here.
  std::function<void()> hints;
  // Shows every value; true when the user left at a failed read's box.
  std::function<bool(const GridCursor& grid)> show;
  std::vector<PageKey> keys;
  PageNumber number;
  // The values stand on the screen already (the page continues another's
  // drawing): the page starts at its first key, not with a show.
  bool starts_shown = false;
};

// Shows the values, then until Esc or a key that leaves: the hints, the
// arrows, the key table, then Home/PgUp/PgDn/End over the page's number
// (the values of the new number are shown; the cursor keeps its cell
// unless the number homes it).
// A redraw whose show ends with Esc at a box ends the page too. Esc runs
// its entry of the table (or any_page_key's), if it has one, and leaves
// whatever that returns.
void run_field_page(FieldPage& page);

// A key table entry whose action always handles its key.
PageKey handled_key(int key, std::function<void(GridCursor& grid)> action);
// The show of a page whose values stand on the screen already.
inline bool nothing_to_show(const GridCursor&) { return false; }
