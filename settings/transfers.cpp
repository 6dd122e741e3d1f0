// The whole-configuration transfers, as the active program moves them:
// memory blocks (karvel) or records (tomrik).
#include "settings/karvel_transfers.h"
#include "settings/settings_commands.h"
#include "settings/station_transfers.h"
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

TransferOutcome read_image_from_station(std::uint8_t* image, TransferWatch& watch) {
  return record_station() ? tomrik_read_image(image, watch) : karvel_read_image(image, watch);
}

TransferOutcome write_image_to_station(const std::uint8_t* image, TransferWatch& watch) {
  return record_station() ? tomrik_write_image(image, watch) : karvel_write_image(image, watch);
}
