#include "run_state.h"

#include "field_editors.h"

// Made as the program is loaded, with no code run at start-up (constinit
// holds the compiler to it), so nothing can find it or its names unmade.
constinit RunState run;

// The names the screens use, each bound to its part.
constinit MenuState& menu_state = run.menu;
constinit LinkState& link_state = run.link;
constinit SettingsState& settings_state = run.settings;
constinit SettingsImage& settings_image = run.image;
constinit int& access_pending = run.access_pending;

void reset_run_state() {
  run = RunState();
  give_karvel_image_to_link();
}
