#pragma once
// The services the programs take from the operating system, each behind a
// small interface with a real back end and a twin for tests: the display
// and keyboard (a terminal, or scripted keys with no display), the clock
// (steady time, or a virtual clock), and the starting of outside programs.
// One instance of each is active at a time; the screen model is shared.

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/screen_model.h"

namespace platform {

class Display {
 public:
  virtual ~Display() = default;
  // Copies what changed in the model to the real screen.
  virtual void present(ScreenModel& model) = 0;
  // Gives the terminal to an outside program, and takes it back.
  virtual void suspend() {}
  virtual void resume(ScreenModel& model) { model.damage_all(); }
};

// Key bytes as the programs read them: an ordinary key is its CP866 code, an
// extended key is 0 followed by its scan code.
class KeyInput {
 public:
  virtual ~KeyInput() = default;
  virtual bool waiting() = 0;
  virtual std::uint8_t read() = 0;  // blocks until a key byte is there
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::uint64_t now_ms() = 0;  // monotonic
  virtual void sleep_ms(int ms) = 0;
  // The calendar time, in seconds, for what the programs date and time.
  virtual std::time_t wall_seconds() { return std::time(nullptr); }
};

class ProgramRunner {
 public:
  virtual ~ProgramRunner() = default;
  // Runs an outside file viewer on the file and waits for it to end.
  virtual void run_viewer(const std::string& file) = 0;
};

struct Services {
  ScreenModel screen;
  Display* display = nullptr;
  KeyInput* keys = nullptr;
  Clock* clock = nullptr;
  ProgramRunner* runner = nullptr;
};

Services& services();

// The operations below show the screen as it stands before they wait, so
// that everything drawn so far is visible while the program waits.
void present();
std::uint8_t next_key_byte();
bool key_byte_waiting();
void sleep_ms(int ms);
std::uint64_t now_ms();
// The local calendar time now, broken down.
std::tm local_now();
void run_viewer(const std::string& file);

// Why the terminal cannot show the programs' texts, as a line for standard
// error that names the fix; empty when it can. A terminal shows them when
// its locale is UTF-8 (the screen converts CP866 to it); the Windows
// console shows CP866 itself.
std::string terminal_text_problem();

// A command that changes a file or the station (a whole transfer) is
// under way while one of these lives.
class WorkUnderWay {
 public:
  WorkUnderWay();
  ~WorkUnderWay();
  WorkUnderWay(const WorkUnderWay&) = delete;
  WorkUnderWay& operator=(const WorkUnderWay&) = delete;
};

// No key will ever come: standard input has ended, or the terminal or
// console is gone. At rest the program ends as its exit entry ends it
// (status 0). With work under way it ends as a signal would: the temporary
// files of a save are removed, so the old file stays, and the status (1)
// tells that the command did not finish. The display is stopped first by
// the caller.
[[noreturn]] void end_without_keys();

// A command given on the command line runs with no screen: nothing is
// drawn and no key ever waits. A key asked for all the same ends the
// program with status 1 (the temporary files of a save removed) rather than
// waiting for one that cannot come.
void use_no_terminal();

// SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and the closing
// of the console) end a command given on the command line at once: the
// temporary files of a save are removed, so an old file stays as it was,
// the serial lines are put back, one line naming `program` goes to standard
// error, and the status is 128 + the signal's number: 130 for SIGINT (and
// Ctrl+C or Ctrl+Break), 143 for SIGTERM (and the console closing), 129 for
// SIGHUP. A standard error that can no longer be written (a pipe closed)
// does not end it.
void end_command_on_signals(const char* program);

// Whether standard error goes to a terminal or console a person watches,
// where a progress line may be drawn over again.
bool standard_error_is_terminal();

// Real back ends: the terminal (ncursesw), the steady clock, the shell.
// start_terminal returns false when there is no terminal to draw on.
bool start_terminal();
void stop_terminal();
void use_system_services();
// The signals that end the program put the terminal, the serial lines and
// temporary files back in order first (start_terminal sets this up).
void catch_ending_signals();

}  // namespace platform
