// The steady clock and the outside viewer on a POSIX system.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/program_files.h"

namespace platform {
namespace {

class SteadyClock : public Clock {
 public:
  std::uint64_t now_ms() override {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  }
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

}  // namespace

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
