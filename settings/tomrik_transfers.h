#pragma once
// The tomrik transfers.

#include <cstdint>

#include "settings/station_transfers.h"

// The transfers proper of station_transfers.h, for tomrik: the records of
// the image plan for the connected station's counts.
TransferOutcome tomrik_read_image(std::uint8_t* image, TransferWatch& watch);
TransferOutcome tomrik_write_image(const std::uint8_t* image, TransferWatch& watch);

void tomrik_station_to_file();
void tomrik_file_to_station();
