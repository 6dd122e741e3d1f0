#pragma once
// What the tomrik table screens share: the one record buffer they all work
// in, the page their keys run on, the ruled frame of a
// table, the subscriber rows, the closing of gaps in a list of members, and
// the edit of one value of a record (re-read, change with Space, write on
// Enter, read back).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "toolkit/field_page.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

// Element 0 the data length N, elements 1..N the data bytes.
extern int table_record[256];

// A page's link status as the page takes it: a failed exchange shows the
// link's box and ends the page.
KeyResult after_link(int status);

// A table page of the tomrik screens: the hint line (the usual one unless
// told), the grid's keys from the table, every value shown by `show`. Link
// failures end it.
void run_table_page(GridCursor grid, std::function<int(const GridCursor&)> show, std::vector<PageKey> keys,
                    std::function<void()> hints = hint_fields);

// A key of such a page that acts, then shows again what it changed: the
// page goes on unless either fails.
using LinkAction = std::function<int(GridCursor& grid)>;
PageKey::Action then_show(LinkAction act, LinkAction show);

// Reads a record into table_record. An unknown record comes back empty.
int table_read(int group, int index);

// The course of every edit of a record: read it afresh into table_record;
// unless `held` says no (none: always), let `edit` change it there and
// write it when that returns true; read it back and `draw` what the station
// holds. Returns 0 or the failed link status.
struct RecordEdit {
  int group;
  int index;
  std::function<bool()> held;
  std::function<bool()> edit;
  std::function<void()> draw;
};
int edit_record(const RecordEdit& course);

// Edits place grid.column of a group of `places` codes (`codes` 0-based)
// at the grid: an empty place is filled from the group's first empty one,
// where the cursor moves; Space gives the place `next(place, code)`, shown
// by `text` in COLOR_BOX. True after Enter, false after Esc.
bool edit_group_place(GridCursor& grid, int* codes, int places, const std::function<int(int place, int code)>& next,
                      std::string (*text)(int code));

// The record has the 1-based data byte `position`.
bool table_has_byte(int position);

// The record just read has exactly `length` data bytes. The screens whose
// records have one fixed length show any other length blank and never edit
// it, so no byte beyond what the station sent is ever taken.
bool table_is_length(int length);

// The city lines a table shows: the station's count, at most four.
int line_count();
// The subscribers a table shows: the station's count, at most the sixteen
// rows the tables have.
int subscriber_count();

// Moves the members (non-zero codes) to the front in their order and the
// empty places (0) behind them, so a list never starts with a gap while it
// has members: 0, 0, 3, 4 becomes 3, 4, 0, 0.
void close_gaps(int* code, int count);

// Equal subscribers keep only their first place; then the members close up
// to the front, so a group never starts with an empty place.
void tidy_members(int* code, int count);

// A place of a group of subscribers: "Нет" when empty (0), else the
// subscriber's telephone number (code + 10).
std::string member_text(int code);

// A group of subscriber codes for the catalogue, as its row shows them:
// exact while the members stand closed up in front, each once, each one of
// the station's `subscribers`.
std::string listed_members(const std::uint8_t* codes, int places, int subscribers);

// A table's ruled frame, all double lines but the single inner ones.
// `rows` are the double horizontal lines, the first the top edge and the last
// the bottom edge; `double_columns` the double verticals, the first and last
// the outer edges; `single_columns` and `single_rows` the single lines
// inside. Horizontal lines run between the outer edges and verticals between
// the top and bottom, and every crossing gets its joint.
struct TableFrame {
  std::vector<int> rows;
  std::vector<int> double_columns;
  std::vector<int> single_columns;
  std::vector<int> single_rows = {};
};
void draw_table_frame(const TableFrame& frame);

// One value of a record: data byte `position` of record (group, index). With
// `length` not 0 a record of any other length is shown blank and not edited;
// with 0 any record that holds the byte is.
struct RecordCell {
  int group;
  int index;
  int position = 1;
  int length = 0;
};

// The record just read holds the cell's value.
bool table_holds(const RecordCell& cell);

// Edits a cell's value at the grid's current cell: re-read, hint_edit_value,
// Space by the rule, Enter writes. Either way the record is read again and
// the cell redrawn in COLOR_SCREEN. Returns 0 or the failed link status.
// `draw` (optional) redraws the value in a colour in place of
// show_record_cell, for rows shown in more than one cell.
using CellDraw = void (*)(const GridCursor& grid, int value, std::uint8_t colour);
int edit_table_cell(const GridCursor& grid, const RecordCell& cell, const CellRule& rule, CellDraw draw = nullptr);
