#pragma once
// What each kind of value field shows for the bytes it holds: the CP866 text
// the screens print, padded to the field's width, with nothing read from the
// station and nothing drawn. The screens' show halves print these texts, and
// the configuration listing gives the same ones, so a value reads alike in
// both. The station counts that limit a reference come with the call.

#include <cstdint>
#include <string>

// A character table: (code, character) pairs ended by the code -1.
struct DigitPair {
  int code;
  char ch;
};
extern const DigitPair dial_digit_map[];
extern const DigitPair phone_digit_map[];

// The character a code shows as (a blank when the table has no pair), and
// the code of a character (-1 when the table refuses it).
char digit_char(const DigitPair* table, int code);
int digit_code(const DigitPair* table, int ch);
// Whether the table has a pair for the code.
bool digit_known(const DigitPair* table, int code);

// The counts a reference is checked against: karvel's port_count and
// city_line_count, tomrik's subscriber_count and city_line_count.
struct FieldCounts {
  int ports = 0;
  int city_lines = 0;
  int subscribers = 0;
};

namespace field_text {

// One-byte choices.
std::string yes_no(int value);     // 0 " Нет", any other "  Да"
std::string baud(int value);       // 0..3 the speed; others nothing
std::string port_bus(int value);   // 0 "Порт1", 1 " Шина"; others nothing
std::string allowed(int value);    // 0 "Запрещено", any other "Разрешено"
std::string dial_mode(int value);  // 0 " Импульсный ", any other " Тональный  "
std::string hold_sound(int value); // 0..2 none, ringback tone, music; others nothing
// 1..city_lines as "%d", otherwise one blank.
std::string line_ref(int value, const FieldCounts& counts);

// Numbers: 0 as blanks, otherwise right-aligned in 4 (5) places. A two-byte
// number is stored low byte first.
std::string number(int value);
std::string number16(int low, int high);
// 1..ports as "%2d", otherwise 2 blanks.
std::string port_ref(int value, const FieldCounts& counts);
// The number base + value of a port 1..ports in 3 places ("%3d"), otherwise
// 3 blanks. Kind 1 counts from 100, kind 2 from 210, kind 3 from 200.
int subscriber_base(int kind);
std::string subscriber_ref(int value, int kind, const FieldCounts& counts);

// Runs of bytes: one character per byte, through the table or as itself
// (bytes below 32 as blanks, so nothing moves the cursor).
std::string digits(const std::uint8_t* bytes, int count, const DigitPair* table);
std::string characters(const std::uint8_t* bytes, int count);

}  // namespace field_text
