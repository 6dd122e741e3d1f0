// Screens that are not built yet return at once, so the menu entries behind
// them are already wired.
#include "screens.h"

void subscriber_settings_screen(int) {}
void permission_table_screen(int) {}
void tariffing_modes_screen() {}
void pickup_groups_screen() {}
void call_groups_screen() {}
void melody_screen() {}
void phone_book_screen(int) {}
void special_cell_screen() {}
void number_control_screen(int) {}
void command8_paths_screen() {}
void station_display_screen() {}
