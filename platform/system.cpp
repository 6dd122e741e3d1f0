// The steady clock, the outside viewer and the ending signals of a command
// on a POSIX system.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/program_files.h"
#include "platform/serial.h"
#include "platform/system_shared.h"

namespace platform {
namespace {

class SteadyClock : public Clock {
 public:
  std::uint64_t now_ms() override { return steady_now_ms(); }
  void sleep_ms(int ms) override {
    timespec left{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
  }
};

bool on_search_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string_view rest(path);
  for (;;) {
    std::size_t colon = rest.find(':');
    std::string_view dir = rest.substr(0, colon);
    std::string candidate(dir.empty() ? std::string_view(".") : dir);
    candidate.push_back('/');
    candidate.append(program);
    if (access(candidate.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

// The help menu names the DOS viewer "hiew"; where it is missing, a pager
// the system has shows the same file. The file name is passed as one
// argument, never through a shell.
class ViewerRunner : public ProgramRunner {
 public:
  void run_viewer(const std::string& file) override {
    const char* viewers[] = {"hiew", "less", "more"};
    for (const char* viewer : viewers) {
      if (!on_search_path(viewer)) continue;
      // Ctrl-C and Ctrl-\ in the viewer reach the whole foreground group;
      // like system(3), the program lets them pass while it waits, and
      // unsaved edits survive. The viewer gets them as usual.
      struct sigaction ignore {}, old_int {}, old_quit {};
      ignore.sa_handler = SIG_IGN;
      sigaction(SIGINT, &ignore, &old_int);
      sigaction(SIGQUIT, &ignore, &old_quit);
      pid_t child = fork();
      if (child == 0) {
        signal(SIGINT, SIG_DFL);
        signal(SIGQUIT, SIG_DFL);
        execlp(viewer, viewer, file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
      }
      int status = 0;
      while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      sigaction(SIGINT, &old_int, nullptr);
      sigaction(SIGQUIT, &old_quit, nullptr);
      return;
    }
  }
};

// The handler may only write it.
StopLine stop_line;

void end_on_signal(int sig) {
  remove_temporaries_on_signal();
  put_back_serial_lines();
  ssize_t written = write(STDERR_FILENO, stop_line.text, stop_line.length);
  (void)written;
  _exit(128 + sig);
}

}  // namespace

void end_command_on_signals(const char* program) {
  make_stop_line(stop_line, program, "\n");
  struct sigaction action {};
  action.sa_handler = end_on_signal;
  sigfillset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
  // Standard error read by a pipe that closed (a "| head" that had enough)
  // must not end the command in the middle of a save: its lines are lost
  // and the command goes on.
  signal(SIGPIPE, SIG_IGN);
}

bool standard_error_is_terminal() { return isatty(STDERR_FILENO) == 1; }

std::string own_program_path() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  return std::string(path, static_cast<std::size_t>(n));
}

void use_system_services() {
  static SteadyClock clock;
  static ViewerRunner runner;
  services().clock = &clock;
  services().runner = &runner;
}

}  // namespace platform
