// The byte exchange with the station: one byte out, one byte back, every
// frame closed by a check byte both sides compute.
#include "link.h"

#include <cstdio>

#include "cp866.h"
#include "link_image.h"
#include "link_port.h"
#include "profile.h"
#include "screen.h"
#include "station_facts.h"

int link_buffer[256];

namespace {

const LinkImage* file_image = nullptr;

using facts::ack;
using facts::nothing_to_report;

const char* const port_names[2] = {"COM1", "COM2"};

bool karvel() { return profile().link.memory_window; }

// Sends a byte and reads its answer: true when one came. A byte that could
// not be sent has no answer either, and is not waited for.
bool exchange(int out) {
  if (link_put_byte(out) != link_ok) return false;
  int in = 0;
  return link_get_byte(in) == link_ok;
}

// A byte that opens a frame (or repeats its opening) first throws away
// whatever is waiting: a late answer to an earlier byte would otherwise be
// taken for the answer to this one and shift the rest of the frame.
bool exchange_fresh(int out) {
  link_port().purge_input();
  return exchange(out);
}

// The command byte of a block frame and the poll byte are repeated once
// when the first one goes unanswered.
bool exchange_twice(int out) { return exchange_fresh(out) || exchange_fresh(out); }

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
    if (key_waiting()) {
      int k = read_key();
      if (k == key::esc) return link_interrupted;
      if (link_state.key_frames) frames_sent = link_state.key_frames(k, frames_result) > 0;
    }
    wait_ms(60);
    if (frames_sent) {
      if (frames_result != link_ok) return static_cast<LinkResult>(frames_result);
      // The station's answer to the last check byte closed that key frame;
      // it is no event code, so the poll goes on.
      link_state.last_reply = nothing_to_report;
    }
    if (!exchange_twice(facts::event_poll)) return link_no_answer;
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
    bool answered = exchange_fresh(command);
    if (writing && k == 12) return answered ? link_no_sync : link_no_answer;
    if (answered && link_state.last_reply == ack && (k == 0 || before == nothing_to_report)) return link_ok;
    before = answered ? link_state.last_reply : 0;
  }
  return link_no_answer;
}

// A memory block read on the wire, whatever the connection state.
LinkResult read_block_frame(int address, int count) {
  constexpr int command = facts::karvel_read_block;
  int low = address & 0xFF, high = (address >> 8) & 0xFF;
  if (!exchange_twice(command)) {
    link_error_box(link_no_answer);
    return link_failed;
  }
  if (link_state.last_reply != ack) return link_refused;
  for (int byte : {low, high}) {
    if (!exchange(byte)) {
      link_error_box(link_no_answer);
      return link_failed;
    }
    if (link_state.last_reply != ack) {
      link_error_box(link_not_acknowledged);
      return link_not_acknowledged;
    }
  }
  int sum = command + low + high + count;
  // The station answers the count with the first data byte.
  link_put_byte(count);
  for (int i = 0; i < count; ++i) {
    int in = 0;
    if (link_get_byte(in) != link_ok) return link_failed;
    link_buffer[i] = in;
    sum += in;
    if (i + 1 < count) link_put_byte(ack);
  }
  int check = link_check_byte(sum);
  if (!exchange(check)) {
    link_error_box(link_no_answer);
    return link_failed;
  }
  if (link_state.last_reply != check) {
    link_error_box(link_check_mismatch);
    return link_check_mismatch;
  }
  return link_ok;
}

int clamp_count(int count) { return count < 0 ? 0 : count > 255 ? 255 : count; }

}  // namespace

void link_use_port(std::unique_ptr<platform::SerialPort> p) {
  link_state.port = std::move(p);
  link_state.port_opened = link_state.port && link_state.port->is_open();
}

platform::SerialPort& link_port() {
  if (!link_state.port) link_state.port = platform::make_system_serial_port();
  return *link_state.port;
}

int link_last_reply() { return link_state.last_reply; }

void link_use_image(const LinkImage* image) { file_image = image; }

int link_check_byte(int sum) { return facts::check_byte(sum); }

int link_open_port() {
  int baud = karvel() ? facts::karvel_speeds[link_state.speed_index & 3] : facts::tomrik_speed;
  platform::SerialOpen opened = link_port().open(port_names[link_state.port_index == 1 ? 1 : 0], baud);
  link_state.port_opened = link_port().is_open();
  if (opened == platform::SerialOpen::ok) return link_ok;
  // The port's outcomes carry the box codes link_port_busy and
  // link_system_error.
  link_error_box(static_cast<int>(opened));
  return link_failed;
}

int link_put_byte(int value) {
  return link_port().write_byte(static_cast<std::uint8_t>(value & 0xFF)) ? link_ok : link_failed;
}

