#pragma once
// The one start-up of both programs: the options that need no screen
// (listings, station commands, --help and --version), then the terminal,
// a fresh run state and the program's screens. What differs between the
// two programs is chosen once, in the record each program's main gives.

#include <string>

#include "settings/catalogue.h"
#include "settings/program_profile.h"

// What the --help text says of one program; the rest of the text is the
// same for both.
struct ProgramUsage {
  const char* model;          // the station model, after "karvel: the management console of "
  const char* help_files;     // the lines on the help files
  const char* place;          // what the tsv listing's place column holds
  const char* read_station;   // the lines under --read-station FILE.set
  const char* write_station;  // the lines under --write-station FILE.set
};

struct ProgramStart {
  const char* name;  // "karvel": the name in messages on standard error
  ProgramUsage usage;
  const ProgramProfile& profile;
  const CatalogueModel& catalogue;
  // Runs the screens until the user leaves; false when the program could
  // not start them, and then `why_not_started` tells why in one line.
  bool (*screens)();
  std::string (*why_not_started)();
};

// The whole --help text of a program.
std::string usage_text(const ProgramStart& program);

// The program's exit status: the option's own, 1 when the terminal cannot
// be used or the screens could not start (said on standard error), else 0.
int run_program(int argc, char** argv, const ProgramStart& program);
