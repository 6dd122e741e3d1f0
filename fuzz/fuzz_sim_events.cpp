// The simulator's events file: parsed, queued on a station of each model,
// and every queued frame taken by polls as the programs take them.
#include "fuzz/fuzz_support.h"
#include "sim/event_script.h"
#include "sim/karvel_station.h"
#include "sim/tomrik_station.h"

namespace {

// Polls until the station has nothing more to offer, acknowledging each
// further byte and closing each frame with its check byte.
void take_every_event(sim::Station& station, int baud) {
  std::uint64_t now = 1u << 30;  // every event is due
  for (int polls = 0; station.events_waiting() > 0 && polls < 2000; ++polls) {
    auto code = station.receive(0x80, baud, now);
    if (!code || code->byte == 0x80) break;
    int sum = code->byte;
    sim::EventFrame frame{code->byte};
    while (true) {
      int further = station.further_bytes(frame);
      if (static_cast<int>(frame.size()) > further) break;
      auto b = station.receive(0xFF, baud, now);
      if (!b) return;
      frame.push_back(b->byte);
      sum += b->byte;
    }
    station.receive(sim::check_byte(static_cast<std::uint8_t>(sum)), baud, now);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<sim::ScriptedEvent> events;
  std::string error;
  if (!sim::parse_event_script(text, events, error)) return 0;
  sim::KarvelStation karvel;
  if (sim::schedule_events(karvel, events, 0, error)) take_every_event(karvel, karvel.baud());
  sim::TomrikStation tomrik;
  if (sim::schedule_events(tomrik, events, 0, error)) take_every_event(tomrik, tomrik.baud());
  return 0;
}
