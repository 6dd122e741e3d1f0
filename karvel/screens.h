#pragma once
// The screens the karvel menus run.

void station_settings_menu();
void internal_port_editor();

// Operation: the live views of a working station.
void station_view_table();
void station_view_log();
void subscriber_view();
void selector_view();
void board_view();
