// The karvel catalogue: the model, and the screen families walked in the
// order of the menus.
#include "karvel/catalogue.h"

#include <algorithm>
#include <cstdio>

#include "karvel/member_groups.h"
#include "karvel/menu_table.h"
#include "settings/settings_image.h"

namespace {

std::string place_of(int address, int size) {
  char text[32];
  if (size == 1)
    std::snprintf(text, sizeof text, "0x%04X", address);
  else
    std::snprintf(text, sizeof text, "0x%04X (%d)", address, size);
  return text;
}

// The members a strip shows for a list's 16 places, as one text: each shown
// port, in place order, joined by ", ".
std::string member_list_text(const std::uint8_t* places, const FieldCounts& counts) {
  std::string text;
  for (int c = 0; c < group_places; ++c) {
    const std::string shown = trimmed(field_text::port_ref(places[c], counts));
    if (shown.empty()) continue;
    if (!text.empty()) text += ", ";
    text += shown;
  }
  return text;
}

std::string identity_text(const std::uint8_t* image) {
  std::string text;
  for (int i = 0; i < facts::karvel_identity_size; ++i) text.push_back(image[i] < 32 ? ' ' : static_cast<char>(image[i]));
  return text;
}

void list_karvel(const Configuration& configuration, Catalogue& out) {
  KarvelListing listing(configuration, out);
  list_station_settings(listing);
  for (int port = 1; port <= listing.counts().ports; ++port) {
    list_port_pages(listing, port);
    list_port_call_pages(listing, port);
  }
  for (int line = 1; line <= listing.city_lines(); ++line) list_line_pages(listing, line);
  list_exit_groups(listing);
  list_routing_tables(listing);
  list_pickup_groups(listing);
  list_melody(listing);
  list_phone_books(listing);
}

}  // namespace

const CatalogueModel karvel_catalogue = {
    "karvel", facts::karvel_image_size, facts::karvel_window, karvel_identity_valid, identity_text, list_karvel,
    false,
};

KarvelListing::KarvelListing(const Configuration& configuration, Catalogue& out)
    : configuration_(configuration), out_(out) {
  const facts::KarvelCounts counts = facts::karvel_counts(configuration.image.data());
  counts_.ports = counts.ports;
  counts_.city_lines = counts.city_lines;
  first_line_port_ = byte(facts::karvel_first_line_port_address);
}

int KarvelListing::city_lines() const {
  const int blocks_in_window = facts::karvel_image_size / facts::karvel_block_size;
  return std::max(0, std::min(counts_.city_lines, blocks_in_window - first_line_port_));
}

const std::uint8_t* KarvelListing::bytes(int address, int count) const {
  const int offset = address - facts::karvel_window;
  if (count < 1 || offset < 0 || offset > facts::karvel_image_size - count) return nullptr;
  return configuration_.image.data() + offset;
}

int KarvelListing::byte(int address) const {
  const std::uint8_t* b = bytes(address, 1);
  return b ? *b : 0;
}

void KarvelListing::add(const std::string& section, const std::string& label, int parameter, int address, int size,
                        const std::string& value) {
  add(section, label, parameter, std::vector<ImageSpan>{{address, size}}, value);
}

void KarvelListing::add(const std::string& section, const std::string& label, int parameter,
                        const std::vector<ImageSpan>& spans, const std::string& value,
                        const std::vector<ImageSpan>& reads) {
  Setting setting{section, label, parameter, "", {}, value, {}};
  for (const ImageSpan& span : spans) {
    if (!setting.place.empty()) setting.place += ", ";
    setting.place += place_of(span.offset, span.size);
    setting.spans.push_back({span.offset - facts::karvel_window, span.size});
  }
  for (const ImageSpan& span : reads) setting.reads.push_back({span.offset - facts::karvel_window, span.size});
  out_.add(std::move(setting));
}

void KarvelListing::add_row(const std::string& section, const ListedLabel& label, const FieldRow& row, int base,
                            int parameter) {
  const int size = field_row_size(row);
  const int address = base + row.address;
  const std::uint8_t* b = bytes(address, size);
  if (row.kind == FieldKind::none || !b) return;
  add(section, label.label, parameter, address, size, listed_row_value(row, b, label.unit, counts_));
}

void KarvelListing::add_cells(const std::string& section, const CellTable& cells, int base) {
  for (const TableCell& cell : cells) add_row(section, {cell.label, cell.unit}, cell.field, base, cell.field.level);
}

void KarvelListing::add_members(const std::string& section, const std::string& label, int parameter, int address,
                                int free_place) {
  const std::uint8_t* b = bytes(address, group_places);
  if (!b) return;
  std::uint8_t packed[group_places];
  std::copy(b, b + group_places, packed);
  normalise_members(packed, free_place, counts_.ports);
  add(section, label, parameter, address, group_places,
      listed_value(member_list_text(b, counts_), "", std::equal(b, b + group_places, packed), b, group_places));
}

std::string karvel_menu_name(void (*screen)()) {
  for (const PullDownMenu& menu : karvel_menu_table.menus)
    for (const MenuEntry& entry : menu.entries)
      if (entry.screen == screen) return menu_entry_name(entry.text);
  return "";
}
