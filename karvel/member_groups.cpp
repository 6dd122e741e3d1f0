#include "karvel/member_groups.h"

#include <algorithm>

#include "editors/field_editors.h"
#include "link/link.h"

void normalise_members(std::uint8_t (&places)[group_places], int free_place, int last_port) {
  std::uint8_t packed[group_places];
  int count = 0;
  for (std::uint8_t member : places) {
    bool valid = member >= 1 && member <= last_port;
    if (valid && std::find(packed, packed + count, member) == packed + count) packed[count++] = member;
  }
  std::fill(packed + count, packed + group_places, static_cast<std::uint8_t>(free_place));
  std::copy(packed, packed + group_places, places);
}

namespace {

// Reads the 16 places at `address`, packs them for the station's port count
// and writes them back. Returns the status of the failing read or write, or
// 0; after a failed read nothing is written.
int normalise_group(int address, int free_place) {
  int status = link_read_block_alike(address, group_places);
  if (status != link_ok) return status;
  std::uint8_t places[group_places];
  for (int i = 0; i < group_places; ++i) places[i] = static_cast<std::uint8_t>(link_buffer[i]);
  normalise_members(places, free_place, link_state.port_count);
  for (int i = 0; i < group_places; ++i) link_buffer[i] = places[i];
  return link_write_block(address, group_places);
}

}  // namespace

GridCursor member_grid() { return GridCursor(spaced(9, group_places, 4), spaced(7, 4, 5)); }

int show_member_row(const GridCursor& grid, int row, int address) {
  FieldDrawing drawing;
  for (int c = 1; c <= group_places; ++c) show_port_ref(grid.cell(c, row), address + c - 1, COLOR_SCREEN);
  return drawing.status();
}

int edit_member(const GridCursor& grid, int address, int parameter, int free_place) {
  if (parameter) load_access_level(parameter);
  int status = edit_port_ref(grid.current_cell(), address + grid.column - 1);
  if (status == 0) status = normalise_group(address, free_place);
  // After a failure the link has shown its box once; the row is not read
  // again.
  if (status == 0) show_member_row(grid, grid.row, address);
  grid_goto(grid);
  return status;
}
