// The tomrik whole-configuration transfers: the records of the image table,
// one after another, with a bar of 43 cells.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "link/link.h"
#include "platform/cp866.h"
#include "settings/settings_files.h"
#include "settings/settings_image.h"
#include "settings/settings_state.h"
#include "settings/tomrik_records.h"
#include "settings/tomrik_transfers.h"
#include "settings/transfer_frame.h"
#include "toolkit/screen.h"

namespace {

constexpr int field_column = 34;
constexpr int field_width = 43;

// The bar of a pass: it fills with "▓" while records are read or sent, and
// again from empty with "█" while a send is compared with what the station
// holds.
class MarkBar {
 public:
  explicit MarkBar(bool checking = false) : cell_(static_cast<char>(checking ? 219 : 178)) {
    print_at(field_column, 4, std::string(tomrik_bar_cells, static_cast<char>(176)), COLOR_BOX);
  }
  void mark(int times = 1) {
    for (; times > 0; --times, ++count_)
      if (count_ <= tomrik_bar_cells) print_at(field_column + count_ - 1, 4, std::string(1, cell_), COLOR_BOX);
  }
  void fill() {
    while (count_ < tomrik_bar_cells + 1) {
      mark();
      wait_ms(100);
    }
  }

 private:
  char cell_;
  int count_ = 1;
};

std::vector<TomrikRecordStep> plan_for_station() {
  return tomrik_record_plan(link_state.city_line_count, link_state.subscriber_count);
}

std::string station_to_file_question() {
  return std::string("Записать установки в файл "_cp) + settings_state.file_name + " Y/N";
}

std::string file_to_station_question() { return "Загрузить установки в станцию?  Y/N "_cp; }

int open_error_at_field() {
  print_at(field_column, 4, "Ошибка открытия файла!"_cp, COLOR_BOX);
  int k = read_plain_key();
  print_at(field_column, 4, std::string(22, ' '), COLOR_BOX);
  return k;
}

// A record is taken only from a successful read, and only as many bytes as
// the station sent; the rest of its place stays zero (a record the station
// does not have reads with length 0). A record that cannot be read, phone
// book cells included, leaves the file and the image as they were.
int station_to_file_transfer() {
  static std::uint8_t incoming[tomrik_image_size];
  static int record[256];
  SettingsFileWriter writer;
  if (!writer.begin()) {
    open_error_at_field();
    return key::esc;
  }
  std::memset(incoming, 0, sizeof incoming);
  MarkBar bar;
  // The file is written whole or not at all: the first record that still
  // fails ends the transfer.
  TransferCourse course(1);
  for (const TomrikRecordStep& step : plan_for_station()) {
    AlikeReads reads;
    auto read = [&] {
      record[0] = 0;
      bool read_ok = link_read_record(record, step.group, step.index) == link_ok;
      return reads.agree(read_ok, record, 1 + std::clamp(record[0], 0, 255));
    };
    TransferCourse::Unit unit = course.run(read);
    if (unit == TransferCourse::Unit::end) break;
    if (unit == TransferCourse::Unit::done) {
      int n = std::clamp(record[0], 0, step.size);
      for (int i = 0; i < n; ++i) incoming[step.offset + i] = static_cast<std::uint8_t>(record[1 + i]);
    }
    bar.mark(step.marks_after);
  }
  if (course.stopped() || course.failures() > 0) {
    writer.discard();
    if (course.stopped())
      return show_result(" Процесс записи установок в файл прерван "_cp, field_column, field_width, COLOR_ALERT);
    return show_result(link_failure_text(), field_column, field_width, COLOR_ALERT,
                       failed_units_text(course.failures()));
  }
  bar.fill();
  std::memcpy(settings_image.tomrik, incoming, tomrik_image_size);
  if (!writer.commit(settings_image.tomrik, tomrik_image_size))
    return show_write_failure(field_column, field_column, field_width);
  return show_result("Установки записаны в файл"_cp, field_column, field_width, COLOR_SELECT);
}

// One record of the image to the station, and the pause the station needs
// after it.
bool write_record(const TomrikRecordStep& step) {
  static int record[256];
  record[0] = step.size;
  for (int i = 0; i < step.size; ++i) record[1 + i] = settings_image.tomrik[step.offset + i];
  bool written = link_write_record(record, step.group, step.index) == link_ok;
  if (step.write_wait_ms > 0) wait_ms(step.write_wait_ms);
  return written;
}

// One read of a sent record, compared with the image as far as the
// station's record reaches (a record the station does not have reads with
// length 0).
SendPlan::ReadBack record_read_back(const TomrikRecordStep& step) {
  static int record[256];
  record[0] = 0;
  SendPlan::ReadBack back;
  back.read = link_read_record(record, step.group, step.index) == link_ok;
  back.data = record;
  back.count = 1 + std::clamp(record[0], 0, 255);
  back.same = back.read;
  for (int i = 0; i < std::min(step.size, record[0]) && back.same; ++i)
    back.same = (record[1 + i] & 0xFF) == settings_image.tomrik[step.offset + i];
  return back;
}

int file_to_station_transfer() {
  static std::uint8_t incoming[tomrik_image_size];
  FileRead read = read_settings_file(incoming, tomrik_image_size);
  if (read == FileRead::cannot_open) {
    open_error_at_field();
    return 0;
  }
  // An identity the station did not give in full matches no file.
  bool suits = read == FileRead::ok;
  for (int i = 0; suits && i < facts::tomrik_identity_size; ++i)
    suits = incoming[i] != 0 && incoming[i] == static_cast<std::uint8_t>(link_state.station_identity[i]);
  if (!suits) return show_unsuitable_configuration();
  std::memcpy(settings_image.tomrik, incoming, tomrik_image_size);
  const std::vector<TomrikRecordStep> steps = plan_for_station();
  std::optional<MarkBar> bar;
  SendPlan plan;
  plan.count = static_cast<int>(steps.size());
  // The identity record is the station's own.
  plan.sent = [&](int unit) { return steps[unit].group != facts::tomrik_identity_group; };
  plan.write = [&](int unit) { return write_record(steps[unit]); };
  plan.read_back = [&](int unit) { return record_read_back(steps[unit]); };
  plan.begin_pass = [&](bool checking) { bar.emplace(checking); };
  plan.unit_over = [&](int unit) { bar->mark(steps[unit].marks_after); };
  SendOutcome sent = send_whole(plan);
  // A send stopped or broken on the way leaves the station with part of
  // the file.
  if (!sent.ended) bar->fill();
  if (sent.ended || sent.failures > 0)
    return show_result("Установки загружены в станцию не полностью"_cp, field_column, field_width, COLOR_ALERT,
                       failed_units_text(sent.failures));
  return show_result("Установки загружены в станцию"_cp, field_column, field_width, COLOR_SELECT);
}

}  // namespace

void tomrik_station_to_file() {
  run_transfer_command({false, field_column, station_to_file_question, station_to_file_transfer});
}

void tomrik_file_to_station() {
  run_transfer_command({false, field_column, file_to_station_question, file_to_station_transfer});
}
