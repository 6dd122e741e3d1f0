// The clock, waits on the thread timer, the outside viewer and the ending
// of a command by Ctrl+C on Windows.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/program_files.h"
#include "platform/system_shared.h"
#include "platform/win32/system_win32.h"

namespace platform {
namespace win32 {

namespace {

std::string quoted(const std::string& argument) {
  if (argument.find_first_of(" \t") == std::string::npos) return argument;
  return "\"" + argument + "\"";
}

}  // namespace

std::vector<std::string> viewer_command_lines(const std::string& file) {
  // "more" is a command of the command processor under Wine, a program of
  // its own on Windows; through cmd both are found.
  return {"hiew " + quoted(file), "cmd.exe /c more " + quoted(file)};
}

}  // namespace win32

namespace {

class TimerClock : public Clock {
 public:
  std::uint64_t now_ms() override { return steady_now_ms(); }

  // A thread timer and the message loop: keys typed meanwhile stay in the
  // console's input queue. Without a timer the wait ends at once.
  void sleep_ms(int ms) override {
    if (ms <= 0) return;
    UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(ms), nullptr);
    if (timer == 0) return;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER && msg.wParam == timer) break;
      DispatchMessageA(&msg);
    }
    KillTimer(nullptr, timer);
  }
};

// Starts the command line on this console and waits for it to end; false
// when it could not be started.
bool run_and_wait(std::string command_line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

class ViewerRunner : public ProgramRunner {
 public:
  void run_viewer(const std::string& file) override {
    for (const std::string& command_line : win32::viewer_command_lines(file))
      if (run_and_wait(command_line)) return;
  }
};

StopLine stop_line;

// Runs on a thread of its own while the program goes on: the temporary
// files are removed (a file still open goes once its handle closes, which
// ending the process does) and the process ends at once, without running
// anything the program's thread may be in the middle of.
BOOL WINAPI end_on_console_event(DWORD event) {
  UINT status = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 143;
  remove_temporaries_on_signal();
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), stop_line.text, static_cast<DWORD>(stop_line.length), &written, nullptr);
  TerminateProcess(GetCurrentProcess(), status);
  return TRUE;
}

}  // namespace

void end_command_on_signals(const char* program) {
  make_stop_line(stop_line, program, "\r\n");
  SetConsoleCtrlHandler(end_on_console_event, TRUE);
}

bool standard_error_is_terminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

std::string own_program_path() {
  char path[MAX_PATH + 1];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  return std::string(path, n);
}

void use_system_services() {
  static TimerClock clock;
  static ViewerRunner runner;
  services().clock = &clock;
  services().runner = &runner;
}

}  // namespace platform
