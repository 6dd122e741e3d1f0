// The terminal back end: draws the screen model with ncursesw and turns the
// terminal's keys into the programs' key bytes. Keys are read from standard
// input and decoded here (TerminalInput), not by curses, so that Alt keys,
// unknown sequences and slow links are decoded one way, and so that the end
// of the input can be seen.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <langinfo.h>
#include <cstdlib>

#include <curses.h>

#include "platform/cp866.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/platform.h"
#include "platform/serial.h"
#include "platform/terminal_input.h"

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
  void watch_window_size();
  void follow_window_size();
  void take_resize();
  bool drop_unseen_keys();
  bool key_ready(int timeout);
  std::uint8_t take_key_byte();
  [[noreturn]] void end_of_input();

  bool running_ = false;
  bool too_small_shown_ = false;
  bool wide_colours_ = false;
  short pair_of_[16][16] = {};
  short next_pair_ = 1;
  TerminalInput input_{STDIN_FILENO};
  bool after_prefix_ = false;  // the last byte given was the extended prefix
};

TerminalBackend terminal;

// The write end of the pipe that wakes a key wait when the window changes.
int window_change_fd = -1;

void on_window_change(int) {
  int saved = errno;
  char b = 1;
  [[maybe_unused]] ssize_t n = ::write(window_change_fd, &b, 1);
  errno = saved;
}

// A program started with its standard input closed would later get a file
// it opens (the serial port) as descriptor 0 and read keys from it; an
// empty input instead reads as the end of the keys.
void keep_standard_input_taken() {
  if (::fcntl(STDIN_FILENO, F_GETFD) == -1 && errno == EBADF) {
    int fd = ::open("/dev/null", O_RDONLY);
    if (fd > STDIN_FILENO) ::close(fd);  // open gives the lowest free one, 0
  }
}

void restore_on_signal(int sig) {
  remove_temporaries_on_signal();
  put_back_serial_lines();
  terminal.stop();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

}  // namespace

void catch_ending_signals() {
  for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGSEGV, SIGABRT, SIGBUS, SIGFPE})
    std::signal(sig, restore_on_signal);
}

namespace {

bool TerminalBackend::start() {
  std::setlocale(LC_ALL, "");
  keep_standard_input_taken();
  if (!initscr()) return false;
  running_ = true;
  raw();
  noecho();
  nonl();
  // Curses never reads the keys, so it must not look at the input either
  // when it draws: pending keys would hold its output back.
  typeahead(-1);
  watch_window_size();
  if (has_colors()) {
    start_color();
    wide_colours_ = COLORS >= 16;
  }
  catch_ending_signals();
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
  follow_window_size();  // the window may have changed while the viewer ran
  clearok(curscr, TRUE);
  model.damage_all();
}

// A changed window size wakes the key wait through a pipe; curses is told
// the new size there, outside the signal handler.
void TerminalBackend::watch_window_size() {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  window_change_fd = fds[1];
  input_.set_wake_fd(fds[0]);
  struct sigaction sa {};
  sa.sa_handler = on_window_change;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGWINCH, &sa, nullptr);
}

void TerminalBackend::follow_window_size() {
  winsize ws{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0)
    resize_term(ws.ws_row, ws.ws_col);
}

void TerminalBackend::take_resize() {
  follow_window_size();
  services().screen.damage_all();
  too_small_shown_ = false;
  clearok(curscr, TRUE);
  present(services().screen);
}

// While the terminal is too small the program's screen cannot be seen:
// keys pressed then are dropped rather than acted on blind. The scan code
// of an extended key whose prefix was already given still goes out.
bool TerminalBackend::drop_unseen_keys() {
  if (big_enough() || after_prefix_) return false;
  input_.drop_keys();
  return true;
}

std::uint8_t TerminalBackend::take_key_byte() {
  std::uint8_t b = input_.take();
  after_prefix_ = !after_prefix_ && b == key::extended;
  return b;
}

// No key will ever come: the program ends instead of asking for keys for
// ever, saving nothing.
void TerminalBackend::end_of_input() {
  stop();
  end_without_keys();
}

// Waits up to `timeout` ms (-1: for ever) for a key the program may read,
// following the window's size meanwhile; false when none came in time.
bool TerminalBackend::key_ready(int timeout) {
  for (;;) {
    switch (input_.wait(timeout)) {
      case TerminalInput::Event::key:
        if (drop_unseen_keys()) continue;
        return true;
      case TerminalInput::Event::woken:
        take_resize();
        continue;
      case TerminalInput::Event::ended:
        end_of_input();
      case TerminalInput::Event::timed_out:
        return false;
    }
  }
}

bool TerminalBackend::waiting() { return key_ready(0); }

std::uint8_t TerminalBackend::read() {
  while (!key_ready(-1)) {
  }
  return take_key_byte();
}

}  // namespace

std::string terminal_text_problem() {
  std::setlocale(LC_ALL, "");
  std::string charset = nl_langinfo(CODESET);
  if (charset == "UTF-8") return {};
  // Without it every Cyrillic letter and frame would come out blank.
  return "the terminal's character set " + charset +
         " cannot show the Russian texts and frames; run the program in a UTF-8 locale, for example with LANG=C.UTF-8";
}

bool start_terminal() {
  if (!terminal.start()) return false;
  services().display = &terminal;
  services().keys = &terminal;
  return true;
}

void stop_terminal() { terminal.stop(); }

}  // namespace platform
