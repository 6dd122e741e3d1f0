#pragma once
// The screens the karvel menus run.

void station_settings_menu();
void internal_port_editor();
void edit_exit_groups();
void edit_routing_tables();
