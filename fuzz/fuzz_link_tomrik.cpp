// The tomrik link operations on the station's answers as the input gives
// them: record reads and writes, event polls (counted frames up to their
// 259 elements) and the connection, which takes the station's identity.
//
// Input: a count byte n (1..16), n operation bytes, then the answers (see
// station_answers.h).
#include "fuzz/fuzz_support.h"
#include "fuzz/station_answers.h"
#include "link/link_connect.h"
#include "settings/program_profile.h"

namespace {

void run(std::uint8_t op, fuzz::Keys& keys) {
  static int record[256];
  static int frame[259];
  int group = op * 7 & 0xFF, index = op >> 3;
  switch (op % 4) {
    case 0: link_read_record(record, group, index); break;
    case 1:
      record[0] = op % 40;
      for (int i = 1; i <= record[0]; ++i) record[i] = (op + 5 * i) & 0xFF;
      link_write_record(record, group, index);
      break;
    case 2: link_poll_event(frame); break;
    case 3:
      keys.add({key::enter});  // COM1
      link_connect();
      link_state.station_connected = 1;
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(tomrik_program);
  session.keys.fallback = {' '};
  fuzz::Input in(data, size);
  fuzz::Bytes plan = in.take(1 + in.byte() % 16);
  fuzz::StationAnswers station(in, 76);
  station.plug_in(facts::tomrik_speed);
  link_state.station_connected = 1;
  for (std::uint8_t op : plan) run(op, session.keys);
  return 0;
}
