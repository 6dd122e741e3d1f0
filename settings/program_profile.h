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

// Gives each layer its part, and the link the screens it shows its boxes
// through (reset_run_state does too, for a test that chose no program).
void use_program(const ProgramProfile& program);
