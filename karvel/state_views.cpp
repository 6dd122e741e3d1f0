// Three fixed screens of live values read from the station's state memory
// until Esc: one subscriber, the SELECTOR conference and the expansion
// board.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "karvel/context_help.h"
#include "karvel/internal_ports.h"
#include "karvel/monitor.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {

constexpr int subscriber_help_topic = 200;  // the SELECTOR view shares it
constexpr int board_help_topic = 208;
const bool help_registered =
    register_help_topics("subscriber, SELECTOR and board views", {subscriber_help_topic, board_help_topic});

using monitor::StateBytes;
using monitor::buffer_bytes;

// The keys between two rounds: Esc leaves (false), F10 shows the view's
// help; any other extended key is handed to `extended`.
bool take_view_keys(int help_topic, const std::function<void(int)>& extended) {
  while (key_waiting()) {
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) return false;
    if (scan == key::f10)
      show_help(help_topic);
    else if (scan >= 0 && extended)
      extended(scan);
  }
  return true;
}

// Every view's loop: a pause, the keys, one round of values read as one
// drawing; until Esc, or Esc at the box of a round's failed read.
void run_live_view(int pause_ms, int help_topic, const std::function<void(int)>& extended,
                   const std::function<void()>& round) {
  for (;;) {
    wait_ms(pause_ms);
    if (!take_view_keys(help_topic, extended)) return;
    FieldDrawing drawing;
    round();
    if (drawing.left()) return;
  }
}

// ------------------------------------------------------------ one subscriber

void print_label(int row, const char* text) { print_at_plain(2, row, fit_cell(text, 27)); }

void draw_subscriber_labels() {
  hint_esc_top();
  hint_help_key();
  hint_port_key();
  hint_port_switch();
  print_at_plain(16, 2, "Отображение текущего состояния абонента"_cp);
  const char* const labels[7] = {"Текущее состояние абонента"_cp, "Текущий режим абонента"_cp,
                                 "Соединительный канал"_cp,       "Рабочий абонент"_cp,
                                 "Временное удержание"_cp,        "Возврат переключения"_cp,
                                 "Требование подключения"_cp};
  for (int i = 0; i < 7; ++i) print_label(4 + i, labels[i]);
  print_label(21, "Буфер очереди вызовов"_cp);
  print_label(22, "Буфер удержаний"_cp);
}

constexpr int handset_lifted_from = facts::karvel_port_code::off_hook_from;

// A byte that names a channel or a subscriber; 0 names none.
std::string number_or_none(int value) { return value ? format("%3d", value) : std::string("Нет"_cp); }

// A buffer row: four "%4d%4d" pairs, or blanks when it could not be read.
void show_buffer_row(int row, int address) {
  std::string text;
  if (monitor::read_live(address, 8))
    for (int i = 0; i < 8; i += 2) text += format("%4d%4d", link_buffer[i] & 0xFF, link_buffer[i + 1] & 0xFF);
  else
    text.assign(32, ' ');
  print_at_plain(30, row, text);
}

void show_state_block(int block) {
  if (!monitor::read_live(block, 8)) {
    print_at_plain(1, 25, std::string(16, ' '));
    print_at_plain(30, 4, std::string(16, ' '));
    print_at_plain(30, 5, std::string(monitor::state_name_width, ' '));
    for (int row = 6; row <= 10; ++row) print_at_plain(30, row, "   ");
    return;
  }
  StateBytes state = buffer_bytes();
  print_at_plain(1, 25, format("STAT=%2X, RGFL=%2X", state[0], state[1]));
  print_at_plain(30, 4, state[2] >= handset_lifted_from ? "Трубка снята    "_cp : "Трубка положена "_cp);
  print_at_plain(30, 5, monitor::port_state_name(state[2]));
  for (int i = 3; i <= 7; ++i) print_at_plain(30, 3 + i, number_or_none(state[i]));
}

