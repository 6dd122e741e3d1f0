#pragma once
// The station's day/night switching times as the storage device screen last
// read them from the device or set them: night mode on (hours, minutes),
// night mode off (hours, minutes). Kept for the whole run.

extern int day_night_times[4];
