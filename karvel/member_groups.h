#pragma once
// Member lists of 16 internal ports: a port's and a city line's general-call
// groups, the answer groups of the incoming call routing tables and the call
// pickup groups. A list is always kept packed: the valid members (ports
// 1..N), each at most once, first, then the free-place marker in every place
// left. General-call groups mark a free place with 255, the others with 0.
//
// The pages that edit such lists show four of them on the four strips of
// draw_group_strips, one grid row per list.

#include <cstdint>

#include "toolkit/screen.h"

inline constexpr int group_places = 16;
inline constexpr int free_call_group_place = 255;  // general-call groups
inline constexpr int free_answer_group_place = 0;  // routing table and pickup groups

// Packs a list in place: every place is examined, so a member that is no
// port (0, or above `last_port`, say from an older configuration) is dropped
// wherever it stands, and a repeat keeps only its first appearance.
void normalise_members(std::uint8_t (&places)[group_places], int free_place, int last_port);

// The 16 x 4 grid of members on the strips: columns 9, 13, .. 69, rows 7,
// 12, 17, 22. Column c of row g is place c of the row's list.
GridCursor member_grid();

// Shows grid row `row` from the list at `address` in the screen colour as
// one FieldDrawing (or within the caller's): after a failed read the rest
// of the row is blanked. Returns the status of the failed read, or 0.
int show_member_row(const GridCursor& grid, int row, int address);

// Enter on a member: the protection level of `parameter` (0 loads none),
// the port number typed into the current cell, then the whole list packed
// again and its row redrawn. A refused or failed edit changes nothing, so
// no list is rewritten without the access code. The cursor stays on its
// cell. Returns the editor's or the normaliser's status.
int edit_member(const GridCursor& grid, int address, int parameter, int free_place);
