// Work with the storage device: the screen of the exchange in
// link/storage_exchange.h. A menu of eight operations, two message lines, the
// day/night times in a box of their own; the calls downloaded go to
// "tarif.dat". Keys are read between any two bytes from the device; while
// an operation is under way they wait for its end, except Esc, which ends
// it.
#include <deque>
#include <string>

#include "editors/screen_entry.h"
#include "facts/station_facts.h"
#include "link/link.h"
#include "link/link_dialect.h"
#include "link/link_screens.h"
#include "link/storage_exchange.h"
#include "platform/cp866.h"
#include "platform/platform.h"
#include "settings/run_state.h"
#include "tomrik/call_records.h"
#include "tomrik/day_night_times.h"
#include "tomrik/screens.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

constinit int (&day_night_times)[facts::storage_times_bytes] = run.day_night_times;

namespace {

constexpr int message_column = 14;
constexpr int max_drained = 512;
constexpr std::size_t max_typed_ahead = 16;

const char* const month_names[12] = {"Января "_cp, "Февраля "_cp, "Марта "_cp,    "Апреля "_cp,
                                     "Мая "_cp,    "Июня "_cp,    "Июля "_cp,     "Августа "_cp,
                                     "Сентября "_cp, "Октября "_cp, "Ноября "_cp, "Декабря "_cp};
const char* const weekday_names[7] = {"Понедельник "_cp, "Вторник "_cp, "Среда "_cp,       "Четверг "_cp,
                                      "Пятница "_cp,     "Суббота "_cp, "Воскресенье "_cp};

const char* const blank_line = "                                                       ";
const char* const cancelled_text = "                   Отмена команды                      "_cp;

// The clock and the day/night times are two-digit fields; a garbled byte
// from the device shows as the field's blank and never shifts what follows.
std::string two_digits(int value) { return fit_cell(format("%02d", value), 2); }

// ------------------------------------------------------------ what is shown

void message_lines(const char* first, const char* second, std::uint8_t first_colour = 0) {
  print_at(message_column, 20, first, first_colour ? first_colour : COLOR_BOX);
  print_at(message_column, 21, second, COLOR_BOX);
}
void blank_message_lines() { message_lines(blank_line, blank_line); }

void show_sum_wrong(const StorageExchange& exchange) {
  const char* heading = exchange.operation() == StorageOperation::read_times
                            ? "         Ошибка контрольной суммы при чтении           "_cp
                        : exchange.operation() == StorageOperation::write_times
                            ? "          Ошибка контрольной суммы при записи          "_cp
                            : "               Ошибка контрольной суммы                "_cp;
  print_at(message_column, 20, heading, COLOR_ALERT);
  print_at(message_column, 21, " Ожидаемая контр. сумма:     Принятая контр. сумма:    "_cp, COLOR_BOX);
  print_at(38, 21, format("%2X", exchange.expected_sum() & 0xFF), COLOR_BOX);
  print_at(66, 21, format("%2X", exchange.received_sum() & 0xFF), COLOR_BOX);
}

void show_clock(const char* heading, const StorageClock& c) {
  print_at(message_column, 20, heading, COLOR_BOX);
  print_at(message_column, 21, blank_line, COLOR_BOX);
  print_at(16, 21, two_digits(c[4]) + ":" + two_digits(c[5]) + ":" + two_digits(c[6]), COLOR_BOX);
  goto_xy(32, 21);
  set_colour(COLOR_BOX);
  put_text(fit_cell(format("%2d", c[3]), 2) + " ");
  if (c[2] >= 1 && c[2] <= 12) put_text(month_names[c[2] - 1]);
  put_text(format("%4d Года.     "_cp, 2000 + c[0]));
  if (c[1] >= 1 && c[1] <= 7) print_at(58, 21, weekday_names[c[1] - 1], COLOR_BOX);
  set_colour(COLOR_SCREEN);
}

void show_link_up() {
  print_at(1, 1, std::string(19, ' '), COLOR_BOX);
  print_at(20, 1, "Связь компьютера с устройством установлена"_cp, COLOR_BOX);
  print_at(62, 1, std::string(19, ' '), COLOR_BOX);
}

// ------------------------------------------------------------ the screen

// A key read while an operation was under way, kept for when it has ended.
struct TypedKey {
  int k;
  int scan;
};

enum class InputMode { menu, yes_no, times };

struct StorageScreen {
  StorageExchange exchange;
  DownloadedCalls file;
  InputMode mode = InputMode::menu;
  int selected = 0;
  StorageOperation asked = StorageOperation::read_calls;  // what a Y answer starts
  int edit_column = 0, edit_row = 0;
  bool times_shown = false;  // the day/night box is on the screen
  bool leave = false;
  std::deque<TypedKey> typed_ahead;

