#include "transfer_frame.h"

#include "cp866.h"
#include "link.h"
#include "profile.h"
#include "screen.h"
#include "settings_files.h"

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
