// The two programs' colour sets and key tables.
#include "toolkit/profile.h"

namespace {
const Profile* active = &karvel_screen_profile;
}

const Profile& profile() { return *active; }
void use_screen_profile(const Profile& p) { active = &p; }

const Profile karvel_screen_profile = {
    "karvel",
    {0x1E, 0x70, 0x2E, 0x47, 0x4F, 0x2F},
    true,   // full key table
    false,  // grid navigation starts where the screen put the cursor
    true,   // Tab ends grid navigation
    true,   // rectangles
    true,   // screen save
};

const Profile tomrik_screen_profile = {
    "tomrik",
    {0x1E, 0x70, 0x20, 0x47, 0x00, 0x00},
    false,  // no Insert, Home, End, PgUp, PgDn
    true,   // grid navigation first homes the cursor
    false,  // Tab is ignored in grid navigation
    false,  // lines only
    false,  // no screen save
};
