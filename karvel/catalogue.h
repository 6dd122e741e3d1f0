#pragma once
// The karvel catalogue: every setting of the configuration window, listed
// from the tables that draw the screens, in the menus' order. Each screen
// family lists its settings with a function beside its own tables.

#include <cstdint>
#include <string>
#include <vector>

#include "karvel/field_rows.h"
#include "settings/catalogue.h"
#include "toolkit/field_texts.h"

extern const CatalogueModel karvel_catalogue;

// One image being listed, with the counts its identity gives: the screens
// would size themselves by them after loading it.
class KarvelListing {
 public:
  KarvelListing(const Configuration& configuration, Catalogue& out);

  const FieldCounts& counts() const { return counts_; }
  // The block of city line 1, and the lines whose blocks lie in the window.
  int first_line_port() const { return first_line_port_; }
  int city_lines() const;
  // The bytes at a station address; null where the run leaves the window.
  const std::uint8_t* bytes(int address, int count) const;
  int byte(int address) const;  // 0 outside the window

  // A setting of `size` bytes at a station address with its listed value.
  void add(const std::string& section, const std::string& label, int parameter, int address, int size,
           const std::string& value);
  // A setting of several runs of bytes (spans by station address), whose
  // value also shows the bytes of `reads` that belong to other settings.
  void add(const std::string& section, const std::string& label, int parameter, const std::vector<ImageSpan>& spans,
           const std::string& value, const std::vector<ImageSpan>& reads = {});
  // A page row: the field at base + row.address, its value by the row's
  // kind. Rows without a field are no setting.
  void add_row(const std::string& section, const ListedLabel& label, const FieldRow& row, int base, int parameter);
  // Each cell of a table, its field at base + the field's address, guarded
  // by the field's level.
  void add_cells(const std::string& section, const CellTable& cells, int base);
  // A list of 16 members (ports), as the member strips show it; exact while
  // the list is packed as an edit leaves it, with `free_place` after them.
  void add_members(const std::string& section, const std::string& label, int parameter, int address, int free_place);

 private:
  const Configuration& configuration_;
  Catalogue& out_;
  FieldCounts counts_;
  int first_line_port_ = 0;
};

// The name of a menu entry of the program's menus, found by the screen it
// runs, as the listing names it ("Группы перехвата вызовов").
std::string karvel_menu_name(void (*screen)());

// The screen families, in the menus' order.
void list_station_settings(KarvelListing& listing);
void list_port_pages(KarvelListing& listing, int port);       // main, pulse, times, extra
void list_port_call_pages(KarvelListing& listing, int port);  // call groups, variants, redirection
void list_line_pages(KarvelListing& listing, int line);
void list_exit_groups(KarvelListing& listing);
void list_routing_tables(KarvelListing& listing);
void list_pickup_groups(KarvelListing& listing);
void list_melody(KarvelListing& listing);
void list_phone_books(KarvelListing& listing);
