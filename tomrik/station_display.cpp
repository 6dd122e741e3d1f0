// The station display: polls the station for events, keeps the state of
// every internal subscriber and city line (for the whole run, so a later
// visit goes on from it), redraws the table of that state after each event,
// writes a line per event to "protokol.txt", and records each finished city
// call in "tarif.dat", timed by the computer's clock.
//
// Every byte of an event comes from the station: an event that names what
// the tables cannot show (a subscriber or line outside the station, a
// channel beyond the bar's six, a dialled number longer than a call record
// holds, a digit code no dial has) is written to the log as it came and
// otherwise not applied: no state, no call record, no redraw. Nothing the
// station sends is used as a position without a bound.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>

#include "editors/event_poll.h"
#include "editors/screen_entry.h"
#include "facts/digits.h"
#include "facts/events.h"
#include "facts/station_facts.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "settings/run_state.h"
#include "tomrik/call_records.h"
#include "tomrik/screens.h"
#include "tomrik/table_screens.h"
#include "toolkit/screen.h"

namespace {

using namespace facts::tomrik_event;

enum Mode { no_mode, internal_ringing, city_ringing, internal_talk, city_talk, conference, on_hold };

// link_poll_event fills up to the code, three bytes and 255 more.
constexpr int event_frame_size = 259;

// The channel bar has a place for six channels.
constexpr int bar_channels = 6;
constexpr int bar_column = 42;
constexpr int channel_step = 6;
constexpr std::uint8_t bar_end = 180;  // "┤"

constexpr int first_subscriber_row = 3;  // subscriber k on row k + 2
constexpr int first_line_row = 21;       // line l on row l + 20
constexpr int last_table_row = 24;

// A line in a connection's party list is 128 + its number.
constexpr int line_party = 128;
constexpr int max_parties = facts::tomrik_max_lines + facts::tomrik_max_subscribers;

StationDisplayState& known() { return run.station_display; }

// The state of subscriber `code` or line `line`; nullptr for a number no
// row has.
PartyState* subscriber(int code) {
  return code >= 1 && code <= facts::tomrik_max_subscribers ? &known().subscribers[code - 1] : nullptr;
}
PartyState* city_line(int line) {
  return line >= 1 && line <= facts::tomrik_max_lines ? &known().lines[line - 1] : nullptr;
}
CallUnderWay* call_on(int line) {
  return line >= 1 && line <= facts::tomrik_max_lines ? &known().calls[line - 1] : nullptr;
}

// "protokol.txt" and "tarif.dat", each nullptr when it could not be opened.
struct DisplayFiles {
  std::FILE* log = nullptr;
  std::FILE* calls = nullptr;
};

// ------------------------------------------------------------ call records

// A dialled digit code as the character the call record keeps.
char digit_character(int code) {
  const char c = facts::dial_char(code);
  return c ? c : static_cast<char>('0' + code);
}

void start_call(CallUnderWay& call, int subscriber_code, const int* digits, int count, const std::tm& now) {
  call = CallUnderWay{};
  call.subscriber = subscriber_code;
  call.second = now.tm_sec;
  call.minute = now.tm_min;
  call.hour = now.tm_hour;
  call.day = now.tm_mday;
  call.month = now.tm_mon + 1;
  call.year = now.tm_year + 1900 - 2000;
  call.digit_count = std::clamp(count, 0, call_number_places);
  for (int i = 0; i < call.digit_count; ++i) call.digits[i] = digit_character(digits[i]);
}

// The call's record: its start, and its length to `end`.
CallRecord finished_call(const CallUnderWay& call, int line, const std::tm& end) {
  TimeOfDay length = call_duration({call.hour, call.minute, call.second}, {end.tm_hour, end.tm_min, end.tm_sec});
  CallRecord r;
  const int fields[] = {call.subscriber, line,        call.day,     call.month,     call.year,     call.hour,
                        call.minute,     call.second, length.hours, length.minutes, length.seconds};
  for (int i = 0; i < number_first; ++i) r.bytes[i] = static_cast<std::uint8_t>(fields[i] & 0xFF);
  std::copy_n(call.digits, call.digit_count, r.bytes + number_first);
  return r;
}

void record_call(int line, DisplayFiles& files) {
  CallUnderWay* call = call_on(line);
  if (!call || call->subscriber == 0) return;
  if (files.calls) append_call_record(files.calls, finished_call(*call, line, platform::local_now()));
  *call = CallUnderWay{};
}

// ------------------------------------------------------------------ events

void hang_up(PartyState& s) {
  s.busy = 0;
  if (s.mode == internal_talk) {
    if (PartyState* partner = subscriber(s.peer)) partner->mode = partner->peer = 0;
  } else if (s.mode == city_talk) {
    if (PartyState* line = city_line(s.peer)) line->busy = line->mode = line->peer = 0;
  }
  s.mode = s.peer = s.channel = 0;
}

// The parties of a connection in their order: lines 1..4 (as 128 + line),
// then subscribers 1..16.
struct Parties {
  int count = 0;
  int party[max_parties] = {};
};
Parties connection_parties(int p1, int p2, int p3) {
  Parties list;
  for (int l = 1; l <= facts::tomrik_max_lines; ++l)
    if (p1 & (1 << (l - 1))) list.party[list.count++] = line_party + l;
  const int subscriber_bits = p2 | (p3 << 8);
  for (int k = 1; k <= facts::tomrik_max_subscribers; ++k)
    if (subscriber_bits & (1 << (k - 1))) list.party[list.count++] = k;
  return list;
}

PartyState& party_state(int party) {
  return party > line_party ? known().lines[party - line_party - 1] : known().subscribers[party - 1];
}

void connect(const Parties& list, int channel) {
  if (list.count < 2) return;
  const int a = list.party[0], b = list.party[1];
  if (list.count == 2 && a > line_party && b < line_party) {
    party_state(a) = {1, city_talk, b, channel};
    PartyState& s = party_state(b);
    s.mode = city_talk, s.peer = a - line_party, s.channel = channel;
  } else if (list.count == 2 && a < line_party && b < line_party) {
    for (auto [one, other] : {std::pair{a, b}, std::pair{b, a}}) {
      PartyState& s = party_state(one);
      s.mode = internal_talk, s.peer = other, s.channel = channel;
    }
  } else if (list.count > 2) {
    for (int i = 0; i < list.count; ++i) {
      PartyState& s = party_state(list.party[i]);
      s.mode = conference, s.peer = 0, s.channel = channel;
    }
  }
}

std::string connection_log(const Parties& list) {
  std::string text = "Связь: "_cp;
  for (int i = 0; i < list.count; ++i) {
    const int p = list.party[i];
    text += p > line_party ? format("Лин. %d "_cp, p - line_party) : format("Абн. %d "_cp, p);
  }
  return text;
}

// ---------------------------------------------------------- hostile events

bool station_subscriber(int code) { return code >= 1 && code <= subscriber_count(); }
bool station_line(int line) { return line >= 1 && line <= line_count(); }

bool connection_fits(int p1, int p2, int p3) {
  if (p1 / 16 > bar_channels) return false;
  const Parties list = connection_parties(p1, p2, p3);
  for (int i = 0; i < list.count; ++i) {
    const int party = list.party[i];
    if (party > line_party ? !station_line(party - line_party) : !station_subscriber(party)) return false;
  }
  return true;
}

bool call_start_fits(const int* p) {
  if (!station_subscriber(p[1]) || !station_line(p[2]) || p[3] > call_number_places) return false;
  for (int i = 0; i < p[3]; ++i)
    if (p[4 + i] < 1 || p[4 + i] > 12) return false;
  return true;
}

// What an event's bytes p1 and p2 name.
enum class Names { nothing, subscriber, line };

bool names_fit(Names names, int value) {
  if (names == Names::nothing) return true;
  return names == Names::subscriber ? station_subscriber(value) : station_line(value);
}

// An event whose bytes name one party or two: what each names, and its log
// line with p1 and p2 in their places (p2 first when `called_first`).
struct PartyEvent {
  int code;
  Names p1, p2;
  const char* log;
  bool called_first = false;
};
const PartyEvent party_events[] = {
    {off_hook, Names::subscriber, Names::nothing, "Внутренняя линия %d занята"_cp},
    {on_hook, Names::subscriber, Names::nothing, "Внутренняя линия %d освободилась"_cp},
    {line_seized, Names::line, Names::nothing, "Городская линия %d занята"_cp},
    {line_released, Names::line, Names::nothing, "Городская линия %d освободилась"_cp},
    {internal_call, Names::subscriber, Names::subscriber, "Вызов абонента %d абонентом %d"_cp, true},
    {city_call, Names::line, Names::subscriber, "Вызов абонента %d из гор. линии %d"_cp, true},
    {stop_ringing, Names::subscriber, Names::nothing, "Выключить звонок внутреннему абоненту %d"_cp},
    {ring_from_city, Names::line, Names::nothing, "Звонок из города по линии %d"_cp},
    {line_on_hold, Names::line, Names::subscriber, "Городская линия %d на удержании абонентом %d"_cp},
    {subscriber_held, Names::subscriber, Names::subscriber, "Абонент %d на удержании абонентом %d"_cp},
};

// Whether the event names only what the tables show. p[0] is the code,
// p[1..] its bytes.
bool event_fits(const int* p) {
  if (const PartyEvent* e = event_kind(party_events, p[0])) return names_fit(e->p1, p[1]) && names_fit(e->p2, p[2]);
  if (p[0] == connection) return connection_fits(p[1], p[2], p[3]);
  if (p[0] == city_call_starts) return call_start_fits(p);
  return true;
}

// The log line of an event that fits; empty for an event that has none.
std::string event_log(const int* p) {
  if (const PartyEvent* e = event_kind(party_events, p[0]))
    return e->called_first ? format(e->log, p[2], p[1]) : format(e->log, p[1], p[2]);
  if (p[0] == connection) return connection_log(connection_parties(p[1], p[2], p[3]));
  return {};
}

// The log line of an event that was not applied: its code and bytes.
std::string refused_event_log(const int* p) {
  std::string text = format("Событие %d не отображено:"_cp, p[0]);
  int count = facts::event_length(facts::Model::tomrik, p[0]);
  if (p[0] == facts::tomrik_counted_event) count += std::clamp(p[facts::tomrik_counted_event_byte], 0, 255);
  for (int i = 1; i <= count; ++i) text += format(" %d", p[i]);
  return text;
}

// ------------------------------------------------------------ state change

// Puts an event that fits into the state. p[0] is the code, p[1..] its
// bytes.
void apply_event(const int* p, DisplayFiles& files) {
  PartyState *s1 = subscriber(p[1]), *s2 = subscriber(p[2]), *l1 = city_line(p[1]);
  switch (p[0]) {
    case off_hook:
      if (s1) s1->busy = 1, s1->mode = no_mode;
      break;
    case on_hook:
      if (s1) hang_up(*s1);
      break;
    case line_seized:
      if (l1) l1->busy = 1;
      break;
    case line_released:
      if (l1) {
        *l1 = PartyState{};
        record_call(p[1], files);
      }
      break;
    case internal_call:
      if (s1 && s2) {
        s2->mode = internal_ringing, s2->peer = p[1];
        s1->mode = internal_ringing, s1->peer = p[2];
      }
      break;
    case city_call:
      if (s2 && l1) s2->mode = city_ringing, s2->peer = p[1];
      break;
    case stop_ringing:
      if (s1) s1->mode = s1->peer = 0;
      break;
    case ring_from_city:
      if (l1) l1->mode = city_ringing;
      break;
    case line_on_hold:
      if (l1 && s2) s2->mode = s2->peer = 0, l1->mode = on_hold;
      break;
    case subscriber_held:
      if (s1 && s2) s2->mode = s2->peer = 0, s1->mode = on_hold;
      break;
    case connection:  // the channel in p1's high half
      connect(connection_parties(p[1], p[2], p[3]), p[1] / 16);
      break;
    case city_call_starts:
      if (CallUnderWay* call = call_on(p[2]); call && s1) start_call(*call, p[1], p + 4, p[3], platform::local_now());
      break;
  }
}

void log_event(const std::string& text, std::FILE* log) {
  if (!log || text.empty()) return;
  std::fputs("\r\n", log);
  std::fputs(text.c_str(), log);
  std::fflush(log);
}

// ------------------------------------------------------------------- table

// The mode column's text of each mode, in the order of Mode.
using ModeTexts = const char* [7];
const ModeTexts subscriber_modes = {"         ", "Вн. вызов"_cp, "Гор вызов"_cp, "Вн. связь"_cp,
                                    "Гор связь"_cp, "Конференц"_cp, "На удерж."_cp};
const ModeTexts line_modes = {"         ", "         ", "Вызов    "_cp, "Связь    "_cp,
                              "Связь    "_cp, "Конференц"_cp, "На удерж."_cp};

// Whom a subscriber talks to or is rung by. A peer that the mode does not
// name is left blank, so no earlier peer stays standing.
std::string subscriber_peer_text(const PartyState& s) {
  if (s.peer == 0) return std::string(8, ' ');
  if (s.mode == internal_ringing || s.mode == internal_talk) return fit_cell(format("Абн. %2d"_cp, s.peer + 10), 8);
  if (s.mode == city_ringing || s.mode == city_talk) return fit_cell(format("Лин. %2d"_cp, s.peer), 8);
  return std::string(8, ' ');
}

std::string line_peer_text(const PartyState& l) {
  return l.peer == 0 ? std::string(8, ' ') : fit_cell(format("Абн. %2d "_cp, l.peer + 10), 8);
}

// The channel bar of a connection: a piece under each channel column up to
// the party's channel (six at most), closed by a joint; for a party not in
// a connection the bar's place is blank between the column rules.
void draw_channel_bar(int row, const PartyState& p) {
  goto_xy(bar_column, row);
  for (int j = 0; j < bar_channels; ++j) put_text("     │"_cp);
  if (p.mode != internal_talk && p.mode != city_talk && p.mode != conference) return;
  const int channels = std::clamp(p.channel, 0, bar_channels);
  for (int j = 0; j < channels; ++j) print_at_plain(bar_column + channel_step * j, row, "─────"_cp);
  if (channels > 0) put_at(bar_column + channel_step * (channels - 1) + 5, row, bar_end);
}

// The rows of one kind of party: where the first stands, its number as
// shown, its state's texts.
struct PartyRows {
  int first_row;
  int number_shift;  // subscriber code k shows as k + 10
  const char* busy;
  const char* free;
  const ModeTexts& modes;
  std::string (*peer)(const PartyState& party);
};
const PartyRows subscriber_rows{first_subscriber_row, 10, "Занят   "_cp, "Свободен"_cp, subscriber_modes, subscriber_peer_text};
const PartyRows line_rows{first_line_row, 0, "Занята  "_cp, "Свободна"_cp, line_modes, line_peer_text};

void draw_party_row(const PartyRows& rows, const PartyState& s, int n) {
  const int row = rows.first_row + n - 1;
  print_at_plain(1, row, format("  %2d", n + rows.number_shift));
  print_at_plain(10, row, s.busy ? rows.busy : rows.free);
  print_at_plain(22, row, s.mode >= no_mode && s.mode <= on_hold ? rows.modes[s.mode] : rows.modes[no_mode]);
  print_at_plain(34, row, rows.peer(s));
  draw_channel_bar(row, s);
}

void draw_table() {
  set_colour(COLOR_SCREEN);
  print_at_plain(1, 2, "Абонент"_cp);
  print_at_plain(10, 2, "Состояние"_cp);
  print_at_plain(22, 2, "Режим"_cp);
  print_at_plain(34, 2, "С кем"_cp);
  for (int j = 0; j < bar_channels; ++j) {
    print_at_plain(44 + channel_step * j, 2, format("Кн %d"_cp, j + 1));
    draw_frame(47 + channel_step * j, first_subscriber_row, 47 + channel_step * j, last_table_row, boxch::vertical);
  }
  for (int k = 1; k <= subscriber_count(); ++k) draw_party_row(subscriber_rows, known().subscribers[k - 1], k);
  print_at_plain(1, 20, "Линия"_cp);
  for (int l = 1; l <= line_count(); ++l) draw_party_row(line_rows, known().lines[l - 1], l);
}

// A file the display cannot open: its message, a key, and the display goes
// on without it.
std::FILE* opened_or_said(std::FILE* f, const char* message) {
  if (!f) {
    put_text(message);
    put_text("\r\n");
    read_key();
  }
  return f;
}

}  // namespace

void station_display_screen() {
  if (!enter_station_screen(ScreenNeeds::station)) return;
  DisplayFiles files;
  files.log = opened_or_said(platform::open_regular_file("protokol.txt", "ab"), "Ошибка открытия файла протокола."_cp);
  files.calls = opened_or_said(open_call_records_for_appending(), "Ошибка открытия файла тарификации."_cp);
  int frame[event_frame_size] = {};
  bool drawn = false;
  poll_events_until_esc(frame, [&](const int* event) {
    if (!event_fits(event)) {
      log_event(refused_event_log(event), files.log);
      return;
    }
    apply_event(event, files);
    log_event(event_log(event), files.log);
    // The first table replaces whatever a file's message left on the screen.
    if (!drawn) clear_screen();
    drawn = true;
    draw_table();
  });
  if (files.log) std::fclose(files.log);
  if (files.calls) std::fclose(files.calls);
}