// Reads and prints one round of the port's values, blanks for what could
// not be read.
void show_subscriber(int port) {
  const int block = monitor::state_block(port);
  show_state_block(block);
  show_buffer_row(21, block + facts::karvel_port_queue_offset);
  show_buffer_row(22, block + facts::karvel_port_hold_offset);
  print_at_plain(58, 2, format("%2d", port));
}

// ------------------------------------------------------------ SELECTOR

void draw_selector_labels() {
  hint_esc_top();
  hint_help_key();
  print_at_plain(16, 4, "Отображение работы режима СЕЛЕКТОР"_cp);
  print_at_plain(1, 6, "Ведущий режима СЕЛЕКТОР:"_cp);
  print_at_plain(1, 7, "Номер канала:"_cp);
  print_at_plain(1, 8, "Зарегистрированные абоненты:"_cp);
  print_at_plain(16, 14, "  Подключенные к каналу абоненты  "_cp);
  print_at_plain(1, 16, "Канал:"_cp);
}

constexpr int registered_line_base = 128;  // a line in the registration list is 128 + its number

// A subscriber of the SELECTOR lists: a port as "A05", a city line as " L2"
// (its number counted from `line_base`), blanks for 0. A value that names
// neither a port nor a line of this station shows as "  ?", never as a
// number that is not there.
std::string selector_member(int value, int line_base) {
  if (value == 0) return "   ";
  if (value <= link_state.port_count) return format("A%02d", value);
  int line = value - line_base;
  if (line >= 1 && line <= link_state.city_line_count && line <= 9) return format(" L%d", line);
  return "  ?";
}

// The channel of the conference as the station names it: it is read only
// when it is one of the station's channels.
bool selector_channel_known(int channel) { return channel >= 1 && channel <= link_state.channel_row_count; }

// The bytes of a block, or zeros, which the view shows as blanks, when it
// could not be read.
StateBytes live_bytes(int address, int count) { return monitor::read_live(address, count) ? buffer_bytes() : StateBytes{}; }

void show_selector() {
  StateBytes selector = live_bytes(facts::karvel_selector_block, 8);
  print_at_plain(32, 6, selector[0] ? format("A%02d", selector[0]) : "   ");
  const int channel = selector[1];
  print_at_plain(32, 7, channel ? format("%3d", channel) : "   ");
  for (int i = 0; i < 6; ++i) print_at_plain(32 + 6 * i, 8, selector_member(selector[2 + i], registered_line_base));
  StateBytes connected{};
  if (selector_channel_known(channel))
    connected = live_bytes(facts::karvel_selector_channels + facts::karvel_block_size * channel,
                           facts::karvel_selector_channel_size);
  for (int i = 0; i < 8; ++i) print_at_plain(8 + 6 * i, 16, selector_member(connected[i], link_state.port_count));
}

// ------------------------------------------------------------ expansion board

// A value's text at its place, printed only when it differs from the text
// shown, so that the view prints everything once and then only what
// changed. A value that could not be read is blanked once and shown again
// in full when it can.
struct ShownText {
  int column, row, width;
  std::optional<std::string> shown;

  void show(const std::string& text) {
    if (shown == text) return;
    shown = text;
    print_at_plain(column, row, text);
  }
  void forget() {
    if (!shown) return;
    shown.reset();
    print_at_plain(column, row, std::string(width, ' '));
  }
  // `text` of a failed read is no value and is not shown.
  void show_if_read(bool read, const std::string& text) { read ? show(text) : forget(); }
};

void draw_board_labels() {
  hint_esc_top();
  hint_help_key();
  print_at_plain(16, 4, "Отображение работы платы расширения"_cp);
  print_at_plain(8, 6, "Состояние устройства:    "_cp);
  print_at_plain(8, 7, "Подключение входа:       "_cp);
  print_at_plain(8, 8, "Вывод LED микросхемы:    "_cp);
  print_at_plain(8, 9, "Номер рабочего абонента: "_cp);
  for (int k = 0; k < facts::karvel_board_channel_count; ++k)
    print_at_plain(1 + 25 * k, 12, format("Канал %d:"_cp, k + 1));
  print_at_plain(1, 16, "Буфер очереди:"_cp);
}

