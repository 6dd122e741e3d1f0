// The internal port editor's call handling pages: general-call groups,
// operating variants per station mode and call redirection, on the port's
// block and the shared page frame.
#include <iterator>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "karvel/call_handling_pages.h"
#include "karvel/context_help.h"
#include "karvel/internal_ports.h"
#include "link/link.h"
#include "platform/cp866.h"

namespace {

const BlockChoice port_choice{&port_editor.current, port_block, [] { return link_state.port_count; }, ask_other_port};

// ------------------------------------------------------- general-call groups

const CallGroupsPage port_call_groups{"   Группы общего вызова для порта:"_cp, facts::karvel_call_groups_offset, 65, true};

// ------------------------------------------------------ operating variants

// One 16-byte row per station mode: the exit group, then city lines 1..6.
const VariantRow port_variant_rows[] = {
    {"b/Группы выхода в город"_cp, {facts::karvel_port_exit_groups_offset, FieldKind::number, 0, 4, 1, 81}},
    {"c/Разреш. выхода на линию 1"_cp, {0x41, FieldKind::yes_no, 0, 1, 1, 82}},
    {"d/Разреш. выхода на линию 2"_cp, {0x42, FieldKind::yes_no, 0, 1, 1, 82}},
    {"e/Разреш. выхода на линию 3"_cp, {0x43, FieldKind::yes_no, 0, 1, 1, 82}},
    {"f/Разреш. выхода на линию 4"_cp, {0x44, FieldKind::yes_no, 0, 1, 1, 82}},
    {"g/Разреш. выхода на линию 5"_cp, {0x45, FieldKind::yes_no, 0, 1, 1, 82}},
    {"h/Разреш. выхода на линию 6"_cp, {0x46, FieldKind::yes_no, 0, 1, 1, 82}},
};

const VariantsPage port_variants{
    "Варианты функционирования для внутреннего порта"_cp,
    {15, 3},
    15,
    44,
    port_variant_rows,
    static_cast<int>(std::size(port_variant_rows)),
    16,
    true,
};

// ---------------------------------------------------------- redirection

enum class Redirection {
  none,
  target,      // the port's redirection target, as on the main page
  subscriber,  // a port whose calls are never redirected
  line,        // a city line whose calls are never redirected
};

struct RedirectionRow {
  const char* label;
  int offset;
  Redirection field;
  int topic;
};

#define DOTTED(letter) letter "/...................................................."

const RedirectionRow redirection_rows[16] = {
    {"a/Номер абонента на которого перенаправляются вызовы ."_cp, 0x03, Redirection::target, 4},
    {"b/Не перенаправлять вызовы от абонента ..............."_cp, 0xD0, Redirection::subscriber, 88},
    {"c/Не перенаправлять вызовы от абонента ..............."_cp, 0xD1, Redirection::subscriber, 88},
    {"d/Не перенаправлять вызовы от абонента ..............."_cp, 0xD2, Redirection::subscriber, 88},
    {"e/Не перенаправлять вызовы от абонента ..............."_cp, 0xD3, Redirection::subscriber, 88},
    {"f/Не перенаправлять вызовы от линии .................."_cp, 0xD4, Redirection::line, 89},
    {"g/Не перенаправлять вызовы от линии .................."_cp, 0xD5, Redirection::line, 89},
    {"h/Не перенаправлять вызовы от линии .................."_cp, 0xD6, Redirection::line, 89},
    {"i/Не перенаправлять вызовы от линии .................."_cp, 0xD7, Redirection::line, 89},
    {"j/Не перенаправлять вызовы от линии .................."_cp, 0xD8, Redirection::line, 89},
    {"k/Не перенаправлять вызовы от линии .................."_cp, 0xD9, Redirection::line, 89},
    {DOTTED("l"), 0, Redirection::none, 0},
    {DOTTED("m"), 0, Redirection::none, 0},
    {DOTTED("n"), 0, Redirection::none, 0},
    {DOTTED("o"), 0, Redirection::none, 0},
    {DOTTED("p"), 0, Redirection::none, 0},
};

const bool help_registered = register_help_topics("port call handling pages", [] {
  std::vector<int> topics = call_groups_topics(port_call_groups);
  for (int topic : variants_topics(port_variants)) topics.push_back(topic);
  for (const RedirectionRow& row : redirection_rows)
    if (row.topic) topics.push_back(row.topic);
  return topics;
}());

#undef DOTTED

void show_redirection_values(const GridCursor& grid, int block) {
  for (int r = 1; r <= 16; ++r) {
    const RedirectionRow& row = redirection_rows[r - 1];
    if (row.field != Redirection::none) show_number(grid.cell(1, r), block + row.offset, COLOR_SCREEN);
  }
}

// A port is never its own exception: its own number is stored as 0.
void edit_exception_port(ScreenPos at, int address, int port) {
  if (edit_number(at, address, 0, link_state.port_count) != 0) return;
  if (link_read_block_alike(address, 1) != link_ok || (link_buffer[0] & 0xFF) != port) return;
  link_buffer[0] = 0;
  if (link_write_block(address, 1) == link_ok) show_number(at, address, COLOR_SCREEN);
}

void edit_redirection_row(const GridCursor& grid, int port, int block) {
  const RedirectionRow& row = redirection_rows[grid.row - 1];
  const ScreenPos at = grid.current_cell();
  switch (row.field) {
    case Redirection::none: break;
    case Redirection::target: edit_redirection_target(at, port); break;
    case Redirection::subscriber: edit_exception_port(at, block + row.offset, port); break;
    case Redirection::line: edit_number(at, block + row.offset, 0, link_state.city_line_count); break;
  }
}

}  // namespace

void edit_port_call_groups() { run_call_groups_page(port_call_groups, port_choice); }

void edit_port_variants() { run_variants_page(port_variants, port_choice); }

void edit_port_redirection() {
  // The page menu's port line stands on row 2 too; it must not show through
  // past the end of the title.
  print_at_plain(1, 2, std::string(79, ' '));
  print_at_plain(5, 2, "Перенаправление вызовов для порта:"_cp);
  for (int r = 1; r <= 16; ++r) print_at_plain(5, 3 + r, redirection_rows[r - 1].label);
  GridCursor grid({60}, spaced(4, 16));
  BlockPage frame{
      {62, 2},
      true,
      show_redirection_values,
      [](const GridCursor& g) { return redirection_rows[g.row - 1].topic; },
      edit_redirection_row,
  };
  run_block_page(grid, port_choice, frame);
}

void list_port_call_pages(KarvelListing& listing, int port) {
  const int block = port_block(port);
  const std::string section = port_section(port) + " / ";
  list_call_groups(listing, port_call_groups, section + port_page_name(5), block);
  list_variants(listing, port_variants, section + port_page_name(6), block);
  std::vector<std::string> screen_labels;
  for (const RedirectionRow& row : redirection_rows) screen_labels.push_back(row.label);
  const std::vector<ListedLabel> labels = listed_labels(screen_labels);
  for (int r = 1; r <= 16; ++r) {
    const RedirectionRow& row = redirection_rows[r - 1];
    // The redirection target is the main page's row d, listed there.
    if (row.field == Redirection::none || row.field == Redirection::target) continue;
    listing.add_row(section + port_page_name(7), labels[r - 1], {row.offset, FieldKind::number}, block, 0);
  }
}
