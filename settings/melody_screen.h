#pragma once
// The melody screen of both programs: which of the station's twelve
// melodies a city caller hears and how loud, with the melodies' names kept
// on the computer in "name.mld". The screen reaches the station only through
// MelodyStation, which reads or writes one of the two values; everything
// else that differs between the programs (texts, the bar's characters, the
// name editor's rules, help) is told in MelodyScreenLook.

#include <string>

#include "editors/melody_name_editor.h"
#include "editors/melody_names.h"
#include "platform/cp866.h"
#include "toolkit/screen.h"

// The station's twelve melodies are 0..11, shown as 1..12. It keeps the
// volume as 15 - level in the low four bits of its byte; the programs write
// the upper bits as 0x40.
constexpr int last_melody = 11;
constexpr bool melody_known(int melody) { return melody >= 0 && melody <= last_melody; }
constexpr int loudest_volume = 15;
constexpr int volume_level(int stored) { return loudest_volume - (stored & 0x0F); }
constexpr int stored_volume(int level) { return 0x40 + loudest_volume - level; }
// The volume's label at (10, 11), the same in both programs.
inline const char* const melody_volume_label = " Уровень громкости "_cp;

enum class MelodyItem { melody, volume };

// One value as the station gave it: its byte; nothing to show, the screen
// going on; or the end of the screen.
struct ValueRead {
  enum Result { value, none, end };
  Result result = none;
  int byte = 0;
};

// A value written: it stands (the screen shows the station's value again),
// it does not but the screen goes on, or the screen ends.
enum class ValueWrite { stored, not_stored, end };

class MelodyStation {
 public:
  virtual ~MelodyStation() = default;
  // The screen's connection check; false once it has shown its box.
  virtual bool enter() = 0;
  // The names are open: the exchange may begin.
  virtual void start() = 0;
  virtual ValueRead read(MelodyItem item) = 0;
  virtual ValueWrite write(MelodyItem item, int byte) = 0;
  // The screen ends on a read or write that said so; true when the names
  // still go back to "name.mld".
  virtual bool names_kept_after_failure() = 0;
};

// The help topics of F10 on the two items and in the two choices (the name
// editor has its own, in its rules).
struct MelodyHelp {
  void (*show)(int topic);
  int melody_item, volume_item, melody_choice, volume_choice;
};

struct MelodyScreenLook {
  ScreenPos title_at;
  const char* title;
  const char* melody_label;  // at (10, 8); the volume's label is the same in both
  // The frame stands before the connection check, which then draws its box
  // over it; otherwise the check comes first, on a clear screen.
  bool frame_before_entry;
  // While a value is chosen both labels are in the screen colour.
  bool labels_plain_while_choosing;
  char bar_line, bar_marker;
  MelodyNameEditor name_editor;
  const MelodyHelp* help;  // null: F10 does nothing
};

void run_melody_screen(const MelodyScreenLook& look, MelodyStation& station);

// The melodies as the listings name them, numbered as the screen shows them
// ("4. name"); "" for a byte that names none. The names are the computer's,
// from "name.mld"; one that cannot be read leaves them empty, as a new
// installation has them.
class ListedMelodies {
 public:
  ListedMelodies() { names_.read_only(); }
  std::string text(int melody) const;

 private:
  MelodyNameFile names_;
};
