// The console back end on Windows: draws the screen model into a console
// screen buffer of its own and reads keys as console input events.
#include <windows.h>

#include <cstdlib>
#include <deque>

#include "platform/win32/console_codes.h"
#include "platform/platform.h"

namespace platform {
namespace {

constexpr SHORT screen_columns = ScreenModel::columns;
constexpr SHORT screen_rows = ScreenModel::rows;
constexpr UINT program_code_page = 866;
constexpr DWORD input_events_at_once = 16;

// What the console was like before the program took it, put back at the end
// and while an outside program runs.
struct SavedConsole {
  HANDLE output = INVALID_HANDLE_VALUE;
  DWORD input_mode = 0;
  UINT input_code_page = 0;
  UINT output_code_page = 0;
};

class ConsoleBackend : public Display, public KeyInput {
 public:
  bool start();
  void stop();
  void present(ScreenModel& model) override;
  void suspend() override;
  void resume(ScreenModel& model) override;
  bool waiting() override;
  std::uint8_t read() override;
  // The console is lent to an outside program (the manual viewer).
  bool lent() const { return running_ && !taken_; }

 private:
  bool open_handles();
  bool make_screen_buffer();
  void take_console();
  void give_back_console();
  void restore_code_pages();
  void draw_damaged_rows(ScreenModel& model);
  void draw_rows(const ScreenModel& model, int first, int last);
  void place_cursor(const ScreenModel& model);
  void take_events(DWORD count);
  void finish_abandoned_read();