int link_get_byte(int& value) {
  std::uint8_t byte = 0;
  int got = link_port().read_byte(byte, profile().link.read_timeout_ms);
  if (got == platform::serial_byte_received) {
    value = byte;
    link_state.last_reply = byte;
    return link_ok;
  }
  if (profile().link.read_failure_is_timeout) return link_no_answer;
  return got == platform::serial_read_failed ? link_failed : link_no_answer;
}

void link_rts_on() {
  if (!link_port().set_rts(true)) {
    link_error_box(link_system_error);
    return;
  }
  wait_ms(profile().link.rts_settle_ms);
  link_port().purge_input();
}

void link_rts_off() {
  // A port that is not open (never opened, or lost by a failed reopen) has
  // no control line to drop.
  platform::SerialPort* port = link_state.port.get();
  if (!port || !port->is_open()) return;
  if (!port->set_rts(false)) {
    link_error_box(link_system_error);
    return;
  }
  wait_ms(100);
}

LinkResult link_read_block(int address, int count) {
  count = clamp_count(count);
  address &= 0xFFFF;
  if (link_state.file_mode)
    return file_image && file_image->read(address, count, link_buffer) ? link_ok : link_failed;
  if (!link_state.station_connected) return link_ok;
  return read_block_frame(address, count);
}

// The raw block read of the speed search, sent before the link counts as
// connected.
LinkResult link_probe_block(int address, int count) { return read_block_frame(address & 0xFFFF, clamp_count(count)); }

int link_write_block(int address, int count) {
  constexpr int command = facts::karvel_write_block;
  count = clamp_count(count);
  address &= 0xFFFF;
  if (link_state.file_mode)
    return file_image && file_image->write(address, count, link_buffer) ? link_ok : link_failed;
  if (!link_state.station_connected) return link_ok;
  if (!exchange_twice(command)) {
    link_error_box(link_no_answer);
    return link_failed;
  }
  if (link_state.last_reply != ack) {
    link_error_box(link_not_acknowledged);
    return link_refused;
  }
  int sum = command;
  int position = 1;
  // Each byte must get its expected answer; a failure names the byte's
  // position in the frame, negative when it went unanswered.
  auto send = [&](int byte, int expected, int wrong_box) {
    ++position;
    if (!exchange(byte)) {
      link_error_box(link_no_answer);
      return -position;
    }
    if (link_state.last_reply != expected) {
      link_error_box(wrong_box);
      return position;
    }
    return static_cast<int>(link_ok);
  };
  auto send_data = [&](int byte) {
    sum += byte & 0xFF;
    return send(byte, ack, link_not_acknowledged);
  };
  int failed = send_data(address & 0xFF);
  if (!failed) failed = send_data(address >> 8);
  if (!failed) failed = send_data(count);
  for (int i = 0; i < count && !failed; ++i) failed = send_data(link_buffer[i]);
  if (failed) return failed;
  int check = link_check_byte(sum);
  return send(check, check, link_check_mismatch);
}

LinkResult link_poll_event(int* frame) {
  Trace trace;
  if (karvel() && link_state.trace_flag == 1) {
    trace.file = std::fopen("cmd.ttt", "ab");
    if (!trace.file) {
      put_text("Ошибка открытия файла"_cp);
      read_key();
    }
  }
  LinkResult result = poll_frame(frame, trace);
  if (trace.file) std::fclose(trace.file);
  return result;
}

LinkResult link_send_key(int command, int code) {
  char text[24];
  command &= 0xFF;
  code &= 0xFF;
  std::snprintf(text, sizeof text, "\r\ncmd=%X ", command);
  put_text(text);
  if (!exchange_fresh(command)) return link_failed;
  if (link_state.last_reply != ack) return link_refused;
  std::snprintf(text, sizeof text, "  ch=%X ", code);
  put_text(text);
  if (!exchange(code)) return link_failed;
  if (link_state.last_reply != ack) return link_refused;
  int check = link_check_byte(command + code);
  std::snprintf(text, sizeof text, "  ksum=%X ", check);
  put_text(text);
  if (!exchange(check)) return link_failed;
  return link_state.last_reply == check ? link_ok : link_key_check_mismatch;
}

LinkResult link_read_record(int* record, int group, int index) {
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

LinkResult link_write_record(const int* record, int group, int index) {
  constexpr int command = facts::tomrik_write_record;
  if (LinkResult failed = synchronise(command, true)) return failed;
  int length = record[0] & 0xFF;
  int sum = command;
  auto send = [&](int byte) {
    sum += byte & 0xFF;
    if (!exchange(byte)) return link_no_answer;
    return link_state.last_reply == ack ? link_ok : link_not_acknowledged;
  };
  LinkResult failed = send(group);
  if (!failed) failed = send(index);
  if (!failed) failed = send(length);
  for (int i = 1; i <= length && !failed; ++i) failed = send(record[i]);
  if (failed) return failed;
  int check = link_check_byte(sum);
  if (!exchange(check)) return link_no_answer;
  return link_state.last_reply == check ? link_ok : link_check_mismatch;
}
