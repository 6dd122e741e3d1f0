#include "settings_state.h"

SettingsState settings_state;
