// The storage device screen of tomrik on the bytes of a device as the input
// gives them: downloads into "tarif.dat", clearing, the clock and the
// day/night times, read and written. The input's form is that of
// storage_device_port.h.
#include "fuzz/storage_device_port.h"
#include "settings/program_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(tomrik_program);
  std::remove("tarif.dat");
  fuzz::Input in(data, size);
  fuzz::run_storage_screen(session, in);
  return 0;
}
