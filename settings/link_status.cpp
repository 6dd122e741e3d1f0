#include "settings/link_status.h"

#include <string>

#include "facts/station_facts.h"
#include "link/link_state.h"
#include "settings/settings_state.h"
#include "toolkit/screen.h"

namespace {
const char* port_name(int index) { return index == 1 ? "COM2" : "COM1"; }
// The identity as far as it goes, at most `length` characters.
std::string identity_text(int length) { return std::string(link_state.station_identity, length).c_str(); }
}  // namespace

void draw_karvel_link_status() {
  if (link_state.station_connected) {
    int speed = link_state.speed_index;
    print_at(60, 1, port_name(link_state.port_index), COLOR_BOX);
    if (speed >= 0 && speed < facts::karvel_speed_count) print_at(66, 1, facts::karvel_speed_names[speed], COLOR_BOX);
    print_at(73, 1, identity_text(facts::karvel_identity_text_size), COLOR_BOX);
  } else if (link_state.file_mode) {
    print_at(59, 1, std::string(settings_state.file_name, 12).c_str(), COLOR_BOX);
    print_at(73, 1, identity_text(facts::karvel_identity_text_size), COLOR_BOX);
  }
}

void draw_tomrik_link_status() {
  if (!link_state.station_connected) return;
  print_at(60, 1, port_name(link_state.port_index), COLOR_BOX);
  print_at(66, 1, format("%6d", facts::tomrik_speed), COLOR_BOX);
  print_at(75, 1, identity_text(facts::tomrik_identity_size), COLOR_BOX);
}
