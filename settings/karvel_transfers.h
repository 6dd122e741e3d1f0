#pragma once
// The karvel transfers and their progress line.

#include <cstdint>

#include "settings/settings_image.h"
#include "settings/station_transfers.h"

// The image moves in blocks of 16 bytes, block i at image offset 16 i.
constexpr int karvel_block_size = 16;
constexpr int karvel_block_count = karvel_image_size / karvel_block_size;
constexpr int karvel_bar_cells = 33;

// The percentage for block i at (31, 4) and, every 64 blocks, the next
// filled cell of the bar at columns 40..72.
void show_karvel_progress(int block);

// The transfers proper of station_transfers.h, for karvel.
TransferOutcome karvel_read_image(std::uint8_t* image, TransferWatch& watch);
TransferOutcome karvel_write_image(const std::uint8_t* image, TransferWatch& watch);

void karvel_station_to_file();
void karvel_file_to_station();
