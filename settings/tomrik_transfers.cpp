// The tomrik whole-configuration transfers: the records of the image table,
// one after another, with a bar of 43 cells.
#include <algorithm>
#include <cstring>
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

std::vector<TomrikRecordStep> plan_for_station() {
  return tomrik_record_plan(link_state.city_line_count, link_state.subscriber_count);
}

// The File menu's bar of 43 cells, drawn again for each pass of the
// transfer proper and marked as the plan says after each record: it fills
// with "▓" while records are read or sent, and again from empty with "█"
// while a send is compared with what the station holds. Esc at the
// keyboard stops.
class MarkBar : public TransferWatch {
 public:
  MarkBar() : plan_(plan_for_station()) {}
  void started(int, bool checking) override {
    cell_ = static_cast<char>(checking ? 219 : 178);
    count_ = 1;
    print_at(field_column, 4, std::string(tomrik_bar_cells, static_cast<char>(176)), COLOR_BOX);
  }
  void unit_done(int unit, int) override {
    if (unit >= 0 && unit < static_cast<int>(plan_.size())) mark(plan_[unit].marks_after);
  }
  bool stop_asked() override { return esc_pressed(); }
  // The rest of the bar, a cell every 100 ms.
  void fill() {
    while (count_ < tomrik_bar_cells + 1) {
      mark();
      wait_ms(100);
    }
  }

 private:
  void mark(int times = 1) {
    for (; times > 0; --times, ++count_)
      if (count_ <= tomrik_bar_cells) print_at(field_column + count_ - 1, 4, std::string(1, cell_), COLOR_BOX);
  }
  std::vector<TomrikRecordStep> plan_;
  char cell_ = static_cast<char>(178);
  int count_ = 1;
};

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

int station_to_file_transfer() {
  static std::uint8_t incoming[tomrik_image_size];
  SettingsFileWriter writer;
  if (!writer.begin()) {
    open_error_at_field();
    return key::esc;
  }
  MarkBar bar;
  TransferOutcome read = tomrik_read_image(incoming, bar);
  if (!read.whole()) {
    writer.discard();
    if (read.end == TransferEnd::stopped)
      return show_result(" Процесс записи установок в файл прерван "_cp, field_column, field_width, COLOR_ALERT);
    return show_result(link_failure_text(), field_column, field_width, COLOR_ALERT,
                       failed_units_text(read.failures));
  }
  bar.fill();
  if (!writer.commit(incoming, tomrik_image_size)) return show_write_failure(field_column, field_column, field_width);
  return show_result("Установки записаны в файл"_cp, field_column, field_width, COLOR_SELECT);
}

// One record of the image to the station, and the pause the station needs
// after it.
bool write_record(const std::uint8_t* image, const TomrikRecordStep& step) {
  static int record[256];
  record[0] = step.size;
  for (int i = 0; i < step.size; ++i) record[1 + i] = image[step.offset + i];
  bool written = link_write_record(record, step.group, step.index) == link_ok;
  if (step.write_wait_ms > 0) wait_ms(step.write_wait_ms);
  return written;
}

// One read of a sent record, compared with the image as far as the
// station's record reaches (a record the station does not have reads with
// length 0).
SendPlan::ReadBack record_read_back(const TomrikRecordStep& step) {
  static int record[256];
  SendPlan::ReadBack back{read_record_once(record, step.group, step.index)};
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
  if (read != FileRead::ok) return show_unsuitable_configuration();
  MarkBar bar;
  TransferOutcome sent = tomrik_write_image(incoming, bar);
  if (sent.end == TransferEnd::not_suitable) return show_unsuitable_configuration();
  // A send stopped or broken on the way leaves the station with part of
  // the file.
  if (sent.end == TransferEnd::done) bar.fill();
  if (!sent.whole())
    return show_result("Установки загружены в станцию не полностью"_cp, field_column, field_width, COLOR_ALERT,
                       failed_units_text(sent.failures));
  return show_result("Установки загружены в станцию"_cp, field_column, field_width, COLOR_SELECT);
}

}  // namespace

// A record is taken only from a successful read, and only as many bytes as
// the station sent; the rest of its place stays zero (a record the station
// does not have reads with length 0).
TransferOutcome tomrik_read_image(std::uint8_t* image, TransferWatch& watch) {
  static int record[256];
  std::memset(image, 0, tomrik_image_size);
  const std::vector<TomrikRecordStep> steps = plan_for_station();
  // The file is written whole or not at all.
  ReadPlan plan;
  plan.count = static_cast<int>(steps.size());
  plan.read = [&](int unit) { return read_record_once(record, steps[unit].group, steps[unit].index); };
  plan.keep = [&](int unit) {
    const TomrikRecordStep& step = steps[unit];
    int n = std::clamp(record[0], 0, step.size);
    for (int i = 0; i < n; ++i) image[step.offset + i] = static_cast<std::uint8_t>(record[1 + i]);
  };
  TransferOutcome outcome = read_whole(plan, watch);
  if (outcome.whole()) std::memcpy(settings_image.tomrik, image, tomrik_image_size);
  return outcome;
}

// An identity the station did not give in full matches no image. The
// identity record is the station's own and is not written.
TransferOutcome tomrik_write_image(const std::uint8_t* image, TransferWatch& watch) {
  for (int i = 0; i < facts::tomrik_identity_size; ++i)
    if (image[i] == 0 || image[i] != static_cast<std::uint8_t>(link_state.station_identity[i]))
      return {TransferEnd::not_suitable, 0};
  std::memcpy(settings_image.tomrik, image, tomrik_image_size);
  const std::vector<TomrikRecordStep> steps = plan_for_station();
  SendPlan plan;
  plan.count = static_cast<int>(steps.size());
  plan.sent = [&](int unit) { return steps[unit].group != facts::tomrik_identity_group; };
  plan.write = [&](int unit) { return write_record(image, steps[unit]); };
  plan.read_back = [&](int unit) { return record_read_back(steps[unit]); };
  return send_whole(plan, watch);
}

void tomrik_station_to_file() {
  run_transfer_command({false, field_column, station_to_file_question, station_to_file_transfer});
}

void tomrik_file_to_station() {
  run_transfer_command({false, field_column, file_to_station_question, file_to_station_transfer});
}
