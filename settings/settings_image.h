#pragma once
// The settings image of each station model: a byte-for-byte picture of the
// station's configuration, kept in memory and stored raw in "*.set" files.
//
// karvel: the configuration window 0x8000..0xFFFF, image offset = station
// address - 0x8000. tomrik: 2048 bytes assembled from station records at
// fixed offsets.

#include <cstdint>

constexpr int karvel_image_size = 32768;
constexpr int karvel_image_base = 0x8000;
constexpr int tomrik_image_size = 2048;

struct SettingsImage {
  std::uint8_t karvel[karvel_image_size] = {};
  std::uint8_t tomrik[tomrik_image_size] = {};
};
extern SettingsImage settings_image;

// Block access to the karvel image by station address, as the block
// operations do in file mode. A block that does not lie wholly inside
// 0x8000..0xFFFF (or a negative count) is refused with false and nothing is
// copied.
bool karvel_image_read(int address, int count, int* buffer);
bool karvel_image_write(int address, int count, const int* buffer);

// The karvel identity: bytes 0..7 of the image are ASCII characters; byte 3
// gives city_line_count, bytes 4 and 5 port_count, byte 7
// channel_row_count, each a digit. True when the bytes have that form.
bool karvel_identity_valid(const std::uint8_t* image);
// Takes station_identity (bytes 0, 2..7), the counts and first_line_port
// (offset 0x1F) from an image into the link state.
// The identity and the counts from the 8 identity bytes alone (as read
// from a station at connection).
void take_karvel_identity_bytes(const std::uint8_t* identity);
void take_karvel_identity(const std::uint8_t* image);
