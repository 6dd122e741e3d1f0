// The karvel whole-configuration transfers: the image in blocks of 16 bytes,
// each read from or written to the station address of its image offset.
#include <cstdio>
#include <cstring>
#include <string>

#include "facts/station_facts.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "settings/karvel_transfers.h"
#include "settings/settings_files.h"
#include "settings/settings_image.h"
#include "settings/settings_state.h"
#include "settings/transfer_frame.h"
#include "toolkit/screen.h"

namespace {

constexpr int result_column = 36;
constexpr int result_width = 41;

const char* interrupted_text() { return " Процесс записи установок в файл прерван "_cp; }

// The line of a pass: "Выполнено: " while blocks are read or sent,
// "Проверено: " while a send is compared with what the station holds; the
// percentage and the bar start again for each pass.
void draw_progress_line(bool checking = false) {
  print_at(20, 4, std::string(57, ' '), COLOR_BOX);
  print_at(20, 4, checking ? "Проверено: "_cp : "Выполнено: "_cp, COLOR_BOX);
  print_at(40, 4, std::string(karvel_bar_cells, static_cast<char>(176)), COLOR_BOX);
}

std::string station_to_file_question() {
  return std::string("Переслать установки из станции в файл "_cp) + settings_state.file_name + " [Y/N]";
}

std::string file_to_station_question() { return "Загрузить установки в станцию?  Y/N "_cp; }

// Each block goes to the station address of its image offset.
int block_address(int block) { return karvel_image_base + karvel_block_size * block; }

bool block_holds_speed(int block) {
  int address = block_address(block);
  return facts::karvel_speed_address >= address && facts::karvel_speed_address < address + karvel_block_size;
}

// One block of the image to the station. The station moves to a new speed
// once it has stored the block with its exchange speed setting; the port
// follows it there before the next block.
bool write_block(int block) {
  int offset = karvel_block_size * block;
  for (int j = 0; j < karvel_block_size; ++j) link_buffer[j] = settings_image.karvel[offset + j];
  int result = link_write_block(block_address(block), karvel_block_size);
  if (block_holds_speed(block))
    link_follow_station_speed(settings_image.karvel[facts::karvel_speed_address - karvel_image_base], result,
                              karvel_block_size);
  return result == link_ok;
}

// One read of a sent block, compared with the image; the bytes the station
// keeps to itself are its own.
SendPlan::ReadBack block_read_back(int block) {
  SendPlan::ReadBack back;
  back.read = link_read_block(block_address(block), karvel_block_size) == link_ok;
  back.data = link_buffer;
  back.count = karvel_block_size;
  back.same = back.read;
  for (int j = 0; j < karvel_block_size && back.same; ++j) {
    int address = block_address(block) + j;
    back.same = facts::karvel_kept_by_station(address) ||
                (link_buffer[j] & 0xFF) == settings_image.karvel[address - karvel_image_base];
  }
  return back;
}

// The File menu's progress line, drawn again for each pass of the transfer
// proper, and Esc at the keyboard to stop.
class ProgressLine : public TransferWatch {
 public:
  void started(int, bool checking) override { draw_progress_line(checking); }
  void unit_done(int unit, int) override { show_karvel_progress(unit); }
  bool stop_asked() override { return esc_pressed(); }
};

int station_to_file_transfer() {
  static std::uint8_t incoming[karvel_image_size];
  SettingsFileWriter writer;
  if (!writer.begin()) {
    print_at(34, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
    read_plain_key();
    return key::esc;
  }
  ProgressLine progress;
  TransferOutcome read = read_image_from_station(incoming, progress);
  if (!read.whole()) {
    writer.discard();
    if (read.end == TransferEnd::stopped)
      return show_result(interrupted_text(), result_column, result_width, COLOR_ALERT);
    return show_result(link_failure_text(), result_column, result_width, COLOR_ALERT,
                       failed_units_text(read.failures));
  }
  if (!writer.commit(incoming, karvel_image_size)) return show_write_failure(20, result_column, result_width);
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
  ProgressLine progress;
  TransferOutcome sent = write_image_to_station(incoming, progress);
  if (sent.end == TransferEnd::identity_unread) return 0;
  if (sent.end == TransferEnd::not_suitable) {
    show_file_not_suitable();
    return 0;
  }
  // A send stopped or broken on the way leaves the station with part of
  // the file.
  if (!sent.whole())
    return show_result("Установки записаны в станцию не полностью"_cp, result_column, result_width, COLOR_ALERT,
                       failed_units_text(sent.failures));
  return show_result("Установки записаны в станцию"_cp, result_column, result_width, COLOR_SELECT);
}

}  // namespace

void show_karvel_progress(int block) {
  char percent[16];
  std::snprintf(percent, sizeof percent, "%2d%%", block * 100 / karvel_block_count + 1);
  print_at(31, 4, percent, COLOR_BOX);
  if (block % 64 == 0) print_at(40 + block / 64, 4, std::string(1, static_cast<char>(219)), COLOR_BOX);
}

// The blocks are read into a copy: the settings image changes only when
// every block has come.
TransferOutcome karvel_read_image(std::uint8_t* image, TransferWatch& watch) {
  // The file is written whole or not at all.
  ReadPlan plan;
  plan.count = karvel_block_count;
  plan.read = [](int block) {
    return UnitRead{link_read_block(block_address(block), karvel_block_size) == link_ok, link_buffer,
                    karvel_block_size};
  };
  plan.keep = [&](int block) {
    for (int j = 0; j < karvel_block_size; ++j)
      image[karvel_block_size * block + j] = static_cast<std::uint8_t>(link_buffer[j]);
  };
  TransferOutcome outcome = read_whole(plan, watch);
  if (outcome.whole()) std::memcpy(settings_image.karvel, image, karvel_image_size);
  return outcome;
}

TransferOutcome karvel_write_image(const std::uint8_t* image, TransferWatch& watch) {
  // The station's identity must be read to be compared: a failed read has
  // shown its box, and nothing is written. Equality with the station is
  // the whole test; the counts of the file's identity are not needed here.
  TransferCourse identity(1);
  if (identity.run([] { return link_read_block(karvel_image_base, karvel_block_size) == link_ok; }) !=
      TransferCourse::Unit::done)
    return {TransferEnd::identity_unread, 0};
  for (int i = 0; i < facts::karvel_identity_size; ++i)
    if (image[i] != (link_buffer[i] & 0xFF)) return {TransferEnd::not_suitable, 0};
  std::memcpy(settings_image.karvel, image, karvel_image_size);
  SendPlan plan;
  plan.count = karvel_block_count;
  plan.sent = [](int) { return true; };
  plan.write = write_block;
  plan.read_back = block_read_back;
  return send_whole(plan, watch);
}

void karvel_station_to_file() {
  run_transfer_command({true, 20, station_to_file_question, station_to_file_transfer});
}

void karvel_file_to_station() {
  run_transfer_command({true, 34, file_to_station_question, file_to_station_transfer});
}
