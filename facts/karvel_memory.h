#pragma once
// Where karvel keeps its settings in the configuration window 0x8000..0xFFFF
// (image offset = station address - karvel_window). Each place is named once
// here for the programs, the simulator and the transfers.

namespace facts {

inline constexpr int karvel_window = 0x8000;
inline constexpr int karvel_image_size = 0x8000;
// Station addresses are 16 bits; a settings address stays within the window.
inline constexpr int karvel_address_mask = 0xFFFF;
inline constexpr int karvel_window_mask = 0x7FFF;

// ---- Identity and texts of the station --------------------------------------
inline constexpr int karvel_identity_address = 0x8000;  // 8 ASCII characters
inline constexpr int karvel_identity_size = 8;
inline constexpr int karvel_version_address = 0x8008;  // 8 characters each
inline constexpr int karvel_date_address = 0x8010;
inline constexpr int karvel_time_address = 0x8018;
inline constexpr int karvel_text_size = 8;
inline constexpr int karvel_first_line_port_address = 0x801F;

// ---- General settings 0x8020..0x8035 ----------------------------------------
inline constexpr int karvel_ringing_limits = 0x8020;  // most telephones ringing at once, intervals 1..4
inline constexpr int karvel_ringing_limit_count = 4;
inline constexpr int karvel_mode_address = 0x8024;               // the operating mode 0..3
inline constexpr int karvel_line_init_counter = 0x8025;         // read only
inline constexpr int karvel_reset_counter = 0x8026;             // read only
inline constexpr int karvel_reset_cycles = 0x8027;
inline constexpr int karvel_announcer_fitted = 0x8028;          // read only, 0 no, 1 yes
inline constexpr int karvel_speed_address = 0x8029;             // the exchange speed setting, 0..3
inline constexpr int karvel_telephone_speed = 0x802A;           // same coding
inline constexpr int karvel_dtmf_connection = 0x802B;           // read only, 0 port 1, 1 bus
inline constexpr int karvel_loudspeaker_code = 0x802C;          // four digit codes
inline constexpr int karvel_melody_address = 0x8030;            // melody 0..11 on hold
inline constexpr int karvel_volume_address = 0x8031;
inline constexpr int karvel_playback_length = 0x8032;           // read only, 16-bit, low byte first
inline constexpr int karvel_playback_reduction = 0x8034;
inline constexpr int karvel_disa_dial_seconds = 0x8035;

// ---- Numbering ----------------------------------------------------------------
// The hardware number of port p at karvel_hardware_numbers + p - 1.
inline constexpr int karvel_hardware_numbers = 0x8040;
constexpr int karvel_hardware_number_address(int port) { return karvel_hardware_numbers + port - 1; }
// Mode m's name, 8 characters, at karvel_mode_names + 8 m; four modes.
inline constexpr int karvel_mode_names = 0x8080;
inline constexpr int karvel_mode_name_size = 8;
inline constexpr int karvel_mode_count = 4;
constexpr int karvel_mode_name_address(int mode) { return karvel_mode_names + karvel_mode_name_size * mode; }
// The service bytes shown by the identity screen's hidden keys, 4 bytes.
inline constexpr int karvel_service_bytes = 0x80E4;
inline constexpr int karvel_access_codes_address = 0x80F0;  // codes 1..7, 16-bit, high byte first
inline constexpr int karvel_access_code_count = 7;
// Logical numbers 100..199: byte k names the port that answers 100 + k; the
// screen shows them in columns of 20.
inline constexpr int karvel_logical_numbers = 0xB580;
inline constexpr int karvel_logical_column_rows = 20;
constexpr int karvel_logical_number_address(int column, int row) {
  return karvel_logical_numbers + karvel_logical_column_rows * (column - 1) + (row - 1);
}

// ---- 256-byte blocks of ports and city lines -----------------------------------
// Port p's block at karvel_window + 256 p; a city line's at
// karvel_window + 256 (line + first_line_port - 1).
inline constexpr int karvel_block_size = 256;
constexpr int karvel_block_address(int block_number) { return karvel_window + karvel_block_size * block_number; }
// Places within a block.
inline constexpr int karvel_port_exit_groups_offset = 0x40;    // a port's groups for the city
inline constexpr int karvel_line_routing_table_offset = 0x40;  // a line's incoming routing table
inline constexpr int karvel_call_groups_offset = 0x80;         // general call groups, ports and lines
// The phone books: the station book and the pool the individual books
// point into, each of 99 cells of 32 digit codes (cell k at base + 32 k).
// Every port has nine entries into the pool at this offset of its block.
// A cell is in use when its first byte is 1..254; an entry names a pool
// cell, or is 255 for none yet, or 0 for an entry the port may not have.
inline constexpr int karvel_port_book_offset = 0xC0;
inline constexpr int karvel_port_book_entries = 9;
inline constexpr int karvel_station_book = 0xE000;
inline constexpr int karvel_book_pool = 0xC000;
inline constexpr int karvel_book_cells = 99;
inline constexpr int karvel_book_cell_size = 32;
inline constexpr int karvel_book_no_cell = 255;

// ---- Incoming call routing tables 1..16 ---------------------------------------
// Table t's four answer groups of `places` ports each at
// karvel_routing_answer_groups + 64 (t - 1) + places (g - 1); its phone book
// cell at karvel_routing_book_cells + t - 1; its four ringing times at
// karvel_routing_ringing_times + 4 (t - 1) + g - 1.
inline constexpr int karvel_routing_answer_groups = 0xB100;
inline constexpr int karvel_routing_table_size = 64;
inline constexpr int karvel_routing_book_cells = 0xB500;
inline constexpr int karvel_routing_ringing_times = 0xB540;
inline constexpr int karvel_routing_groups_per_table = 4;
constexpr int karvel_routing_answer_group_address(int table, int group, int places) {
  return karvel_routing_answer_groups + karvel_routing_table_size * (table - 1) + places * (group - 1);
}
constexpr int karvel_routing_book_cell_address(int table) { return karvel_routing_book_cells + table - 1; }
constexpr int karvel_routing_ringing_time_address(int table, int group) {
  return karvel_routing_ringing_times + karvel_routing_groups_per_table * (table - 1) + group - 1;
}

// ---- Protection levels and pickup groups ---------------------------------------
// The protection level of parameter n (1..256) at karvel_protection_levels + n.
inline constexpr int karvel_protection_levels = 0xED00;
constexpr int karvel_protection_address(int parameter) { return karvel_protection_levels + parameter; }
// 16 pickup groups of 16 ports, group g at karvel_pickup_groups + 16 (g - 1).
inline constexpr int karvel_pickup_groups = 0xEE00;
inline constexpr int karvel_pickup_group_size = 16;

// ---- Exit groups 1..4 -------------------------------------------------------------
// Group g owns the 1024 bytes at karvel_exit_groups + 1024 (g - 1).
inline constexpr int karvel_exit_groups = 0xF000;
inline constexpr int karvel_exit_group_size = 1024;
constexpr int karvel_exit_group_address(int group) { return karvel_exit_groups + karvel_exit_group_size * (group - 1); }

}  // namespace facts
