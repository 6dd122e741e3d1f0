#include <string>

#include "karvel/catalogue.h"
#include "karvel/shell.h"
#include "platform/program_files.h"
#include "settings/program_start.h"

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

std::string help_file_missing() {
  return "cannot open help.txt; looked in " + platform::data_file_folders("help.txt");
}

}  // namespace

int main(int argc, char** argv) {
  return run_program(argc, argv, {"karvel", usage, karvel_program, karvel_catalogue, karvel_main, help_file_missing});
}
