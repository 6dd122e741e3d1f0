#pragma once
// The screens the karvel menus run.

void station_settings_menu();
void internal_port_editor();
