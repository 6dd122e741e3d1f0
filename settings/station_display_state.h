#pragma once
// What tomrik's station display knows of the station at work: the state of
// every internal subscriber and city line, and the city call under way on
// each line. It lives as long as the program, so a call that is still going
// when the display is left is recorded at its line's release seen by a later
// visit.

#include "facts/station_facts.h"

// One subscriber or city line. Mode: 0 none, 1 internal call ringing, 2 city
// call ringing (a line: being called), 3 internal connection, 4 city
// connection, 5 conference, 6 on hold. The peer is the other party: a
// subscriber code, or a line for a subscriber in modes 2 and 4. The channel
// is the station's speech channel of a connection.
struct PartyState {
  int busy = 0;
  int mode = 0;
  int peer = 0;
  int channel = 0;
};

// The places for the dialled number of a call record.
inline constexpr int call_number_places = 21;

// A city call under way on a line: subscriber 0 for none. The start is the
// computer's local time; the year is counted from 2000; the digits are
// characters ("0".."9", "*", "#").
struct CallUnderWay {
  int subscriber = 0;
  int second = 0, minute = 0, hour = 0;
  int day = 0, month = 0, year = 0;
  int digit_count = 0;
  char digits[call_number_places] = {};
};

struct StationDisplayState {
  PartyState subscribers[facts::tomrik_max_subscribers];  // subscriber code k at k - 1
  PartyState lines[facts::tomrik_max_lines];              // line l at l - 1
  CallUnderWay calls[facts::tomrik_max_lines];
};
