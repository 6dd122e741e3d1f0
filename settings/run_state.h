#pragma once
// Everything a program keeps for the whole run. Each layer keeps its own
// part with its own reset: the toolkit the menu's choices and table
// (menu_state), the link the station link with its port and the station's
// last byte (link_state), the editors the access code the next edit must be
// given (access_pending). The settings layer keeps the rest as one record:
// the settings image, the file's name, and tomrik's call record filter,
// day/night times and what its station display knows.
//
// The screens reach the parts by the names they always had (settings_state,
// settings_image, and tomrik's record_filter and day_night_times): each is
// a reference into `run`. What belongs to one screen only (grids, editor
// cursors, viewer positions) stays with that screen and is not kept here;
// a screen that remembers something across openings (an editor's port and
// page) registers its reset, once, as the program is loaded:
//   BlockEditorState port_editor;
//   const bool port_editor_resets = resets_with_the_run(reset_port_editor);

#include "facts/station_facts.h"
#include "link/link_state.h"
#include "settings/call_record.h"
#include "settings/settings_image.h"
#include "settings/settings_state.h"
#include "settings/station_display_state.h"
#include "toolkit/menu.h"

struct RunState {
  SettingsState settings;
  SettingsImage image;
  // tomrik
  CallRecord record_filter;
  int day_night_times[facts::storage_times_bytes] = {20, 0, 9, 0};
  StationDisplayState station_display;  // every party free, no call under way
};
extern RunState run;

// Puts every part back as a program starts with it, layer by layer from the
// toolkit up: no menu table and the first entries chosen, no station, no
// port (the open one is closed and a test puts in its own after this), file
// mode off with an empty image and no file name, no access code pending, an
// empty filter and the times 20:00 and 09:00, every subscriber and line free
// with no call under way, then every registered screen reset. Gives the link the settings image for file mode
// and the screens it shows its boxes and reads its keys through. Called as
// each program starts and before every test that touches any part.
void reset_run_state();

// Adds a screen's reset to those reset_run_state calls; true, to be kept
// in a constant, which makes the call as the program is loaded.
bool resets_with_the_run(void (*reset)());
