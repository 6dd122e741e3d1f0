// Work with the storage device: the station's store of call records and its
// clock. The device drives this exchange: every byte it sends is answered
// with exactly one byte, 0x80 while there is nothing to do, otherwise the
// next byte of the operation under way. Frames are checked with a plain sum
// modulo 256.
#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <deque>
#include <set>
#include <string>

#include "facts/station_facts.h"
#include "link/link.h"
#include "link/link_dialect.h"
#include "link/link_screens.h"
#include "platform/calendar.h"
#include "platform/cp866.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "settings/run_state.h"
#include "tomrik/call_records.h"
#include "tomrik/day_night_times.h"
#include "tomrik/screens.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

constinit int (&day_night_times)[facts::storage_times_bytes] = run.day_night_times;

namespace {

// The clock and the day/night times are two-digit fields; a garbled byte
// from the device shows as the field's blank and never shifts what follows.
std::string two_digits(int value) { return fit_cell(format("%02d", value), 2); }

constexpr int idle_answer = facts::storage_idle_answer;
constexpr int ack = facts::ack;
constexpr int cmd_read = facts::storage_read_calls, cmd_clear = facts::storage_clear_calls;
constexpr int cmd_clock_read = facts::storage_read_clock, cmd_clock_write = facts::storage_set_clock;
constexpr int cmd_times_read = facts::storage_read_times, cmd_times_write = facts::storage_write_times;
constexpr int clock_bytes = facts::storage_clock_bytes, times_bytes = facts::storage_times_bytes;
constexpr int message_column = 14;
constexpr int max_drained = 512;
constexpr std::size_t max_typed_ahead = 16;

enum class State {
  idle,
  read_start, read_length, read_data, read_check,
  clear_start, clear_confirm,
  clock_read_start, clock_read_data, clock_read_check,
  clock_write_start, clock_write_data, clock_write_check,
  times_read_start, times_read_data, times_read_check,
  times_write_start, times_write_data, times_write_check,
};

const char* const menu_items[8] = {
    "    Чтение информации о соединениях из устройства       "_cp,
    "    Обнуление информации о соединениях в устройстве     "_cp,
    "    Чтение текущего времени из устройства               "_cp,
    "    Запись текущего времени в устройство                "_cp,
    "    Чтение времени переключения режимов День/Ночь       "_cp,
    "    Запись времени переключения режимов День/Ночь       "_cp,
    "    Установить времея переключения режимов День/Ночь    "_cp,
    "    Выход в главное меню                                "_cp,
};

const char* const month_names[12] = {"Января "_cp, "Февраля "_cp, "Марта "_cp,    "Апреля "_cp,
                                     "Мая "_cp,    "Июня "_cp,    "Июля "_cp,     "Августа "_cp,
                                     "Сентября "_cp, "Октября "_cp, "Ноября "_cp, "Декабря "_cp};
const char* const weekday_names[7] = {"Понедельник "_cp, "Вторник "_cp, "Среда "_cp,       "Четверг "_cp,
                                      "Пятница "_cp,     "Суббота "_cp, "Воскресенье "_cp};

const char* const blank_line = "                                                       ";
const char* const checksum_heading = "               Ошибка контрольной суммы                "_cp;
const char* const cancelled_text = "                   Отмена команды                      "_cp;

using FileRecord = std::array<std::uint8_t, call_record_size>;

// A key read while an operation was under way, kept for when it has ended.
struct TypedKey {
  int k;
  int scan;
};

struct Storage {
  State state = State::idle;
  int mode = 0;  // 0 menu, 1 waiting for Y/N, 2 editing the day/night times
  int selected = 0;
  int asked = 0;  // the item a Y/N answer is for
  int edit_column = 0, edit_row = 0;
  int sum = 0, left = 0, index = 0, records = 0;
  bool link_flag = false;
  bool leave = false;
  bool times_shown = false;  // the day/night box is on the screen
  std::uint8_t record[call_record_size] = {};
  std::uint8_t clock[clock_bytes] = {};
  std::uint8_t times[times_bytes] = {};
  std::FILE* file = nullptr;
  // The records "tarif.dat" holds, so that a download repeated after a
  // failed one does not append the same calls again. Read at the first
  // download of a visit.
  std::set<FileRecord> in_file;
  bool in_file_known = false;
  std::deque<TypedKey> typed_ahead;

