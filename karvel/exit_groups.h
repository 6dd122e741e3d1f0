#pragma once
// Exit groups: how the subscribers of each of the four groups reach the
// city. Group g owns the 1024 bytes at 0xF000 + 1024 (g - 1): its twelve
// exit code rows, three routing tables of control codes with phone book
// cells, and two dial control tables.

#include "facts/karvel_memory.h"

inline constexpr int exit_group_count = 4;
inline constexpr int exit_routing_table_count = 3;
inline constexpr int exit_dial_table_count = 2;

inline int exit_group_block(int group) { return facts::karvel_exit_group_address(group); }

// Where the exit group screen stands: the group and the table each
// sub-screen opens on. All start at 1 when the screen opens; the tables
// keep their numbers while it stays open.
struct ExitGroupTables {
  int group = 1;
  int routing_table = 1;
  int dial_table = 1;
};

// The exit group table (programming menu); returns on Esc.
void edit_exit_groups();
// F1 and F2 of that table: drawn at its right (and, for the dial control
// table, below it) for the current group; each erases exactly its own area
// when it returns on Esc.
void edit_group_routing(ExitGroupTables& tables);
void edit_group_dial_control(ExitGroupTables& tables);
