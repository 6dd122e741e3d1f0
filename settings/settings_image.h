#pragma once
// The settings image of each station model: a byte-for-byte picture of the
// station's configuration, kept in memory and stored raw in "*.set" files.
//
// karvel: the configuration window, image offset = station address -
// karvel_image_base. tomrik: assembled from station records at the fixed
// offsets of the station facts.

#include <cstdint>

#include "facts/station_facts.h"

inline constexpr int karvel_image_size = facts::karvel_image_size;
inline constexpr int karvel_image_base = facts::karvel_window;
inline constexpr int tomrik_image_size = facts::tomrik_image_size;

struct SettingsImage {
  std::uint8_t karvel[karvel_image_size] = {};
  std::uint8_t tomrik[tomrik_image_size] = {};
};
// Part of the run state (run_state.h), which resets it.
extern SettingsImage& settings_image;

// Lets the link's block operations act on the karvel image in file mode.
// The reset of the run state does it, as each program starts.
void give_karvel_image_to_link();

// Block access to the karvel image by station address, as the block
// operations do in file mode (the link is given these two at start-up). A
// block that does not lie wholly inside the window (or a negative count) is
// refused with false and nothing is copied.
bool karvel_image_read(int address, int count, int* buffer);
bool karvel_image_write(int address, int count, const int* buffer);

// The karvel identity: bytes 0..7 of the image are ASCII characters and the
// places that give the counts are digits. True when the bytes have that form.
bool karvel_identity_valid(const std::uint8_t* image);
// The tomrik identity: bytes 0..3 of the image are ASCII characters, those
// that give the counts digits.
bool tomrik_identity_valid(const std::uint8_t* image);
// Takes station_identity, the counts and first_line_port from an image into
// the link state.
void take_karvel_identity(const std::uint8_t* image);
