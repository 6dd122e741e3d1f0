#pragma once
// What differs between the two programs on screen, chosen once at start-up:
// the colour set, the key table and a few behaviours of the toolkit. The
// link's part is its dialect (link/link_dialect.h); each program's menus
// are its own table (the shell's menu_table.cpp).

#include <cstdint>

struct ColourSet {
  std::uint8_t screen, box, select, alert, denied, done;
};

struct Profile {
  const char* name;
  ColourSet colours;
  bool full_key_table;       // Insert, Home, End, PgUp and PgDn exist
  bool grid_homes_cursor;    // grid navigation first puts the cursor at (1,1)
  bool grid_returns_tab;     // Tab ends grid navigation
  bool frame_rectangles;     // draw_frame also draws rectangles
  bool has_screen_save;      // save_screen / restore_screen exist
};

const Profile& profile();
void use_screen_profile(const Profile& p);

extern const Profile karvel_screen_profile;
extern const Profile tomrik_screen_profile;

// The colour constants of the active program.
#define COLOR_SCREEN (profile().colours.screen)
#define COLOR_BOX (profile().colours.box)
#define COLOR_SELECT (profile().colours.select)
#define COLOR_ALERT (profile().colours.alert)
#define COLOR_DENIED (profile().colours.denied)
#define COLOR_DONE (profile().colours.done)
