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

}  // namespace

std::string usage_text(const ProgramStart& program) {
  const std::string name = program.name;
  const ProgramUsage& usage = program.usage;
  std::string text = "usage: " + name + " [--help | --version]\n";
  for (const char* form : {" --show FILE.set [--format text|tsv]", " --compare A.set B.set",
                           " --read-station FILE.set [--port DEVICE]", " --write-station FILE.set [--port DEVICE]",
                           " --compare-station FILE.set [--port DEVICE]"})
    text += "       " + name + form + "\n";
  return text + name + ": the management console of " + usage.model + ".\n" +
         "A text-mode program for an 80 x 25 terminal; without arguments it starts\n"
         "on the terminal. The station is on COM1 or COM2 (on Linux /dev/ttyS0 and\n"
         "/dev/ttyS1, or the devices named by STATION_COM1 and STATION_COM2). Settings files\n"
         "(*.set) are read and written in the current directory.\n" +
         usage.help_files +
         "  --help     show this text\n"
         "  --version  show the version\n"
         "  --show FILE.set\n"
         "             list every setting of the settings file, one a line in the\n"
         "             menus' order (\"section / label: value\"), then the bytes no\n"
         "             setting holds; UTF-8 on standard output\n"
         "  --format tsv\n"
         "             the listing as tab-separated columns: section, label,\n"
         "             parameter, place (" + usage.place + "), value\n"
         "  --compare A.set B.set\n"
         "             list the settings that differ, with the value in A and in B,\n"
         "             then the raw bytes that differ; exit status 0 the same,\n"
         "             1 they differ, 2 a file cannot be read or is no " + name + " file\n"
         "  --read-station FILE.set\n" + usage.read_station +
         "  --write-station FILE.set\n" + usage.write_station +
         "  --compare-station FILE.set\n"
         "             read the station and list what differs from FILE.set, as\n"
         "             --compare does with FILE.set as A\n"
         "  --port DEVICE\n"
         "             the station's port for the three commands above (otherwise\n"
         "             STATION_COM1, then COM1)\n"
         "  The station commands show their progress on standard error; exit\n"
         "  status 0 done (--compare-station: the same), 1 no station, the\n"
         "  transfer failed (or --compare-station: they differ), 2 a usage or file\n"
         "  error, 130 or 143 stopped by SIGINT or SIGTERM (the old file kept).\n"
         "See " + name + "(1) and the manual (Help menu, first entry).\n";
}

namespace {

// The options answered with no screen, in their order of precedence.
std::optional<int> answer_without_screen(int argc, char** argv, const ProgramStart& program) {
  if (auto status = run_listing_commands(argc, argv, program.catalogue)) return status;
  if (auto status = run_station_command(argc, argv, program.catalogue)) return status;
  const std::string usage = usage_text(program);
  return platform::answer_command_line(argc, argv, {program.name, usage.c_str()});
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
