#include "settings_image.h"

#include "link_state.h"

SettingsImage settings_image;

namespace {
bool inside_window(int address, int count) {
  return count >= 0 && address >= karvel_image_base && address + count <= karvel_image_base + karvel_image_size;
}
}  // namespace

bool karvel_image_read(int address, int count, int* buffer) {
  if (!inside_window(address, count)) return false;
  const std::uint8_t* from = settings_image.karvel + (address - karvel_image_base);
  for (int i = 0; i < count; ++i) buffer[i] = from[i];
  return true;
}

bool karvel_image_write(int address, int count, const int* buffer) {
  if (!inside_window(address, count)) return false;
  std::uint8_t* to = settings_image.karvel + (address - karvel_image_base);
  for (int i = 0; i < count; ++i) to[i] = static_cast<std::uint8_t>(buffer[i]);
  return true;
}

namespace {
bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }
int digit(std::uint8_t c) { return is_digit(c) ? c - '0' : 0; }
}  // namespace

bool karvel_identity_valid(const std::uint8_t* image) {
  for (int i = 0; i < 8; ++i)
    if (image[i] < 0x20 || image[i] > 0x7E) return false;
  return is_digit(image[3]) && is_digit(image[4]) && is_digit(image[5]) && is_digit(image[7]);
}

void take_karvel_identity_bytes(const std::uint8_t* identity) {
  const int identity_bytes[7] = {0, 2, 3, 4, 5, 6, 7};
  for (int i = 0; i < 7; ++i) link_state.station_identity[i] = static_cast<char>(identity[identity_bytes[i]]);
  link_state.station_identity[7] = 0;
  link_state.city_line_count = digit(identity[3]);
  link_state.port_count = 10 * digit(identity[4]) + digit(identity[5]);
  link_state.channel_row_count = digit(identity[7]);
}

void take_karvel_identity(const std::uint8_t* image) {
  take_karvel_identity_bytes(image);
  link_state.first_line_port = image[0x1F];
}
