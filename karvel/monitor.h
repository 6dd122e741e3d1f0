#pragma once
// What the live views of a working station share: the names of port and
// line states, where the station keeps its live state, and reading it so
// that Esc leaves a view even while the station does not answer.

#include <array>
#include <string>

#include "facts/karvel_memory.h"
#include "facts/karvel_state.h"
#include "link/link.h"

namespace monitor {

// A state block's bytes as read into link_buffer, each 0..255.
using StateBytes = std::array<int, facts::karvel_state_block_size>;
StateBytes buffer_bytes();

// A port's state block lies at 256 p; a city line's at 256 times its block
// number, first_line_port + L - 1, as its settings block does in the window.
// The block number comes from the station: an address made of it stays
// within the station's 16 bits, and a settings address within the window.
inline int state_block(int block_number) {
  return (facts::karvel_block_size * block_number) & facts::karvel_address_mask;
}
inline int line_block_number(int line) { return link_state.first_line_port + line - 1; }
// The first byte of a port's or line's settings block: 0 when it is not in
// service.
inline int in_service_address(int block_number) {
  return facts::karvel_window + ((facts::karvel_block_size * block_number) & facts::karvel_window_mask);
}

// A state code is at most 22 characters of name, blank padded so that a
// shorter name covers a longer one; a code without a name shows as
// "Код nnn", so a row never keeps the name of an earlier state.
inline constexpr int state_name_width = 22;
std::string port_state_name(int code);
std::string line_state_name(int code);

// A block read for a live view: true when it went through. Within a round
// (a FieldDrawing) the first failure shows its box and the round's later
// reads ask the station nothing, so a silent station costs one box a
// round; the round's left() tells whether the user closed that box with
// Esc, which leaves the view as Esc does anywhere else. What a failed read
// left in link_buffer is no value to show.
bool read_live(int address, int count);

}  // namespace monitor
