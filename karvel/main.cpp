#include <cstdio>
#include <string>

#include "karvel/catalogue.h"
#include "karvel/shell.h"
#include "platform/platform.h"
#include "platform/program_files.h"
#include "settings/listing_commands.h"
#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "settings/station_commands.h"

namespace {

const char usage[] =
    "usage: karvel [--help | --version]\n"
    "       karvel --show FILE.set [--format text|tsv]\n"
    "       karvel --compare A.set B.set\n"
    "       karvel --read-station FILE.set [--port DEVICE]\n"
    "       karvel --write-station FILE.set [--port DEVICE]\n"
    "       karvel --compare-station FILE.set [--port DEVICE]\n"
    "karvel: the management console of the larger station model (32 KB configuration memory).\n"
    "A text-mode program for an 80 x 25 terminal; without arguments it starts\n"
    "on the terminal. The station is on COM1 or COM2 (on Linux /dev/ttyS0 and\n"
    "/dev/ttyS1, or the devices named by STATION_COM1 and STATION_COM2). Settings files\n"
    "(*.set) are read and written in the current directory.\n"
    "Help: \"help.txt\" (context help, F10) and \"help.hlp\" (the manual) are\n"
    "taken from the current directory, else beside the program, else from\n"
    "the installation's data folder.\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "  --show FILE.set\n"
    "             list every setting of the settings file, one a line in the\n"
    "             menus' order (\"section / label: value\"), then the bytes no\n"
    "             setting holds; UTF-8 on standard output\n"
    "  --format tsv\n"
    "             the listing as tab-separated columns: section, label,\n"
    "             parameter, place (station address), value\n"
    "  --compare A.set B.set\n"
    "             list the settings that differ, with the value in A and in B,\n"
    "             then the raw bytes that differ; exit status 0 the same,\n"
    "             1 they differ, 2 a file cannot be read or is no karvel file\n"
    "  --read-station FILE.set\n"
    "             read the station's settings into FILE.set, with no screen\n"
    "  --write-station FILE.set\n"
    "             write FILE.set to the station, every block read back\n"
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
    "See karvel(1) and the manual (Help menu, first entry).\n";

}  // namespace

int main(int argc, char** argv) {
  use_program(karvel_program);
  if (auto status = run_listing_commands(argc, argv, karvel_catalogue)) return *status;
  if (auto status = run_station_command(argc, argv, karvel_catalogue)) return *status;
  if (auto status = platform::answer_command_line(argc, argv, {"karvel", usage})) return *status;
  platform::locate_data_files_from(platform::own_program_path());
  platform::use_system_services();
  if (std::string problem = platform::terminal_text_problem(); !problem.empty()) {
    std::fprintf(stderr, "karvel: %s\n", problem.c_str());
    return 1;
  }
  if (!platform::start_terminal()) {
    std::fprintf(stderr, "karvel: cannot use this terminal\n");
    return 1;
  }
  use_program(karvel_program);
  reset_run_state();
  bool ran = karvel_main();
  platform::present();
  platform::stop_terminal();
  if (!ran) {
    std::fprintf(stderr, "karvel: cannot open help.txt; looked in %s\n",
                 platform::data_file_folders("help.txt").c_str());
    return 1;
  }
  return 0;
}
