#pragma once
// The command-line options that read settings files with no screen:
//   --show FILE.set [--format text|tsv]   the whole configuration
//   --compare A.set B.set                 what differs between two
// Each program answers them before it starts its screen.

#include <optional>

#include "settings/catalogue.h"

// The exit status when the arguments ask for one of these options (0 done,
// or for --compare 0 the same and 1 differing; 2 for a usage or file error,
// said in one line on standard error); nothing when they ask for none.
std::optional<int> run_listing_commands(int argc, char** argv, const CatalogueModel& model);
