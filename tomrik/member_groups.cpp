// Pickup groups and general call groups: each group a record of subscriber
// codes, one row of the table. A subscriber belongs to one pickup group only,
// and appears once within a general call group; Space passes over the codes
// the rule forbids. On Enter the members close up to the front.
#include <algorithm>
#include <array>
#include <string>

#include "editors/screen_entry.h"
#include "facts/tomrik_records.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "tomrik/catalogue.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/screen.h"

namespace {

constexpr int pickup_group = facts::tomrik_group::pickup;
constexpr int call_group = facts::tomrik_group::general_call;
constexpr int most_places = 8;

// One screen of groups with the members as last read. A group whose record
// the station answers with another length than its places is `absent`: its
// row is blank, holds no members and is not edited.
struct MemberTable {
  int record_group;
  int group_count;
  int places_default;     // places of a group
  int wide_from;          // groups from this one have `most_places` (0: none)
  bool unique_in_table;   // a code may stand in one cell of the whole table only
  int label_column;       // of the group number
  GridCursor grid;
  std::array<std::array<int, most_places>, 9> member{};
  std::array<bool, 9> present{};
};

int places_of(const MemberTable& t, int group) {
  return t.wide_from != 0 && group >= t.wide_from ? most_places : t.places_default;
}

int read_group(MemberTable& t, int group) {
  int status = table_read(t.record_group, group);
  const int places = places_of(t, group);
  t.present[group] = status == 0 && table_is_length(places);
  for (int p = 0; p < most_places; ++p) t.member[group][p] = t.present[group] && p < places ? table_record[p + 1] : 0;
  return status;
}

void draw_group(const MemberTable& t, int group, std::uint8_t colour) {
  for (int p = 1; p <= places_of(t, group); ++p)
    print_at(t.grid.cell(p, group), t.present[group] ? member_text(t.member[group][p - 1]) : "   ", colour);
}

// Whether a cell other than (group, place) holds the code under the table's
// rule.
bool held_elsewhere(const MemberTable& t, int group, int place, int code) {
  for (int g = 1; g <= t.group_count; ++g) {
    if (!t.unique_in_table && g != group) continue;
    for (int p = 1; p <= places_of(t, g); ++p)
      if ((g != group || p != place) && t.member[g][p - 1] == code) return true;
  }
  return false;
}

// The next code after `code` (after the last subscriber comes none) that
// no other cell holds; none is always free.
int next_free_code(const MemberTable& t, int group, int place, int code) {
  const int last = subscriber_count();
  do {
    code = code >= 0 && code < last ? code + 1 : 0;
  } while (code != 0 && held_elsewhere(t, group, place, code));
  return code;
}

// Edits the cell under the cursor and writes the group closed up.
int edit_member(MemberTable& t, GridCursor& grid) {
  const int group = grid.row, places = places_of(t, group);
  if (!t.present[group]) return 0;
  std::array<int, most_places> code = t.member[group];
  auto next = [&t, group](int place, int value) { return next_free_code(t, group, place, value); };
  if (!edit_group_place(grid, code.data(), places, next, member_text)) return 0;
  close_gaps(code.data(), places);
  table_record[0] = places;
  for (int p = 1; p <= places; ++p) table_record[p] = code[p - 1];
  return link_write_record(table_record, t.record_group, group);
}

MemberTable pickup_table() {
  return {pickup_group, 8, 4, 0, true, 12, GridCursor({26, 38, 50, 62}, spaced(11, 8))};
}

MemberTable call_group_table() {
  return {call_group, 6, 4, 5, false, 7, GridCursor(spaced(15, 8, 8), spaced(11, 6))};
}

// The group under the cursor is read and drawn again after every key, the
// edit's Enter and the page's Esc too.
void run_member_table(MemberTable& t) {
  if (!enter_station_screen(ScreenNeeds::station, false)) return;
  auto show = [&t](const GridCursor&) {
    for (int g = 1; g <= t.group_count; ++g) {
      print_at(t.label_column, g + 10, format("%2d", g), COLOR_SCREEN);
      if (int status = read_group(t, g)) return status;
    }
    for (int g = 1; g <= t.group_count; ++g) draw_group(t, g, COLOR_SCREEN);
    return 0;
  };
  auto reread = [&t](GridCursor& grid) {
    const int status = read_group(t, grid.row);
    if (status == 0) draw_group(t, grid.row, COLOR_SCREEN);
    return status;
  };
  // Groups of four have no cells to the right of their fourth.
  auto in_group = [&t](GridCursor& grid) { grid.column = std::min(grid.column, places_of(t, grid.row)); };
  run_table_page(t.grid, show,
                 {{key::enter, then_show([&](GridCursor& grid) { return in_group(grid), edit_member(t, grid); }, reread)},
                  {any_page_key, then_show([&](GridCursor& grid) { return in_group(grid), 0; }, reread)}});
}

}  // namespace

void pickup_groups_screen() {
  clear_screen();
  draw_table_frame({{8, 10, 19}, {6, 21, 69}, {33, 45, 57}});
  print_at(30, 7, "Группы перехвата"_cp, COLOR_SCREEN);
  print_at(8, 9, "Номер группы"_cp, COLOR_SCREEN);
  for (int x : {23, 35, 47, 59}) print_at(x, 9, "Номер абн"_cp, COLOR_SCREEN);
  MemberTable t = pickup_table();
  run_member_table(t);
}

void call_groups_screen() {
  clear_screen();
  draw_table_frame({{8, 10, 17}, {3, 12, 76}, {20, 28, 36, 44, 52, 60, 68}});
  print_at(30, 7, "Группы общего вызова"_cp, COLOR_SCREEN);
  print_at(5, 9, "Группа"_cp, COLOR_SCREEN);
  print_at(14, 9, "N aбн"_cp, COLOR_SCREEN);  // the first heading has a Latin a
  for (int x = 22; x <= 70; x += 8) print_at(x, 9, "N абн"_cp, COLOR_SCREEN);
  MemberTable t = call_group_table();
  run_member_table(t);
}

namespace {

// Each group of a table as one setting.
void list_member_table(TomrikListing& listing, const std::string& section, const MemberTable& t) {
  for (int group = 1; group <= t.group_count; ++group) {
    const int places = places_of(t, group);
    const std::uint8_t* codes = listing.record_bytes(t.record_group, group, 1, places);
    if (!codes) continue;
    listing.add(section, format("Группа %d"_cp, group), t.record_group, group, 1, places,
                listed_members(codes, places, listing.subscribers()));
  }
}

}  // namespace

void list_pickup_groups(TomrikListing& listing) {
  list_member_table(listing, tomrik_menu_name(2, 14), pickup_table());
}

void list_call_groups(TomrikListing& listing) { list_member_table(listing, tomrik_menu_name(2, 15), call_group_table()); }
