#pragma once
// The guard every station screen starts with: without what the screen
// needs, the "not connected" box and nothing else; with it, the station's
// control line raised when a station is there to hear it.

enum class ScreenNeeds {
  station,          // a live station
  station_or_file,  // a live station, or a settings file loaded for editing
};

// Whether the screen may start; shows the box when not.
bool station_screen_allowed(ScreenNeeds needs);

// The usual entry: the screen cleared (when `clear_first`), the guard, and
// RTS on for a connected station. False when the screen must not start.
bool enter_station_screen(ScreenNeeds needs, bool clear_first = true);
