#pragma once
// What differs between the two programs, chosen once at start-up: the colour
// set, the key table, a few behaviours of the toolkit and the link dialect.
// Each program's menus are its own table (the shell's menu_table.cpp).

#include <cstdint>

struct ColourSet {
  std::uint8_t screen, box, select, alert, denied, done;
};

// How the program talks to its station model.
struct LinkDialect {
  bool memory_window;       // karvel: memory blocks, line test, speed search; tomrik: records at 4800
  int read_timeout_ms;      // a one-byte read gives up after this long
  int rts_settle_ms;        // the wait after raising RTS, before the receive purge
  bool read_failure_is_timeout;  // link_get_byte reports a failed read as a time-out
  int message_width;        // error box texts are centred in this many characters
  int message_column;       // and start at this column
  bool message_blank_rows;  // blank rows frame the heading and message
  bool wrong_answer_message;     // code 8 has a message
  int identity_length;      // characters of station_identity
};

struct Profile {
  const char* name;
  ColourSet colours;
  bool full_key_table;       // Insert, Home, End, PgUp and PgDn exist
  bool grid_homes_cursor;    // grid navigation first puts the cursor at (1,1)
  bool grid_returns_tab;     // Tab ends grid navigation
  bool frame_rectangles;     // draw_frame also draws rectangles
  bool has_screen_save;      // save_screen / restore_screen exist
  void (*draw_link_status)();  // the right end of the menu bar
  LinkDialect link;
};

const Profile& profile();
void use_profile(const Profile& p);

extern const Profile karvel_profile;
extern const Profile tomrik_profile;

// The colour constants of the active program.
#define COLOR_SCREEN (profile().colours.screen)
#define COLOR_BOX (profile().colours.box)
#define COLOR_SELECT (profile().colours.select)
#define COLOR_ALERT (profile().colours.alert)
#define COLOR_DENIED (profile().colours.denied)
#define COLOR_DONE (profile().colours.done)
