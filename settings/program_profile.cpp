#include "settings/program_profile.h"

#include "link/link_console.h"
#include "link/link_screens.h"

const ProgramProfile karvel_program = {karvel_screen_profile, karvel_link_dialect};
const ProgramProfile tomrik_program = {tomrik_screen_profile, tomrik_link_dialect};

void use_program(const ProgramProfile& program) {
  use_screen_profile(program.screen);
  use_link_dialect(program.link);
  link_use_console(&link_screen_console());
}
