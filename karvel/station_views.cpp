// The two views of station operation: the state table, redrawn row by row
// as the station's state memory changes, and the event log, which prints
// what the polls bring and turns digit and function keys into key frames.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "editors/event_poll.h"
#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/events.h"
#include "facts/key_frames.h"
#include "facts/station_facts.h"
#include "karvel/internal_ports.h"
#include "karvel/monitor.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "platform/files.h"
#include "toolkit/hints.h"
#include "toolkit/ruled_lines.h"
#include "toolkit/screen.h"

namespace {

using monitor::StateBytes;
constexpr int state_block_size = facts::karvel_state_block_size;

// ------------------------------------------------------------ the state table

constexpr int port_rows_max = 12;   // screen rows 5..16
constexpr int line_rows_max = 6;    // screen rows 20..25
constexpr int channel_rows_max = 7; // columns 67..79, under the titles "1".."7"
constexpr int first_port_row = 5;
constexpr int first_line_row = 20;

// One row of the table (a port or a line) or one channel column, with the
// bytes it shows now.
struct TableRow {
  enum class Kind { port, line, channel } kind;
  int number;  // the port, the line (1..6) or the channel (1..7)
  int place;   // the screen row, or for a channel its screen column
  StateBytes shown{};
  // Whether the screen shows `shown`: a row whose drawing could not be
  // finished is drawn again at the next read that goes through.
  bool drawn = false;
};

// What the table shows: the first port and how many ports and lines stand
// on screen, which the channel marks need.
struct StateTable {
  int first_port = 1;
  int ports = 0;
  int lines = 0;
  std::vector<TableRow> rows;
};

int block_address(const TableRow& row) {
  switch (row.kind) {
    case TableRow::Kind::port: return monitor::state_block(row.number);
    case TableRow::Kind::line: return monitor::state_block(monitor::line_block_number(row.number));
    case TableRow::Kind::channel: return facts::karvel_channel_blocks + facts::karvel_block_size * row.number;
  }
  return 0;
}

// A channel row compares bytes 1..7 only: byte 0 is not shown.
bool differs(const TableRow& row, const StateBytes& now) {
  int first = row.kind == TableRow::Kind::channel ? 1 : 0;
  for (int i = first; i < state_block_size; ++i)
    if (row.shown[i] != now[i]) return true;
  return false;
}

enum class Service { in_service, out_of_service, unknown };

Service service_of(int block_number) {
  if (!monitor::read_live(monitor::in_service_address(block_number), 1)) return Service::unknown;
  return link_buffer[0] != 0 ? Service::in_service : Service::out_of_service;
}

// A port row and a line row are one shape with other texts and places: the
// state's name at column 10, then the block's bytes from byte 2 on as
// numbers.
struct StateRowLayout {
  const char* out_of_service;  // as wide as a state's name and more
  int numbers_width;           // what the numbers cover from column 34
  std::string (*state_name)(int code);
  std::vector<int> number_columns;
  const char* number_format;
};
const StateRowLayout port_row_layout{"Абонент не обслуживается"_cp, 22, monitor::port_state_name,
                                     {33, 37, 41, 45, 49, 53}, "%3d"};
const StateRowLayout line_row_layout{"Линия не обслуживается  "_cp, 10, monitor::line_state_name, {34, 38, 42},
                                     "%2d"};

// Out of service a row shows its text and blanks where the numbers stood,
// so no number of an earlier state is left standing; a row whose service
// could not be read shows nothing. True when the row was drawn.
bool draw_state_row(const TableRow& row, int block_number, const StateRowLayout& layout) {
  Service service = service_of(block_number);
  if (service != Service::in_service) {
    print_at_plain(10, row.place, service == Service::unknown ? std::string(24, ' ') : layout.out_of_service);
    print_at_plain(34, row.place, std::string(layout.numbers_width, ' '));
    return service != Service::unknown;
  }
  print_at_plain(10, row.place, layout.state_name(row.shown[2]));
  for (std::size_t i = 0; i < layout.number_columns.size(); ++i)
    print_at_plain(layout.number_columns[i], row.place, format(layout.number_format, row.shown[2 + i]));
  return true;
}

// The screen row of a port or line number from a channel block, or 0 when
// it stands on no row of the table: a number from the station marks only a
// port or line actually shown.
int channel_member_row(const StateTable& table, int value) {
  if (value < link_state.first_line_port) {
    int i = value - table.first_port;
    return i >= 0 && i < table.ports ? first_port_row + i : 0;
  }
  int line = value - link_state.first_line_port + 1;
  return line >= 1 && line <= table.lines ? first_line_row + line - 1 : 0;
}

bool draw_channel(const StateTable& table, const TableRow& row) {
  draw_frame(row.place, 5, row.place, 25, boxch::vertical);
  for (int i = 1; i < state_block_size && row.shown[i] != 0; ++i) {
    int screen_row = channel_member_row(table, row.shown[i]);
    if (screen_row) put_at(row.place, screen_row, 197);  // "┼"
  }
  return true;
}

// Draws a row from its kept bytes; true when it was drawn.
bool draw_row(const StateTable& table, const TableRow& row) {
  switch (row.kind) {
    case TableRow::Kind::port: return draw_state_row(row, row.number, port_row_layout);
    case TableRow::Kind::line: return draw_state_row(row, monitor::line_block_number(row.number), line_row_layout);
    case TableRow::Kind::channel: return draw_channel(table, row);
  }
  return true;
}

// The channels' single rule on row 2 starts right of their double column.
void draw_table_frame() {
  draw_ruled_lines({across_line(2, 1, 65, true), across_line(4, 1, 80, true), across_line(17, 1, 65, true),
                    across_line(19, 1, 65, true), across_line(2, 66, 80, false), down_line(8, 2, 25, true),
                    down_line(65, 1, 25, true)});
}

void draw_table_titles() {
  print_at_plain(10, 1, "     Отображение текущего состояния станции    "_cp);
  print_at_plain(2, 3, "N абн"_cp);
  print_at_plain(10, 3, "Состояние"_cp);
  const char* const port_titles[8] = {"RGM", "KNL", "NRA", "VUD", "VPN", "TRB", "...", "..."};
  const char* const line_titles[8] = {"RGM", "KNL", "NRA", "...", "...", "...", "...", "..."};
  for (int i = 0; i < 8; ++i) {
    print_at_plain(33 + 4 * i, 3, port_titles[i]);
    print_at_plain(33 + 4 * i, 18, line_titles[i]);
  }
  print_at_plain(2, 18, "N лин"_cp);
  print_at_plain(10, 18, "Состояние"_cp);
  print_at_plain(67, 1, " К а н а л ы "_cp);
  print_at_plain(67, 3, "1 2 3 4 5 6 7");
  hint_esc_top();
}

// The rows from the first port: at most 12 ports, 6 lines and 7 channels,
// however many the station's identity claims.
StateTable lay_out_table(int first_port) {
  StateTable table;
  table.first_port = first_port;
  for (int i = 0; i < port_rows_max && i < link_state.port_count && first_port + i <= link_state.port_count; ++i)
    table.rows.push_back({TableRow::Kind::port, first_port + i, first_port_row + i});
  table.ports = static_cast<int>(table.rows.size());
  for (int line = 1; line <= link_state.city_line_count && line <= line_rows_max; ++line)
    table.rows.push_back({TableRow::Kind::line, line, first_line_row + line - 1});
  table.lines = static_cast<int>(table.rows.size()) - table.ports;
  for (int j = 1; j <= link_state.channel_row_count && j <= channel_rows_max; ++j)
    table.rows.push_back({TableRow::Kind::channel, j, 65 + 2 * j});
  return table;
}

// Reads a row's block and, when it differs from what the row shows (or the
// row is not drawn), keeps the bytes and draws the row. The bytes of a
// failed read are never kept.
void refresh_row(const StateTable& table, TableRow& row) {
  if (!monitor::read_live(block_address(row), state_block_size)) return;
  StateBytes now = monitor::buffer_bytes();
  if (row.drawn && !differs(row, now)) return;
  row.shown = now;
  row.drawn = draw_row(table, row);
}

// The table's first drawing, as one round; false when the user closed a
// failed read's box with Esc.
bool draw_whole_table(StateTable& table) {
  FieldDrawing round;
  for (TableRow& row : table.rows) {
    if (row.kind != TableRow::Kind::channel) print_at_plain(3, row.place, format("%2d", row.number));
    refresh_row(table, row);
  }
  return !round.left();
}

// Reads every row again, drawing only those whose bytes changed, until Esc.
// A quiet station costs reads and no screen output.
// A round that fails costs one box; its later rows wait for the next.
void refresh_table(StateTable& table) {
  for (;;) {
    FieldDrawing round;
    for (TableRow& row : table.rows) {
      if (esc_pressed()) return;
      refresh_row(table, row);
      if (round.left()) return;
    }
  }
}


// ------------------------------------------------------------ the event log

constexpr int key_command = facts::karvel_key_frame;

// The code of a key of the station's telephone: a digit, or "L" for lifting
// the handset.
int key_code(char key) { return key == 'L' ? facts::key_lift : facts::key_digit_code(key - '0'); }

// What F1..F9 dial.
struct FunctionKeyFrames {
  int scan;
  const char* keys;
};
const FunctionKeyFrames function_key_frames[] = {
    {key::f1, "000181"}, {key::f2, "000180"}, {key::f3, "L03"},  {key::f4, "L04"}, {key::f5, "L102"},
    {key::f6, "L103"},   {key::f7, "L104"},   {key::f8, "L105"}, {key::f9, "L59"},
};

// Sends the keys' codes in order. A frame that fails ends the sequence:
// the station would otherwise take the rest as another number.
int send_key_codes(const char* keys, int& last) {
  int sent = 0;
  for (const char* key = keys; *key; ++key) {
    last = link_send_key(key_command, key_code(*key));
    ++sent;
    if (last != link_ok) break;
  }
  return sent;
}

// Space: the log stops until a key; Esc then ends the view, which the poll
// hands back as the result of a key frame.
int pause_log(int& last) {
  put_text("\r\n< Пауза >"_cp);
  int scan;
  if (read_plain_key(scan) == key::esc) {
    last = link_interrupted;
    return 1;
  }
  put_text("  < Продолжение >"_cp);
  return 0;
}

// The keys of the event log while it polls: digits and F1..F9 become key
// frames, Space pauses; every other key is ignored.
int event_log_keys(int k, int& last) {
  if (k >= '0' && k <= '9') {
    last = link_send_key(key_command, key_code(static_cast<char>(k)));
    return 1;
  }
  if (k == key::space) return pause_log(last);
  if (k != key::extended) return 0;
  int scan = read_key();
  for (const FunctionKeyFrames& f : function_key_frames)
    if (f.scan == scan) return send_key_codes(f.keys, last);
  return 0;
}

namespace event = facts::karvel_event;

struct EventMessage {
  int code;
  const char* text;  // with the event's first and second byte
};
const EventMessage event_messages[] = {
    {event::handset_up, "\r\nНа телефоне %2d снята трубка."_cp},
    {event::handset_down, "\r\nНа телефоне %2d положена трубка."_cp},
    {event::line_busy, "\r\nГородская линия %2d занята."_cp},
    {event::line_free, "\r\nГородская линия %2d свободна."_cp},
    {event::port_calls, "\r\nВнутренний абонент %2d вызывает абонента %2d."_cp},
    {event::line_calls, "\r\nГородская линия %2d вызывает абонента %2d."_cp},
    {event::call_ended, "\r\nАбонент %2d завершил вызов абонента %2d"_cp},
    {event::line_rings, "\r\nНачало звонка по городской линии %2d."_cp},
    {event::line_held, "\r\nЛиния %2d на удержании у абонента %2d."_cp},
    {event::port_held, "\r\nАбонент %2d на удержании у абонента %2d."_cp},
    {event::clear_down, "\r\nАбонент %2d в режиме отбой."_cp},
    {event::line_call_ended, "\r\nЛиния %2d завершила вызов абонента %2d"_cp},
    {event::port_count, "\r\nКолличество внутренних абонентов %2d."_cp},
    {event::line_count, "\r\nКолличество городских линий %2d."_cp},
    {event::selector_ended, "\r\nАбонент %2d завершил режим СЕЛЕКТОР."_cp},
    {event::selector_made, "\r\nАбонент %2d создал режим СЕЛЕКТОР."_cp},
    {event::selector_left, "\r\nАбонент %2d снял регистрацию в режиме СЕЛЕКТОР."_cp},
    {event::selector_joined, "\r\nАбонент %2d зарегистрировался в режиме СЕЛЕКТОР."_cp},
};
constexpr int connection_event = event::connection;

// The text of an event frame (code and further bytes, each 0..255).
std::string event_text(const int* frame) {
  int code = frame[0] & 0xFF;
  auto byte = [frame](int i) { return frame[i] & 0xFF; };
  if (code == connection_event)
    return format("\r\nСоединение: %02X %02X %02X "_cp, byte(1), byte(2), byte(3)) +
           format("%02X %02X %02X %02X.", byte(4), byte(5), byte(6), byte(7));
  if (const EventMessage* m = event_kind(event_messages, code)) return format(m->text, byte(1), byte(2));
  return format("\r\nНеизвестная команда: %02X"_cp, code);
}

void draw_choice_button(int column, const char* text, bool chosen) {
  std::uint8_t colour = chosen ? COLOR_BOX : COLOR_SCREEN;
  print_at(column, 13, "     ", colour);
  print_at(column, 14, text, colour);
  print_at(column, 15, "     ", colour);
}

enum class LogChoice { no, yes, leave };

// "Нет" stands chosen at first; Left and Right switch, Enter takes the
// chosen answer, Esc leaves the view.
LogChoice ask_keep_log() {
  print_at(25, 10, "Вести протокол работы станции?"_cp, COLOR_SCREEN);
  bool yes = false;
  for (;;) {
    draw_choice_button(25, "  Да "_cp, yes);
    draw_choice_button(50, " Нет "_cp, !yes);
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) return LogChoice::leave;
    if (k == key::enter) return yes ? LogChoice::yes : LogChoice::no;
    if (scan == key::left || scan == key::right) yes = !yes;
  }
}

