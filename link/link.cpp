// The byte exchange with the station: one byte out, one byte back, every
// frame closed by a check byte both sides compute.
#include "link/link.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "facts/station_facts.h"
#include "link/link_console.h"
#include "link/link_dialect.h"
#include "link/link_image.h"
#include "link/link_port.h"
#include "platform/cp866.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/platform.h"

int link_buffer[256];

namespace {

const LinkImage* file_image = nullptr;
const LinkConsole* console = nullptr;
// The innermost live view's watch on the line, while one polls.
LinkWatch* watch = nullptr;

bool console_key_waiting() { return console && console->key_waiting(); }
// Without a console no key is read: none counts as Esc.
int console_read_key() { return console ? console->read_key() : 0; }
void console_text(std::string_view text) {
  if (console) console->text(text);
}
void show_box(int code, std::string_view note = {}) {
  if (console) console->error_box(code, note);
}

using facts::ack;
using facts::nothing_to_report;

const char* const port_names[2] = {"COM1", "COM2"};

bool karvel() { return link_dialect().memory_window; }

// An answer that did not come in time may still come late, and a frame
// that failed may leave the station in the middle of it. Either way no byte
// goes out until the line has been quiet for one read time-out: by then the
// late answer has come and is thrown away before the next byte, instead of
// being taken for that byte's answer, and the station has given up the
// broken frame.
void unsettle_line() { link_state.line_settles_at = platform::now_ms() + static_cast<std::uint64_t>(link_dialect().read_timeout_ms); }

// Never longer than one time-out, whatever the clock did meanwhile.
void wait_for_settled_line() {
  std::uint64_t now = platform::now_ms();
  if (now >= link_state.line_settles_at) return;
  platform::sleep_ms(static_cast<int>(std::min<std::uint64_t>(link_state.line_settles_at - now, link_dialect().read_timeout_ms)));
}

// The result of a frame; a failed frame unsettles the line.
template <typename Result>
Result close_frame(Result result) {
  if (result != link_ok) unsettle_line();
  return result;
}

// Sends a byte into an emptied input, once the line has settled: whatever
// is read next is this byte's answer, never a stale answer to an earlier
// one. False when the byte could not be sent.
bool send(int out) {
  if (link_state.interrupt && link_state.interrupt()) {
    // The frame is given up in the middle: the station waits for its gap.
    unsettle_line();
    return false;
  }
  wait_for_settled_line();
  link_port().purge_input();
  return link_put_byte(out) == link_ok;
}

// Reads the answer to the byte just sent: true when one came. A time-out
// leaves an answer that may still come late.
bool answer() {
  int in = 0;
  if (link_get_byte(in) == link_ok) return true;
  unsettle_line();
  return false;
}

// Sends a byte and reads its answer: true when one came. A byte that could
// not be sent has no answer either, and is not waited for.
bool exchange(int out) { return send(out) && answer(); }

// The command byte of a block frame and the poll byte are repeated once
// when the first one goes unanswered.
bool exchange_twice(int out) { return exchange(out) || exchange(out); }

// Where the karvel block operations' boxes go: to the screen, or to a
// holder that keeps the last one back.
LinkBoxesHeld* box_holder = nullptr;

void look_for_silence() {
  if (watch) watch->look();
}

void report(int code) {
  if (box_holder)
    box_holder->hold(code);
  else
    show_box(code);
}

// An open trace file of the event poll, or none.
struct Trace {
  std::FILE* file = nullptr;
  void text(const char* format, int value) {
    if (file) std::fprintf(file, format, value);
  }
  void text(const char* plain) {
    if (file) std::fputs(plain, file);
  }
};

// The poll loop proper: waits for the station's first answer other than
// "nothing to report", then takes the rest of its frame.
LinkResult poll_frame(int* frame, Trace& trace) {
  link_state.last_reply = nothing_to_report;
  while (link_state.last_reply == nothing_to_report) {
    bool frames_sent = false;
    int frames_result = 0;
    look_for_silence();
    if (console_key_waiting()) {
      // A key frame prints at the cursor, which may stand on row 25.
      if (watch && link_state.key_frames) watch->hide();
      int k = console_read_key();
      if (k == key::esc) return link_interrupted;
      if (link_state.key_frames) frames_sent = link_state.key_frames(k, frames_result) > 0;
    }
    platform::sleep_ms(60);
    if (frames_sent) {
      if (frames_result != link_ok) return static_cast<LinkResult>(frames_result);
      // The station's answer to the last check byte closed that key frame;
      // it is no event code, so the poll goes on.
      link_state.last_reply = nothing_to_report;
    }
    bool answered = exchange_twice(facts::event_poll);
    look_for_silence();  // gone before an event's text scrolls the screen
    if (!answered) return link_no_answer;
  }
  int code = link_state.last_reply;
  frame[0] = code;
  trace.text("\r\nSTART <TxD=80 ");
  trace.text("RxD=%X ", code);
  int sum = code;
  int count = facts::event_length(karvel() ? facts::Model::karvel : facts::Model::tomrik, code);
  // tomrik's counted event carries as many more bytes as one of its bytes
  // says: at most 255, so the frame never passes its 259 elements.
  bool counted_tail = !karvel() && code == facts::tomrik_counted_event;
  for (int i = 1; i <= count; ++i) {
    if (!exchange(ack)) return link_no_answer;
    frame[i] = link_state.last_reply;
    sum += link_state.last_reply;
    trace.text("TxD=FF ");
    trace.text("RxD=%X ", link_state.last_reply);
    if (counted_tail && i == facts::tomrik_counted_event_byte) count += link_state.last_reply;
  }
  int check = link_check_byte(sum);
  trace.text("TxD=%X ", check);
  if (!exchange(check)) return link_no_answer;
  trace.text("RxD=%X> END", link_state.last_reply);
  return link_state.last_reply == check ? link_ok : link_check_mismatch;
}

// The synchronisation prelude of a record frame: link_ok once synchronised,
// else the result the record operation gives.
LinkResult synchronise(int command, bool writing) {
  int before = 0;
  for (int k = 0; k <= 12; ++k) {
    bool answered = exchange(command);
    if (writing && k == 12) return answered ? link_no_sync : link_no_answer;
    if (answered && link_state.last_reply == ack && (k == 0 || before == nothing_to_report)) return link_ok;
    before = answered ? link_state.last_reply : 0;
  }
  return link_no_answer;
}

// The command byte of a block frame; no answer even to the second one
// reports its box.
bool block_command_answered(int command) {
  if (exchange_twice(command)) return true;
  report(link_no_answer);
  return false;
}

// One byte of a block frame and the answer it must get: link_ok; link_failed
// when none came, `wrong` when another came. Either failure reports its box.
LinkResult expect_answer(int byte, int expected, LinkResult wrong) {
  if (!exchange(byte)) {
    report(link_no_answer);
    return link_failed;
  }
  if (link_state.last_reply != expected) {
    report(wrong);
    return wrong;
  }
  return link_ok;
}

// A memory block read on the wire, whatever the connection state.
LinkResult read_block_frame(int address, int count) {
  constexpr int command = facts::karvel_read_block;
  int low = address & 0xFF, high = (address >> 8) & 0xFF;
  if (!block_command_answered(command)) return link_failed;
  if (link_state.last_reply != ack) return link_refused;
  for (int byte : {low, high})
    if (LinkResult failed = expect_answer(byte, ack, link_not_acknowledged)) return failed;
  int sum = command + low + high + count;
  // The station answers the count with the first data byte, and each
  // acknowledgement with the next.
  for (int i = 0; i < count; ++i) {
    if (!exchange(i == 0 ? count : ack)) return link_failed;
    link_buffer[i] = link_state.last_reply;
    sum += link_state.last_reply;
  }
  // A read of no bytes: the count gets no answer, the check byte follows.
  if (count == 0) send(count);
  int check = link_check_byte(sum);
  return expect_answer(check, check, link_check_mismatch);
}

// A memory block write on the wire.
int write_block_frame(int address, int count) {
  constexpr int command = facts::karvel_write_block;
  if (!block_command_answered(command)) return link_failed;
  if (link_state.last_reply != ack) {
    report(link_not_acknowledged);
    return link_refused;
  }
  int sum = command;
  int position = 1;
  // Each byte must get its expected answer; a failure names the byte's
  // position in the frame, negative when it went unanswered.
  auto put = [&](int byte, int expected, LinkResult wrong) {
    ++position;
    LinkResult result = expect_answer(byte, expected, wrong);
    return result == link_ok ? 0 : result == link_failed ? -position : position;
  };
  auto put_data = [&](int byte) {
    sum += byte & 0xFF;
    return put(byte, ack, link_not_acknowledged);
  };
  int failed = put_data(address & 0xFF);
  if (!failed) failed = put_data(address >> 8);
  if (!failed) failed = put_data(count);
  for (int i = 0; i < count && !failed; ++i) failed = put_data(link_buffer[i]);
  if (failed) return failed;
  int check = link_check_byte(sum);
  return put(check, check, link_check_mismatch);
}

// A key frame on the wire, each byte printed at the cursor as it goes.
LinkResult key_frame(int command, int code) {
  char text[24];
  std::snprintf(text, sizeof text, "\r\ncmd=%X ", command);
  console_text(text);
  if (!exchange(command)) return link_failed;
  if (link_state.last_reply != ack) return link_refused;
  std::snprintf(text, sizeof text, "  ch=%X ", code);
  console_text(text);
  if (!exchange(code)) return link_failed;
  if (link_state.last_reply != ack) return link_refused;
  int check = link_check_byte(command + code);
  std::snprintf(text, sizeof text, "  ksum=%X ", check);
  console_text(text);
  if (!exchange(check)) return link_failed;
  return link_state.last_reply == check ? link_ok : link_key_check_mismatch;
}

// A record read on the wire.
LinkResult read_record_frame(int* record, int group, int index) {
  constexpr int command = facts::tomrik_read_record;
  if (LinkResult failed = synchronise(command, false)) return failed;
  group &= 0xFF;
  index &= 0xFF;
  if (!exchange(group)) return link_no_answer;
  if (link_state.last_reply != ack) return link_not_acknowledged;
  if (!exchange(index)) return link_no_answer;
  int length = link_state.last_reply;  // one byte: the record's 256 elements hold it
  record[0] = length;
  int sum = command + group + index + length;
  for (int i = 1; i <= length; ++i) {
    if (!exchange(ack)) return link_no_answer;
    record[i] = link_state.last_reply;
    sum += link_state.last_reply;
  }
  int check = link_check_byte(sum);
  if (!exchange(check)) return link_no_answer;
  return link_state.last_reply == check ? link_ok : link_check_mismatch;
}

// A record write on the wire.
LinkResult write_record_frame(const int* record, int group, int index) {
  constexpr int command = facts::tomrik_write_record;
  if (LinkResult failed = synchronise(command, true)) return failed;
  int length = record[0] & 0xFF;
  int sum = command;
  auto put = [&](int byte) {
    sum += byte & 0xFF;
    if (!exchange(byte)) return link_no_answer;
    return link_state.last_reply == ack ? link_ok : link_not_acknowledged;
  };
  LinkResult failed = put(group);
  if (!failed) failed = put(index);
  if (!failed) failed = put(length);
  for (int i = 1; i <= length && !failed; ++i) failed = put(record[i]);
  if (failed) return failed;
  int check = link_check_byte(sum);
  if (!exchange(check)) return link_no_answer;
  return link_state.last_reply == check ? link_ok : link_check_mismatch;
}

int clamp_count(int count) { return count < 0 ? 0 : count > 255 ? 255 : count; }

// Moves the port to a speed index, as the connection left it: open, RTS up,
// a pause for the station.
void move_port_to(int speed_index) {
  link_state.speed_index = speed_index;
  link_open_port();
  link_rts_on();
  platform::sleep_ms(100);
}

// Whether the last write's read-back came and differed.
bool read_back_differed = false;

// The speed index a block written with link_buffer moves the station to,
// or -1 when it leaves the speed as it is.
int new_speed_in_block(int address, int count) {
  int at = facts::karvel_speed_address - address;
  if (at < 0 || at >= count) return -1;
  int value = link_buffer[at] & 0xFF;
  return value < facts::karvel_speed_count && value != link_state.speed_index ? value : -1;
}

// A check byte the station answered with its own proves nothing: it may have
// refused the frame (one of our bytes, the check byte too, arrived damaged)
// and still echo our check byte. So a write stands only once the block has
// been read back and found equal, the bytes the station keeps to itself
// left out. The read-back's failure or a difference gives the write's
// failure at the check byte's place, with one box; after a difference
// link_buffer holds the station's bytes.
int read_back_block(int address, int count) {
  int written[256];
  std::copy(link_buffer, link_buffer + count, written);
  LinkResult read;
  int box = 0;
  {
    LinkBoxesHeld held;
    read = close_frame(read_block_frame(address, count));
    box = held.take();
  }
  int check_position = 5 + count;
  if (read != link_ok) {
    if (box == 0) box = read == link_refused ? link_not_acknowledged : link_no_answer;
    report(box);
    return box == link_no_answer ? -check_position : check_position;
  }
  for (int i = 0; i < count; ++i) {
    if (facts::karvel_kept_by_station((address + i) & facts::karvel_address_mask)) continue;
    if ((link_buffer[i] & 0xFF) != (written[i] & 0xFF)) {
      read_back_differed = true;
      report(link_check_mismatch);
      return check_position;
    }
  }
  return link_ok;
}

// The same for a record: the bytes as far as the station's record reaches
// (a record the station does not have reads with length 0).
LinkResult read_back_record(const int* record, int group, int index) {
  static int stored[256];
  LinkResult read = close_frame(read_record_frame(stored, group, index));
  if (read != link_ok) return read;
  int length = std::min(record[0] & 0xFF, stored[0]);
  for (int i = 1; i <= length; ++i)
    if ((stored[i] & 0xFF) != (record[i] & 0xFF)) {
      read_back_differed = true;
      return link_check_mismatch;
    }
  return link_ok;
}

}  // namespace

