#pragma once
// The screens the tomrik menus run.

void city_lines_screen();
void call_distribution_screen(int period);
void subscriber_settings_screen(int screen);
void permission_table_screen(int record_group);
void tariffing_modes_screen();
void pickup_groups_screen();
void call_groups_screen();
void melody_screen();
void phone_book_screen(int argument);
void special_cell_screen();
void number_control_screen(int argument);
void command8_paths_screen();
void station_display_screen();
void call_record_viewer();
void storage_device_screen();
void software_version_screen();
