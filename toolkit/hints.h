#pragma once
// Hint lines: fixed lines of key names and what they do, on row 1 or row
// 25. Each overwrites the hint that stood there before, and leaves the
// colour at the screen colour and the cursor after its last piece. The
// lines themselves are a table in hints.cpp.

// karvel
void hint_esc_top();
void hint_edit_page();
void hint_port_pages();
void hint_move_edit();
void hint_group_keys();
void hint_table_keys();
void hint_routing_keys();
void hint_help_key();
void hint_port_key();
void hint_space_enter();
void hint_digits_enter();
void hint_digit_string();

// tomrik
void hint_fields();
void hint_edit_value();
void hint_digits_code();
void hint_text_edit();
void hint_clear_line();
void hint_clear_keys();
void hint_clear_book();
void hint_confirm_clear();
void hint_clearing();
void hint_bulk_keys();
void hint_day_night_key();
void hint_choose_param();
void hint_melody_keys();
void hint_name_edit();
void hint_volume_keys();
void hint_storage_menu();
void hint_storage_fields();
void hint_record_filter();
void hint_record_browse();

// Frames that several karvel pages share.
void draw_group_strips();
void draw_variant_table();
