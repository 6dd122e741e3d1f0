#pragma once
// The screens of the station link: the error box, the note of a station
// gone quiet and the console the exchange shows them through. The port
// set-up screen is link_connect.h.

#include <cstdint>
#include <string_view>

#include "link/link_console.h"
#include "toolkit/screen.h"

// The message box for link failures: a LinkResult from 1 to 8, or 27; any
// other code shows the heading only.
void link_error_box(int code);
// The same box with a line of its own on row 25 while it is shown (the
// device and the system's reason when a port cannot be had).
void link_error_box(int code, std::string_view note);

// The console that shows the exchange's boxes and texts with the toolkit and
// reads its keys; the run state gives it to the link (link_use_console).
const LinkConsole& link_screen_console();

// While one lives (a live view runs), the event poll says "Нет ответа от
// станции" on row 25 once the station has sent nothing for three seconds,
// and takes it away when it answers again; nothing else changes, and the
// row gets back what it showed. Holders nest: the innermost tells.
class LinkSilenceNote final : public LinkWatch {
 public:
  static constexpr int quiet_ms = 3000;
  LinkSilenceNote();
  ~LinkSilenceNote();
  LinkSilenceNote(const LinkSilenceNote&) = delete;
  LinkSilenceNote& operator=(const LinkSilenceNote&) = delete;

  // Shows or removes the note by the time since the last answer (or since
  // the view started, if the station has not answered since).
  void look() override;
  // Takes the note away for the view's own output at the cursor.
  void hide() override { note_.remove(); }

 private:
  BottomNote note_;
  LinkWatch* outer_;
  std::uint64_t started_at_;
};