  void lines(const char* first, const char* second, std::uint8_t first_colour = 0) {
    print_at(message_column, 20, first, first_colour ? first_colour : COLOR_BOX);
    print_at(message_column, 21, second, COLOR_BOX);
  }
  void blank_lines() { lines(blank_line, blank_line); }

  void draw_item(int i, std::uint8_t colour) { print_at(13, 9 + i, menu_items[i], colour); }

  void checksum_error(const char* heading, int received) {
    print_at(message_column, 20, heading, COLOR_ALERT);
    print_at(message_column, 21, " Ожидаемая контр. сумма:     Принятая контр. сумма:    "_cp, COLOR_BOX);
    print_at(38, 21, format("%2X", sum & 0xFF), COLOR_BOX);
    print_at(66, 21, format("%2X", received & 0xFF), COLOR_BOX);
  }

  void show_clock(const std::uint8_t* c) {
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

  // The clock record from the computer's local time. The device counts the
  // days of the week 1 (Monday) .. 7 (Sunday), as its display names them.
  void clock_from_local_time() {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    t = platform::local_time(now);
    clock[0] = static_cast<std::uint8_t>(t.tm_year - 100);
    clock[1] = static_cast<std::uint8_t>(t.tm_wday == 0 ? 7 : t.tm_wday);
    clock[2] = static_cast<std::uint8_t>(t.tm_mon + 1);
    clock[3] = static_cast<std::uint8_t>(t.tm_mday);
    clock[4] = static_cast<std::uint8_t>(t.tm_hour);
    clock[5] = static_cast<std::uint8_t>(t.tm_min);
    clock[6] = static_cast<std::uint8_t>(t.tm_sec);
  }

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
    print_at(20, 4, " Время включения ночного режима  "_cp + two_digits(day_night_times[0]) + ":" +
                        two_digits(day_night_times[1]) + " ",
             COLOR_BOX);
    print_at(20, 5, " Время отключения ночного режима "_cp + two_digits(day_night_times[2]) + ":" +
                        two_digits(day_night_times[3]),
             COLOR_BOX);
    if (mode == 2) paint_field(COLOR_SELECT);
  }

  // The duration replaces the end time: end minus start, borrowing across
  // the minute, the hour and midnight.
  void end_time_to_duration() {
    int seconds = record[10] - record[7], borrow = 0;
    if (seconds < 0) seconds += 60, borrow = 1;
    int minutes = record[9] - record[6] - borrow;
    borrow = 0;
    if (minutes < 0) minutes += 60, borrow = 1;
    int hours = record[8] - record[5] - borrow;
    if (hours < 0) hours += 24;
    record[8] = static_cast<std::uint8_t>(hours);
    record[9] = static_cast<std::uint8_t>(minutes);
    record[10] = static_cast<std::uint8_t>(seconds);
  }

  void begin_frame(State next, int bytes) {
    state = next;
    left = bytes;
    sum = 0;
    index = 0;
  }

  // One byte of a frame the device sends, acknowledged; `check` follows
  // the last one.
  int take_byte(std::uint8_t* into, int r, State check) {
    into[index++] = static_cast<std::uint8_t>(r);
    sum = (sum + r) & 0xFF;
    if (--left == 0) state = check;
    return ack;
  }
  // One byte of a frame the program sends, in answer to any byte.
  int give_byte(const std::uint8_t* from, State check) {
    int b = from[index++];
    sum = (sum + b) & 0xFF;
    if (--left == 0) state = check;
    return b;
  }

