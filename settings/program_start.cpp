#include "settings/program_start.h"

#include <cstdio>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/program_files.h"
#include "settings/listing_commands.h"
#include "settings/run_state.h"
#include "settings/station_commands.h"

namespace {

int say_cannot(const ProgramStart& program, const std::string& why) {
  std::fprintf(stderr, "%s: %s\n", program.name, why.c_str());
  return 1;
}

// The options answered with no screen, in their order of precedence.
std::optional<int> answer_without_screen(int argc, char** argv, const ProgramStart& program) {
  if (auto status = run_listing_commands(argc, argv, program.catalogue)) return status;
  if (auto status = run_station_command(argc, argv, program.catalogue)) return status;
  return platform::answer_command_line(argc, argv, {program.name, program.usage});
}

}  // namespace

int run_program(int argc, char** argv, const ProgramStart& program) {
  use_program(program.profile);
  if (auto status = answer_without_screen(argc, argv, program)) return *status;
  platform::locate_data_files_from(platform::own_program_path());
  platform::use_system_services();
  if (std::string problem = platform::terminal_text_problem(); !problem.empty()) return say_cannot(program, problem);
  if (!platform::start_terminal()) return say_cannot(program, "cannot use this terminal");
  // The screens start from the profile and the run state a program
  // starts with, whatever the answers above touched.
  use_program(program.profile);
  reset_run_state();
  const bool ran = program.screens();
  platform::present();
  platform::stop_terminal();
  if (!ran) return say_cannot(program, program.why_not_started ? program.why_not_started() : "cannot start");
  return 0;
}
