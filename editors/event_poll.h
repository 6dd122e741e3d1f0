#pragma once
// The frame of a view that polls the station for events until Esc. Each
// event that came through goes to the view; a poll that failed is not shown
// and polling goes on. Keys are read between polls, so Esc leaves within a
// poll round even while the station is silent, and the silence is told on
// the bottom row while the view runs.

#include <cstddef>
#include <functional>

#include "link/link_state.h"

// Polls into `frame` (room for the longest event) until the user leaves with
// Esc. `keys` turns the other keys read between polls into key frames while
// the view runs; nullptr ignores them.
void poll_events_until_esc(int* frame, const std::function<void(const int* event)>& on_event,
                           LinkKeyFrames keys = nullptr);

// The entry of a view's table of event kinds (each with its `code`) for an
// event's code; nullptr for a code the table has no entry for.
template <typename Kind, std::size_t count>
const Kind* event_kind(const Kind (&kinds)[count], int code) {
  for (const Kind& kind : kinds)
    if (kind.code == code) return &kind;
  return nullptr;
}
