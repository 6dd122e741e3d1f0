#pragma once
// A complete tomrik backup. The station's phone books (the common book and
// each subscriber's own) and its special cell are no part of the 2048-byte
// settings image, so they travel in a companion file beside the settings
// file: NAME.set has NAME.pbk.
//
// The companion file (offsets in bytes; numbers are one byte unless told):
//   0    8  "TOMRIKPB": the phone books of a tomrik station
//   8    1  format version, 1
//   9    4  the station's identity, as bytes 0..3 of its settings image
//   13   2  R, the number of records, high byte first
//   15      R records, each: group, index, N, then N data bytes
// Nothing follows the last record. Each record is one of the station's:
// a phone book cell (group 50 for the common book, 50 + k for subscriber
// k's own, k at most 16; index 1..16; N at most 25) or a half of the
// special cell (group 67 or 68, index 0, N at most 24), each at most once.
// The data bytes are the digit codes as the station keeps them. A file that
// differs from this in any way is refused whole.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/station_transfers.h"

struct TomrikBookRecord {
  int group = 0;
  int index = 0;
  std::vector<std::uint8_t> data;  // the codes as the station gave them
};

struct TomrikCompanion {
  std::array<std::uint8_t, 4> identity{};
  std::vector<TomrikBookRecord> records;
};

inline constexpr char tomrik_companion_extension[] = ".pbk";
// NAME.set gives NAME.pbk (the extension in either case); any other name
// gets ".pbk" added.
std::string tomrik_companion_path(const std::string& settings_path);

std::vector<std::uint8_t> encode_tomrik_companion(const TomrikCompanion& companion);
// False, with `out` unchanged, for any bytes that are not a companion file.
bool decode_tomrik_companion(const std::vector<std::uint8_t>& bytes, TomrikCompanion& out);

enum class CompanionLoad {
  ok,
  missing,        // no file of that name
  cannot_read,    // there, but unreadable, not a regular file, or changing
  not_companion,  // read, but not a companion file
};
// Loads the companion of the settings file at `settings_path` (its own path
// as tomrik_companion_path gives it), taken only when two reads agree.
CompanionLoad load_tomrik_companion(const std::string& settings_path, TomrikCompanion& out);

// The phone book records of a station with `subscribers` subscribers, in
// the order the transfers move them: the common book's cells, each
// subscriber's own book, the two halves of the special cell.
struct TomrikBookPlace {
  int group;
  int index;
  int size;  // the data bytes a read gives at most
};
std::vector<TomrikBookPlace> tomrik_book_plan(int subscribers);

// Reads every phone book record of the connected station into `out`, with
// its identity. A record is taken only when two reads of it agree; the
// first that still fails ends the transfer.
TransferOutcome read_books_from_station(TomrikCompanion& out, TransferWatch& watch);
// Writes the records of `books` to the connected station as the phone book
// screens write them (a cell with its 25 codes, the special cell as two
// records of 25), each read back. Books whose identity is not the
// station's, or that hold a record the station does not have, are refused
// (not_suitable) before anything is sent. A failed record is counted and
// the transfer goes on; two in a row end it.
TransferOutcome write_books_to_station(const TomrikCompanion& books, TransferWatch& watch);
