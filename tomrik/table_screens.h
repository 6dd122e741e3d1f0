#pragma once
// What the tomrik table screens share: the one record buffer they all work
// in, the connection check and control line on entry, and the edit of one
// cell of a record (re-read, change with Space, write on Enter, read back).

#include <cstdint>
#include <string>

#include "toolkit/field_editors.h"
#include "toolkit/screen.h"

// Element 0 the data length N, elements 1..N the data bytes.
extern int table_record[256];

// False (after error box 5) when no station is connected; otherwise raises
// the control line and returns true.
bool table_screen_start();

// Reads a record into table_record. An unknown record comes back empty.
int table_read(int group, int index);

// The record has the 1-based data byte `position`.
bool table_has_byte(int position);

// Fills the places N+1..count with 0 and sets the length to count, so a
// record the station sent short never carries stale buffer bytes.
void table_fit_length(int count);

// The city lines a table shows: the station's count, at most four.
int line_count();

// Edits data byte `position` of record (group, index) at the grid's current
// cell: re-read, hint_edit_value, Space by the rule, Enter writes. Either way
// the record is read again and the cell redrawn in COLOR_SCREEN. Returns 0
// or the failed link status. `draw` (optional) redraws the value in a colour
// in place of show_record_cell, for rows shown in more than one cell.
using CellDraw = void (*)(const GridCursor& grid, int value, std::uint8_t colour);
int edit_table_cell(const GridCursor& grid, int group, int index, int position, const CellRule& rule,
                    CellDraw draw = nullptr);

// read_plain_key (one key; an extended key comes back as 0) is shared with
// the transfers.
#include "settings/transfer_frame.h"
