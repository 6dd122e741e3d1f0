// Commands whose screens are not built yet: they return at once, so the menu
// entries behind them are already wired.
#include "settings_commands.h"

void station_to_file() {}
void file_to_station() {}
