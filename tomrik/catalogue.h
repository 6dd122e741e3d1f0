#pragma once
// The tomrik catalogue: every setting of the settings image, listed from the
// tables that draw the screens, in the menus' order. Each screen family
// lists its settings with a function beside its own tables. A setting is
// bytes of a station record; the image keeps each record at its place.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/catalogue.h"
#include "toolkit/field_texts.h"

extern const CatalogueModel tomrik_catalogue;

// One image being listed, with the counts its identity gives (cut to the
// image's four lines and sixteen subscribers, as the screens cut them).
class TomrikListing {
 public:
  TomrikListing(const Configuration& configuration, Catalogue& out);

  int lines() const { return counts_.city_lines; }
  int subscribers() const { return counts_.subscribers; }
  const FieldCounts& counts() const { return counts_; }
  // Data bytes first..first + count - 1 of a record as the image holds
  // them; null when the image has no place for them.
  const std::uint8_t* record_bytes(int group, int index, int first, int count) const;
  int record_byte(int group, int index, int position) const;  // 0 where there is none

  // Data bytes first..first + count - 1 of a record as one setting.
  void add(const std::string& section, const std::string& label, int group, int index, int first, int count,
           const std::string& value);
  // What the configuration keeps beside the image (the companion file's
  // phone books and special cell), and a setting of it: it has a place in
  // its own file, none in the image.
  const std::vector<std::uint8_t>& companion() const { return configuration_.companion; }
  void add_kept(const std::string& section, const std::string& label, const std::string& place,
                const std::string& value);
  // One data byte shown by a text rule; listed as exact while no smaller
  // byte shows the same text and the text is not blank, so the text tells
  // the byte.
  template <typename Text>
  void add_byte(const std::string& section, const std::string& label, int group, int index, int position, Text text) {
    const std::uint8_t* b = record_bytes(group, index, position, 1);
    if (!b) return;
    bool exact = trimmed(text(*b)) != "";
    for (int smaller = 0; exact && smaller < *b; ++smaller) exact = text(smaller) != text(*b);
    add(section, label, group, index, position, 1, listed_value(text(*b), "", exact, b, 1));
  }

 private:
  const Configuration& configuration_;
  Catalogue& out_;
  FieldCounts counts_;
  std::map<std::pair<int, int>, std::pair<int, int>> places_;  // (group, index) -> (offset, size)
};

// The name of entry `entry` (1-based) of menu `menu` (1-based) of the
// program's menus, as the listing names it.
std::string tomrik_menu_name(int menu, int entry);
// "Абонент 11": a subscriber by telephone number, as the tables show it.
std::string subscriber_section(int subscriber);

// The screen families, in the menus' order.
void list_city_lines(TomrikListing& listing);
void list_call_distribution(TomrikListing& listing, int period);
void list_subscriber_settings(TomrikListing& listing, int page);
void list_permission_table(TomrikListing& listing, int group);
void list_tariffing_modes(TomrikListing& listing);
void list_pickup_groups(TomrikListing& listing);
void list_call_groups(TomrikListing& listing);
void list_melody(TomrikListing& listing);
// The phone books and the special cell of the companion file, when the
// configuration has one.
void list_phone_books(TomrikListing& listing);
void list_number_control(TomrikListing& listing, int list);
void list_command8_paths(TomrikListing& listing);
