#include "settings/transfer_frame.h"

#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
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

bool TransferCourse::esc_pressed() {
  // Another key is read and dropped, an extended key's scan code with it.
  return reads_keys_ && key_waiting() && read_plain_key() == key::esc;
}

TransferCourse* TransferCourse::trying_ = nullptr;

// Asked by the link before every byte of a try: Esc gives the frame up.
bool TransferCourse::esc_during_try() {
  if (!trying_ || trying_->stopped_ || !trying_->esc_pressed()) return trying_ && trying_->stopped_;
  trying_->stopped_ = true;
  return true;
}

TransferCourse::Unit TransferCourse::run(const std::function<bool()>& attempt) {
  if (ended_) return Unit::end;
  LinkBoxesHeld boxes;
  for (int tries = 0; tries <= retries; ++tries) {
    if (esc_pressed()) stopped_ = true;
    bool done = false;
    if (!stopped_) {
      TransferCourse* outer = trying_;
      LinkInterrupt outer_hook = link_state.interrupt;
      if (reads_keys_) {
        trying_ = this;
        link_state.interrupt = esc_during_try;
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
  if (!reads_keys_ && box != 0) link_error_box(box);
  if (run_ >= failures_to_end_) {
    ended_ = true;
    return Unit::end;
  }
  return Unit::failed;
}
