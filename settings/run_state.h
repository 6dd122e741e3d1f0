#pragma once
// Everything a program keeps for the whole run, as one record with one
// reset: the menu's choices and table, the station link (with its port and
// the station's last byte), the settings image, file mode and the file's
// name, the access code the next edit must be given, and tomrik's call
// record filter, day/night times and what its station display knows.
//
// The screens reach the parts by the names they always had (menu_state,
// link_state, settings_state, settings_image, access_pending, and tomrik's
// record_filter and day_night_times): each is a reference into `run`.
// What belongs to one screen only (grids, editor cursors, viewer positions)
// stays with that screen and is not kept here.

#include "call_record.h"
#include "link_state.h"
#include "menu.h"
#include "settings_image.h"
#include "settings_state.h"
#include "station_display_state.h"
#include "station_facts.h"

struct RunState {
  MenuState menu;
  LinkState link;  // file_mode included
  SettingsState settings;
  SettingsImage image;
  int access_pending = 0;  // karvel: the code the next protected edit asks for
  // tomrik
  CallRecord record_filter;
  int day_night_times[facts::storage_times_bytes] = {20, 0, 9, 0};
  StationDisplayState station_display;  // every party free, no call under way
};
extern RunState run;

// Puts every part back as a program starts with it: no menu table and the
// first entries chosen, no station, no port (the open one is closed and a
// test puts in its own after this), file mode off with an empty image and
// no file name, no access code pending, an empty filter and the times 20:00
// and 09:00, every subscriber and line free with no call under way. Gives
// the settings image to the link for file mode. Called as each program
// starts and before every test that touches any part.
void reset_run_state();
