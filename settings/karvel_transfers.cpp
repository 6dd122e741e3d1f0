// The karvel whole-configuration transfers: the image in blocks of 16 bytes,
// each read from or written to the station address of its image offset.
#include <cstdio>
#include <cstring>
#include <string>

#include "cp866.h"
#include "karvel_transfers.h"
#include "link.h"
#include "screen.h"
#include "settings_files.h"
#include "settings_image.h"
#include "settings_state.h"
#include "transfer_frame.h"

namespace {

constexpr int result_column = 36;
constexpr int result_width = 41;

const char* interrupted_text() { return " Процесс записи установок в файл прерван "_cp; }

void draw_progress_line() {
  print_at(20, 4, std::string(57, ' '), COLOR_BOX);
  print_at(20, 4, "Выполнено: "_cp, COLOR_BOX);
  print_at(40, 4, std::string(karvel_bar_cells, static_cast<char>(176)), COLOR_BOX);
}

std::string station_to_file_question() {
  return std::string("Переслать установки из станции в файл "_cp) + settings_state.file_name + " [Y/N]";
}

std::string file_to_station_question() { return "Загрузить установки в станцию?  Y/N "_cp; }

// Blocks that could not be read are counted; their bytes stay zero rather
// than taking whatever the link buffer held from the block before.
int station_to_file_transfer() {
  static std::uint8_t incoming[karvel_image_size];
  SettingsFileWriter writer;
  if (!writer.begin()) {
    print_at(34, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
    read_plain_key();
    return key::esc;
  }
  std::memset(incoming, 0, sizeof incoming);
  draw_progress_line();
  bool stopped = false;
  int failures = 0;
  for (int i = 0; i < karvel_block_count; ++i) {
    if (key_waiting()) {
      if (read_plain_key() == key::esc) {
        stopped = true;
        break;
      }
    }
    int offset = karvel_block_size * i;
    if (link_read_block(karvel_image_base + offset, karvel_block_size) == link_ok) {
      for (int j = 0; j < karvel_block_size; ++j) incoming[offset + j] = static_cast<std::uint8_t>(link_buffer[j]);
    } else {
      ++failures;
    }
    show_karvel_progress(i);
  }
  // An interrupted or incomplete transfer leaves the file as it was.
  if (stopped || failures > 0) {
    writer.discard();
    return show_result(interrupted_text(), result_column, result_width, COLOR_ALERT);
  }
  std::memcpy(settings_image.karvel, incoming, karvel_image_size);
  if (!writer.commit(settings_image.karvel, karvel_image_size)) {
    print_at(34, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
    int k = read_plain_key();
    print_at(34, 4, std::string(22, ' '), COLOR_BOX);
    return k;
  }
  return show_result("Установки записаны в файл"_cp, result_column, result_width, COLOR_SELECT);
}

int file_to_station_transfer() {
  static std::uint8_t incoming[karvel_image_size];
  FileRead read = read_settings_file(incoming, karvel_image_size);
  if (read == FileRead::cannot_open) {
    show_open_error();
    return 0;
  }
  if (read == FileRead::wrong_size) {
    show_file_not_suitable();
    return 0;
  }
  // The station's identity must be read to be compared: a failed read has
  // shown its box, and nothing is written. Equality with the station is
  // the whole test; the counts of the file's identity are not needed here.
  if (link_read_block(karvel_image_base, karvel_block_size) != link_ok) return 0;
  for (int i = 0; i < facts::karvel_identity_size; ++i) {
    if (incoming[i] != (link_buffer[i] & 0xFF)) {
      show_file_not_suitable();
      return 0;
    }
  }
  std::memcpy(settings_image.karvel, incoming, karvel_image_size);
  draw_progress_line();
  int failures = 0;
  for (int i = 0; i < karvel_block_count; ++i) {
    int offset = karvel_block_size * i;
    for (int j = 0; j < karvel_block_size; ++j) link_buffer[j] = settings_image.karvel[offset + j];
    if (link_write_block(karvel_image_base + offset, karvel_block_size) != link_ok) ++failures;
    show_karvel_progress(i);
  }
  if (failures > 0)
    return show_result("Установки записаны в станцию не полностью"_cp, result_column, result_width, COLOR_ALERT);
  return show_result("Установки записаны в станцию"_cp, result_column, result_width, COLOR_SELECT);
}

}  // namespace

void show_karvel_progress(int block) {
  char percent[16];
  std::snprintf(percent, sizeof percent, "%2d%%", block * 100 / karvel_block_count + 1);
  print_at(31, 4, percent, COLOR_BOX);
  if (block % 64 == 0) print_at(40 + block / 64, 4, std::string(1, static_cast<char>(219)), COLOR_BOX);
}

void karvel_station_to_file() {
  run_transfer_command({true, 20, station_to_file_question, station_to_file_transfer});
}

void karvel_file_to_station() {
  run_transfer_command({true, 34, file_to_station_question, file_to_station_transfer});
}
