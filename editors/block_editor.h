#pragma once
// The numbered-block editor: ports and city lines alike are chosen by
// number at a prompt, then a box menu of pages runs over the chosen one
// until Esc forgets it and the prompt comes back; Esc at the prompt ends
// the editor.

#include "toolkit/box_menu.h"

// The editor's state while it runs, which its pages (run from the page
// menu without arguments) read. The editor starts afresh each time it is
// chosen, so nothing of this outlives the screen.
struct BlockEditorState {
  int current = 0;    // the number being edited, 0 = none chosen
  int page_item = 1;  // the page menu's item; 0 ends the editor (or none highlighted)
};

struct BlockEditor {
  BlockEditorState* state;
  // The number prompt; on Esc it sets the page item to 0 and answers what
  // the editor goes on with (0 for none).
  int (*ask_number)();
  // The page menu's heading at column 20 of row 2: a pattern of "%2d".
  const char* heading;
  const BoxMenu* page_menu;  // each entry runs a page over state->current
  bool clear_first;          // the editor opens on a cleared screen
};

// The entry guard (a station or a loaded file), then prompt and page menu
// in turn as above.
void run_block_editor(const BlockEditor& editor);
