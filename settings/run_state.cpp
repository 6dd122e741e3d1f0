#include "settings/run_state.h"

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

void reset_run_state() {
  reset_menu_state();
  reset_link_state();
  reset_editor_state();
  run = RunState();
  give_karvel_image_to_link();
  link_use_console(&link_screen_console());
}
