#pragma once
// Finding the station: the port set-up screen, and the same connection for
// a command with no screen.

#include <string_view>

// The port set-up screen: choose COM1 or COM2 and find the station.
void link_connect();

enum class LinkFound {
  nothing,      // no station answered (or the port could not be had)
  no_identity,  // karvel: a station answered, but its identity could not be read
  station,      // connected, its identity and counts taken
};
// Each try of the karvel speed search: its number from 1 and the speed index.
using LinkAttemptShown = void (*)(int attempt, int speed_index);
// Finds the station on the port of link_state.port_index and reads what it
// says about itself, with no window: karvel by its speed search, tomrik at
// its one speed. Failures show link_error_box.
LinkFound link_find_station(LinkAttemptShown shown = nullptr);

// While set, link_error_box calls the sink in place of its box: a command
// with no screen reports the failure its own way. nullptr gives the box back.
using LinkBoxSink = void (*)(int code, std::string_view note);
void link_send_boxes_to(LinkBoxSink sink);
