#pragma once
// The screens the tomrik menus run.

void city_lines_screen();
void call_distribution_screen(int period);  // 1 by day, 2 by night
void call_record_viewer();
void storage_device_screen();
void software_version_screen();