  // The day/night times' box; the field being edited is highlighted.
  int field_column() const { return edit_column == 0 ? 53 : 56; }
  int field_row() const { return 4 + edit_row; }
  int& field_value() { return day_night_times[edit_row * 2 + edit_column]; }
  void paint_field(std::uint8_t colour) {
    print_at(field_column(), field_row(), two_digits(field_value()), colour);
    goto_xy(field_column(), field_row());
  }
  void show_times() {
    times_shown = true;
    draw_box(18, 3, 42, 2);
    const char* const captions[2] = {" Время включения ночного режима  "_cp, " Время отключения ночного режима "_cp};
    for (int row = 0; row < 2; ++row) {
      const int* time = day_night_times + 2 * row;
      print_at(20, 4 + row, captions[row] + two_digits(time[0]) + ":" + two_digits(time[1]), COLOR_BOX);
    }
    if (mode == InputMode::times) paint_field(COLOR_SELECT);
  }

  // What the device's last byte brought.
  void show(StorageNews news) {
    switch (news) {
      case StorageNews::none: break;
      case StorageNews::download_started:
        file.learn_file();
        message_lines(" Процесс чтения информации о соединениях из устройства "_cp,
                      "            Текущая читаемая запись:                   "_cp);
        break;
      case StorageNews::call_received:
        file.add(downloaded_call_record(exchange.call(), exchange.call_length()));
        print_at(54, 21, format("%4d", exchange.calls()), COLOR_BOX);
        break;
      case StorageNews::download_finished:
        message_lines("       Чтение информации о соединениях завершено       "_cp, "", COLOR_SELECT);
        print_at(message_column, 21,
                 format("         Колличество прочитаных записей: %4d       "_cp, exchange.calls()), COLOR_BOX);
        break;
      case StorageNews::store_cleared:
        message_lines("           Информация о соединениях очищена            "_cp, blank_line);
        break;
      case StorageNews::clock_read:
        show_clock("               Текущее время устройства                "_cp, exchange.clock());
        break;
      case StorageNews::clock_set:
        show_clock("    Запись текущего времени в устройство завершено     "_cp, exchange.clock());
        break;
      case StorageNews::times_read:
        for (int i = 0; i < facts::storage_times_bytes; ++i) day_night_times[i] = exchange.times()[i];
        show_times();
        break;
      case StorageNews::sum_wrong: show_sum_wrong(exchange); break;
    }
  }

  void start_writing_times() {
    StorageTimes times;
    for (int i = 0; i < facts::storage_times_bytes; ++i) times[i] = static_cast<std::uint8_t>(day_night_times[i]);
    exchange.start(StorageOperation::write_times, times);
  }

  void end_editing(bool write) {
    if (times_shown) paint_field(COLOR_BOX);
    hint_storage_menu();
    draw_item(selected, COLOR_SELECT);
    mode = InputMode::menu;
    if (write) start_writing_times();
  }

  // The menu: each entry's text and what Enter on it starts.
  struct MenuEntry {
    const char* text;
    void (StorageScreen::*action)();
  };
  static const MenuEntry menu[8];
  static void draw_item(int i, std::uint8_t colour) { print_at(13, 9 + i, menu[i].text, colour); }

  void ask(StorageOperation operation, const char* first, const char* second) {
    message_lines(first, second);
    asked = operation;
    mode = InputMode::yes_no;
  }
  void ask_download() {
    ask(StorageOperation::read_calls, "      Вы уверены в необходимости чтения информации     "_cp,
        "           о соединениях из устройства?   Y/N          "_cp);
  }
  void ask_clearing() {
    ask(StorageOperation::clear_calls, "     Вы уверены в необходимости очистки информации     "_cp,
        "           о соединениях в устройстве?   Y/N           "_cp);
  }
  void read_clock() { exchange.start(StorageOperation::read_clock); }
  void set_clock() { exchange.start(StorageOperation::set_clock); }
  void read_times() { exchange.start(StorageOperation::read_times); }
  void edit_times() {
    exchange.start(StorageOperation::read_times);
    mode = InputMode::times;
    hint_storage_fields();
  }
  void leave_screen() { leave = true; }

  void menu_key(int k, int scan) {
    if (k == key::extended && (scan == key::down || scan == key::up)) {
      draw_item(selected, COLOR_BOX);
      selected = scan == key::down ? (selected + 1) % 8 : (selected + 7) % 8;
      draw_item(selected, COLOR_SELECT);
    } else if (k == key::esc) {
      leave = true;
    } else if (k != key::enter) {
      blank_message_lines();
    } else {
      (this->*menu[selected].action)();
    }
  }

