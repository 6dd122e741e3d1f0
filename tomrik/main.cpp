#include "settings/program_start.h"
#include "tomrik/catalogue.h"
#include "tomrik/shell.h"

namespace {

const char usage[] =
    "usage: tomrik [--help | --version]\n"
    "       tomrik --show FILE.set [--format text|tsv]\n"
    "       tomrik --compare A.set B.set\n"
    "       tomrik --read-station FILE.set [--port DEVICE]\n"
    "       tomrik --write-station FILE.set [--port DEVICE]\n"
    "       tomrik --compare-station FILE.set [--port DEVICE]\n"
    "tomrik: the management console of the four-line station model.\n"
    "A text-mode program for an 80 x 25 terminal; without arguments it starts\n"
    "on the terminal. The station is on COM1 or COM2 (on Linux /dev/ttyS0 and\n"
    "/dev/ttyS1, or the devices named by STATION_COM1 and STATION_COM2). Settings files\n"
    "(*.set) are read and written in the current directory.\n"
    "Help: \"help.hlp\" (the manual) is taken from the current directory, else\n"
    "beside the program, else from the installation's data folder.\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "  --show FILE.set\n"
    "             list every setting of the settings file, one a line in the\n"
    "             menus' order (\"section / label: value\"), then the bytes no\n"
    "             setting holds; UTF-8 on standard output\n"
    "  --format tsv\n"
    "             the listing as tab-separated columns: section, label,\n"
    "             parameter, place (record and byte), value\n"
    "  --compare A.set B.set\n"
    "             list the settings that differ, with the value in A and in B,\n"
    "             then the raw bytes that differ; exit status 0 the same,\n"
    "             1 they differ, 2 a file cannot be read or is no tomrik file\n"
    "  --read-station FILE.set\n"
    "             read the station's settings into FILE.set and its phone\n"
    "             books and special cell into FILE.pbk beside it, with no\n"
    "             screen: a complete backup\n"
    "  --write-station FILE.set\n"
    "             write FILE.set to the station, and FILE.pbk when it is\n"
    "             there, every record read back\n"
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
    "See tomrik(1) and the manual (Help menu, first entry).\n";

// tomrik needs no file to start its screens.
bool run_screens() {
  tomrik_main();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  return run_program(argc, argv, {"tomrik", usage, tomrik_program, tomrik_catalogue, run_screens, nullptr});
}