bool link_read_back_differed() { return read_back_differed; }

void link_use_port(std::unique_ptr<platform::SerialPort> p) {
  link_state.port = std::move(p);
  link_state.line_settles_at = 0;
  link_state.port_opened = link_state.port && link_state.port->is_open();
}

platform::SerialPort& link_port() {
  if (!link_state.port) link_state.port = platform::make_system_serial_port();
  return *link_state.port;
}

int link_last_reply() { return link_state.last_reply; }

LinkBoxesHeld::LinkBoxesHeld() : outer_(box_holder) { box_holder = this; }
LinkBoxesHeld::~LinkBoxesHeld() { box_holder = outer_; }

void link_use_image(const LinkImage* image) { file_image = image; }
void link_use_console(const LinkConsole* c) { console = c; }

LinkWatch* link_use_watch(LinkWatch* w) {
  LinkWatch* outer = watch;
  watch = w;
  return outer;
}

int link_check_byte(int sum) { return facts::check_byte(sum); }

bool AlikeReads::agree(bool read_ok, const int* data, int count) {
  count = std::clamp(count, 0, 256);  // a block's bytes, or a record with its length
  if (!read_ok) {
    count_ = -1;
    return false;
  }
  bool same = count_ == count && std::equal(data, data + count, last_);
  std::copy(data, data + count, last_);
  count_ = count;
  return same;
}

