#pragma once
// What differs between the two programs, chosen once at start-up: the
// screen's part (colours, key table, toolkit behaviours) and the link's
// (its dialect).

#include "link/link_dialect.h"
#include "toolkit/profile.h"

struct ProgramProfile {
  const Profile& screen;
  const LinkDialect& link;
};

extern const ProgramProfile karvel_program;
extern const ProgramProfile tomrik_program;

// Gives each layer its part.
void use_program(const ProgramProfile& program);
