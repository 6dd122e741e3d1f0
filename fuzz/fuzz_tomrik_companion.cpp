// A tomrik phone book file as --write-station finds it beside a settings
// file: any bytes. A file taken must be exactly what writing its records
// gives back, so nothing in it was passed over or read past its end.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/tomrik_companion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  TomrikCompanion books;
  if (decode_tomrik_companion(bytes, books) && encode_tomrik_companion(books) != bytes) std::abort();
  return 0;
}
