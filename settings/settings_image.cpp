#include "settings_image.h"

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
