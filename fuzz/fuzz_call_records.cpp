// "tarif.dat" in the call record viewer: the filter, browsing and the
// report read and draw every record of the file.
//
// Input: a count byte n (0..15), n key bytes, then the file. Each key byte
// picks a move: down, up, sixteen rows down, or a report (then the filter
// again); the filter itself is set from the first key byte.
#include "fuzz/fuzz_support.h"
#include "settings/program_profile.h"
#include "tomrik/call_records.h"
#include "tomrik/screens.h"

namespace {

void add_filter(fuzz::Keys& keys, std::uint8_t choice) {
  for (int i = 0; i < (choice & 3); ++i) keys.add({key::space});
  keys.add({key::enter});
  for (int i = 0; i < (choice >> 2 & 3); ++i) keys.add({key::space});
  keys.add({key::enter});
  const char pattern_keys[] = "8?*#0";
  for (int i = 0; i < (choice >> 4 & 3); ++i) keys.add({pattern_keys[(choice >> 6) + i]});
  keys.add({key::enter});
}

void add_move(fuzz::Keys& keys, std::uint8_t move) {
  switch (move & 3) {
    case 0: keys.add({key::extended, key::down}); break;
    case 1: keys.add({key::extended, key::up}); break;
    case 2:
      for (int i = 0; i < 16; ++i) keys.add({key::extended, key::down});
      break;
    case 3:
      keys.add({key::extended, key::f9});
      keys.add_text("r.txt");
      keys.add({key::enter});
      add_filter(keys, move);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Session session(tomrik_program);
  record_filter = CallRecord();
  fuzz::Input in(data, size);
  fuzz::Bytes plan = in.take(in.byte() & 15);
  fuzz::write_file("tarif.dat", in.rest());
  std::remove("r.txt");

  add_filter(session.keys, plan.empty() ? 0 : plan[0]);
  for (std::uint8_t move : plan) add_move(session.keys, move);
  session.keys.add({key::esc});
  call_record_viewer();
  record_filter = CallRecord();
  return 0;
}
