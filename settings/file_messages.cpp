// Messages of the file commands at the dialog's name field, and the result
// line of the transfers.
#include "link/link_dialect.h"
#include "platform/cp866.h"
#include "settings/settings_files.h"
#include "settings/transfer_frame.h"
#include "toolkit/profile.h"
#include "toolkit/screen.h"

namespace {

void message_at_field(const char* text, int blank_width) {
  print_at(34, 4, text, COLOR_ALERT);
  read_key();
  print_at(34, 4, std::string(blank_width, ' '), COLOR_BOX);
}

}  // namespace

void show_open_error() { message_at_field(" Ошибка открытия файла! "_cp, 24); }
void show_file_not_suitable() { message_at_field(" Файл не подходит к станции! "_cp, 29); }
void show_write_error() { message_at_field(" Ошибка записи файла! "_cp, 22); }
void show_name_missing() { message_at_field(" Не задано имя файла! "_cp, 22); }
void show_name_too_long() { message_at_field(" Слишком длинное имя файла! "_cp, 28); }

namespace {

std::string centred(const std::string& text, int width) {
  std::string line(text);
  int left = width > static_cast<int>(line.size()) ? (width - static_cast<int>(line.size())) / 2 : 0;
  line.insert(0, left, ' ');
  if (static_cast<int>(line.size()) < width) line.resize(width, ' ');
  return line;
}

}  // namespace

int show_result(const char* text, int column, int width, std::uint8_t colour, const std::string& below) {
  print_at(column, 4, centred(text, width), colour);
  if (!below.empty()) print_at(column, 5, centred(below, width), colour);
  int k = read_plain_key();
  print_at(column, 4, std::string(width, ' '), COLOR_BOX);
  if (!below.empty()) print_at(column, 5, std::string(width, ' '), COLOR_BOX);
  return k;
}

std::string failed_units_text(int failures) {
  if (failures <= 0) return "";
  return std::string(record_station() ? "Записей с ошибкой: "_cp : "Блоков с ошибкой: "_cp) + std::to_string(failures);
}

int show_write_failure(int line_start, int column, int width) {
  print_at(line_start, 4, std::string(column + width - line_start, ' '), COLOR_BOX);
  return show_result("Ошибка записи файла! Файл не записан."_cp, column, width, COLOR_ALERT);
}

int show_unsuitable_configuration() {
  print_at(34, 4, "Файл не подходит конфигурации станции"_cp, COLOR_SELECT);
  int k = read_plain_key();
  print_at(34, 4, std::string(43, ' '), COLOR_BOX);
  return k;
}

bool record_station() { return !link_dialect().memory_window; }
