#pragma once
// tomrik's record groups by name: record (group, index) holds one setting
// of a city line, a subscriber, a table row or the station.

namespace facts::tomrik_group {

// City lines, index the line 1..4.
inline constexpr int dial_mode = 1;
inline constexpr int extra_digit = 2;
inline constexpr int disa_signal = 3;
inline constexpr int load_time = 4;
inline constexpr int long_distance_code = 5;  // four digit codes
inline constexpr int disa_day = 6;
inline constexpr int disa_night = 7;
inline constexpr int break_time = 11;
inline constexpr int hold_time = 12;
// Three pauses of line L: after the extra digit at index L, after the long
// distance code at L + pause_step, the DISA wait at L + 2 pause_step.
inline constexpr int line_pauses = 13;
inline constexpr int line_pause_step = 4;

// Incoming call distribution: groups 1..3 of a line by day and by night,
// index the line; the delays of groups 2 and 3 in one more group.
inline constexpr int distribution_day = 8;
inline constexpr int distribution_night = 16;
inline constexpr int distribution_delay = 19;

// Number control cells and command 8 paths, index from 0.
inline constexpr int number_control = 14;
inline constexpr int command8_paths = 15;

// Subscriber settings, one byte per subscriber, index the subscriber code.
inline constexpr int first_subscriber_group = 20;
inline constexpr int intrusion = 20;
inline constexpr int notification = 21;
inline constexpr int day_night_transfer = 22;
inline constexpr int search_start = 23;
inline constexpr int hot_line = 24;
inline constexpr int flash_time = 25;
inline constexpr int tone_dialling = 34;
inline constexpr int last_subscriber_group = 34;

// Permission tables, index the subscriber code; tariffing modes.
inline constexpr int city_day = 26;
inline constexpr int city_night = 27;
inline constexpr int long_distance_day = 28;
inline constexpr int long_distance_night = 29;
inline constexpr int commands_15_17 = 30;
inline constexpr int tariffing = 31;
inline constexpr int closed_dialling = 32;
inline constexpr int command8 = 33;

// Pickup groups and general call groups, index the group.
inline constexpr int pickup = 40;
inline constexpr int general_call = 41;

// Phone books: the common book is phone_book, subscriber k's own
// phone_book + k; index the cell. The special cell is two records.
inline constexpr int phone_book = 50;
inline constexpr int special_cell_first = 67;
inline constexpr int special_cell_second = 68;
// Each book has 16 cells, index 1..16, of 25 digit codes. The special
// cell's two records have index 0 and read as 24 codes each; each is
// written with 25.
inline constexpr int phone_book_cells = 16;
inline constexpr int phone_book_cell_size = 25;
inline constexpr int special_cell_index = 0;
inline constexpr int special_cell_half = 24;
inline constexpr int special_cell_written = 25;

// The station: identity and station values, index 1.
inline constexpr int identity = 0x80;
inline constexpr int day_night = 0x81;  // manual and automatic switching
inline constexpr int melody = 0x82;
inline constexpr int volume = 0x83;
// Software version, date and time texts, index 1.
inline constexpr int software_version = 132;
inline constexpr int software_date = 133;
inline constexpr int software_time = 134;

}  // namespace facts::tomrik_group

namespace facts::tomrik_hot_line {

// The values of the hot line record: 0 none, 1..S a subscriber, a call
// group of the station (21..26 and 31..36), 129 + L - 1 city line L.
inline constexpr int first_call_group = 21, last_call_group = 26;
inline constexpr int first_other_group = 31, last_other_group = 36;
inline constexpr int first_line = 129;

}  // namespace facts::tomrik_hot_line
