#include "settings/program_start.h"
#include "tomrik/catalogue.h"
#include "tomrik/shell.h"

namespace {

const ProgramUsage usage = {
    "the four-line station model",
    "Help: \"help.hlp\" (the manual) is taken from the current directory, else\n"
    "beside the program, else from the installation's data folder.\n",
    "record and byte",
    "             read the station's settings into FILE.set and its phone\n"
    "             books and special cell into FILE.pbk beside it, with no\n"
    "             screen: a complete backup\n",
    "             write FILE.set to the station, and FILE.pbk when it is\n"
    "             there, every record read back\n",
};

// tomrik needs no file to start its screens.
bool run_screens() {
  tomrik_main();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  return run_program(argc, argv, {"tomrik", usage, tomrik_program, tomrik_catalogue, run_screens, nullptr});
}