  // The answer to the byte R in the present state.
  int act(int r) {
    switch (state) {
      case State::idle:
        return idle_answer;

      case State::read_start:
        learn_file_records();
        lines(" Процесс чтения информации о соединениях из устройства "_cp,
              "            Текущая читаемая запись:                   "_cp);
        records = 0;
        state = State::read_length;
        return cmd_read;
      case State::read_length:
        if (r == 0) {
          lines("       Чтение информации о соединениях завершено       "_cp, "", COLOR_SELECT);
          print_at(message_column, 21, format("         Колличество прочитаных записей: %4d       "_cp, records),
                   COLOR_BOX);
          state = State::idle;
          return 0x00;
        }
        // A record shorter than the file's 32 bytes keeps zeros in the rest;
        // a longer one is read to its end but only 32 bytes are kept.
        for (auto& b : record) b = 0;
        begin_frame(State::read_data, r);
        sum = r;
        ++records;
        return ack;
      case State::read_data:
        if (index < call_record_size) record[index] = static_cast<std::uint8_t>(r);
        sum = (sum + r) & 0xFF;
        ++index;
        if (--left == 0) state = State::read_check;
        return ack;
      case State::read_check:
        if (r != sum) {
          checksum_error(checksum_heading, r);
          state = State::idle;
          return idle_answer;
        }
        end_time_to_duration();
        append_once();
        print_at(54, 21, format("%4d", records), COLOR_BOX);
        state = State::read_length;
        return sum;

      case State::clear_start:
        state = State::clear_confirm;
        return cmd_clear;
      case State::clear_confirm:
        lines("           Информация о соединениях очищена            "_cp, blank_line);
        state = State::idle;
        return ack;

      case State::clock_read_start:
        begin_frame(State::clock_read_data, clock_bytes);
        return cmd_clock_read;
      case State::clock_read_data:
        return take_byte(clock, r, State::clock_read_check);
      case State::clock_read_check:
        state = State::idle;
        if (r != sum) {
          checksum_error(checksum_heading, r);
          return idle_answer;
        }
        print_at(message_column, 20, "               Текущее время устройства                "_cp, COLOR_BOX);
        show_clock(clock);
        return sum;

      case State::clock_write_start:
        clock_from_local_time();
        begin_frame(State::clock_write_data, clock_bytes);
        return cmd_clock_write;
      case State::clock_write_data:
        return give_byte(clock, State::clock_write_check);
      case State::clock_write_check:
        state = State::idle;
        if (r != sum) {
          checksum_error(checksum_heading, r);
          return idle_answer;
        }
        print_at(message_column, 20, "    Запись текущего времени в устройство завершено     "_cp, COLOR_BOX);
        show_clock(clock);
        return sum;

      case State::times_read_start:
        begin_frame(State::times_read_data, times_bytes);
        return cmd_times_read;
      case State::times_read_data:
        return take_byte(times, r, State::times_read_check);
      case State::times_read_check:
        state = State::idle;
        if (r != sum) {
          checksum_error("         Ошибка контрольной суммы при чтении           "_cp, r);
          return idle_answer;
        }
        for (int i = 0; i < times_bytes; ++i) day_night_times[i] = times[i];
        show_times();
        return sum;

      case State::times_write_start:
        for (int i = 0; i < times_bytes; ++i) times[i] = static_cast<std::uint8_t>(day_night_times[i]);
        begin_frame(State::times_write_data, times_bytes);
        return cmd_times_write;
      case State::times_write_data:
        return give_byte(times, State::times_write_check);
      case State::times_write_check:
        if (r != sum) {
          checksum_error("          Ошибка контрольной суммы при записи          "_cp, r);
          state = State::idle;
          return idle_answer;
        }
        // The times are read back, so the screen shows what the device holds.
        state = State::times_read_start;
        return sum;
    }
    return idle_answer;
  }

  // Whole records only: a cut-off tail matches nothing.
  void learn_file_records() {
    if (in_file_known) return;
    in_file_known = true;
    std::FILE* f = platform::open_regular_file("tarif.dat", "rb");
    if (!f) return;
    FileRecord r;
    while (std::fread(r.data(), 1, r.size(), f) == r.size()) in_file.insert(r);
    std::fclose(f);
  }

