#include "karvel/field_rows.h"

#include "link/link_state.h"
#include "toolkit/field_editors.h"
#include "toolkit/screen.h"

ColumnGrid::ColumnGrid(int column, int first_row, int rows) : cells{} {
  cells[0] = 1;
  cells[1] = 1;
  cells[2] = 1;
  cells[3] = rows;
  cells[4] = column;
  for (int r = 0; r < rows && r < 16; ++r) cells[5 + r] = first_row + r;
}

namespace {
int upper_limit(const FieldRow& row) { return row.maximum == limit_port_count ? link_state.port_count : row.maximum; }
}  // namespace

int show_field_row(const int* grid, const FieldRow& row, int base, std::uint8_t colour) {
  int address = base + row.address;
  switch (row.kind) {
    case FieldKind::none: return 0;
    case FieldKind::yes_no:
    case FieldKind::yes_no_ro: return show_yes_no(grid, address, colour);
    case FieldKind::number:
    case FieldKind::number_ro: return show_number(grid, address, colour);
    case FieldKind::number16:
    case FieldKind::number16_ro: return show_number16(grid, address, colour);
    case FieldKind::baud: return show_baud(grid, address, colour);
    case FieldKind::port_bus: return show_port_bus(grid, address, colour);
    case FieldKind::digits: return show_digits(grid, address, colour, row.width, dial_digit_map);
    case FieldKind::text: return show_text(grid, address, colour, row.width);
  }
  return 0;
}

int edit_field_row(const int* grid, const FieldRow& row, int base) {
  int address = base + row.address;
  auto guarded = [&](auto edit) {
    if (row.level) load_access_level(row.level);
    return edit();
  };
  switch (row.kind) {
    case FieldKind::yes_no: return guarded([&] { return edit_yes_no(grid, address); });
    case FieldKind::number:
      return guarded([&] { return edit_number(grid, address, row.minimum, upper_limit(row)); });
    case FieldKind::number16:
      return guarded([&] { return edit_number16(grid, address, row.minimum, upper_limit(row)); });
    case FieldKind::baud: return guarded([&] { return edit_baud(grid, address); });
    case FieldKind::digits: return guarded([&] { return edit_digits(grid, address, row.width, dial_digit_map); });
    case FieldKind::text: return guarded([&] { return edit_text(grid, address, row.width); });
    default: return 0;
  }
}

void show_all_rows(ColumnGrid& grid, const FieldRow* rows, int count, int base) {
  int current = grid.row();
  for (int r = 1; r <= count; ++r) {
    grid.set_row(r);
    show_field_row(grid.grid(), rows[r - 1], base, COLOR_SCREEN);
  }
  grid.set_row(current);
}