// The trace file is opened here once to tell the user at the start when it
// cannot be written; each poll appends its frame itself. A file that cannot
// be opened is told once, on the log's first line, and the log goes on
// without a trace; false when the user answered that with Esc.
bool open_trace(std::FILE*& file) {
  file = platform::open_regular_file("cmd.ttt", "ab");
  link_state.trace_flag = file ? 1 : 0;
  if (file) return true;
  put_text("Ошибка открытия файла"_cp);
  int scan;
  return read_plain_key(scan) != key::esc;
}

}  // namespace

void station_view_table() {
  if (!enter_station_screen(ScreenNeeds::station)) return;
  int first_port = ask_port_aside({}, 0);
  if (first_port == 0) return;
  draw_table_frame();
  draw_table_titles();
  StateTable table = lay_out_table(first_port);
  if (draw_whole_table(table)) refresh_table(table);
}

void station_view_log() {
  if (!enter_station_screen(ScreenNeeds::station)) return;
  LogChoice choice = ask_keep_log();
  if (choice == LogChoice::leave) return;
  std::FILE* trace = nullptr;
  link_state.trace_flag = 0;
  clear_screen();
  if (choice == LogChoice::yes && !open_trace(trace)) return;
  poll_events_until_esc(link_buffer, [](const int* event) { put_text(event_text(event)); }, event_log_keys);
  link_state.trace_flag = 0;
  if (trace) std::fclose(trace);
}
