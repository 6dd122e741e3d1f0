#pragma once
// The screens the karvel menus run.

void station_settings_menu();
void internal_port_editor();
void city_line_editor();
void edit_pickup_groups();
void edit_melody();
void edit_exit_groups();
void edit_routing_tables();

// Phone books: the station book, a port's individual book and the pool view.
void station_phone_book();
void port_phone_book();
void pool_phone_book();

// Operation: the live views of a working station.
void station_view_table();
void station_view_log();
void subscriber_view();
void selector_view();
void board_view();
