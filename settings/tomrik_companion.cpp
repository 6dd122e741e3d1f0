#include "settings/tomrik_companion.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <set>

#include "facts/station_facts.h"
#include "link/link.h"
#include "settings/settings_files.h"
#include "settings/transfer_frame.h"

namespace {

namespace group = facts::tomrik_group;

constexpr char magic[] = "TOMRIKPB";
constexpr std::size_t magic_size = sizeof magic - 1;
constexpr std::uint8_t format_version = 1;
constexpr std::size_t identity_size = facts::tomrik_identity_size;
constexpr std::size_t header_size = magic_size + 1 + identity_size + 2;
// The largest file: every book of the largest station, and the cell.
constexpr int most_records = (1 + facts::tomrik_max_subscribers) * group::phone_book_cells + 2;
constexpr std::size_t largest_file = header_size + most_records * (3 + group::phone_book_cell_size);

// The most data bytes a record of (group, index) holds; 0 for a record that
// is no phone book record (a book record may be empty, but it has room).
int record_size(int g, int index) {
  bool book = g >= group::phone_book && g <= group::phone_book + facts::tomrik_max_subscribers;
  if (book) return index >= 1 && index <= group::phone_book_cells ? group::phone_book_cell_size : 0;
  bool cell = g == group::special_cell_first || g == group::special_cell_second;
  return cell && index == group::special_cell_index ? group::special_cell_half : 0;
}

const TomrikBookRecord* find_record(const TomrikCompanion& books, int g, int index) {
  for (const TomrikBookRecord& r : books.records)
    if (r.group == g && r.index == index) return &r;
  return nullptr;
}

// The data a record is written with: a phone book cell with all its codes
// (the rest of them empty); a half of the special cell with its 24 codes
// and one more, as the special cell screen writes them: the first half
// carries character 25, the first of the second half, and the second half
// an empty code.
void record_to_write(const TomrikCompanion& books, const TomrikBookRecord& r, int* record) {
  int size = r.group == group::special_cell_first || r.group == group::special_cell_second
                 ? group::special_cell_written
                 : group::phone_book_cell_size;
  record[0] = size;
  for (int i = 0; i < size; ++i) record[1 + i] = i < static_cast<int>(r.data.size()) ? r.data[i] : 0;
  if (r.group == group::special_cell_first) {
    const TomrikBookRecord* second = find_record(books, group::special_cell_second, group::special_cell_index);
    record[size] = second && !second->data.empty() ? second->data[0] : 0;
  } else if (r.group == group::special_cell_second) {
    record[size] = 0;
  }
}

bool identity_is_stations(const std::array<std::uint8_t, 4>& identity) {
  for (std::size_t i = 0; i < identity_size; ++i)
    if (identity[i] == 0 || identity[i] != static_cast<std::uint8_t>(link_state.station_identity[i])) return false;
  return true;
}

}  // namespace

std::string tomrik_companion_path(const std::string& settings_path) {
  std::string path = settings_path;
  if (path.size() >= 4) {
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == ".set") path.resize(path.size() - 4);
  }
  return path + tomrik_companion_extension;
}

std::vector<std::uint8_t> encode_tomrik_companion(const TomrikCompanion& companion) {
  std::vector<std::uint8_t> bytes(magic, magic + magic_size);
  bytes.push_back(format_version);
  bytes.insert(bytes.end(), companion.identity.begin(), companion.identity.end());
  std::size_t count = companion.records.size();
  bytes.push_back(static_cast<std::uint8_t>(count >> 8));
  bytes.push_back(static_cast<std::uint8_t>(count & 0xFF));
  for (const TomrikBookRecord& r : companion.records) {
    bytes.push_back(static_cast<std::uint8_t>(r.group));
    bytes.push_back(static_cast<std::uint8_t>(r.index));
    bytes.push_back(static_cast<std::uint8_t>(r.data.size()));
    bytes.insert(bytes.end(), r.data.begin(), r.data.end());
  }
  return bytes;
}

bool decode_tomrik_companion(const std::vector<std::uint8_t>& bytes, TomrikCompanion& out) {
  if (bytes.size() < header_size || bytes.size() > largest_file) return false;
  if (std::memcmp(bytes.data(), magic, magic_size) != 0 || bytes[magic_size] != format_version) return false;
  TomrikCompanion read;
  std::copy_n(bytes.begin() + magic_size + 1, identity_size, read.identity.begin());
  std::size_t at = magic_size + 1 + identity_size;
  int count = bytes[at] << 8 | bytes[at + 1];
  at += 2;
  if (count > most_records) return false;
  std::set<int> seen;
  for (int n = 0; n < count; ++n) {
    if (bytes.size() - at < 3) return false;
    TomrikBookRecord r;
    r.group = bytes[at];
    r.index = bytes[at + 1];
    std::size_t size = bytes[at + 2];
    at += 3;
    int room = record_size(r.group, r.index);
    if (room == 0 || static_cast<int>(size) > room || bytes.size() - at < size) return false;
    if (!seen.insert(r.group << 8 | r.index).second) return false;
    r.data.assign(bytes.begin() + at, bytes.begin() + at + size);
    at += size;
    read.records.push_back(std::move(r));
  }
  if (at != bytes.size()) return false;
  out = std::move(read);
  return true;
}

