#pragma once
// City line settings: the line prompt, the page menu and the six pages of a
// line's 256-byte block at 0x8000 + 256 (line + first_line_port - 1).

#include "editors/block_editor.h"

// The editor's state while it runs: the line being edited
// (1..usable_city_lines(), 0 = none chosen) and the page menu's item (1..6;
// 0 ends the editor, or none highlighted).
extern BlockEditorState line_editor;
// No line chosen, the first page item: as the editor starts.
void reset_line_editor();

// The lines that have a block inside the configuration window: the
// station's line count, cut where a first_line_port read from the station
// or a file would put a block past 0xFFFF.
int usable_city_lines();
// The block of a line of 1..usable_city_lines().
int line_block(int line);

void edit_line_main();
void edit_line_times();
void edit_line_times2();
void edit_line_codes();
void edit_line_modes();
void edit_line_call_groups();
