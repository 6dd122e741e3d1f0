#include "link/link_state.h"

#include "facts/station_facts.h"

// Made as the program is loaded, with no code run at start-up (constinit
// holds the compiler to it), so nothing can find it unmade.
constinit LinkState link_state;

void reset_link_state() { link_state = LinkState(); }

void link_take_karvel_identity(const std::uint8_t* identity) {
  for (int i = 0; i < facts::karvel_identity_text_size; ++i)
    link_state.station_identity[i] = static_cast<char>(identity[facts::karvel_identity_text_bytes[i]]);
  link_state.station_identity[facts::karvel_identity_text_size] = 0;
  facts::KarvelCounts counts = facts::karvel_counts(identity);
  link_state.city_line_count = counts.city_lines;
  link_state.port_count = counts.ports;
  link_state.channel_row_count = counts.channel_rows;
}

void link_take_tomrik_identity(const std::uint8_t* identity) {
  for (int i = 0; i < facts::tomrik_identity_size; ++i) link_state.station_identity[i] = static_cast<char>(identity[i]);
  link_state.station_identity[facts::tomrik_identity_size] = 0;
  facts::TomrikCounts counts = facts::tomrik_counts(identity);
  link_state.city_line_count = counts.city_lines;
  link_state.subscriber_count = counts.subscribers;
}
