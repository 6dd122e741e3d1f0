#pragma once
// Names of the station's 256 numbered parameters, as the protection levels
// page lists them: entry n is the number right-aligned in three columns, a
// point, a blank and the name, padded to 50 characters. Entries 0 and 256
// are blank.

#include <string>

const std::string& parameter_names(int n);
