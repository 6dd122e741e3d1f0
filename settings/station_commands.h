#pragma once
// The whole-configuration commands a script gives on the command line, run
// with no screen:
//   --read-station FILE     the station's configuration to a settings file
//   --write-station FILE    a settings file to the station
//   --compare-station FILE  what differs between the station and the file,
//                           listed on standard output as --compare lists it
//   --port DEVICE           the station's port (else STATION_COM1, else COM1)
// tomrik keeps its phone books in a companion file beside FILE
// (tomrik_companion.h). Progress and messages go to standard error.
// Exit status: 0 done (--compare-station: the same); 1 no station, the line
// or the data failed (--compare-station: or they differ);
// 2 a usage or file error (the file cannot be read or written, is not a
// settings file of this model, or is for another station). A signal ends
// the command with 128 + its number, the old file kept.

#include <optional>

#include "settings/catalogue.h"

// Nothing when the arguments hold none of these options, and the program
// goes on as usual. Otherwise runs the command, with the system's services
// and a fresh run state, and gives the exit status. The program's profile
// is in use.
// `model` names the program and lists and compares its configurations.
std::optional<int> run_station_command(int argc, char** argv, const CatalogueModel& model);
