// The karvel link operations on the station's answers as the input gives
// them: block reads and writes, the speed search's block read, event polls
// (with and without the trace file), key frames and the connection.
//
// Input: a count byte n (1..16), n operation bytes, then the answers (see
// station_answers.h).
#include "fuzz/fuzz_support.h"
#include "fuzz/station_answers.h"
#include "link/link_connect.h"
#include "settings/program_profile.h"

namespace {

void run(std::uint8_t op, fuzz::Keys& keys) {
  int address = 0x8000 + (op * 0x2F1) % 0x7F00;
  int count = op % 48;
  switch (op % 7) {
    case 0: link_read_block(address, count); break;
    case 1:
      for (int i = 0; i < count; ++i) link_buffer[i] = (op + i * 13) & 0xFF;
      link_write_block(address, count);
      break;
    case 2: link_probe_block(facts::karvel_window, facts::karvel_identity_size); break;
    case 3:
    case 4: {
      link_state.trace_flag = op % 7 == 4;
      int frame[8] = {};
      link_poll_event(frame);
      link_state.trace_flag = 0;
      break;
    }
    case 5: link_send_key(facts::karvel_key_frame, op); break;
    case 6:
      keys.add({key::enter});  // COM1
      link_connect();
      link_state.station_connected = 1;
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(karvel_program);
  session.keys.fallback = {' '};  // every box is closed at once
  std::remove("cmd.ttt");
  fuzz::Input in(data, size);
  fuzz::Bytes plan = in.take(1 + in.byte() % 16);
  fuzz::StationAnswers station(in, 300);
  station.plug_in(facts::karvel_speeds[3]);
  link_state.speed_index = 3;
  link_state.station_connected = 1;
  for (std::uint8_t op : plan) run(op, session.keys);
  return 0;
}
