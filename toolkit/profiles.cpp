// The two programs' colour sets, key tables and link dialects.
#include "menu.h"
#include "platform.h"
#include "profile.h"

namespace {
const Profile* active = &karvel_profile;
}

const Profile& profile() { return *active; }
void use_profile(const Profile& p) { active = &p; }

const Profile karvel_profile = {
    "karvel",
    {0x1E, 0x70, 0x2E, 0x47, 0x4F, 0x2F},
    true,   // full key table
    false,  // grid navigation starts where the screen put the cursor
    true,   // Tab ends grid navigation
    true,   // rectangles
    true,   // screen save
    draw_karvel_link_status,
    {true, 200, 100, false, 48, 17, true, true, 7},
};

const Profile tomrik_profile = {
    "tomrik",
    {0x1E, 0x70, 0x20, 0x47, 0x00, 0x00},
    false,  // no Insert, Home, End, PgUp, PgDn
    true,   // grid navigation first homes the cursor
    false,  // Tab is ignored in grid navigation
    false,  // lines only
    false,  // no screen save
    draw_tomrik_link_status,
    {false, 51, 1000, true, 46, 18, false, false, 4},
};
