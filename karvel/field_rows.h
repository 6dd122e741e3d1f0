#pragma once
// Pages whose values stand in one column, one field per row: each row names
// its field kind, its station address (or offset in a port's block), its
// limits, the parameter whose protection level guards it and its help topic.

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/field_texts.h"
#include "toolkit/screen.h"

enum class FieldKind {
  none,        // a label only; Enter does nothing
  yes_no,
  number,      // one byte, typed between minimum and maximum
  number16,    // two bytes, low byte first
  number_ro,   // one byte, shown only
  number16_ro, // two bytes, shown only
  yes_no_ro,
  baud,
  dial_mode,   // pulse or tone
  hold_sound,  // none, ringing tone or music
  port_bus,    // shown only
  allowed,     // forbidden or allowed
  line_ref,    // a city line 1..city_line_count, or none
  port_ref,    // a port 1..port_count, or none
  digits,      // `width` dialled digits
  text,        // `width` characters
};

// Upper limits that stand for the station's port and city line counts.
constexpr int limit_port_count = -1;
constexpr int limit_line_count = -2;

struct FieldRow {
  int address;  // absolute, or an offset added to a base by the page
  FieldKind kind;
  int minimum = 0;
  int maximum = 255;
  int width = 1;
  int level = 0;  // 0: no protection level is loaded before the editor
};

// A row of a one-column page: its label at column 5, its field, the unit
// printed after the value (or null), for the few rows whose value is
// checked against other blocks an editor of their own in place of the
// field's (given the cell, the number of the port or line and the field's
// address), and on a
// page whose rows do not number their help topics, the row's topic.
struct PageRow {
  const char* label;
  FieldRow field;
  const char* unit = nullptr;
  int (*edit)(ScreenPos at, int number, int address) = nullptr;
  int topic = 0;
};

int show_field_row(ScreenPos at, const FieldRow& row, int base, std::uint8_t colour);
// Loads the row's protection level, then runs its editor. Returns the
// editor's result (0 for rows without one).
int edit_field_row(ScreenPos at, const FieldRow& row, int base);

// A cell of a table that draws, edits and lists itself from its records:
// its place in the page's grid, its field at the table's base and the name
// the configuration listing gives it, with the unit of its value.
struct TableCell {
  int column;
  int row;
  FieldRow field;
  std::string label;
  std::string unit = "";
};
using CellTable = std::vector<TableCell>;

// Shows every cell in the screen colour, in the table's order, as one
// FieldDrawing. True when the user left at a failed read's box with Esc.
bool show_cells(const GridCursor& grid, const CellTable& cells, int base);
// The cell under the grid's cursor, or null where the table has none.
const TableCell* cell_at(const GridCursor& grid, const CellTable& cells);
// Enter on the grid's cell: its field's editor (a place without a cell
// does nothing).
void edit_cell(const GridCursor& grid, const CellTable& cells, int base);

// The bytes a row's field holds, and its value as the configuration listing
// gives it: the text show_field_row prints for those bytes, with the unit,
// and the bytes themselves where the text does not tell them (a yes/no byte
// of 5, a character below 32).
int field_row_size(const FieldRow& row);
std::string listed_row_value(const FieldRow& row, const std::uint8_t* bytes, const std::string& unit,
                             const FieldCounts& counts);