std::string port_refusal_text(const std::string& name, const platform::SerialPort& port) {
  std::string text = name + " (" + platform::serial_device_path(name) + "): ";
  switch (port.refusal()) {
    case platform::PortRefusal::none: return {};
    case platform::PortRefusal::no_device: return text + "нет такого устройства"_cp;
    case platform::PortRefusal::no_permission:
      return text + "нет прав; добавьте себя в группу dialout и войдите заново"_cp;
    case platform::PortRefusal::held: return text + "занят другой программой"_cp;
    case platform::PortRefusal::other: break;
  }
  return text + "не открывается, ошибка системы "_cp + std::to_string(port.refusal_error());
}

int link_open_port() {
  int baud = karvel() ? facts::karvel_speeds[link_state.speed_index & 3] : facts::tomrik_speed;
  // A port opened anew has no answers on their way.
  link_state.line_settles_at = 0;
  const char* name = port_names[link_state.port_index == 1 ? 1 : 0];
  platform::SerialOpen opened = link_port().open(name, baud);
  link_state.port_opened = link_port().is_open();
  if (opened == platform::SerialOpen::ok) return link_ok;
  // The port's outcomes carry the box codes link_port_busy and
  // link_system_error; the box says "busy" for every port that cannot be
  // had, so the line under it tells which device and why.
  std::string reason;
  if (opened == platform::SerialOpen::not_available) reason = port_refusal_text(name, link_port());
  show_box(static_cast<int>(opened), reason);
  return link_failed;
}

