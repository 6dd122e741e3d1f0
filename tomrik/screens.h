#pragma once
// The screens the tomrik menus run.

void city_lines_screen();
void call_distribution_screen(int period);  // 1 by day, 2 by night
void phone_book_screen(int book);     // 17 the common book, 0 a subscriber's (asked for)
void special_cell_screen();
void number_control_screen(int list);  // 0 allowed numbers, 1 forbidden numbers
void command8_paths_screen();
void station_display_screen();
void call_record_viewer();
void storage_device_screen();
void software_version_screen();
