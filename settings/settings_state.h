#pragma once
// The name of the settings file last chosen, shown on the menu bar in file
// mode.

struct SettingsState {
  char file_name[13] = {};  // up to 12 characters
};
extern SettingsState settings_state;
