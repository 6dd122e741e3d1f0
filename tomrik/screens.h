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
void call_record_viewer();
void storage_device_screen();
void software_version_screen();
