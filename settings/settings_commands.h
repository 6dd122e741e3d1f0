#pragma once
// Whole-configuration commands of the File menu.
void load_settings_file();  // karvel
void save_settings_file();  // karvel
void station_to_file();
void file_to_station();
