// The simulator's storage file: read, then downloaded whole from the
// storage device as the program downloads it.
#include "fuzz/fuzz_support.h"
#include "sim/storage_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::enter_work_folder();
  fuzz::write_file("store.bin", fuzz::Bytes(data, data + size));
  sim::StorageDevice device;
  std::string error;
  if (!sim::read_store_file("store.bin", device.store, error)) return 0;
  device.switch_on(true, 0);
  // The program's side: the read command at the ready byte, 0xFF to each
  // length and data byte, the sum back; it ends at the length 0.
  enum { ready, length, body } at = ready;
  int left = 0, sum = 0;
  for (long step = 0; step < 200000; ++step) {
    auto b = device.next_byte(0);
    if (!b) break;
    if (at == ready) {
      device.take(0xA6, 0);
      at = length;
    } else if (at == length) {
      if (*b == 0) {
        device.take(0x00, 0);
        break;
      }
      left = *b;
      sum = *b;
      at = body;
      device.take(0xFF, 0);
    } else if (left > 0) {
      sum = (sum + *b) & 0xFF;
      --left;
      device.take(0xFF, 0);
    } else {
      device.take(static_cast<std::uint8_t>(sum), 0);
      at = length;
    }
  }
  return 0;
}