  bool running_ = false;
  bool taken_ = false;
  HANDLE input_ = INVALID_HANDLE_VALUE;
  HANDLE screen_ = INVALID_HANDLE_VALUE;
  SavedConsole saved_;
  COORD cursor_shown_{-1, -1};
  std::deque<std::uint8_t> pending_;
};

ConsoleBackend console;

// Ctrl+C is a key for the programs; where the console raises it as an
// event all the same (Wine in a terminal does), it is ignored. Closing the
// console window or Ctrl+Break end the process through the default handler;
// the console is put back first. While the viewer runs, Ctrl+Break is the
// viewer's: the program waits for it, as for Ctrl+C.
BOOL WINAPI on_console_event(DWORD event) {
  if (event == CTRL_C_EVENT || (event == CTRL_BREAK_EVENT && console.lent())) return TRUE;
  console.stop();
  return FALSE;
}

bool ConsoleBackend::open_handles() {
  // The console itself, even where the standard handles are redirected.
  input_ = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
  saved_.output = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  return input_ != INVALID_HANDLE_VALUE && saved_.output != INVALID_HANDLE_VALUE &&
         GetConsoleMode(input_, &saved_.input_mode);
}

// The program draws on a screen buffer of its own, 80 x 25, so that the
// user's console comes back as it was when the program ends.
bool ConsoleBackend::make_screen_buffer() {
  screen_ = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (screen_ == INVALID_HANDLE_VALUE) return false;
  // The window must fit the buffer at every step: shrink it first, then
  // size the buffer, then open the window over the whole of it.
  SMALL_RECT smallest{0, 0, 0, 0};
  SetConsoleWindowInfo(screen_, TRUE, &smallest);
  SetConsoleScreenBufferSize(screen_, COORD{screen_columns, screen_rows});
  SMALL_RECT whole{0, 0, screen_columns - 1, screen_rows - 1};
  SetConsoleWindowInfo(screen_, TRUE, &whole);
  return true;
}

bool ConsoleBackend::start() {
  if (running_) return true;
  if (!open_handles() || !make_screen_buffer()) {
    stop();
    return false;
  }
  saved_.input_code_page = GetConsoleCP();
  saved_.output_code_page = GetConsoleOutputCP();
  running_ = true;
  take_console();
  SetConsoleCtrlHandler(on_console_event, TRUE);
  std::atexit([] { console.stop(); });
  services().screen.damage_all();
  return true;
}

// Raw keys: no line editing, no echo, Ctrl+C is a key like any other, and
// the mouse does not select text.
void ConsoleBackend::take_console() {
  if (taken_) return;
  taken_ = true;
  SetConsoleMode(input_, ENABLE_EXTENDED_FLAGS);
  SetConsoleCP(program_code_page);
  SetConsoleOutputCP(program_code_page);
  CONSOLE_CURSOR_INFO cursor{25, TRUE};
  SetConsoleCursorInfo(screen_, &cursor);
  SetConsoleActiveScreenBuffer(screen_);
  cursor_shown_ = COORD{-1, -1};
}

// The code pages stay the programs' while an outside program runs: the
// viewer shows the programs' own CP866 files.
void ConsoleBackend::give_back_console() {
  if (!taken_) return;
  taken_ = false;
  SetConsoleActiveScreenBuffer(saved_.output);
  SetConsoleMode(input_, saved_.input_mode);
}

void ConsoleBackend::restore_code_pages() {
  if (saved_.input_code_page) SetConsoleCP(saved_.input_code_page);
  if (saved_.output_code_page) SetConsoleOutputCP(saved_.output_code_page);
}

void ConsoleBackend::stop() {
  if (running_) {
    give_back_console();
    restore_code_pages();
  }
  running_ = false;
  for (HANDLE* h : {&screen_, &input_, &saved_.output}) {
    if (*h != INVALID_HANDLE_VALUE) CloseHandle(*h);
    *h = INVALID_HANDLE_VALUE;
  }
}

void ConsoleBackend::draw_rows(const ScreenModel& model, int first, int last) {
  CHAR_INFO cells[screen_rows][screen_columns];
  int count = last - first + 1;
  for (int r = 0; r < count; ++r)
    for (int c = 0; c < screen_columns; ++c) cells[r][c] = win32::console_cell(model.cell(c + 1, first + r));
  SMALL_RECT area{0, static_cast<SHORT>(first - 1), screen_columns - 1, static_cast<SHORT>(last - 1)};
  WriteConsoleOutputW(screen_, &cells[0][0], COORD{screen_columns, static_cast<SHORT>(count)}, COORD{0, 0}, &area);
}

// Each run of changed rows goes to the console in one write.
void ConsoleBackend::draw_damaged_rows(ScreenModel& model) {
  int row = 1;
  while (row <= screen_rows) {
    if (!model.row_damaged(row)) {
      ++row;
      continue;
    }
    int last = row;
    while (last < screen_rows && model.row_damaged(last + 1)) ++last;
    draw_rows(model, row, last);
    row = last + 1;
  }
  model.clear_damage();
}

void ConsoleBackend::place_cursor(const ScreenModel& model) {
  int x = model.cursor_abs_x(), y = model.cursor_abs_y();
  if (x > screen_columns) x = screen_columns;
  COORD at{static_cast<SHORT>(x - 1), static_cast<SHORT>(y - 1)};
  if (at.X == cursor_shown_.X && at.Y == cursor_shown_.Y) return;
  SetConsoleCursorPosition(screen_, at);
  cursor_shown_ = at;
}

void ConsoleBackend::present(ScreenModel& model) {
  if (!running_ || !taken_) return;
  draw_damaged_rows(model);
  place_cursor(model);
}

void ConsoleBackend::suspend() {
  if (running_) give_back_console();
}

// An outside program ended by Ctrl+C may leave a console read unfinished.
// Windows drops such a read with its process; Wine's console host keeps it
// and hands it every key until it completes, and the program's own reads
// wait behind it for good. One Enter completes it; where no read was left,
// the Enter stays in the input queue for the flush that follows.
void ConsoleBackend::finish_abandoned_read() {
  INPUT_RECORD enter[2]{};
  for (int i = 0; i < 2; ++i) {
    enter[i].EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = enter[i].Event.KeyEvent;
    key.bKeyDown = i == 0;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = VK_RETURN;
    key.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyW(VK_RETURN, MAPVK_VK_TO_VSC));
    key.uChar.UnicodeChar = L'\r';
  }
  DWORD written = 0;
  WriteConsoleInputW(input_, enter, 2, &written);
}

void ConsoleBackend::resume(ScreenModel& model) {
  if (!running_) return;
  finish_abandoned_read();
  // Keys typed for the outside program are not the program's.
  FlushConsoleInputBuffer(input_);
  take_console();
  model.damage_all();
}

void ConsoleBackend::take_events(DWORD count) {
  INPUT_RECORD records[input_events_at_once];
  DWORD got = 0;
  if (count > input_events_at_once) count = input_events_at_once;
  if (!ReadConsoleInputW(input_, records, count, &got)) {
    // The console is gone: no key will ever come.
    stop();
    end_without_keys();
  }
  for (DWORD i = 0; i < got; ++i)
    if (records[i].EventType == KEY_EVENT) win32::append_key_bytes(records[i].Event.KeyEvent, pending_);
}

bool ConsoleBackend::waiting() {
  while (pending_.empty()) {
    DWORD count = 0;
    if (!GetNumberOfConsoleInputEvents(input_, &count) || count == 0) return false;
    take_events(count);
  }
  return true;
}

std::uint8_t ConsoleBackend::read() {
  while (pending_.empty()) take_events(1);
  std::uint8_t b = pending_.front();
  pending_.pop_front();
  return b;
}

}  // namespace

std::string terminal_text_problem() { return {}; }  // the console shows CP866 cells itself

bool start_terminal() {
  if (!console.start()) return false;
  services().display = &console;
  services().keys = &console;
  return true;
}

void stop_terminal() { console.stop(); }

}  // namespace platform
