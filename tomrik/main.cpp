#include <cstdio>

#include "platform.h"
#include "profile.h"
#include "run_state.h"
#include "shell.h"

int main() {
  platform::use_system_services();
  if (!platform::start_terminal()) {
    std::fprintf(stderr, "tomrik: cannot use this terminal\n");
    return 1;
  }
  use_profile(tomrik_profile);
  reset_run_state();
  tomrik_main();
  platform::present();
  platform::stop_terminal();
  return 0;
}
