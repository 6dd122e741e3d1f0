#pragma once
// What both ends of the line know about the two station models: the bytes
// with a fixed meaning, the check byte, the event lengths, the karvel line
// speeds, the frame of the karvel memory and the tomrik settings image, the
// storage device's commands and how an identity gives the station's counts.
// The programs, the station simulator and the tests all take these from
// here; what each side does with them (retries, waits, what a record means
// on a screen) stays with that side. Nothing here depends on anything else.

#include <cstdint>
#include <vector>

#include "facts/karvel_memory.h"
#include "facts/tomrik_records.h"

namespace facts {

enum class Model { karvel, tomrik };

// ---- The exchange -------------------------------------------------------

// Bytes with a fixed meaning on the line.
inline constexpr int ack = 0xFF;                // both sides: byte taken, go on
inline constexpr int event_poll = 0x80;         // computer: is an event waiting?
inline constexpr int nothing_to_report = 0x80;  // station: no event; also tomrik's idle answer
inline constexpr int karvel_key_frame = 0x81;   // computer: a key frame of the event log view
inline constexpr int karvel_line_test = 0xBA;   // the station echoes it
inline constexpr int karvel_read_block = 0xBD;
inline constexpr int karvel_write_block = 0xBE;
inline constexpr int tomrik_read_record = 0xAA;
inline constexpr int tomrik_write_record = 0xA5;

// The check byte that closes every frame, from the sum of the frame's bytes
// (the computer's acknowledgements not counted). Only the low 8 bits of the
// sum count; the result is always 0x00..0x7F.
constexpr int check_byte(int sum) {
  sum &= 0xFF;
  return (sum + (sum >> 7) + 0xAA) & 0x7F;
}

// ---- Event frames ---------------------------------------------------------

// Event codes run from 0x81; any other code has no further bytes.
inline constexpr int first_event_code = 0x81;
inline constexpr int last_event_code = 0x93;
inline constexpr int event_code_count = last_event_code - first_event_code + 1;
// Further bytes after code first_event_code + i.
inline constexpr int karvel_event_lengths[event_code_count] = {1, 1, 1, 1, 2, 2, 2, 1, 2, 2,
                                                               7, 1, 2, 1, 1, 1, 1, 1, 1};
inline constexpr int tomrik_event_lengths[event_code_count] = {1, 1, 1, 1, 2, 2, 1, 1, 2, 2,
                                                               3, 1, 3, 0, 0, 0, 0, 0, 0};
// tomrik's 0x8D carries, after its fixed bytes, as many more as the value of
// its third further byte (at most 255).
inline constexpr int tomrik_counted_event = 0x8D;
inline constexpr int tomrik_counted_event_byte = 3;

// The fixed number of further bytes after an event code.
constexpr int event_length(Model model, int code) {
  if (code < first_event_code || code > last_event_code) return 0;
  const int* lengths = model == Model::karvel ? karvel_event_lengths : tomrik_event_lengths;
  return lengths[code - first_event_code];
}

// ---- Line speeds ----------------------------------------------------------

// karvel's exchange speed setting holds an index 0..3 into these.
inline constexpr int karvel_speed_count = 4;
inline constexpr int karvel_speeds[karvel_speed_count] = {9600, 19200, 38400, 57600};
inline constexpr const char* karvel_speed_names[karvel_speed_count] = {" 9600", "19200", "38400", "57600"};
inline constexpr int tomrik_speed = 4800;

// The speed for a setting value, 0 for a value that names none.
constexpr int karvel_speed(int index) { return index >= 0 && index < karvel_speed_count ? karvel_speeds[index] : 0; }
// The setting value for a speed, -1 for a speed karvel does not run at.
constexpr int karvel_speed_index(int baud) {
  for (int i = 0; i < karvel_speed_count; ++i)
    if (karvel_speeds[i] == baud) return i;
  return -1;
}

// ---- karvel memory and settings image -------------------------------------

// The places of the configuration window are in karvel_memory.h.

// Bytes the station keeps to itself: the fields its screens only show. A
// write to them is acknowledged and not stored, so a write is never found
// wrong for them, and a read-back leaves them out of its comparison:
// identity, software version, date and time (0x8000..0x801E), the call
// counters (0x8025, 0x8026), the board and DTMF bytes (0x8028, 0x802B), the
// playback length (0x8032, 2 bytes) and the service bytes (0x80E4, 4 bytes).
constexpr bool karvel_kept_by_station(int address) {
  return (address >= 0x8000 && address <= 0x801E) || address == 0x8025 || address == 0x8026 ||
         address == 0x8028 || address == 0x802B || address == 0x8032 || address == 0x8033 ||
         (address >= 0x80E4 && address <= 0x80E7);
}

// ---- Identities -------------------------------------------------------------

// The digit value of an identity character. Anything but a digit counts as
// 0, so a garbled identity never sizes an editor past its tables.
constexpr int identity_digit(int ch) { return ch >= '0' && ch <= '9' ? ch - '0' : 0; }

// karvel: the 8 identity bytes; the identity text leaves out byte 1.
inline constexpr int karvel_identity_text_size = 7;
inline constexpr int karvel_identity_text_bytes[karvel_identity_text_size] = {0, 2, 3, 4, 5, 6, 7};
inline constexpr int karvel_city_lines_at = 3;    // one digit
inline constexpr int karvel_ports_at = 4;         // two digits, bytes 4 and 5
inline constexpr int karvel_channel_rows_at = 7;  // one digit

struct KarvelCounts {
  int city_lines;
  int ports;
  int channel_rows;
};
constexpr KarvelCounts karvel_counts(const std::uint8_t* identity) {
  return {identity_digit(identity[karvel_city_lines_at]),
          10 * identity_digit(identity[karvel_ports_at]) + identity_digit(identity[karvel_ports_at + 1]),
          identity_digit(identity[karvel_channel_rows_at])};
}

// tomrik: the identity is record (0x80, 1), 4 characters.
inline constexpr int tomrik_identity_group = tomrik_group::identity;
inline constexpr int tomrik_identity_index = 1;
inline constexpr int tomrik_identity_size = 4;
inline constexpr int tomrik_city_lines_at = 1;    // one digit
inline constexpr int tomrik_subscribers_at = 2;   // two digits, characters 2 and 3

struct TomrikCounts {
  int city_lines;
  int subscribers;
};
constexpr TomrikCounts tomrik_counts(const std::uint8_t* identity) {
  return {identity_digit(identity[tomrik_city_lines_at]),
          10 * identity_digit(identity[tomrik_subscribers_at]) + identity_digit(identity[tomrik_subscribers_at + 1])};
}

// ---- tomrik settings image --------------------------------------------------

inline constexpr int tomrik_image_size = 2048;
// The rows of the image leave room for 4 lines and 16 subscribers: larger
// counts are cut to those.
inline constexpr int tomrik_max_lines = 4;
inline constexpr int tomrik_max_subscribers = 16;

// One record's place in the image: the first `size` data bytes of record
// (group, index) lie at `offset`.
struct TomrikImageRow {
  int group;
  int index;
  int offset;
  int size;
};

// The image in the order the transfers move it, in units: the station
// values, then each city line, each per-subscriber group G = 0x14..0x22,
// each pickup group (0x28, K), each general call group (0x29, K), each
// number control cell (0x0E, K) and each command 8 path (0x0F, K). A
// per-subscriber group of a station without subscribers is a unit with no
// rows.
enum class TomrikPart {
  station_values,
  city_line,
  subscriber_group,
  pickup_group,
  general_call_group,
  number_control,
  command8_path,
};
struct TomrikImageUnit {
  TomrikPart part;
  int number;  // the line, the group G, or K; 0 for the station values
  std::vector<TomrikImageRow> rows;
};
std::vector<TomrikImageUnit> tomrik_image_units(int lines, int subscribers);
// The same rows, one after another.
std::vector<TomrikImageRow> tomrik_image_rows(int lines, int subscribers);

// tomrik keeps its identity record (0x80) to itself in the same way. The
// station values after it are settings the screens edit: 0x81 the
// subscribers' day/night switching, 0x82 and 0x83 the city line melody and
// its volume.
constexpr bool tomrik_kept_by_station(int group) { return group == tomrik_identity_group; }

// ---- The storage device (tomrik) ----------------------------------------------

// The device sends, the computer answers each byte with one byte: the idle
// answer while there is nothing to do, else a command and the operation's
// bytes. Its frames are checked with a plain sum modulo 256.
inline constexpr int storage_idle_answer = 0x80;
inline constexpr int storage_read_calls = 0xA6;
inline constexpr int storage_clear_calls = 0xA9;
inline constexpr int storage_read_clock = 0xA7;
inline constexpr int storage_set_clock = 0xAE;
inline constexpr int storage_read_times = 0xA1;
inline constexpr int storage_write_times = 0xA2;
inline constexpr int storage_clock_bytes = 7;
inline constexpr int storage_times_bytes = 4;

}  // namespace facts