int link_put_byte(int value) {
  return link_port().write_byte(static_cast<std::uint8_t>(value & 0xFF)) ? link_ok : link_failed;
}

int link_get_byte(int& value) {
  std::uint8_t byte = 0;
  int got = link_port().read_byte(byte, link_dialect().read_timeout_ms);
  if (got == platform::serial_byte_received) {
    value = byte;
    link_state.last_reply = byte;
    if (watch) link_state.answered_at = platform::now_ms();  // only a live view asks
    return link_ok;
  }
  if (link_dialect().read_failure_is_timeout) return link_no_answer;
  return got == platform::serial_read_failed ? link_failed : link_no_answer;
}

namespace {

// A port that refuses its control line has gone (the device unplugged, the
// far end ended). After its one box it is closed and no station counts as
// connected, so the menu's next link_rts_off has nothing to drive and the
// next screen asks for a connection; file mode goes on as it was.
void give_up_lost_port() {
  show_box(link_system_error);
  link_port().close();
  link_state.port_opened = false;
  link_state.station_connected = 0;
}

}  // namespace

void link_rts_on() {
  if (!link_port().set_rts(true)) {
    give_up_lost_port();
    return;
  }
  platform::sleep_ms(link_dialect().rts_settle_ms);
  link_port().purge_input();
}

