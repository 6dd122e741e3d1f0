#include "settings/run_state.h"

#include <vector>

#include "editors/field_editors.h"
#include "link/link_console.h"
#include "link/link_screens.h"
#include "link/link_state.h"
#include "toolkit/menu.h"

// Made as the program is loaded, with no code run at start-up (constinit
// holds the compiler to it), so nothing can find it or its names unmade.
constinit RunState run;

// The names the screens use, each bound to its part.
constinit SettingsState& settings_state = run.settings;
constinit SettingsImage& settings_image = run.image;

namespace {
// Made at its first use, so a screen loaded before this file finds it.
std::vector<void (*)()>& screen_resets() {
  static std::vector<void (*)()> resets;
  return resets;
}
}  // namespace

bool resets_with_the_run(void (*reset)()) {
  screen_resets().push_back(reset);
  return true;
}

void reset_run_state() {
  reset_menu_state();
  reset_link_state();
  reset_editor_state();
  run = RunState();
  for (auto reset : screen_resets()) reset();
  give_karvel_image_to_link();
  link_use_console(&link_screen_console());
}
