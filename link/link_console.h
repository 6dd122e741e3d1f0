#pragma once
// What the exchange asks of the screen above it, in the way the settings
// side lends it the image (link_image.h): the link's screens install it
// (link_screens.h), and the exchange itself knows no screen or key table.
// Without one the exchange shows nothing and reads no key.

#include <string_view>

struct LinkConsole {
  // A key is waiting; the next one, waiting for it. The user ends a poll
  // with Esc.
  bool (*key_waiting)();
  int (*read_key)();
  // The exchange's own text at the cursor: the key frames' bytes, a trace
  // that can no longer be written.
  void (*text)(std::string_view text);
  // The message box of a failure (link_error_box), with a line of its own
  // under it when `note` is not empty.
  void (*error_box)(int code, std::string_view note);
};

void link_use_console(const LinkConsole* console);

// A live view's watch on the line while it polls (LinkSilenceNote): told
// to look at the time since the last answer before and after every poll
// round, and to step aside before a key frame prints at the cursor.
class LinkWatch {
 public:
  virtual void look() = 0;
  virtual void hide() = 0;

 protected:
  ~LinkWatch() = default;
};

// Puts in the innermost watch (or none) and gives back the one before it.
LinkWatch* link_use_watch(LinkWatch* watch);
