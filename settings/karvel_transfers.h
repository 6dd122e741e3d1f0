#pragma once
// The karvel transfers and their progress line.

#include "settings/settings_image.h"

// The image moves in blocks of 16 bytes, block i at image offset 16 i.
constexpr int karvel_block_size = 16;
constexpr int karvel_block_count = karvel_image_size / karvel_block_size;
constexpr int karvel_bar_cells = 33;

// The percentage for block i at (31, 4) and, every 64 blocks, the next
// filled cell of the bar at columns 40..72.
void show_karvel_progress(int block);

void karvel_station_to_file();
void karvel_file_to_station();
