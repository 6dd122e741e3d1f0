// The File menu's whole-configuration transfers, as the active program
// moves them: memory blocks (karvel) or records (tomrik).
#include "settings/karvel_transfers.h"
#include "settings/settings_commands.h"
#include "settings/tomrik_transfers.h"
#include "settings/transfer_frame.h"

void station_to_file() {
  if (record_station())
    tomrik_station_to_file();
  else
    karvel_station_to_file();
}

void file_to_station() {
  if (record_station())
    tomrik_file_to_station();
  else
    karvel_file_to_station();
}
