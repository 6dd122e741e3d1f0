#pragma once
// The station's day/night switching times as the storage device screen last
// read them from the device or set them: night mode on (hours, minutes),
// night mode off (hours, minutes). Part of the run state
// (settings/run_state.h), which resets them to 20:00 and 09:00.

#include "facts/station_facts.h"

extern int (&day_night_times)[facts::storage_times_bytes];
