// The screens of the station link: the error box, the note of a station
// gone quiet, the port set-up and the console the exchange shows them
// through.
#include "link/link_screens.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "facts/station_facts.h"
#include "link/link.h"
#include "link/link_connect.h"
#include "link/link_dialect.h"
#include "platform/cp866.h"
#include "platform/platform.h"
#include "toolkit/screen.h"

namespace {

std::string centred(std::string_view text, int width) {
  std::string line(text.substr(0, width));
  int left = (width - static_cast<int>(line.size())) / 2;
  line.insert(0, left, ' ');
  line.resize(width, ' ');
  return line;
}

const char* error_message(int code) {
  switch (code) {
    case link_no_answer: return "Нет ответа от внешнего устройства."_cp;
    case link_no_sync: return "Не установлена синхронизация."_cp;
    case link_not_acknowledged: return "Неверное подтверждение."_cp;
    case link_check_mismatch: return "Не совпала контрольная сумма."_cp;
    case link_not_connected: return "Не выбран порт обмена"_cp;
    case link_port_busy: return "COM-порт занят другим приложением"_cp;
    case link_system_error: return "Ошибка системы"_cp;
    case link_wrong_answer: return link_dialect().wrong_answer_message ? "Неверный ответ устройства"_cp : nullptr;
    case link_interrupted: return "Прерывание цикла обмена"_cp;
    default: return nullptr;
  }
}

// The port choice window.
// karvel's rows first; tomrik's box is lower and shorter.
struct PortWindow {
  int top() const { return karvel_rows() ? 9 : 10; }
  static bool karvel_rows() { return link_dialect().memory_window; }
  int title_row() const { return karvel_rows() ? 11 : 12; }
  int port_row() const { return karvel_rows() ? 13 : 14; }
  int keys_row() const { return karvel_rows() ? 17 : 16; }
  int box_height() const { return karvel_rows() ? 10 : 7; }

  void draw() const {
    draw_box(10, top(), 60, box_height());
    print_at(20, title_row(), "*****   Инициализация COM порта   *****"_cp, COLOR_BOX);
    print_at(20, port_row(), "  Порт:           "_cp, COLOR_BOX);
    paint_port(0);
    paint_port(1);
    print_at(12, keys_row(), "Стрелки"_cp, COLOR_SELECT);
    print_at(19, keys_row(), " - Выбор порта    "_cp, COLOR_BOX);
    print_at(42, keys_row(), "ENTER", COLOR_SELECT);
    print_at(48, keys_row(), " - Инициализация порта"_cp, COLOR_BOX);
  }
  void paint_port(int index) const {
    print_at(index == 0 ? 28 : 38, port_row(), index == 0 ? "COM1" : "COM2",
             index == link_state.port_index ? COLOR_SELECT : COLOR_BOX);
  }
  void close() const { erase_box(10, top(), 60, box_height()); }