  void append_once() {
    FileRecord r;
    std::copy(record, record + call_record_size, r.begin());
    if (!file || !in_file.insert(r).second) return;
    std::fwrite(record, 1, call_record_size, file);
    std::fflush(file);
  }

  void end_editing(bool write) {
    if (times_shown) paint_field(COLOR_BOX);
    hint_storage_menu();
    draw_item(selected, COLOR_SELECT);
    mode = 0;
    if (write) state = State::times_write_start;
  }

  void menu_key(int k, int scan) {
    if (k == key::extended && (scan == key::down || scan == key::up)) {
      draw_item(selected, COLOR_BOX);
      selected = scan == key::down ? (selected + 1) % 8 : (selected + 7) % 8;
      draw_item(selected, COLOR_SELECT);
      return;
    }
    if (k == key::esc) {
      leave = true;
      return;
    }
    if (k != key::enter) {
      blank_lines();
      return;
    }
    switch (selected) {
      case 0:
        lines("      Вы уверены в необходимости чтения информации     "_cp,
              "           о соединениях из устройства?   Y/N          "_cp);
        asked = 0;
        mode = 1;
        break;
      case 1:
        lines("     Вы уверены в необходимости очистки информации     "_cp,
              "           о соединениях в устройстве?   Y/N           "_cp);
        asked = 1;
        mode = 1;
        break;
      case 2: state = State::clock_read_start; break;
      case 3: state = State::clock_write_start; break;
      case 4: state = State::times_read_start; break;
      case 5: state = State::times_write_start; break;
      case 6:
        state = State::times_read_start;
        mode = 2;
        hint_storage_fields();
        break;
      default: leave = true; break;
    }
  }

  void answer_key(int k) {
    if (key::is_yes(k)) {
      state = asked == 0 ? State::read_start : State::clear_start;
    } else {
      lines("                   Отмена команды                      "_cp, blank_line);
    }
    mode = 0;
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
    blank_lines();
    end_editing(false);
  }

  // Esc while an operation is under way ends it: from now on the device's
  // bytes get the idle answer, as when nothing is to be done. Records
  // already appended stay.
  void cancel_operation() {
    typed_ahead.clear();
    state = State::idle;
    lines(cancelled_text, blank_line);
    if (mode == 2) end_editing(false);
  }

  // The keyboard is read between any two bytes. Keys other than Esc that
  // come while an operation is under way are kept for when it has ended.
  void take_key() {
    int k = read_key();
    int scan = k == key::extended ? read_key() : -1;
    if (state == State::idle)
      handle_key(k, scan);
    else if (k == key::esc)
      cancel_operation();
    else if (typed_ahead.size() < max_typed_ahead)
      typed_ahead.push_back({k, scan});
  }

  void take_typed_ahead() {
    TypedKey t = typed_ahead.front();
    typed_ahead.pop_front();
    handle_key(t.k, t.scan);
  }

  void handle_key(int k, int scan) {
    if (mode == 1)
      answer_key(k);
    else if (mode == 2)
      times_key(k, scan);
    else
      menu_key(k, scan);
  }
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
  if (!link_state.station_connected) {
    link_error_box(link_not_connected);
    return;
  }
  Storage s;
  draw_box(11, 8, 58, 8);
  draw_box(11, 19, 58, 2);
  for (int i = 0; i < 8; ++i) s.draw_item(i, i == 0 ? COLOR_SELECT : COLOR_BOX);
  hint_storage_menu();
  s.file = platform::open_regular_file("tarif.dat", "ab");
  if (!s.file) {
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
  while (!s.leave) {
    if (s.state == State::idle && !s.typed_ahead.empty()) {
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
      s.link_flag = false;
      continue;
    }
    if (!s.link_flag) {
      s.link_flag = true;
      print_at(1, 1, std::string(19, ' '), COLOR_BOX);
      print_at(20, 1, "Связь компьютера с устройством установлена"_cp, COLOR_BOX);
      print_at(62, 1, std::string(19, ' '), COLOR_BOX);
    }
    link_put_byte(s.act(r));
  }
  std::fclose(s.file);
  set_colour(COLOR_SCREEN);
}