CompanionLoad load_tomrik_companion(const std::string& settings_path, TomrikCompanion& out) {
  std::string path = tomrik_companion_path(settings_path);
  std::vector<std::uint8_t> bytes;
  switch (read_whole_file(path, largest_file, bytes)) {
    case WholeRead::ok: break;
    case WholeRead::too_large: return CompanionLoad::not_companion;
    case WholeRead::cannot_open: {
      // A name with nothing behind it is a missing file; one that cannot
      // even be looked at may be there.
      std::error_code error;
      bool missing = std::filesystem::symlink_status(path, error).type() == std::filesystem::file_type::not_found;
      return missing ? CompanionLoad::missing : CompanionLoad::cannot_read;
    }
    case WholeRead::changing: return CompanionLoad::cannot_read;
  }
  return decode_tomrik_companion(bytes, out) ? CompanionLoad::ok : CompanionLoad::not_companion;
}

std::vector<TomrikBookPlace> tomrik_book_plan(int subscribers) {
  std::vector<TomrikBookPlace> plan;
  subscribers = std::clamp(subscribers, 0, facts::tomrik_max_subscribers);
  for (int book = 0; book <= subscribers; ++book)
    for (int cell = 1; cell <= group::phone_book_cells; ++cell)
      plan.push_back({group::phone_book + book, cell, group::phone_book_cell_size});
  for (int half : {group::special_cell_first, group::special_cell_second})
    plan.push_back({half, group::special_cell_index, group::special_cell_half});
  return plan;
}

TransferOutcome read_books_from_station(TomrikCompanion& out, TransferWatch& watch) {
  static int record[256];
  const std::vector<TomrikBookPlace> places = tomrik_book_plan(link_state.subscriber_count);
  TomrikCompanion read;
  for (std::size_t i = 0; i < identity_size; ++i) read.identity[i] = static_cast<std::uint8_t>(link_state.station_identity[i]);
  // A backup is whole or not at all.
  ReadPlan plan;
  plan.count = static_cast<int>(places.size());
  plan.read = [&](int unit) { return read_record_once(record, places[unit].group, places[unit].index); };
  plan.keep = [&](int unit) {
    const TomrikBookPlace& place = places[unit];
    // A record longer than its place keeps the codes the place holds.
    int n = std::clamp(record[0], 0, place.size);
    read.records.push_back({place.group, place.index, std::vector<std::uint8_t>(record + 1, record + 1 + n)});
  };
  TransferOutcome outcome = read_whole(plan, watch);
  if (outcome.whole()) out = std::move(read);
  return outcome;
}

TransferOutcome write_books_to_station(const TomrikCompanion& books, TransferWatch& watch) {
  if (!identity_is_stations(books.identity)) return {TransferEnd::not_suitable, 0};
  std::vector<TomrikBookPlace> places = tomrik_book_plan(link_state.subscriber_count);
  for (const TomrikBookRecord& r : books.records) {
    bool stations = std::any_of(places.begin(), places.end(),
                                [&](const TomrikBookPlace& p) { return p.group == r.group && p.index == r.index; });
    if (!stations) return {TransferEnd::not_suitable, 0};
  }
  static int record[256], stored[256];
  SendPlan plan;
  plan.count = static_cast<int>(books.records.size());
  // A record the station gave empty (it has no such record) is not
  // written: the station would refuse it.
  plan.sent = [&](int unit) { return !books.records[unit].data.empty(); };
  plan.write = [&](int unit) {
    const TomrikBookRecord& r = books.records[unit];
    record_to_write(books, r, record);
    return link_write_record(record, r.group, r.index) == link_ok;
  };
  // What the station holds, as far as its record reaches, against what a
  // write gives it.
  plan.read_back = [&](int unit) {
    const TomrikBookRecord& r = books.records[unit];
    record_to_write(books, r, record);
    SendPlan::ReadBack back{read_record_once(stored, r.group, r.index)};
    back.same = back.read;
    for (int i = 1; i <= std::min(record[0], stored[0]) && back.same; ++i) back.same = (stored[i] & 0xFF) == record[i];
    return back;
  };
  return send_whole(plan, watch);
}