void link_rts_off() {
  // A port that is not open (never opened, or lost by a failed reopen) has
  // no control line to drop.
  platform::SerialPort* port = link_state.port.get();
  if (!port || !port->is_open()) return;
  if (!port->set_rts(false)) {
    give_up_lost_port();
    return;
  }
  platform::sleep_ms(100);
}

LinkResult link_read_block(int address, int count) {
  count = clamp_count(count);
  address &= facts::karvel_address_mask;
  if (link_state.file_mode)
    return file_image && file_image->read(address, count, link_buffer) ? link_ok : link_failed;
  if (!link_state.station_connected) return link_ok;
  return close_frame(read_block_frame(address, count));
}

// The reads of a unit that an editor takes: two alike in a row. `read` is
// one read; `data` and `count` what it gave. A read that fails ends them
// with its result; reads that never agree give no result (nullopt).
template <typename Read>
std::optional<LinkResult> read_alike(Read read, const int* data, const int& count) {
  AlikeReads reads;
  for (int tries = 0; tries < 4; ++tries) {
    LinkResult result = read();
    if (result != link_ok) return result;
    if (reads.agree(true, data, count)) return link_ok;
  }
  return std::nullopt;
}

LinkResult link_read_block_alike(int address, int count) {
  count = clamp_count(count);
  address &= facts::karvel_address_mask;
  bool live = address < facts::karvel_window;
  if (link_state.file_mode || !link_state.station_connected || count == 0 || live)
    return link_read_block(address, count);
  std::optional<LinkResult> result = read_alike([&] { return link_read_block(address, count); }, link_buffer, count);
  if (result) return *result;
  report(link_check_mismatch);
  return link_check_mismatch;
}

