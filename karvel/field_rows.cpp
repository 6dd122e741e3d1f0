#include "karvel/field_rows.h"

#include <algorithm>

#include "editors/field_editors.h"
#include "facts/station_facts.h"
#include "link/link.h"
#include "settings/catalogue.h"
#include "toolkit/screen.h"

namespace {
int upper_limit(const FieldRow& row) {
  if (row.maximum == limit_port_count) return link_state.port_count;
  return row.maximum == limit_line_count ? link_state.city_line_count : row.maximum;
}
}  // namespace

int show_field_row(ScreenPos at, const FieldRow& row, int base, std::uint8_t colour) {
  int address = base + row.address;
  switch (row.kind) {
    case FieldKind::none: return link_ok;
    case FieldKind::yes_no:
    case FieldKind::yes_no_ro: return show_yes_no(at, address, colour);
    case FieldKind::number:
    case FieldKind::number_ro: return show_number(at, address, colour);
    case FieldKind::number16:
    case FieldKind::number16_ro: return show_number16(at, address, colour);
    case FieldKind::baud: return show_baud(at, address, colour);
    case FieldKind::dial_mode: return show_dial_mode(at, address, colour);
    case FieldKind::hold_sound: return show_hold_sound(at, address, colour);
    case FieldKind::port_bus: return show_port_bus(at, address, colour);
    case FieldKind::allowed: return show_allowed(at, address, colour);
    case FieldKind::line_ref: return show_line_ref(at, address, colour);
    case FieldKind::port_ref: return show_port_ref(at, address, colour);
    case FieldKind::digits: return show_digits(at, address, colour, row.width, dial_digit_map);
    case FieldKind::text: return show_text(at, address, colour, row.width);
  }
  return link_ok;
}

int edit_field_row(ScreenPos at, const FieldRow& row, int base) {
  int address = base + row.address;
  auto guarded = [&](auto edit) {
    if (row.level) load_access_level(row.level);
    return edit();
  };
  switch (row.kind) {
    case FieldKind::yes_no: return guarded([&] { return edit_yes_no(at, address); });
    case FieldKind::number:
      return guarded([&] { return edit_number(at, address, row.minimum, upper_limit(row)); });
    case FieldKind::number16:
      return guarded([&] { return edit_number16(at, address, row.minimum, upper_limit(row)); });
    case FieldKind::baud: return guarded([&] { return edit_baud(at, address); });
    case FieldKind::dial_mode: return guarded([&] { return edit_dial_mode(at, address); });
    case FieldKind::hold_sound: return guarded([&] { return edit_hold_sound(at, address); });
    case FieldKind::allowed: return guarded([&] { return edit_allowed(at, address); });
    case FieldKind::line_ref: return guarded([&] { return edit_line_ref(at, address); });
    case FieldKind::port_ref: return guarded([&] { return edit_port_ref(at, address); });
    case FieldKind::digits: return guarded([&] { return edit_digits(at, address, row.width, dial_digit_map); });
    case FieldKind::text: return guarded([&] { return edit_text(at, address, row.width); });
    default: return link_ok;
  }
}

bool show_cells(const GridCursor& grid, const CellTable& cells, int base) {
  FieldDrawing drawing;
  for (const TableCell& cell : cells) show_field_row(grid.cell(cell.column, cell.row), cell.field, base, COLOR_SCREEN);
  return drawing.left();
}

const TableCell* cell_at(const GridCursor& grid, const CellTable& cells) {
  for (const TableCell& cell : cells)
    if (cell.column == grid.column && cell.row == grid.row) return &cell;
  return nullptr;
}

void edit_cell(const GridCursor& grid, const CellTable& cells, int base) {
  if (const TableCell* cell = cell_at(grid, cells)) edit_field_row(grid.current_cell(), cell->field, base);
}

int field_row_size(const FieldRow& row) {
  switch (row.kind) {
    case FieldKind::number16:
    case FieldKind::number16_ro: return 2;
    case FieldKind::digits:
    case FieldKind::text: return std::clamp(row.width, 1, 255);
    default: return 1;
  }
}

std::string listed_row_value(const FieldRow& row, const std::uint8_t* bytes, const std::string& unit,
                             const FieldCounts& counts) {
  const int v = bytes[0], size = field_row_size(row);
  const auto listed = [&](const std::string& shown, bool exact, bool places_count = false) {
    return listed_value(shown, unit, exact, bytes, size, places_count);
  };
  switch (row.kind) {
    case FieldKind::none: return "";
    case FieldKind::yes_no:
    case FieldKind::yes_no_ro: return listed(field_text::yes_no(v), v <= 1);
    case FieldKind::number:
    case FieldKind::number_ro: return listed(field_text::number(v), true);
    case FieldKind::number16:
    case FieldKind::number16_ro: return listed(field_text::number16(v, bytes[1]), true);
    case FieldKind::baud: return listed(field_text::baud(v), v < facts::karvel_speed_count);
    case FieldKind::dial_mode: return listed(field_text::dial_mode(v), v <= 1);
    case FieldKind::hold_sound: return listed(field_text::hold_sound(v), v <= 2);
    case FieldKind::port_bus: return listed(field_text::port_bus(v), v <= 1);
    case FieldKind::allowed: return listed(field_text::allowed(v), v <= 1);
    case FieldKind::line_ref: return listed(field_text::line_ref(v, counts), v <= counts.city_lines);
    case FieldKind::port_ref: return listed(field_text::port_ref(v, counts), v <= counts.ports);
    case FieldKind::digits:
      return listed(field_text::digits(bytes, size, dial_digit_map),
                    std::all_of(bytes, bytes + size, [](std::uint8_t b) { return digit_known(dial_digit_map, b); }),
                    true);
    case FieldKind::text:
      return listed(field_text::characters(bytes, size), std::all_of(bytes, bytes + size, [](std::uint8_t b) { return b >= 32; }),
                    true);
  }
  return "";
}
