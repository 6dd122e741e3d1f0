#pragma once
// The screens the tomrik menus run.

void city_lines_screen();
void call_distribution_screen(int period);  // 1 by day, 2 by night
void subscriber_settings_screen(int page);  // 1 or 2
void permission_table_screen(int group);    // 26..30, 32, 33
void tariffing_modes_screen();
void pickup_groups_screen();
void call_groups_screen();
void melody_screen();
void phone_book_screen(int book);           // 17 the common book, 0 a subscriber's (asked for)
void special_cell_screen();
void number_control_screen(int list);       // 0 allowed numbers, 1 forbidden numbers
void command8_paths_screen();
void station_display_screen();
void call_record_viewer();
void storage_device_screen();
void software_version_screen();
