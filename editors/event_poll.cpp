#include "editors/event_poll.h"

#include "link/link.h"
#include "link/link_screens.h"

namespace {

void poll_until_interrupted(int* frame, const std::function<void(const int* event)>& on_event) {
  LinkSilenceNote silence;
  for (;;) {
    LinkResult result = link_poll_event(frame);
    if (result == link_interrupted) return;
    if (result == link_ok) on_event(frame);
  }
}

}  // namespace

void poll_events_until_esc(int* frame, const std::function<void(const int* event)>& on_event, LinkKeyFrames keys) {
  link_state.key_frames = keys;
  poll_until_interrupted(frame, on_event);
  link_state.key_frames = nullptr;
}
