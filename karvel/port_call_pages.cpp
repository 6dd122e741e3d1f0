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

// A port is never its own exception: its own number is stored as 0.
int edit_exception_port(ScreenPos at, int port, int address) {
  if (int status = edit_number(at, address, 0, link_state.port_count); status != 0) return status;
  if (link_read_block_alike(address, 1) != link_ok || (link_buffer[0] & 0xFF) != port) return link_ok;
  link_buffer[0] = 0;
  if (link_write_block(address, 1) == link_ok) show_number(at, address, COLOR_SCREEN);
  return link_ok;
}

// Rows b..e name ports, f..k city lines whose calls are never redirected.
constexpr FieldRow port_exception(int offset) { return {offset, FieldKind::number, 0, limit_port_count}; }
constexpr FieldRow line_exception(int offset) { return {offset, FieldKind::number, 0, limit_line_count}; }

const RowPage redirection_page = {
    "Перенаправление вызовов для порта:"_cp,
    5,
    {
        {"a/Номер абонента на которого перенаправляются вызовы ."_cp, {0x03, FieldKind::number, 0, limit_port_count},
         nullptr, edit_redirection_target, 4},
        {"b/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD0), nullptr, edit_exception_port, 88},
        {"c/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD1), nullptr, edit_exception_port, 88},
        {"d/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD2), nullptr, edit_exception_port, 88},
        {"e/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD3), nullptr, edit_exception_port, 88},
        {"f/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD4), nullptr, nullptr, 89},
        {"g/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD5), nullptr, nullptr, 89},
        {"h/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD6), nullptr, nullptr, 89},
        {"i/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD7), nullptr, nullptr, 89},
        {"j/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD8), nullptr, nullptr, 89},
        {"k/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD9), nullptr, nullptr, 89},
    },
    own_topics,
};

const bool help_registered = register_help_topics("port call handling pages", [] {
  std::vector<int> topics = call_groups_topics(port_call_groups);
  for (int topic : variants_topics(port_variants)) topics.push_back(topic);
  for (int topic : row_page_topics({&redirection_page})) topics.push_back(topic);
  return topics;
}());

}  // namespace

void edit_port_call_groups() { run_call_groups_page(port_call_groups, port_pages_choice); }

void edit_port_variants() { run_variants_page(port_variants, port_pages_choice); }

void edit_port_redirection() { run_row_page(redirection_page, port_pages_choice); }

void list_port_call_pages(KarvelListing& listing, int port) {
  const int block = port_block(port);
  const std::string section = port_section(port) + " / ";
  list_call_groups(listing, port_call_groups, section + port_page_name(5), block);
  list_variants(listing, port_variants, section + port_page_name(6), block);
  // The redirection target (row a) is the main page's row d, listed there.
  list_row_page(listing, redirection_page, section + port_page_name(7), block, 2, false);
}
