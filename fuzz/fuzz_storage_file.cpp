// The storage device screen's reading of the "tarif.dat" it finds: a
// download appends only the calls not in the file yet, so the file is read
// first, whatever it holds.
//
// Input: two bytes, the file's length L (high byte first), L bytes of the
// file, then the device as in storage_device_port.h.
#include "fuzz/storage_device_port.h"
#include "settings/program_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(tomrik_program);
  fuzz::Input in(data, size);
  int length = in.byte() << 8;
  length |= in.byte();
  fuzz::write_file("tarif.dat", in.take(std::min<int>(length, static_cast<int>(in.left()))));
  fuzz::run_storage_screen(session, in);
  return 0;
}
