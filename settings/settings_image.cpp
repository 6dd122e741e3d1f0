#include "settings/settings_image.h"

#include "link/link_image.h"
#include "link/link_state.h"

namespace {

bool inside_window(int address, int count) {
  return count >= 0 && address >= karvel_image_base && address + count <= karvel_image_base + karvel_image_size;
}

const LinkImage karvel_image_for_link{karvel_image_read, karvel_image_write};

bool is_digit(std::uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

void give_karvel_image_to_link() { link_use_image(&karvel_image_for_link); }

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

bool karvel_identity_valid(const std::uint8_t* image) {
  for (int i = 0; i < facts::karvel_identity_size; ++i)
    if (image[i] < 0x20 || image[i] > 0x7E) return false;
  return is_digit(image[facts::karvel_city_lines_at]) && is_digit(image[facts::karvel_ports_at]) &&
         is_digit(image[facts::karvel_ports_at + 1]) && is_digit(image[facts::karvel_channel_rows_at]);
}

bool tomrik_identity_valid(const std::uint8_t* image) {
  for (int i = 0; i < facts::tomrik_identity_size; ++i)
    if (image[i] < 0x20 || image[i] > 0x7E) return false;
  return is_digit(image[facts::tomrik_city_lines_at]) && is_digit(image[facts::tomrik_subscribers_at]) &&
         is_digit(image[facts::tomrik_subscribers_at + 1]);
}

void take_karvel_identity(const std::uint8_t* image) {
  link_take_karvel_identity(image);
  link_state.first_line_port = image[facts::karvel_first_line_port_address - facts::karvel_window];
}
