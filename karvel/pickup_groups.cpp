// The station's 16 call pickup groups of 16 internal ports, four groups to a
// page. A group is kept packed, with 0 in its free places.
#include <string>

#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/karvel_memory.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/member_groups.h"
#include "karvel/screens.h"
#include "platform/cp866.h"
#include "toolkit/hints.h"
#include "toolkit/field_page.h"
#include "toolkit/screen.h"

namespace {

constexpr int groups_per_page = 4;
constexpr int page_count = 4;
constexpr int pickup_parameter = 165;
constexpr int pickup_topic = 66;
const bool help_registered = register_help_topics("pickup groups", {pickup_topic});

int group_number(int page, int row) { return groups_per_page * (page - 1) + row; }
int group_address(int group) { return facts::karvel_pickup_groups + group_places * (group - 1); }
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

}  // namespace

void edit_pickup_groups() {
  if (!enter_station_screen(ScreenNeeds::station_or_file)) return;
  draw_page_frame();
  int page = 1;
  FieldPage frame{member_grid(),
                  [] {
                    hint_port_pages();
                    hint_help_key();
                  },
                  [&](const GridCursor& grid) { return show_page(grid, page); },
                  {help_key(pickup_topic), handled_key(key::enter,
                                                       [&](GridCursor& grid) {
                                                         edit_member(grid, group_address(group_number(page, grid.row)),
                                                                     pickup_parameter, free_answer_group_place);
                                                       })},
                  {&page, [] { return page_count; }}};
  run_field_page(frame);
}

void list_pickup_groups(KarvelListing& listing) {
  const std::string section = karvel_menu_name(edit_pickup_groups);
  for (int group = 1; group <= groups_per_page * page_count; ++group)
    listing.add_members(section, format("Группа перехвата %d"_cp, group), pickup_parameter, group_address(group),
                        free_answer_group_place);
}