  void answer_key(int k) {
    if (key::is_yes(k))
      exchange.start(asked);
    else
      message_lines(cancelled_text, blank_line);
    mode = InputMode::menu;
  }

  void times_key(int k, int scan) {
    if (k == key::extended) {
      if (scan == key::up || scan == key::down || scan == key::left || scan == key::right) {
        show_times();
        paint_field(COLOR_BOX);
        if (scan == key::up || scan == key::down)
          edit_row ^= 1;
        else
          edit_column ^= 1;
        paint_field(COLOR_SELECT);
        return;
      }
    } else if (k == key::space) {
      int& v = field_value();
      int top = edit_column == 0 ? 23 : 59;
      v = v >= 0 && v < top ? v + 1 : 0;
      paint_field(COLOR_SELECT);
      return;
    } else if (k == key::enter || k == key::esc) {
      end_editing(k == key::enter);
      return;
    }
    blank_message_lines();
    end_editing(false);
  }

  void handle_key(int k, int scan) {
    if (mode == InputMode::yes_no)
      answer_key(k);
    else if (mode == InputMode::times)
      times_key(k, scan);
    else
      menu_key(k, scan);
  }

  // Esc while an operation is under way ends it; records already appended
  // stay. Other keys wait for its end.
  void take_key() {
    int k = read_key();
    int scan = k == key::extended ? read_key() : -1;
    if (exchange.idle()) {
      handle_key(k, scan);
    } else if (k == key::esc) {
      typed_ahead.clear();
      exchange.cancel();
      message_lines(cancelled_text, blank_line);
      if (mode == InputMode::times) end_editing(false);
    } else if (typed_ahead.size() < max_typed_ahead) {
      typed_ahead.push_back({k, scan});
    }
  }

  void take_typed_ahead() {
    TypedKey t = typed_ahead.front();
    typed_ahead.pop_front();
    handle_key(t.k, t.scan);
  }
};

const StorageScreen::MenuEntry StorageScreen::menu[8] = {
    {"    Чтение информации о соединениях из устройства       "_cp, &StorageScreen::ask_download},
    {"    Обнуление информации о соединениях в устройстве     "_cp, &StorageScreen::ask_clearing},
    {"    Чтение текущего времени из устройства               "_cp, &StorageScreen::read_clock},
    {"    Запись текущего времени в устройство                "_cp, &StorageScreen::set_clock},
    {"    Чтение времени переключения режимов День/Ночь       "_cp, &StorageScreen::read_times},
    {"    Запись времени переключения режимов День/Ночь       "_cp, &StorageScreen::start_writing_times},
    {"    Установить времея переключения режимов День/Ночь    "_cp, &StorageScreen::edit_times},
    {"    Выход в главное меню                                "_cp, &StorageScreen::leave_screen},
};

// A read that failed at once (a port whose far end hung up) takes as long
// as one that waited for a silent line, so the loop never spins.
void wait_out_read(std::uint64_t asked) {
  std::uint64_t spent = platform::now_ms() - asked;
  std::uint64_t timeout = static_cast<std::uint64_t>(link_dialect().read_timeout_ms);
  if (spent < timeout) wait_ms(static_cast<int>(timeout - spent));
}

}  // namespace

void storage_device_screen() {
  clear_screen();
  if (!station_screen_allowed(ScreenNeeds::station)) return;
  StorageScreen s;
  draw_box(11, 8, 58, 8);
  draw_box(11, 19, 58, 2);
  for (int i = 0; i < 8; ++i) StorageScreen::draw_item(i, i == 0 ? COLOR_SELECT : COLOR_BOX);
  hint_storage_menu();
  if (!s.file.open()) {
    print_at(message_column, 20, "Ошибка открытия файла тарификации."_cp, COLOR_ALERT);
    read_key();
    set_colour(COLOR_SCREEN);
    return;
  }
  // Whatever the line holds is thrown away, up to the first silence. A
  // device in step sends one byte and waits, so that takes a byte or two; a
  // line that never falls silent is given up on after a few hundred.
  int r = 0;
  for (int drained = 0; drained < max_drained && link_get_byte(r) == link_ok; ++drained) {
  }
  bool link_up = false;  // a byte has come since the last time-out
  while (!s.leave) {
    if (s.exchange.idle() && !s.typed_ahead.empty()) {
      s.take_typed_ahead();
      continue;
    }
    if (key_waiting()) {
      s.take_key();
      continue;
    }
    std::uint64_t asked = platform::now_ms();
    if (link_get_byte(r) != link_ok) {
      wait_out_read(asked);
      link_up = false;
      continue;
    }
    if (!link_up) show_link_up();
    link_up = true;
    StorageStep step = s.exchange.take(r);
    s.show(step.news);
    link_put_byte(step.answer);
  }
  set_colour(COLOR_SCREEN);
}