  // The user's choice: true for Enter, false for Esc.
  bool choose() const {
    for (;;) {
      int k = read_key();
      if (k == key::esc) return false;
      if (k == key::enter) return true;
      if (k != key::extended) continue;
      int scan = read_key();
      if (scan == key::up || scan == key::down || scan == key::left || scan == key::right) {
        int old = link_state.port_index;
        link_state.port_index = 1 - old;
        paint_port(old);
        paint_port(link_state.port_index);
      }
    }
  }
};

// How the speed search's tries are shown: on row 25 in the port window.
void show_attempt(int attempt, int speed_index) {
  char line[64];
  std::snprintf(line, sizeof line, "Попытка связаться: %2d   Скорость: "_cp, attempt);
  goto_xy(1, 25);
  put_text(line);
  put_text(facts::karvel_speed_names[speed_index & 3]);
}

// The karvel speed search: true once the station answered the line test and
// a block read at one of the four speeds.
bool find_speed(LinkAttemptShown shown) {
  link_state.speed_index = 0;
  int answers = 0;
  for (int attempt = 1; attempt <= 12; ++attempt) {
    if (link_open_port() != link_ok) return false;
    link_rts_on();
    int echo = 0;
    bool answered = link_put_byte(facts::karvel_line_test) == link_ok && link_get_byte(echo) == link_ok;
    if (answered) ++answers;
    if (shown) shown(attempt, link_state.speed_index);
    if (answered && echo == facts::karvel_line_test &&
        link_probe_block(facts::karvel_identity_address, facts::karvel_identity_size) == link_ok) {
      link_rts_off();
      return true;
    }
    link_state.speed_index = (link_state.speed_index + 1) % facts::karvel_speed_count;
    link_rts_off();
    wait_ms(1400);
  }
  link_error_box(answers == 0 ? link_no_answer : link_no_sync);
  return false;
}

void show_connected_box() {
  draw_box(15, 10, 50, 4);
  const char* lines[4] = {"", "Связь с устройством установлена"_cp, "Для продолжения нажмите любую клавишу"_cp, ""};
  for (int i = 0; i < 4; ++i) print_at(17, 11 + i, centred(lines[i], 48), COLOR_DONE);
  read_key();
}

// A read at connection is tried like a unit of a transfer: up to four
// reads, taken when two in a row agree; the boxes of the tries are not
// shown, the caller says what a failure means. True with the block in
// link_buffer.
bool read_block_for_connection(int address, int count) {
  LinkBoxesHeld quiet;
  AlikeReads reads;
  for (int tries = 0; tries < 4; ++tries)
    if (reads.agree(link_read_block(address, count) == link_ok, link_buffer, count)) return true;
  return false;
}

// The identity and first_line_port size and place every editor: without
// them there is no connection. Access codes that cannot be read leave the
// connection standing with the codes unknown: every protected edit is
// refused until a later connection reads them.
LinkFound connect_karvel(LinkAttemptShown shown) {
  if (!find_speed(shown)) return LinkFound::nothing;
  link_rts_on();
  wait_ms(500);
  link_state.station_connected = 1;
  link_state.file_mode = 0;
  auto fail = [] {
    link_state.station_connected = 0;
    link_error_box(link_wrong_answer);
    return LinkFound::no_identity;
  };
  if (!read_block_for_connection(facts::karvel_identity_address, facts::karvel_identity_size)) return fail();
  std::uint8_t identity[facts::karvel_identity_size];
  for (int i = 0; i < facts::karvel_identity_size; ++i) identity[i] = static_cast<std::uint8_t>(link_buffer[i]);
  link_take_karvel_identity(identity);
  if (!read_block_for_connection(facts::karvel_first_line_port_address, 1)) return fail();
  link_state.first_line_port = link_buffer[0];
  // The codes are read with the two bytes after them, as one block of 16.
  link_state.access_codes_known = read_block_for_connection(facts::karvel_access_codes_address, 16);
  for (int k = 1; k <= facts::karvel_access_code_count; ++k)
    link_state.access_code_table[k] =
        link_state.access_codes_known ? link_buffer[2 * (k - 1)] * 256 + link_buffer[2 * (k - 1) + 1] : 0;
  return LinkFound::station;
}

LinkFound connect_tomrik() {
  if (link_open_port() != link_ok) return LinkFound::nothing;
  link_rts_on();
  // Up to four reads, taken when two in a row agree.
  int record[256] = {};
  LinkResult result = link_no_answer;
  AlikeReads reads;
  bool agreed = false;
  for (int attempt = 1; attempt <= 4 && !agreed; ++attempt) {
    result = link_read_record(record, facts::tomrik_identity_group, facts::tomrik_identity_index);
    wait_ms(50);
    agreed = reads.agree(result == link_ok, record, 1 + record[0]);
  }
  if (!agreed) {
    // Reads that came but never agreed: the station's check byte was no
    // proof.
    if (result == link_ok) result = link_check_mismatch;
    link_state.station_connected = 0;
    link_error_box(result);
    return LinkFound::nothing;
  }
  link_state.station_connected = 1;
  // A record shorter than the identity leaves the rest of it zero.
  std::uint8_t identity[facts::tomrik_identity_size];
  for (int i = 0; i < facts::tomrik_identity_size; ++i)
    identity[i] = static_cast<std::uint8_t>(record[0] > i ? record[1 + i] : 0);
  link_take_tomrik_identity(identity);
  return LinkFound::station;
}

// Where link_error_box goes instead of the screen, while set.
LinkBoxSink box_sink = nullptr;

}  // namespace

LinkFound link_find_station(LinkAttemptShown shown) {
  return link_dialect().memory_window ? connect_karvel(shown) : connect_tomrik();
}

void link_send_boxes_to(LinkBoxSink sink) { box_sink = sink; }

void link_error_box(int code) { link_error_box(code, {}); }

const LinkConsole& link_screen_console() {
  static constexpr LinkConsole console = {
      key_waiting,
      [] { return read_key(); },
      put_text,
      [](int code, std::string_view note) { link_error_box(code, note); },
  };
  return console;
}

LinkSilenceNote::LinkSilenceNote() : outer_(link_use_watch(this)), started_at_(platform::now_ms()) {}
LinkSilenceNote::~LinkSilenceNote() { link_use_watch(outer_); }

void LinkSilenceNote::look() {
  std::uint64_t heard = std::max(link_state.answered_at, started_at_);
  if (platform::now_ms() - heard < static_cast<std::uint64_t>(quiet_ms)) {
    note_.remove();
  } else if (!note_.shown()) {
    note_.show("Нет ответа от станции"_cp, COLOR_SCREEN);
  }
}

void link_error_box(int code, std::string_view note) {
  if (box_sink) return box_sink(code, note);
  const LinkDialect& d = link_dialect();
  BottomNote reason;
  if (!note.empty()) reason.show(note, COLOR_SCREEN);
  const char* message = error_message(code);
  std::uint8_t message_colour = code == link_interrupted ? COLOR_SELECT : COLOR_ALERT;
  draw_box(15, 10, 50, 4);
  if (d.message_blank_rows) {
    print_at(d.message_column, 11, std::string(d.message_width, ' '), COLOR_ALERT);
    print_at(d.message_column, 14, std::string(d.message_width, ' '), COLOR_ALERT);
  }
  print_at(d.message_column, 12, centred("Ошибка обмена по последовательному каналу!"_cp, d.message_width), COLOR_ALERT);
  if (message) print_at(d.message_column, 13, centred(message, d.message_width), message_colour);
  read_key();
  erase_box(15, 10, 50, 4);
}

void link_connect() {
  link_state.port_index = 0;
  link_state.station_connected = 0;
  if (PortWindow::karvel_rows()) link_state.file_mode = 0;
  PortWindow window{};
  window.draw();
  if (!window.choose()) {
    window.close();
    return;
  }
  // A karvel station found says so in a box. The window stays while no
  // station answered, under the box that said so.
  LinkFound found = link_find_station(show_attempt);
  if (link_dialect().memory_window && found == LinkFound::station) show_connected_box();
  if (found != LinkFound::nothing) window.close();
}
