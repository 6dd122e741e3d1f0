#pragma once
// Station-wide settings: the menu and its five pages.

void show_identity_page();
void edit_general_settings();
void edit_hardware_numbers();
void edit_logical_numbers();
void edit_access_codes();
void edit_protection_levels();
