#include "table_screens.h"

#include "link/link.h"
#include "screen.h"
#include "toolkit/hints.h"

int table_record[256];

bool table_screen_start() {
  if (!link_state.station_connected) {
    link_error_box(link_not_connected);
    return false;
  }
  link_rts_on();
  return true;
}

int table_read(int group, int index) {
  table_record[0] = 0;
  int status = link_read_record(table_record, group, index);
  if (status != link_ok) table_record[0] = 0;
  return status;
}

bool table_has_byte(int position) { return position >= 1 && position <= table_record[0]; }

void table_fit_length(int count) {
  for (int i = table_record[0] + 1; i <= count; ++i) table_record[i] = 0;
  table_record[0] = count;
}

int line_count() { return link_state.city_line_count < 4 ? link_state.city_line_count : 4; }

namespace {

void draw_value(const GridCursor& grid, int value, const CellRule& rule, CellDraw draw, std::uint8_t colour) {
  if (draw)
    draw(grid, value, colour);
  else
    show_record_cell(grid.current_cell(), table_record, value, rule, colour);
  grid_goto(grid);
}

}  // namespace

int edit_table_cell(const GridCursor& grid, int group, int index, int position, const CellRule& rule, CellDraw draw) {
  if (int status = table_read(group, index); status != link_ok) return status;
  if (!table_has_byte(position)) return link_ok;
  hint_edit_value();
  int& value = table_record[position];
  draw_value(grid, value, rule, draw, COLOR_BOX);
  int k;
  if (draw) {
    for (;;) {
      k = read_plain_key();
      if (k == key::esc || k == key::enter) break;
      if (k == key::space) {
        value = rule.next(value) & 0xFF;
        draw_value(grid, value, rule, draw, COLOR_BOX);
      }
    }
  } else {
    k = edit_record_cell(grid.current_cell(), table_record, value, rule);
    value &= 0xFF;
  }
  if (k == key::enter) {
    if (int status = link_write_record(table_record, group, index); status != link_ok) return status;
  }
  if (int status = table_read(group, index); status != link_ok) return status;
  if (table_has_byte(position)) draw_value(grid, table_record[position], rule, draw, COLOR_SCREEN);
  return link_ok;
}
