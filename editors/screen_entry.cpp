#include "editors/screen_entry.h"

#include "link/link.h"
#include "link/link_screens.h"
#include "link/link_state.h"
#include "toolkit/screen.h"

bool station_screen_allowed(ScreenNeeds needs) {
  if (link_state.station_connected) return true;
  if (needs == ScreenNeeds::station_or_file && link_state.file_mode) return true;
  link_error_box(link_not_connected);
  return false;
}

bool enter_station_screen(ScreenNeeds needs, bool clear_first) {
  if (clear_first) clear_screen();
  if (!station_screen_allowed(needs)) return false;
  if (link_state.station_connected) link_rts_on();
  return true;
}
