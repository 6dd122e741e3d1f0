// The tomrik catalogue: the model, and the screen families walked in the
// order of the menus.
#include "tomrik/catalogue.h"

#include <algorithm>

#include "facts/station_facts.h"
#include "platform/cp866.h"
#include "settings/settings_image.h"
#include "tomrik/menu_table.h"
#include "toolkit/screen.h"

namespace {

std::string identity_text(const std::uint8_t* image) {
  return field_text::characters(image, facts::tomrik_identity_size);
}

std::string place_of(int group, int index, int first, int count) {
  std::string place = format("запись (%d, %d), "_cp, group, index);
  return place + (count == 1 ? format("байт %d"_cp, first) : format("байты %d..%d"_cp, first, first + count - 1));
}

// The screens' order: the programming menu's tables, then the number
// control lists and paths of the phone book menu.
void list_tomrik(const Configuration& configuration, Catalogue& out) {
  namespace groups = facts::tomrik_group;
  TomrikListing listing(configuration, out);
  listing.add("Станция"_cp, "Идентификационный номер"_cp, facts::tomrik_identity_group, facts::tomrik_identity_index, 1,
              facts::tomrik_identity_size,
              listed_value(identity_text(configuration.image.data()), "",
                           std::all_of(configuration.image.begin(), configuration.image.begin() + facts::tomrik_identity_size,
                                       [](std::uint8_t b) { return b >= 32; }),
                           configuration.image.data(), facts::tomrik_identity_size, true));
  list_city_lines(listing);
  list_call_distribution(listing, 1);
  list_call_distribution(listing, 2);
  list_subscriber_settings(listing, 1);
  list_subscriber_settings(listing, 2);
  for (int group : {groups::city_day, groups::city_night, groups::long_distance_day, groups::long_distance_night,
                    groups::commands_15_17, groups::closed_dialling, groups::command8})
    list_permission_table(listing, group);
  list_tariffing_modes(listing);
  list_pickup_groups(listing);
  list_call_groups(listing);
  list_melody(listing);
  // The phone book menu: the phone books and the special cell are not in
  // the image; a configuration read with its companion file has them.
  list_phone_books(listing);
  list_number_control(listing, 0);
  list_number_control(listing, 1);
  list_command8_paths(listing);
}

}  // namespace

const CatalogueModel tomrik_catalogue = {
    "tomrik", facts::tomrik_image_size, 0, tomrik_identity_valid, identity_text, list_tomrik, true,
};

TomrikListing::TomrikListing(const Configuration& configuration, Catalogue& out)
    : configuration_(configuration), out_(out) {
  const facts::TomrikCounts counts = facts::tomrik_counts(configuration.image.data());
  counts_.city_lines = std::clamp(counts.city_lines, 0, facts::tomrik_max_lines);
  counts_.subscribers = std::clamp(counts.subscribers, 0, facts::tomrik_max_subscribers);
  for (const facts::TomrikImageRow& row : facts::tomrik_image_rows(counts_.city_lines, counts_.subscribers))
    places_[{row.group, row.index}] = {row.offset, row.size};
}

const std::uint8_t* TomrikListing::record_bytes(int group, int index, int first, int count) const {
  auto place = places_.find({group, index});
  if (place == places_.end() || first < 1 || count < 1 || first + count - 1 > place->second.second) return nullptr;
  const int offset = place->second.first + first - 1;
  if (offset + count > static_cast<int>(configuration_.image.size())) return nullptr;
  return configuration_.image.data() + offset;
}

int TomrikListing::record_byte(int group, int index, int position) const {
  const std::uint8_t* b = record_bytes(group, index, position, 1);
  return b ? *b : 0;
}

void TomrikListing::add(const std::string& section, const std::string& label, int group, int index, int first,
                        int count, const std::string& value) {
  const std::uint8_t* b = record_bytes(group, index, first, count);
  if (!b) return;
  const int offset = static_cast<int>(b - configuration_.image.data());
  out_.add({section, label, 0, place_of(group, index, first, count), {{offset, count}}, value, {}});
}

void TomrikListing::add_kept(const std::string& section, const std::string& label, const std::string& place,
                             const std::string& value) {
  out_.add({section, label, 0, place, {}, value, {}});
}

std::string tomrik_menu_name(int menu, int entry) {
  if (menu < 1 || menu > menu_count) return "";
  const std::vector<MenuEntry>& entries = tomrik_menu_table.menus[menu - 1].entries;
  return entry >= 1 && entry <= static_cast<int>(entries.size()) ? menu_entry_name(entries[entry - 1].text) : "";
}

std::string subscriber_section(int subscriber) { return format("Абонент %d"_cp, subscriber + 10); }