// The raw block read of the speed search, sent before the link counts as
// connected.
LinkResult link_probe_block(int address, int count) {
  return close_frame(read_block_frame(address & facts::karvel_address_mask, clamp_count(count)));
}

int link_write_block(int address, int count) {
  count = clamp_count(count);
  address &= facts::karvel_address_mask;
  if (link_state.file_mode)
    return file_image && file_image->write(address, count, link_buffer) ? link_ok : link_failed;
  if (!link_state.station_connected) return link_ok;
  read_back_differed = false;
  int new_speed = new_speed_in_block(address, count);
  int result = close_frame(write_block_frame(address, count));
  if (result != link_ok) return result;
  // The station moves to a new speed as soon as it has stored it; the
  // block is read back there.
  if (new_speed >= 0) move_port_to(new_speed);
  return read_back_block(address, count);
}

LinkResult link_poll_event(int* frame) {
  Trace trace;
  if (karvel() && link_state.trace_flag == 1) {
    trace.file = platform::open_regular_file("cmd.ttt", "ab");
    // A trace that can no longer be written is told once, on its own line,
    // and the polls go on without it; Esc at the message ends the view.
    if (!trace.file) {
      link_state.trace_flag = 0;
      console_text("\r\nОшибка открытия файла"_cp);
      if (console_read_key() == key::esc) return link_interrupted;
    }
  }
  LinkResult result = poll_frame(frame, trace);
  if (trace.file) std::fclose(trace.file);
  // Esc is read between poll rounds, with no frame in progress.
  return result == link_interrupted ? result : close_frame(result);
}

LinkResult link_send_key(int command, int code) {
  return close_frame(key_frame(command & 0xFF, code & 0xFF));
}

LinkResult link_read_record(int* record, int group, int index) {
  return close_frame(read_record_frame(record, group, index));
}

LinkResult link_read_record_alike(int* record, int group, int index) {
  int count = 0;
  auto read = [&] {
    LinkResult result = link_read_record(record, group, index);
    count = 1 + std::clamp(record[0], 0, 255);  // the length with its bytes
    return result;
  };
  return read_alike(read, record, count).value_or(link_check_mismatch);
}

LinkResult link_write_record(const int* record, int group, int index) {
  read_back_differed = false;
  LinkResult result = close_frame(write_record_frame(record, group, index));
  if (result != link_ok || facts::tomrik_kept_by_station(group)) return result;
  return read_back_record(record, group, index);
}

bool link_follow_station_speed(int value, int write_result, int count) {
  if (link_state.file_mode || !link_state.station_connected) return false;
  int old_index = link_state.speed_index;
  if (value < 0 || value >= facts::karvel_speed_count || value == old_index) return false;
  int check_position = 5 + clamp_count(count);
  bool taken = write_result == link_ok;
  bool unsure = write_result == check_position || write_result == -check_position;
  if (!taken && !unsure) return false;
  move_port_to(value);
  if (taken) return true;
  // The station may have stored the setting and lost only its answer: it is
  // at the new speed when it answers there with that setting.
  LinkBoxesHeld quiet;
  if (link_read_block(facts::karvel_speed_address, 1) == link_ok && (link_buffer[0] & 0xFF) == value) return true;
  move_port_to(old_index);
  return false;
}
