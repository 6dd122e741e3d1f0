// A tomrik settings file sent to a simulated station, and the station's
// records (now the file's) read back into another file.
//
// Input: a flag byte (bit 0: padded with zeros to a whole image; bit 1: the
// station takes the file's first four bytes as its identity, so the file
// suits it and station counts come from the file), then the file's bytes.
#include "fuzz/fuzz_support.h"
#include "platform/serial_loopback.h"
#include "settings/program_profile.h"
#include "settings/settings_commands.h"
#include "sim/station_line.h"
#include "sim/tomrik_station.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(tomrik_program);
  fuzz::Input in(data, size);
  int flags = in.byte();
  fuzz::Bytes file = in.rest();
  if (flags & 1) file.resize(tomrik_image_size, 0);
  fuzz::write_file("f.set", file);

  sim::TomrikStation station;
  if ((flags & 2) && file.size() >= 4) station.set_identity(std::string(file.begin(), file.begin() + 4));
  sim::StationLine line(station);
  auto port = std::make_unique<platform::LoopbackSerialPort>(&line);
  port->open("COM1", station.baud());
  link_use_port(std::move(port));
  const std::vector<std::uint8_t>* identity = station.record(facts::tomrik_identity_group, facts::tomrik_identity_index);
  std::uint8_t id[4] = {};
  for (std::size_t i = 0; identity && i < 4 && i < identity->size(); ++i) id[i] = (*identity)[i];
  link_take_tomrik_identity(id);
  link_state.station_connected = 1;

  session.keys.add_text("f");
  session.keys.add({key::enter, 'y'});
  file_to_station();
  session.keys.add_text("g");
  session.keys.add({key::enter, 'y'});
  station_to_file();
  return 0;
}
