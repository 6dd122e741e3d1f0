#include <string>

#include "karvel/catalogue.h"
#include "karvel/shell.h"
#include "platform/program_files.h"
#include "settings/program_start.h"

namespace {

const ProgramUsage usage = {
    "the larger station model (32 KB configuration memory)",
    "Help: \"help.txt\" (context help, F10) and \"help.hlp\" (the manual) are\n"
    "taken from the current directory, else beside the program, else from\n"
    "the installation's data folder.\n",
    "station address",
    "             read the station's settings into FILE.set, with no screen\n",
    "             write FILE.set to the station, every block read back\n",
};

std::string help_file_missing() {
  return "cannot open help.txt; looked in " + platform::data_file_folders("help.txt");
}

}  // namespace

int main(int argc, char** argv) {
  return run_program(argc, argv, {"karvel", usage, karvel_program, karvel_catalogue, karvel_main, help_file_missing});
}
