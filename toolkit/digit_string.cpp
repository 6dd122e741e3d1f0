#include "toolkit/digit_string.h"

#include <algorithm>
#include <string>

#include "platform/keys.h"

namespace {

// The cursor's place and the keys that move it and change the codes.
class DigitCursor {
 public:
  explicit DigitCursor(const DigitString& field)
      : f_(field), last_place_(field.past_last ? field.count : field.count - 1) {}

  void draw() const {
    std::string text;
    for (int i = 0; i < f_.count; ++i) text.push_back(f_.char_of(f_.codes[i]));
    print_at(f_.at, text, COLOR_BOX);
    goto_xy(f_.at.column + p_, f_.at.row);
  }

  int place() const { return p_; }

  void extended(int scan) {
    if (scan == key::left && p_ > 0) --p_;
    if (scan == key::right && may_step_right()) ++p_;
    if (scan == key::del && p_ < f_.count) remove(p_);
  }

  void backspace() {
    if (p_ > 0) remove(--p_);
  }

  void type(int code) {
    if (p_ >= f_.count) return;
    if (pushes_on())
      std::copy_backward(f_.codes + p_, f_.codes + f_.count - 1, f_.codes + f_.count);
    f_.codes[p_] = code;
    if (p_ < last_place_) ++p_;
  }

 private:
  bool may_step_right() const {
    if (f_.right == RightStep::onto_a_code) return p_ + 1 < f_.count && f_.codes[p_ + 1] != 0;
    return p_ < last_place_ && f_.codes[p_] != 0;
  }

  bool pushes_on() const {
    if (f_.typing == DigitTyping::insert_always) return true;
    return f_.typing == DigitTyping::insert && f_.codes[p_] != 0;
  }

  void remove(int place) {
    std::copy(f_.codes + place + 1, f_.codes + f_.count, f_.codes + place);
    f_.codes[f_.count - 1] = 0;
  }

  const DigitString& f_;
  int last_place_;  // the furthest place the cursor may stand on
  int p_ = 0;
};

}  // namespace

int edit_digit_string(const DigitString& field) { return edit_digit_string(field, nullptr); }

int edit_digit_string(const DigitString& field, const DigitKeyWatch& on_key) {
  DigitCursor cursor(field);
  if (field.count >= 1) cursor.draw();
  for (;;) {
    int scan;
    const int k = read_plain_key(scan);
    if (on_key) on_key(k, scan, cursor.place());
    if (k == key::enter || (k == key::esc && !field.enter_only)) return k;
    if (field.count < 1) continue;
    if (k == key::extended)
      cursor.extended(scan);
    else if (k == key::backspace && !field.enter_only)
      cursor.backspace();
    else if (const int code = field.code_of(k); code >= 0)
      cursor.type(code);
    cursor.draw();
  }
}
