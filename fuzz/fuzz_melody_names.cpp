// "name.mld" as both melody screens read, show, edit and write it back:
// karvel's on a loaded image, tomrik's against a simulated station.
//
// Input: a flag byte (bit 0: tomrik), a count byte n (0..31), n key bytes
// (each picks a move: the other item, a melody step, a name edit with F4
// and a few characters, or Enter), then the file's bytes.
#include "fuzz/fuzz_support.h"
#include "karvel/screens.h"
#include "platform/serial_loopback.h"
#include "settings/program_profile.h"
#include "sim/station_line.h"
#include "sim/tomrik_station.h"
#include "tomrik/screens.h"

namespace {

void add_move(fuzz::Keys& keys, std::uint8_t move) {
  switch (move & 7) {
    case 0: keys.add({key::extended, key::down}); break;
    case 1: keys.add({key::enter, key::extended, key::right, key::enter}); break;
    case 2: keys.add({key::enter, key::extended, key::left, key::esc}); break;
    case 3:
      // A name edit: characters (any byte above the controls), a Delete
      // or Backspace, then Enter or Esc.
      keys.add({key::enter, key::extended, key::f4});
      for (int i = 0; i < (move >> 3 & 7); ++i) keys.add({32 + (move * 7 + i * 31) % 223});
      if (move & 0x40)
        keys.add({key::backspace});
      else
        keys.add({key::extended, key::del});
      keys.add({move & 0x80 ? key::enter : key::esc, key::esc});
      break;
    default: keys.add({key::extended, key::up}); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  const bool tomrik = in.byte() & 1;
  fuzz::Session session(tomrik ? tomrik_program : karvel_program);
  fuzz::Bytes plan = in.take(in.byte() & 31);
  fuzz::write_file("name.mld", in.rest());
  for (std::uint8_t move : plan) add_move(session.keys, move);
  session.keys.add({key::esc});

  if (!tomrik) {
    link_state.file_mode = 1;
    settings_image.karvel[0x30] = plan.empty() ? 0 : plan[0];  // the melody, maybe beyond twelve
    edit_melody();
    return 0;
  }
  // One station for every input (making one takes longer than a run); the
  // melody and volume records start each run as a new station has them.
  static sim::TomrikStation station;
  static const std::vector<std::uint8_t> melody = *station.record(130, 1), volume = *station.record(131, 1);
  station.set_record(130, 1, melody);
  station.set_record(131, 1, volume);
  sim::StationLine line(station);
  auto port = std::make_unique<platform::LoopbackSerialPort>(&line);
  port->open("COM1", station.baud());
  link_use_port(std::move(port));
  link_state.station_connected = 1;
  melody_screen();
  return 0;
}
