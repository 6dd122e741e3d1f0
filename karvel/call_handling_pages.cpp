#include "karvel/call_handling_pages.h"

#include <string>

#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "karvel/context_help.h"
#include "karvel/member_groups.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "toolkit/field_page.h"
#include "toolkit/hints.h"

namespace {

// What one page adds to the frame.
struct BlockPage {
  ScreenPos number_at;  // where the block's number stands, as "%2d"
  bool port_key_hint;   // F9's hint on row 2
  // Shows every value of the block. The frame draws them as one
  // FieldDrawing: after a failed read the rest are blanked unread.
  std::function<void(const GridCursor& grid, int block)> show_values;
  // The help topic of the current cell, 0 for none.
  std::function<int(const GridCursor& grid)> topic;
  // Enter on the current cell; cells without an editor do nothing.
  std::function<void(const GridCursor& grid, int number, int block)> enter;
};

// The page frame: shows the number and the values, then until Esc: the hint
// lines, the arrows, F10 for the cell's topic, the block-switching keys
// (the values of the new block are shown and the cursor keeps its cell) and
// Enter. Esc at the box of a failed drawing ends the page too.
void run_block_page(GridCursor& grid, const BlockChoice& choice, const BlockPage& page) {
  int& number = *choice.current;
  FieldPage frame{grid,
                  [&] {
                    hint_port_pages();
                    hint_help_key();
                    if (page.port_key_hint) hint_port_key();
                  },
                  [&](const GridCursor& g) {
                    print_at_plain(page.number_at.column, page.number_at.row, format("%2d", number));
                    FieldDrawing drawing;
                    page.show_values(g, choice.block_address(number));
                    return drawing.left();
                  },
                  {help_key(page.topic),
                   handled_key(key::enter,
                               [&](GridCursor& g) { page.enter(g, number, choice.block_address(number)); })},
                  {choice.current, choice.last}};
  if (choice.ask_other)
    frame.keys.push_back({key::f9, [&](GridCursor&) {
                            const int next = choice.ask_other(number);
                            if (next == number) return KeyResult::handled;
                            number = next;
                            return KeyResult::redraw;
                          }});
  run_field_page(frame);
}

// ------------------------------------------------------- pages of rows

constexpr int row_value_column = 60, row_unit_column = 65;

int row_topic(const RowPage& page, int row) {
  if (page.number_base == own_topics) return page.rows[row - 1].topic;
  return row <= page.topic_rows ? row + page.number_base : 0;
}

int row_level(const RowPage& page, int row) {
  return page.number_base == own_topics ? page.rows[row - 1].field.level : row + page.number_base;
}

std::string row_label(const RowPage& page, int row) {
  if (const char* label = page.rows[row - 1].label) return label;
  return std::string(1, static_cast<char>('a' + row - 1)) + "/" + std::string(page.dotted_width - 2, '.');
}

// A row's field with its protection level.
FieldRow row_field(const RowPage& page, int row) {
  FieldRow field = page.rows[row - 1].field;
  field.level = row_level(page, row);
  return field;
}

// The title on row 2, the rows' labels and units.
void draw_row_page(const RowPage& page) {
  print_at_plain(page.title_column, 2, page.title);
  for (int r = 1; r <= 16; ++r) {
    print_at_plain(page.label_column, 3 + r, row_label(page, r));
    if (page.rows[r - 1].unit) print_at_plain(row_unit_column, 3 + r, page.rows[r - 1].unit);
  }
}

void show_rows(const RowPage& page, const GridCursor& grid, int block) {
  for (int r = 1; r <= 16; ++r) show_field_row(grid.cell(1, r), page.rows[r - 1].field, block, COLOR_SCREEN);
}

}  // namespace

void run_row_page(const RowPage& page, const BlockChoice& choice) {
  // The page menu's number stands on row 2 too; it must not show through
  // past the end of the title.
  print_at_plain(1, 2, std::string(79, ' '));
  draw_row_page(page);
  GridCursor grid({row_value_column}, spaced(4, 16));
  BlockPage frame{
      {62, 2},
      choice.ask_other != nullptr,
      [&](const GridCursor& g, int block) { show_rows(page, g, block); },
      [&](const GridCursor& g) { return row_topic(page, g.row); },
      [&](const GridCursor& g, int number, int block) {
        const PageRow& row = page.rows[g.row - 1];
        const FieldRow field = row_field(page, g.row);
        if (row.edit) {
          if (field.level) load_access_level(field.level);
          row.edit(g.current_cell(), number, block + field.address);
        } else {
          edit_field_row(g.current_cell(), field, block);
        }
      },
  };
  run_block_page(grid, choice, frame);
}

void run_settings_row_page(const RowPage& page, std::vector<PageKey> keys,
                           const std::function<void(const GridCursor& grid)>& show_more) {
  clear_screen();
  draw_row_page(page);
  FieldPage frame{GridCursor({row_value_column}, spaced(4, 16)),
                  [] {
                    hint_edit_page();
                    hint_help_key();
                  },
                  [&](const GridCursor& g) {
                    FieldDrawing drawing;
                    show_rows(page, g, 0);
                    if (show_more) show_more(g);
                    return drawing.left();
                  },
                  std::move(keys),
                  {}};
  frame.keys.push_back(help_key([&](const GridCursor& g) { return row_topic(page, g.row); }));
  frame.keys.push_back(handled_key(key::enter, [&](GridCursor& g) {
    const FieldRow field = row_field(page, g.row);
    if (field.kind == FieldKind::number) hint_digits_enter();
    edit_field_row(g.current_cell(), field, 0);
  }));
  run_field_page(frame);
}

std::vector<int> row_page_topics(std::initializer_list<const RowPage*> pages) {
  std::vector<int> topics;
  for (const RowPage* page : pages)
    for (int r = 1; r <= page->topic_rows; ++r)
      if (int topic = row_topic(*page, r)) topics.push_back(topic);
  return topics;
}

void list_row_page(KarvelListing& listing, const RowPage& page, const std::string& section, int block,
                   int first_row, bool own_level, int last_row) {
  std::vector<std::string> screen_labels;
  for (int r = 1; r <= 16; ++r) screen_labels.push_back(row_label(page, r));
  std::vector<ListedLabel> labels = listed_labels(screen_labels);
  for (int r = first_row; r <= last_row; ++r) {
    if (page.rows[r - 1].unit) labels[r - 1].unit = page.rows[r - 1].unit;
    listing.add_row(section, labels[r - 1], page.rows[r - 1].field, block, own_level ? row_level(page, r) : 0);
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

// Row 1: the four names, the current mode's in the box colour. A mode byte
// above 3, or one that could not be read, highlights none.
void show_mode_names(const GridCursor& grid) {
  const int current = drawing_read_block(current_mode_address, 1) == link_ok ? link_buffer[0] & 0xFF : -1;
  for (int m = 0; m < station_modes; ++m) {
    std::uint8_t colour = m == current ? COLOR_BOX : COLOR_SCREEN;
    show_text(grid.cell(m + 1, mode_names_row), facts::karvel_mode_name_address(m), colour, 8);
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
