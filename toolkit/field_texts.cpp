#include "toolkit/field_texts.h"

#include "facts/digits.h"
#include "facts/station_facts.h"
#include "platform/cp866.h"
#include "toolkit/screen.h"

using facts::book_letter_f, facts::book_letter_p, facts::book_letter_t;
using facts::dial_empty, facts::dial_zero, facts::dial_star, facts::dial_hash;
const DigitPair dial_digit_map[] = {{dial_empty, ' '}, {1, '1'}, {2, '2'}, {3, '3'}, {4, '4'},
                                    {5, '5'}, {6, '6'}, {7, '7'}, {8, '8'}, {9, '9'},
                                    {dial_zero, '0'}, {dial_star, '*'}, {dial_hash, '#'}, {-1, 0}};
const DigitPair phone_digit_map[] = {{1, '1'}, {2, '2'}, {3, '3'}, {4, '4'}, {5, '5'}, {6, '6'},
                                     {7, '7'}, {8, '8'}, {9, '9'}, {dial_zero, '0'}, {dial_star, '*'},
                                     {dial_hash, '#'}, {book_letter_f, 'F'}, {book_letter_f, 'f'},
                                     {book_letter_p, 'P'}, {book_letter_p, 'p'}, {book_letter_t, 'T'},
                                     {book_letter_t, 't'}, {-1, 0}};

char digit_char(const DigitPair* table, int code) {
  for (; table->code != -1; ++table)
    if (table->code == code) return table->ch;
  return ' ';
}

int digit_code(const DigitPair* table, int ch) {
  for (; table->code != -1; ++table)
    if (static_cast<unsigned char>(table->ch) == ch) return table->code;
  return -1;
}

bool digit_known(const DigitPair* table, int code) {
  for (; table->code != -1; ++table)
    if (table->code == code) return true;
  return false;
}

namespace field_text {

std::string yes_no(int v) { return v == 0 ? " Нет"_cp : "  Да"_cp; }

std::string baud(int v) { return v >= 0 && v < facts::karvel_speed_count ? facts::karvel_speed_names[v] : ""; }

std::string port_bus(int v) { return v == 0 ? "Порт1"_cp : v == 1 ? " Шина"_cp : ""; }

std::string allowed(int v) { return v == 0 ? "Запрещено"_cp : "Разрешено"_cp; }

std::string dial_mode(int v) { return v == 0 ? " Импульсный "_cp : " Тональный  "_cp; }

std::string hold_sound(int v) {
  if (v == 0) return "   Нет  "_cp;
  if (v == 1) return "   КПВ  "_cp;
  if (v == 2) return " Музыка "_cp;
  return "";
}

std::string line_ref(int v, const FieldCounts& counts) {
  return v >= 1 && v <= counts.city_lines ? format("%d", v) : std::string(" ");
}

std::string number(int v) { return v == 0 ? std::string(4, ' ') : format("%4d", v); }

std::string number16(int low, int high) {
  const int v = low + 256 * high;
  return v == 0 ? std::string(5, ' ') : format("%5d", v);
}

std::string port_ref(int v, const FieldCounts& counts) {
  return v >= 1 && v <= counts.ports ? format("%2d", v) : std::string(2, ' ');
}

int subscriber_base(int kind) { return kind == 2 ? 210 : kind == 3 ? 200 : 100; }

std::string subscriber_ref(int v, int kind, const FieldCounts& counts) {
  return v >= 1 && v <= counts.ports ? format("%3d", v + subscriber_base(kind)) : std::string(3, ' ');
}

std::string digits(const std::uint8_t* bytes, int count, const DigitPair* table) {
  std::string s;
  for (int i = 0; i < count; ++i) s.push_back(digit_char(table, bytes[i]));
  return s;
}

std::string characters(const std::uint8_t* bytes, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s.push_back(bytes[i] < 32 ? ' ' : static_cast<char>(bytes[i]));
  return s;
}

}  // namespace field_text
