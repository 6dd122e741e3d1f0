#include "karvel/call_handling_pages.h"

#include <string>

#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "karvel/context_help.h"
#include "karvel/member_groups.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "toolkit/hints.h"

void run_block_page(GridCursor& grid, const BlockChoice& choice, const BlockPage& page) {
  int& number = *choice.current;
  // True when the user left the page at the box of a failed read.
  auto show_block = [&] {
    print_at_plain(page.number_at.column, page.number_at.row, format("%2d", number));
    FieldDrawing drawing;
    page.show_values(grid, choice.block_address(number));
    return drawing.left();
  };
  if (show_block()) return;
  for (;;) {
    hint_port_pages();
    hint_help_key();
    if (page.port_key_hint) hint_port_key();
    int k = grid_navigate(grid);
    if (k == key::esc) return;
    if (k == key::f10) {
      if (int topic = page.topic(grid)) show_help(topic);
    }
    int next = choice.switch_keys(number, k);
    if (next != number) {
      number = next;
      if (show_block()) return;
      continue;
    }
    if (k == key::enter) page.enter(grid, number, choice.block_address(number));
  }
}

// ------------------------------------------------------- general-call groups

namespace {

int group_address(const CallGroupsPage& page, int block, int group) {
  return block + page.groups_offset + group_places * (group - 1);
}

}  // namespace

void run_call_groups_page(const CallGroupsPage& page, const BlockChoice& choice) {
  draw_group_strips();
  print_at_plain(20, 2, page.title);
  for (int g = 1; g <= 4; ++g) print_at_plain(29, 5 + 5 * (g - 1), format("Группа общего вызова %d"_cp, g));
  GridCursor grid = member_grid();
  BlockPage frame{
      {62, 2},
      page.port_key_hint,
      [&](const GridCursor& g, int block) {
        for (int row = 1; row <= 4; ++row) show_member_row(g, row, group_address(page, block, row));
      },
      [&](const GridCursor&) { return page.parameter; },
      [&](const GridCursor& g, int, int block) {
        edit_member(g, group_address(page, block, g.row), page.parameter, free_call_group_place);
      },
  };
  run_block_page(grid, choice, frame);
}

std::vector<int> call_groups_topics(const CallGroupsPage& page) { return {page.parameter}; }

void list_call_groups(KarvelListing& listing, const CallGroupsPage& page, const std::string& section, int block) {
  for (int g = 1; g <= 4; ++g)
    listing.add_members(section, format("Группа общего вызова %d"_cp, g), page.parameter, group_address(page, block, g),
                        free_call_group_place);
}

// ------------------------------------------------------ operating variants

namespace {

constexpr int station_modes = 4;
constexpr int current_mode_address = facts::karvel_mode_address;
constexpr int mode_names_row = 1;
constexpr int mode_names_topic = 80;

int mode_name_address(int mode) { return facts::karvel_mode_name_address(mode); }

// Row 1: the four names, the current mode's in the box colour. A mode byte
// above 3, or one that could not be read, highlights none.
void show_mode_names(const GridCursor& grid) {
  const int current = drawing_read_block(current_mode_address, 1) == link_ok ? link_buffer[0] & 0xFF : -1;
  for (int m = 0; m < station_modes; ++m) {
    std::uint8_t colour = m == current ? COLOR_BOX : COLOR_SCREEN;
    show_text(grid.cell(m + 1, mode_names_row), mode_name_address(m), colour, 8);
  }
}

// The variant row under grid row `row`, or null for the rows without one.
const VariantRow* variant_at(const VariantsPage& page, int row) {
  int index = row - 2;
  return index >= 0 && index < page.row_count ? &page.rows[index] : nullptr;
}

int mode_base(const VariantsPage& page, int block, int column) { return block + page.mode_step * (column - 1); }

}  // namespace

void run_variants_page(const VariantsPage& page, const BlockChoice& choice) {
  print_at_plain(page.blank_from, 2, std::string(page.blank_width, ' '));
  draw_variant_table();
  print_at_plain(page.title_at.column, page.title_at.row, page.title);
  for (int i = 0; i < page.row_count; ++i) print_at_plain(3, 9 + i, page.rows[i].label);
  std::vector<int> rows{7};
  for (int row : spaced(9, 14)) rows.push_back(row);
  GridCursor grid({34, 46, 58, 70}, rows);
  grid.row = 2;
  BlockPage frame{
      {62, 3},
      page.port_key_hint,
      [&](const GridCursor& g, int block) {
        show_mode_names(g);
        for (int r = 2; const VariantRow* row = variant_at(page, r); ++r)
          for (int c = 1; c <= station_modes; ++c)
            show_field_row(g.cell(c, r), row->field, mode_base(page, block, c), COLOR_SCREEN);
      },
      [&](const GridCursor& g) {
        if (g.row == mode_names_row) return mode_names_topic;
        const VariantRow* row = variant_at(page, g.row);
        return row ? row->field.level : 0;
      },
      [&](const GridCursor& g, int, int block) {
        if (const VariantRow* row = variant_at(page, g.row))
          edit_field_row(g.current_cell(), row->field, mode_base(page, block, g.column));
      },
  };
  run_block_page(grid, choice, frame);
}

std::vector<int> variants_topics(const VariantsPage& page) {
  std::vector<int> topics{mode_names_topic};
  for (int i = 0; i < page.row_count; ++i) topics.push_back(page.rows[i].field.level);
  return topics;
}

void list_variants(KarvelListing& listing, const VariantsPage& page, const std::string& section, int block) {
  for (int i = 0; i < page.row_count; ++i) {
    const VariantRow& row = page.rows[i];
    const std::string label = listed_label(row.label).label;
    for (int c = 1; c <= station_modes; ++c)
      listing.add_row(section, {label + format(", режим %d"_cp, c), ""}, row.field, mode_base(page, block, c),
                      row.field.level);
  }
}
