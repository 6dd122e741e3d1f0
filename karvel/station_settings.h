#pragma once
// Station-wide settings: the menu and its five pages.

void show_identity_page();
void edit_general_settings();
void edit_hardware_numbers();
void edit_logical_numbers();
void edit_access_codes();
void edit_protection_levels();

// The two letters that follow Insert on the identity page to show the
// service bytes.
constexpr char identity_service_keys[2] = {'S', 'V'};
