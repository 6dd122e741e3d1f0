#include "run_state.h"

#include "field_editors.h"

// Made before any code runs (no constructor at start-up), so no other
// object's start-up can find it unmade.
constinit RunState run;

// The names the screens use. Each is bound to its part as the program is
// loaded, for the same reason.
MenuState& menu_state = run.menu;
LinkState& link_state = run.link;
SettingsState& settings_state = run.settings;
SettingsImage& settings_image = run.image;
int& access_pending = run.access_pending;

void reset_run_state() {
  run = RunState();
  give_karvel_image_to_link();
}
