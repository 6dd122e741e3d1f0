#include "settings/transfer_frame.h"

#include <algorithm>
#include <vector>

#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "platform/platform.h"
#include "settings/settings_files.h"
#include "toolkit/profile.h"
#include "toolkit/screen.h"

void run_transfer_command(const TransferCommand& command) {
  if (command.clear_screen_first) clear_screen();
  if (!link_state.station_connected) {
    link_error_box(link_not_connected);
    return;
  }
  draw_box(18, 3, 59, 20);
  link_rts_on();
  for (;;) {
    int result = settings_file_dialog("*.set");
    if (result == 27) break;
    if (result == -1) continue;
    std::string question = command.question();
    print_at(command.question_column, 4, question, COLOR_BOX);
    int end_key = read_plain_key();
    if (key::is_yes(end_key)) end_key = command.transfer();
    print_at(command.question_column, 4, std::string(question.size(), ' '), COLOR_BOX);
    if (end_key == key::esc) break;
  }
  erase_box(18, 3, 59, 20);
}

const char* link_failure_text() { return "Ошибка связи со станцией"_cp; }

bool TransferCourse::stop_asked() { return watch_ && watch_->stop_asked(); }

TransferCourse* TransferCourse::trying_ = nullptr;

// Asked by the link before every byte of a try: a stop gives the frame up.
bool TransferCourse::stop_during_try() {
  if (!trying_ || trying_->stopped_ || !trying_->stop_asked()) return trying_ && trying_->stopped_;
  trying_->stopped_ = true;
  return true;
}

TransferCourse::Unit TransferCourse::run(const std::function<bool()>& attempt, int unit) {
  if (ended_) return Unit::end;
  LinkBoxesHeld boxes;
  for (int tries = 0; tries <= retries; ++tries) {
    if (stop_asked()) stopped_ = true;
    bool done = false;
    if (!stopped_) {
      TransferCourse* outer = trying_;
      LinkInterrupt outer_hook = link_state.interrupt;
      if (watch_) {
        trying_ = this;
        link_state.interrupt = stop_during_try;
      }
      done = attempt();
      trying_ = outer;
      link_state.interrupt = outer_hook;
    }
    if (stopped_) {
      ended_ = true;
      return Unit::end;
    }
    if (done) {
      run_ = 0;
      return Unit::done;
    }
  }
  ++failures_;
  ++run_;
  int box = boxes.take();
  if (watch_)
    watch_->unit_failed(unit, box);
  else if (box != 0)
    link_error_box(box);
  if (run_ >= failures_to_end_) {
    ended_ = true;
    return Unit::end;
  }
  return Unit::failed;
}

TransferOutcome TransferCourse::outcome() const {
  TransferEnd end = stopped_ ? TransferEnd::stopped : ended_ ? TransferEnd::broken : TransferEnd::done;
  return {end, failures_};
}

namespace {

// Whole sends stop at the second unit in a row that fails: the station is
// gone.
constexpr int send_failures_to_end = 2;

enum class Held { file, other, failed };

// What the station holds of one unit: a unit tried like any other, taken as
// the file's on a read equal to it, as other only on two alike reads that
// differ from it.
Held station_holds(TransferCourse& course, const SendPlan& plan, int unit) {
  AlikeReads reads;
  bool same = false;
  auto look = [&] {
    SendPlan::ReadBack back = plan.read_back(unit);
    same = back.read && back.same;
    // A read that differs stands only when the one before it was alike.
    return same || reads.agree(back.read, back.data, back.count);
  };
  TransferCourse::Unit result = course.run(look, unit);
  if (result != TransferCourse::Unit::done) return Held::failed;
  return same ? Held::file : Held::other;
}

}  // namespace

TransferOutcome read_whole(const ReadPlan& plan, TransferWatch& watch) {
  TransferCourse course(1, &watch);
  watch.started(plan.count, false);
  for (int unit = 0; unit < plan.count; ++unit) {
    AlikeReads reads;
    auto attempt = [&] {
      UnitRead got = plan.read(unit);
      return reads.agree(got.read, got.data, got.count);
    };
    if (course.run(attempt, unit) == TransferCourse::Unit::end) break;
    plan.keep(unit);
    watch.unit_done(unit, plan.count);
  }
  return course.outcome();
}

UnitRead read_record_once(int* record, int group, int index) {
  record[0] = 0;
  bool read = link_read_record(record, group, index) == link_ok;
  return {read, record, 1 + std::clamp(record[0], 0, 255)};
}

TransferOutcome send_whole(const SendPlan& plan, TransferWatch& watch) {
  platform::WorkUnderWay sending;
  std::vector<bool> failed(static_cast<std::size_t>(plan.count), false);
  TransferCourse course(send_failures_to_end, &watch);
  // Writes units; false when the course ended.
  auto write = [&](const std::vector<int>& units, bool shown) {
    for (int unit : units) {
      if (plan.sent(unit) && !failed[unit]) {
        TransferCourse::Unit result = course.run([&] { return plan.write(unit); }, unit);
        // A unit that ends the course by failing is counted with the rest.
        if (result != TransferCourse::Unit::done && !course.stopped()) failed[unit] = true;
        if (result == TransferCourse::Unit::end) return false;
      }
      if (shown) watch.unit_done(unit, plan.count);
    }
    return true;
  };
  std::vector<int> all(static_cast<std::size_t>(plan.count));
  for (int i = 0; i < plan.count; ++i) all[i] = i;
  watch.started(plan.count, false);
  bool going = write(all, true);
  // The first comparison may send again what differs; the second only
  // counts it.
  for (int pass = 0; going && pass < 2; ++pass) {
    watch.started(plan.count, true);
    std::vector<int> other;
    for (int unit : all) {
      if (plan.sent(unit) && !failed[unit]) {
        Held held = station_holds(course, plan, unit);
        if (held == Held::failed && !course.stopped()) failed[unit] = true;
        if (course.ended()) {
          going = false;
          break;
        }
        if (held == Held::other) other.push_back(unit);
      }
      watch.unit_done(unit, plan.count);
    }
    if (!going || other.empty()) break;
    if (pass == 1) {
      for (int unit : other) failed[unit] = true;
      break;
    }
    going = write(other, false);
  }
  // The units that failed, each once however often it was tried.
  TransferOutcome outcome = course.outcome();
  outcome.failures = static_cast<int>(std::count(failed.begin(), failed.end(), true));
  return outcome;
}
