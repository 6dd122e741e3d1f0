#pragma once
// The tomrik transfers.
void tomrik_station_to_file();
void tomrik_file_to_station();
