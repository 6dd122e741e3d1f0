#include "editors/block_editor.h"

#include "editors/screen_entry.h"
#include "platform/keys.h"
#include "toolkit/screen.h"

namespace {

// The page menu of the current number; Esc forgets the number.
void run_page_menu(const BlockEditor& editor) {
  BlockEditorState& state = *editor.state;
  clear_screen();
  print_at_plain(20, 2, format(editor.heading, state.current));
  if (run_box_menu_action(*editor.page_menu, state.page_item) == key::esc) state.current = 0;
}

}  // namespace

void run_block_editor(const BlockEditor& editor) {
  if (!enter_station_screen(ScreenNeeds::station_or_file, editor.clear_first)) return;
  BlockEditorState& state = *editor.state;
  state = BlockEditorState();
  while (state.page_item != 0) {
    state.current = editor.ask_number();
    while (state.current != 0) run_page_menu(editor);
  }
}
