#pragma once
// A script of event frames for the station to offer to the polls.
//
// One frame a line: the event code and its further bytes in hexadecimal,
// separated by blanks ("81 05", "0x8D 01 02 02 03 04"). A line may start
// with "+N": the frame becomes due N milliseconds after the one before it
// (the first: after the station starts); without it, at once after the one
// before. "#" starts a comment; blank lines are skipped. The number of bytes
// must fit the code in the model's table of event lengths.
//
//   # an incoming city call, then the subscriber answers two seconds later
//   81 01
//   +2000 85 01 0B

#include <cstdint>
#include <string>
#include <vector>

#include "sim/station.h"

namespace sim {

struct ScriptedEvent {
  std::uint64_t after_ms;  // after the previous frame became due
  EventFrame frame;
  int line = 0;  // in the script, for messages
};

// Reads a script; on a fault returns false with "line N: what".
bool parse_event_script(const std::string& text, std::vector<ScriptedEvent>& events, std::string& error);

// Queues the events on the station, the first due at `start_ms`; checks
// each frame against the station's table.
bool schedule_events(Station& station, const std::vector<ScriptedEvent>& events, std::uint64_t start_ms,
                     std::string& error);

}  // namespace sim
