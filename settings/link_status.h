#pragma once
// The right end of the menu bar, drawn by the shells after the bar: port,
// speed and identity of the connected station, or the loaded settings file
// (karvel).
void draw_karvel_link_status();
void draw_tomrik_link_status();
