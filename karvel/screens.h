#pragma once
// The screens the karvel menus run.

void station_settings_menu();
void internal_port_editor();
void city_line_editor();
void edit_exit_groups();
void edit_routing_tables();
void edit_pickup_groups();
void edit_melody();
void phone_book(int base_address);
void individual_phone_book(int base_address);
void station_view_table();
void station_view_log();
void subscriber_view();
void selector_view();
void board_view();
