// The terminal back end: draws the screen model with ncursesw and turns the
// terminal's keys into the programs' key bytes.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <deque>

#include <curses.h>

#include "cp866.h"
#include "files.h"
#include "keys.h"
#include "platform.h"

namespace platform {
namespace {

// Text-mode colour numbers run black, blue, green, cyan, red, magenta,
// brown, grey; ANSI terminals number them black, red, green, yellow, blue,
// magenta, cyan, white.
constexpr short ansi_of_text_colour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

class TerminalBackend : public Display, public KeyInput {
 public:
  bool start();
  void stop();
  void present(ScreenModel& model) override;
  void suspend() override;
  void resume(ScreenModel& model) override;
  bool waiting() override;
  std::uint8_t read() override;

 private:
  attr_t attributes_for(std::uint8_t attr, short& pair);
  short pair_for(short fg, short bg);
  bool big_enough() const { return LINES >= ScreenModel::rows && COLS >= ScreenModel::columns; }
  void show_too_small();
  void take_key(int kind, wint_t ch);
  bool fetch_key(bool block);

  bool running_ = false;
  bool too_small_shown_ = false;
  bool wide_colours_ = false;
  short pair_of_[16][16] = {};
  short next_pair_ = 1;
  std::deque<std::uint8_t> pending_;
};

TerminalBackend terminal;

void restore_on_signal(int sig) {
  remove_temporaries_on_signal();
  terminal.stop();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

bool TerminalBackend::start() {
  std::setlocale(LC_ALL, "");
  if (!initscr()) return false;
  running_ = true;
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  set_escdelay(25);
  if (has_colors()) {
    start_color();
    wide_colours_ = COLORS >= 16;
  }
  for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGSEGV, SIGABRT, SIGBUS, SIGFPE})
    std::signal(sig, restore_on_signal);
  std::atexit([] { terminal.stop(); });
  services().screen.damage_all();
  return true;
}

void TerminalBackend::stop() {
  if (!running_) return;
  running_ = false;
  endwin();
}

short TerminalBackend::pair_for(short fg, short bg) {
  short& pair = pair_of_[fg][bg];
  if (pair == 0 && next_pair_ < COLOR_PAIRS) {
    pair = next_pair_++;
    init_pair(pair, fg, bg);
  }
  return pair;
}

attr_t TerminalBackend::attributes_for(std::uint8_t attr, short& pair) {
  int fg = attr & 0x0F, bg = (attr >> 4) & 0x0F;
  attr_t extra = A_NORMAL;
  pair = 0;
  if (!has_colors()) {
    return bg > fg ? A_REVERSE : A_NORMAL;
  }
  short tfg = ansi_of_text_colour[fg & 7], tbg = ansi_of_text_colour[bg & 7];
  if (wide_colours_) {
    if (fg & 8) tfg += 8;
    if (bg & 8) tbg += 8;
  } else if (fg & 8) {
    extra = A_BOLD;
  }
  pair = pair_for(tfg, tbg);
  return extra;
}

void TerminalBackend::show_too_small() {
  erase();
  mvaddstr(0, 0, "Окно терминала меньше 80 x 25.");
  mvaddstr(1, 0, "Увеличьте его, чтобы продолжить работу.");
  refresh();
  too_small_shown_ = true;
}

void TerminalBackend::present(ScreenModel& model) {
  if (!running_) return;
  if (!big_enough()) {
    if (!too_small_shown_) show_too_small();
    return;
  }
  if (too_small_shown_) {
    too_small_shown_ = false;
    clearok(curscr, TRUE);
    model.damage_all();
  }
  for (int row = 1; row <= ScreenModel::rows; ++row) {
    if (!model.row_damaged(row)) continue;
    for (int col = 1; col <= ScreenModel::columns; ++col) {
      Cell c = model.cell(col, row);
      short pair = 0;
      attr_t a = attributes_for(c.attr, pair);
      wchar_t text[2] = {static_cast<wchar_t>(cp866::glyphs[c.ch]), 0};
      if (c.ch == 0 || c.ch == 0xFF) text[0] = L' ';
      cchar_t cc;
      setcchar(&cc, text, a, pair, nullptr);
      mvwadd_wch(stdscr, row - 1, col - 1, &cc);
    }
  }
  model.clear_damage();
  int x = model.cursor_abs_x(), y = model.cursor_abs_y();
  if (x > ScreenModel::columns) x = ScreenModel::columns;
  move(y - 1, x - 1);
  refresh();
}

void TerminalBackend::suspend() {
  if (!running_) return;
  def_prog_mode();
  endwin();
}

void TerminalBackend::resume(ScreenModel& model) {
  if (!running_) return;
  reset_prog_mode();
  clearok(curscr, TRUE);
  model.damage_all();
}

// Stores one terminal key as the programs' key bytes.
void TerminalBackend::take_key(int kind, wint_t ch) {
  auto extended = [&](int scan) {
    pending_.push_back(key::extended);
    pending_.push_back(static_cast<std::uint8_t>(scan));
  };
  if (kind == KEY_CODE_YES) {
    switch (ch) {
      case KEY_UP: return extended(key::up);
      case KEY_DOWN: return extended(key::down);
      case KEY_LEFT: return extended(key::left);
      case KEY_RIGHT: return extended(key::right);
      case KEY_HOME: return extended(key::home);
      case KEY_END: return extended(key::end);
      case KEY_PPAGE: return extended(key::pgup);
      case KEY_NPAGE: return extended(key::pgdn);
      case KEY_IC: return extended(key::insert);
      case KEY_DC: return extended(key::del);
      case KEY_BACKSPACE: pending_.push_back(key::backspace); return;
      case KEY_ENTER: pending_.push_back(key::enter); return;
      case KEY_RESIZE:
        services().screen.damage_all();
        too_small_shown_ = false;
        clearok(curscr, TRUE);
        present(services().screen);
        return;
      default:
        if (ch >= static_cast<wint_t>(KEY_F(1)) && ch <= static_cast<wint_t>(KEY_F(10)))
          return extended(key::f1 + static_cast<int>(ch - KEY_F(1)));
        return;
    }
  }
  if (ch == 127) {
    pending_.push_back(key::backspace);
    return;
  }
  int b = cp866::from_unicode(static_cast<char32_t>(ch));
  if (b > 0) pending_.push_back(static_cast<std::uint8_t>(b));
}

bool TerminalBackend::fetch_key(bool block) {
  nodelay(stdscr, block ? FALSE : TRUE);
  wint_t ch = 0;
  int kind = get_wch(&ch);
  if (kind == ERR) return false;
  take_key(kind, ch);
  return true;
}

bool TerminalBackend::waiting() {
  while (pending_.empty()) {
    if (!fetch_key(false)) return false;
  }
  return true;
}

std::uint8_t TerminalBackend::read() {
  while (pending_.empty()) fetch_key(true);
  std::uint8_t b = pending_.front();
  pending_.pop_front();
  return b;
}

}  // namespace

bool start_terminal() {
  if (!terminal.start()) return false;
  services().display = &terminal;
  services().keys = &terminal;
  return true;
}

void stop_terminal() { terminal.stop(); }

}  // namespace platform