const char* const board_channel_states[5] = {"Свободен    "_cp, "Пауза       "_cp, "Воспроизвед."_cp,
                                             "Подг. записи"_cp, "Запись      "_cp};

std::string board_channel_text(int state) {
  if (state >= 0 && state < 5) return board_channel_states[state];
  return fit_cell(format("Код %3d"_cp, state), 12);
}

// The rows at column 34 that show the board's flags byte and its worker
// byte: each one value of the two, as a text of one width.
struct BoardFlagRow {
  int row;
  int width;
  std::string (*text)(int flags, int worker);
};
const BoardFlagRow board_flag_rows[4] = {
    {6, 16, [](int flags, int) -> std::string {
       return flags & facts::karvel_board_programming ? "Программирование"_cp : "Работа          "_cp;
     }},
    {7, 8, [](int flags, int) -> std::string {
       return flags & facts::karvel_board_station_input ? "Станция "_cp : "Микрофон"_cp;
     }},
    {8, 1, [](int flags, int) -> std::string { return flags & facts::karvel_board_led_off ? " " : "*"; }},
    {9, 2, [](int, int worker) { return worker ? format("%2d", worker) : std::string("  "); }},
};

// What the board view shows now.
struct BoardShown {
  std::vector<ShownText> flags, channels;  // flags by row of board_flag_rows
  ShownText queue{16, 16, 40, {}};

  BoardShown() {
    for (const BoardFlagRow& row : board_flag_rows) flags.push_back({34, row.row, row.width, {}});
    for (int k = 0; k < facts::karvel_board_channel_count; ++k) channels.push_back({10 + 25 * k, 12, 12, {}});
  }
};

// The whole queue is compared: a subscriber joining behind the first
// changes a later byte only.
std::string board_queue_text(const StateBytes& queue) {
  std::string text;
  for (int half = 0; half < 2; ++half)
    text += format("%3d  %3d  %3d  %3d  ", queue[4 * half], queue[4 * half + 1], queue[4 * half + 2],
                   queue[4 * half + 3]);
  return text;
}

// One round of the board's values, blanks for what could not be read.
void show_board(BoardShown& shown) {
  const bool read = monitor::read_live(facts::karvel_board_block, 4);
  const int flags = link_buffer[0] & 0xFF, worker = link_buffer[1] & 0xFF;
  for (std::size_t i = 0; i < shown.flags.size(); ++i)
    shown.flags[i].show_if_read(read, board_flag_rows[i].text(flags, worker));
  for (int k = 0; k < facts::karvel_board_channel_count; ++k) {
    const bool channel_read =
        monitor::read_live(facts::karvel_board_channels + facts::karvel_board_channel_step * k, 1);
    shown.channels[k].show_if_read(channel_read, board_channel_text(link_buffer[0] & 0xFF));
  }
  const bool queue_read = monitor::read_live(facts::karvel_board_queue, 8);
  shown.queue.show_if_read(queue_read, board_queue_text(buffer_bytes()));
}

}  // namespace

void subscriber_view() {
  if (!enter_station_screen(ScreenNeeds::station)) return;
  draw_subscriber_labels();
  int port = ask_port_aside({}, 0);
  if (port == 0) return;
  run_live_view(500, subscriber_help_topic, [&](int scan) { port = port_switch_keys(port, scan); },
                [&] { show_subscriber(port); });
}

void selector_view() {
  if (!enter_station_screen(ScreenNeeds::station)) return;
  draw_selector_labels();
  run_live_view(500, subscriber_help_topic, nullptr, show_selector);
}

void board_view() {
  if (!enter_station_screen(ScreenNeeds::station)) return;
  draw_board_labels();
  BoardShown shown;
  run_live_view(200, board_help_topic, nullptr, [&] { show_board(shown); });
}
