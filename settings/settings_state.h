#pragma once
// The name of the settings file last chosen, shown on the menu bar in file
// mode and in the commands' questions.

struct SettingsState {
  char file_name[13] = {};  // up to 12 characters
  // The name last chosen did not fit the 12 characters (a typed name the
  // extension made longer): file_name holds its first 12, and no file is
  // opened under it.
  bool name_too_long = false;
};
// Part of the run state (run_state.h), which resets it.
extern SettingsState& settings_state;
