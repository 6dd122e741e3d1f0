// The station's 16 call pickup groups of 16 internal ports, four groups to a
// page. A group is kept packed, with 0 in its free places.
#include <string>

#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/member_groups.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

constexpr int pickup_groups_address = facts::karvel_pickup_groups;
constexpr int groups_per_page = 4;
constexpr int page_count = 4;
constexpr int pickup_parameter = 165;
constexpr int pickup_topic = 66;
const bool help_registered = register_help_topics("pickup groups", {pickup_topic});

int group_number(int page, int row) { return groups_per_page * (page - 1) + row; }
int group_address(int group) { return pickup_groups_address + group_places * (group - 1); }
int strip_row(int row) { return 5 + 5 * (row - 1); }

void draw_page_frame() {
  draw_group_strips();
  print_at_plain(27, 2, "Группы перехвата вызовов"_cp);
  for (int row = 1; row <= groups_per_page; ++row) print_at_plain(29, strip_row(row), "Группа перехвата:"_cp);
}

// The page's four group numbers and their members, as one drawing: after a
// failed read the members left are blanked and the group numbers still
// shown. True when the user left at the failure's box with Esc.
bool show_page(const GridCursor& grid, int page) {
  FieldDrawing drawing;
  for (int row = 1; row <= groups_per_page; ++row) {
    print_at_plain(47, strip_row(row), format("%2d", group_number(page, row)));
    show_member_row(grid, row, group_address(group_number(page, row)));
  }
  return drawing.left();
}

int page_after_key(int page, int key_code) {
  switch (key_code) {
    case key::pgdn: return page < page_count ? page + 1 : page;
    case key::pgup: return page > 1 ? page - 1 : page;
    case key::home: return 1;
    case key::end: return page_count;
    default: return page;
  }
}

}  // namespace

void edit_pickup_groups() {
  int page = 1;
  clear_screen();
  if (!link_state.station_connected && !link_state.file_mode) {
    link_error_box(link_not_connected);
    return;
  }
  if (link_state.station_connected) link_rts_on();
  draw_page_frame();
  GridCursor grid = member_grid();
  if (show_page(grid, page)) return;
  for (;;) {
    hint_port_pages();
    hint_help_key();
    int k = grid_navigate(grid);
    if (k == key::esc) return;
    if (k == key::f10) show_help(pickup_topic);
    int next = page_after_key(page, k);
    if (next != page) {
      page = next;
      if (show_page(grid, page)) return;
      continue;
    }
    if (k == key::enter)
      edit_member(grid, group_address(group_number(page, grid.row)), pickup_parameter, free_answer_group_place);
  }
}

void list_pickup_groups(KarvelListing& listing) {
  const std::string section = karvel_menu_name(edit_pickup_groups);
  for (int group = 1; group <= groups_per_page * page_count; ++group)
    listing.add_members(section, format("Группа перехвата %d"_cp, group), pickup_parameter, group_address(group),
                        free_answer_group_place);
}
