#include "toolkit/number_prompt.h"

#include <algorithm>

#include "platform/keys.h"

void DigitEcho::clear() {
  shown_.clear();
  goto_xy(at_);
  set_colour(colour_);
  put_text(std::string(static_cast<std::size_t>(std::max(width_, 0)), ' '));
  goto_xy(at_);
}

void DigitEcho::add(char digit) {
  set_colour(colour_);
  if (static_cast<int>(shown_.size()) < width_) {
    goto_xy(at_.column + static_cast<int>(shown_.size()), at_.row);
    shown_.push_back(digit);
    put_char(static_cast<std::uint8_t>(digit));
    return;
  }
  if (shown_.empty()) return;
  shown_.erase(0, 1);
  shown_.push_back(digit);
  goto_xy(at_);
  put_text(shown_);
}

TypedNumber read_typed_number(const NumberPrompt& prompt) {
  DigitEcho echo(prompt.at, prompt.places, prompt.colour);
  int value = 0, digits = 0;
  auto restart = [&] {
    echo.clear();
    value = 0;
    digits = 0;
  };
  restart();
  for (;;) {
    int k = read_plain_key();
    if (k == key::esc) return {key::esc, value};
    if (k >= '0' && k <= '9') {
      if (prompt.places_restart && digits == prompt.places) {
        restart();
        continue;
      }
      echo.add(static_cast<char>(k));
      value = value * 10 + (k - '0');
      ++digits;
      if (value > prompt.maximum && prompt.past_maximum_restarts) restart();
      value = std::min(value, prompt.maximum + 1);
    } else if (k == key::enter) {
      if (value >= prompt.minimum && value <= prompt.maximum) return {key::enter, value};
      restart();
    }
  }
}

int step_number(int number, int last, int key_code) {
  switch (key_code) {
    case key::home: return number > 1 ? 1 : number;
    case key::pgup: return number > 1 ? number - 1 : number;
    case key::pgdn: return number < last ? number + 1 : number;
    case key::end: return number < last ? last : number;
    default: return number;
  }
}

int read_space_steps(const std::function<void()>& step) {
  for (;;) {
    const int k = read_plain_key();
    if (k == key::esc || k == key::enter) return k;
    if (k == key::space) step();
  }
}
