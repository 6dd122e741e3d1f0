#include "sim/karvel_traffic.h"

#include <algorithm>

#include "facts/events.h"
#include "facts/karvel_memory.h"
#include "facts/karvel_state.h"
#include "facts/key_frames.h"

namespace sim {
namespace {

namespace port_code = facts::karvel_port_code;
namespace line_code = facts::karvel_line_code;
namespace event = facts::karvel_event;

namespace board_flag {
constexpr int programming = facts::karvel_board_programming;
constexpr int station_input = facts::karvel_board_station_input;
constexpr int led_off = facts::karvel_board_led_off;
}  // namespace board_flag

// The state memory the traffic keeps, and how far the pieces may reach so
// that no block runs into another: ports up to 48 (their buffers end below
// the channel blocks), line blocks between the ports and 48, 7 channels.
constexpr int most_ports = 48;
constexpr int most_channels = 7;
constexpr int channel_blocks = facts::karvel_channel_blocks;
constexpr int selector_block = facts::karvel_selector_block;
constexpr int board_block = facts::karvel_board_block;
constexpr int board_channels = facts::karvel_board_channels;
constexpr int board_queue = facts::karvel_board_queue;
constexpr int queue_offset = facts::karvel_port_queue_offset;
constexpr int hold_offset = facts::karvel_port_hold_offset;
constexpr int buffer_size = facts::karvel_buffer_size;
constexpr int logical_numbers = facts::karvel_logical_numbers;

int key_digit(std::uint8_t code) { return facts::key_code_digit(code); }
constexpr int lift_key = facts::key_lift;

constexpr std::uint64_t dial_time_out_ms = 10000;

std::uint8_t byte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

}  // namespace

// ---------------------------------------------------------------- set-up

std::uint64_t KarvelTraffic::next_random() {
  random_ ^= random_ >> 12;
  random_ ^= random_ << 25;
  random_ ^= random_ >> 27;
  return random_ * 0x2545F4914F6CDD1DULL;
}

int KarvelTraffic::between(int low, int high) {
  if (high <= low) return low;
  return low + static_cast<int>((next_random() >> 33) % static_cast<std::uint64_t>(high - low + 1));
}

bool KarvelTraffic::chance(int percent) { return between(1, 100) <= percent; }

void KarvelTraffic::take_station_layout() {
  facts::KarvelCounts counts = facts::karvel_counts(&memory_[facts::karvel_identity_address]);
  const int port_total = std::min(counts.ports, most_ports);
  ports_.assign(port_total + 1, Port{});
  console_ = 0;
  for (int p = 1; p <= port_total; ++p) {
    ports_[p].in_service = memory_[facts::karvel_block_address(p)] != 0;
    if (ports_[p].in_service && !console_) console_ = p;
  }
  const int first_line_block = memory_[facts::karvel_first_line_port_address];
  lines_.assign(1, Line{});
  for (int line = 1; line <= counts.city_lines; ++line) {
    Line l;
    l.block = first_line_block + line - 1;
    // A line block among the ports or past the state area takes no part.
    l.in_service = l.block > port_total && l.block <= most_ports && memory_[facts::karvel_block_address(l.block)] != 0;
    lines_.push_back(l);
  }
  channels_.assign(std::min(counts.channel_rows, most_channels) + 1, Channel{});
}

void KarvelTraffic::start(std::uint64_t seed, std::uint64_t now_ms) {
  random_ = seed ? seed : 1;
  now_ = now_ms;
  next_id_ = 1;
  calls_.clear();
  take_station_layout();
  selector_ = Selector{};
  board_ = Board{};
  board_.flags = board_flag::led_off;
  clear_state_memory();
  running_ = true;
  next_spawn_ = now_ms + static_cast<std::uint64_t>(between(300, 1200));
  emit({event::port_count, byte(static_cast<int>(ports_.size()) - 1)});
  emit({event::line_count, byte(line_count())});
}

// ---------------------------------------------------------------- memory

void KarvelTraffic::write_port(int p) {
  const Port& port = ports_[p];
  const bool off_hook = port.code >= port_code::off_hook_from;
  const bool ringing = port.code == port_code::ringing || port.code == port_code::city_ringing;
  const std::uint8_t block[8] = {byte((off_hook ? 1 : 0) | (ringing ? 2 : 0)), port.ring, port.code, port.channel,
                                 port.partner, port.hold, port.transfer, port.join};
  const int at = facts::karvel_block_size * p;
  std::copy(std::begin(block), std::end(block), memory_.begin() + at);
  for (int i = 0; i < buffer_size; ++i) {
    memory_[at + queue_offset + i] = i < static_cast<int>(port.queue.size()) ? port.queue[i] : 0;
    memory_[at + hold_offset + i] = i < static_cast<int>(port.held.size()) ? port.held[i] : 0;
  }
}

void KarvelTraffic::write_line(int line) {
  const Line& l = lines_[line];
  const std::uint8_t block[8] = {byte(l.code != line_code::idle), 0, l.code, l.channel, l.partner, 0, 0, 0};
  std::copy(std::begin(block), std::end(block), memory_.begin() + facts::karvel_block_size * l.block);
}

void KarvelTraffic::write_channel(int j) {
  const Channel& c = channels_[j];
  const int at = channel_blocks + facts::karvel_block_size * j;
  memory_[at] = byte(static_cast<int>(c.members.size()));
  for (int i = 0; i < 8; ++i) memory_[at + 1 + i] = i < static_cast<int>(c.members.size()) ? c.members[i] : 0;
}

void KarvelTraffic::write_selector() {
  memory_[selector_block] = selector_.leader;
  memory_[selector_block + 1] = selector_.channel;
  for (int i = 0; i < 6; ++i)
    memory_[selector_block + 2 + i] = i < static_cast<int>(selector_.registered.size()) ? selector_.registered[i] : 0;
}

void KarvelTraffic::write_board() {
  memory_[board_block] = board_.flags;
  memory_[board_block + 1] = board_.worker;
  for (int k = 0; k < 3; ++k) memory_[board_channels + 16 * k] = board_.channels[k];
  for (int i = 0; i < buffer_size; ++i)
    memory_[board_queue + i] = i < static_cast<int>(board_.queue.size()) ? board_.queue[i] : 0;
}

void KarvelTraffic::clear_state_memory() {
  for (int p = 1; p < static_cast<int>(ports_.size()); ++p) write_port(p);
  for (int line = 1; line <= line_count(); ++line)
    if (lines_[line].in_service) write_line(line);
  for (int j = 1; j <= channel_count(); ++j) write_channel(j);
  write_selector();
  write_board();
}

void KarvelTraffic::emit(EventFrame frame) {
  if (emit_) emit_(frame);
}

void KarvelTraffic::say(const std::string& text) {
  if (log) log("traffic: " + text);
}

// ---------------------------------------------------------------- resources

bool KarvelTraffic::port_free(int p) const {
  return in_service_port(p) && ports_[p].owner == 0 && ports_[p].code == port_code::idle;
}

bool KarvelTraffic::line_free(int line) const {
  return line >= 1 && line <= line_count() && lines_[line].in_service && lines_[line].owner == 0;
}

// A random free port other than the computer's telephone and `except`.
int KarvelTraffic::pick_free_port(int except) {
  std::vector<int> free;
  for (int p = 1; p < static_cast<int>(ports_.size()); ++p)
    if (p != console_ && p != except && port_free(p)) free.push_back(p);
  return free.empty() ? 0 : free[between(0, static_cast<int>(free.size()) - 1)];
}

int KarvelTraffic::pick_free_line() {
  std::vector<int> free;
  for (int line = 1; line <= line_count(); ++line)
    if (line_free(line)) free.push_back(line);
  return free.empty() ? 0 : free[between(0, static_cast<int>(free.size()) - 1)];
}

int KarvelTraffic::take_channel(int call) {
  for (int j = 1; j <= channel_count(); ++j)
    if (channels_[j].owner == 0) {
      channels_[j].owner = call;
      return j;
    }
  return 0;
}

void KarvelTraffic::release_channel(int j) {
  if (j < 1 || j > channel_count()) return;
  channels_[j] = Channel{};
  write_channel(j);
}

void KarvelTraffic::port_state(int p, std::uint8_t code) {
  ports_[p].code = code;
  ports_[p].ring = code == port_code::ringing ? 1 : code == port_code::city_ringing ? 2 : 0;
  write_port(p);
}

void KarvelTraffic::port_idle(int p) {
  Port& port = ports_[p];
  std::vector<std::uint8_t> waiting = std::move(port.queue);
  port = Port{};
  port.in_service = true;
  port.queue = std::move(waiting);
  write_port(p);
}

void KarvelTraffic::line_state(int line, std::uint8_t code) {
  lines_[line].code = code;
  write_line(line);
}

void KarvelTraffic::line_idle(int line) {
  Line& l = lines_[line];
  l.code = line_code::idle;
  l.channel = l.partner = 0;
  l.owner = 0;
  write_line(line);
}

// Joins the members on channel j and says so with a connection event: the
// channel, then up to six of its members.
void KarvelTraffic::connect(Call& call, int j, std::vector<std::uint8_t> members) {
  channels_[j].owner = call.id;
  channels_[j].members = std::move(members);
  write_channel(j);
  EventFrame frame{event::connection, byte(j)};
  for (int i = 0; i < 6; ++i)
    frame.push_back(i < static_cast<int>(channels_[j].members.size()) ? channels_[j].members[i] : 0);
  emit(frame);
}

void KarvelTraffic::lift(Call& call, int p, std::uint8_t code) {
  ports_[p].owner = call.id;
  port_state(p, code);
  emit({event::handset_up, byte(p)});
}

void KarvelTraffic::hang_up(int p) {
  port_idle(p);
  emit({event::handset_down, byte(p)});
}

// ---------------------------------------------------------------- calls

KarvelTraffic::Call& KarvelTraffic::new_call(Kind kind) {
  Call call;
  call.id = next_id_++;
  call.kind = kind;
  call.due = now_;
  calls_.push_back(call);
  return calls_.back();
}

void KarvelTraffic::schedule(Call& call, Step step, int low_ms, int high_ms) {
  call.step = step;
  call.due = now_ + static_cast<std::uint64_t>(between(low_ms, high_ms));
}

// A new call every second or two, while the station has room for it: no
// more calls at once than it has channels, and two more.
void KarvelTraffic::spawn() {
  next_spawn_ = now_ + static_cast<std::uint64_t>(between(800, 2500));
  int running = 0;
  for (const Call& c : calls_) running += c.kind != Kind::console;
  if (running >= channel_count() + 2) return;
  const int pick = between(1, 100);
  if (pick <= 35) start_internal();
  else if (pick <= 53) start_city_out();
  else if (pick <= 73) start_city_in();
  else if (pick <= 88) start_selector();
  else start_board();
}

void KarvelTraffic::start_internal() {
  int a = pick_free_port();
  // Any other telephone, so that now and then it is busy; never the
  // computer's own, which has nobody to answer it.
  int b = a ? between(1, static_cast<int>(ports_.size()) - 1) : 0;
  if (b == a || b == console_ || !in_service_port(b)) b = pick_free_port(a);
  if (!a || !b) return;
  Call& call = new_call(Kind::internal);
  call.a = a;
  call.b = b;
  say("port " + std::to_string(a) + " lifts to call port " + std::to_string(call.b));
  lift(call, a, port_code::dial_tone);
  schedule(call, Step::dial, 1000, 3000);
}

void KarvelTraffic::start_city_out() {
  int a = pick_free_port();
  if (!a || !line_count()) return;
  Call& call = new_call(Kind::city_out);
  call.a = a;
  say("port " + std::to_string(a) + " lifts to go out to the city");
  lift(call, a, port_code::dial_tone);
  schedule(call, Step::seize_line, 1000, 2000);
}

void KarvelTraffic::start_city_in() {
  int line = pick_free_line();
  int b = pick_free_port();
  if (!line || !b) return;
  Call& call = new_call(Kind::city_in);
  call.line = line;
  call.b = b;
  lines_[line].owner = call.id;
  ports_[b].owner = call.id;
  say("city line " + std::to_string(line) + " rings for port " + std::to_string(b));
  line_state(line, line_code::ringing);
  emit({event::line_rings, byte(line)});
  if (chance(30)) {
    line_state(line, line_code::before_disa);
    schedule(call, Step::disa, 800, 1500);
  } else {
    schedule(call, Step::ring_port, 500, 1500);
  }
}

void KarvelTraffic::start_selector() {
  if (selector_.owner) return;
  int a = pick_free_port();
  if (!a) return;
  Call& call = new_call(Kind::selector);
  int j = take_channel(call.id);
  if (!j) {
    calls_.pop_back();
    return;
  }
  call.a = a;
  call.channel = j;
  for (int n = between(2, 4); n > 0; --n) {
    int m = pick_free_port(a);
    if (m && std::find(call.members.begin(), call.members.end(), m) == call.members.end()) call.members.push_back(m);
  }
  say("port " + std::to_string(a) + " leads a SELECTOR conference on channel " + std::to_string(j));
  selector_ = Selector{byte(a), byte(j), {}, call.id};
  lift(call, a, port_code::selector);
  ports_[a].channel = byte(j);
  write_port(a);
  write_selector();
  connect(call, j, {byte(a)});
  emit({event::selector_made, byte(a)});
  schedule(call, Step::selector_join, 1000, 3000);
}

void KarvelTraffic::start_board() {
  if (board_.programming_owner) return;
  int k = 0;
  while (k < 3 && board_.channel_owner[k]) ++k;
  int a = pick_free_port();
  if (k == 3 || !a) return;
  Call& call = new_call(Kind::board);
  call.a = a;
  call.board_channel = k;
  board_.programming_owner = call.id;
  board_.channel_owner[k] = call.id;
  say("port " + std::to_string(a) + " records on board channel " + std::to_string(k + 1));
  lift(call, a, port_code::announcer);
  board_.flags = board_flag::programming | board_flag::station_input;
  board_.worker = byte(a);
  board_.channels[k] = 3;  // preparing to record
  write_board();
  schedule(call, Step::board_record, 1000, 2000);
}

// ---------------------------------------------------------------- steps

void KarvelTraffic::play(Call& call) {
  // Whatever the call was, it ends when the last port left on it hangs up.
  if (call.step == Step::last_hang_up) {
    hang_up(call.a);
    call.step = Step::done;
    return;
  }
  Step next = Step::done;
  switch (call.kind) {
    case Kind::internal: next = step_internal(call); break;
    case Kind::city_out:
    case Kind::city_in: next = step_city(call); break;
    case Kind::selector: next = step_selector(call); break;
    case Kind::board: next = step_board(call); break;
    case Kind::console: next = console_number(call, true); break;  // dialling stopped halfway
  }
  if (next == Step::done) call.step = Step::done;
}

// Dials the called port: it rings, or the caller hears it busy and waits in
// its queue.
KarvelTraffic::Step KarvelTraffic::dial(Call& call) {
  const int a = call.a, b = call.b;
  ports_[a].partner = byte(b);
  if (!in_service_port(b) || !port_free(b)) {
    port_state(a, port_code::calling_busy);
    if (in_service_port(b) && ports_[b].queue.size() < buffer_size) {
      ports_[b].queue.push_back(byte(a));
      write_port(b);
    }
    emit({event::port_calls, byte(a), byte(b)});
    schedule(call, Step::give_up, 3000, 6000);
    return call.step;
  }
  ports_[b].owner = call.id;
  ports_[b].partner = byte(a);
  port_state(a, port_code::calling);
  port_state(b, port_code::ringing);
  emit({event::port_calls, byte(a), byte(b)});
  if (chance(85))
    schedule(call, Step::answer, 2000, 6000);
  else
    schedule(call, Step::give_up, 8000, 12000);
  return call.step;
}

// The side left on the line loses its channel, partner and holds and hears
// the clear-down until it hangs up.
void KarvelTraffic::hear_clear_down(int p) {
  Port& port = ports_[p];
  port.channel = port.partner = port.hold = 0;
  port.held.clear();
  port_state(p, port_code::clear_down);
  emit({event::clear_down, byte(p)});
}

// The talk ends: one side hangs up, the other hears the clear-down.
KarvelTraffic::Step KarvelTraffic::end_talk(Call& call) {
  int first = chance(50) ? call.a : call.b;
  int other = first == call.a ? call.b : call.a;
  release_channel(call.channel);
  call.channel = 0;
  hang_up(first);
  emit({event::call_ended, byte(first), byte(other)});
  hear_clear_down(other);
  call.a = other;
  schedule(call, Step::last_hang_up, 1000, 3000);
  return call.step;
}

// The caller gives up: out of the queue of a busy port, or the port stops
// ringing.
KarvelTraffic::Step KarvelTraffic::give_up(Call& call) {
  const int a = call.a, b = call.b;
  std::vector<std::uint8_t>& queue = ports_[b].queue;
  if (std::find(queue.begin(), queue.end(), byte(a)) != queue.end()) {
    std::erase(queue, byte(a));
    write_port(b);
  }
  bool rang = ports_[b].owner == call.id;
  if (rang) port_idle(b);
  hang_up(a);
  if (rang) emit({event::call_ended, byte(a), byte(b)});
  return Step::done;
}

// The called port answers; with every channel taken the caller hears that
// there is none.
KarvelTraffic::Step KarvelTraffic::answer(Call& call) {
  const int a = call.a, b = call.b;
  int j = take_channel(call.id);
  if (!j) {
    port_idle(b);
    port_state(a, port_code::no_channel);
    emit({event::call_ended, byte(a), byte(b)});
    schedule(call, Step::last_hang_up, 1500, 2500);
    return call.step;
  }
  call.channel = j;
  for (int p : {a, b}) {
    ports_[p].channel = byte(j);
    ports_[p].partner = byte(p == a ? b : a);
  }
  port_state(b, port_code::talking);
  emit({event::handset_up, byte(b)});
  port_state(a, port_code::talking);
  connect(call, j, {byte(a), byte(b)});
  if (chance(30))
    schedule(call, Step::hold, 4000, 10000);
  else
    schedule(call, Step::talk_end, 5000, 20000);
  return call.step;
}

// The caller puts the called port on hold, or takes it back.
KarvelTraffic::Step KarvelTraffic::hold_port(Call& call, bool hold) {
  const int a = call.a, b = call.b;
  ports_[a].hold = hold ? byte(b) : 0;
  ports_[a].held = hold ? std::vector<std::uint8_t>{byte(b)} : std::vector<std::uint8_t>{};
  port_state(a, hold ? port_code::holding : port_code::talking);
  port_state(b, hold ? port_code::held : port_code::talking);
  if (hold) {
    emit({event::port_held, byte(b), byte(a)});
    schedule(call, Step::resume, 3000, 8000);
  } else {
    connect(call, call.channel, {byte(a), byte(b)});
    schedule(call, Step::talk_end, 3000, 10000);
  }
  return call.step;
}

KarvelTraffic::Step KarvelTraffic::step_internal(Call& call) {
  switch (call.step) {
    case Step::dial: return dial(call);
    case Step::give_up: return give_up(call);
    case Step::answer: return answer(call);
    case Step::hold: return hold_port(call, true);
    case Step::resume: return hold_port(call, false);
    case Step::talk_end: return end_talk(call);
    default: return Step::done;
  }
}

// Takes the chosen line, or any free one.
KarvelTraffic::Step KarvelTraffic::seize_line(Call& call) {
  port_state(call.a, port_code::going_out);
  int line = call.line ? (line_free(call.line) ? call.line : 0) : pick_free_line();
  if (!line) {
    call.line = 0;
    port_state(call.a, port_code::no_line);
    schedule(call, Step::last_hang_up, 1500, 2500);
    return call.step;
  }
  call.line = line;
  lines_[line].owner = call.id;
  lines_[line].partner = byte(call.a);
  line_state(line, line_code::loading);
  emit({event::line_busy, byte(line)});
  schedule(call, Step::city_connect, 1000, 2000);
  return call.step;
}

// The called port rings for a city line.
KarvelTraffic::Step KarvelTraffic::ring_port(Call& call) {
  lines_[call.line].partner = byte(call.b);
  write_line(call.line);
  ports_[call.b].partner = byte(lines_[call.line].block);
  port_state(call.b, port_code::city_ringing);
  emit({event::line_calls, byte(call.line), byte(call.b)});
  if (chance(85))
    schedule(call, Step::city_answer, 2000, 6000);
  else
    schedule(call, Step::city_unanswered, 10000, 14000);
  return call.step;
}

// The city side or the port ends a city call; the line clears down and is
// free a moment later.
KarvelTraffic::Step KarvelTraffic::end_city_call(Call& call) {
  Line& l = lines_[call.line];
  release_channel(call.channel);
  call.channel = 0;
  l.channel = 0;
  line_state(call.line, line_code::clear_down);
  if (chance(50)) {
    hang_up(call.a);
    call.a = 0;
  } else {
    emit({event::line_call_ended, byte(call.line), byte(call.a)});
    hear_clear_down(call.a);
  }
  schedule(call, Step::line_free, 800, 1500);
  return call.step;
}

KarvelTraffic::Step KarvelTraffic::line_freed(Call& call) {
  line_idle(call.line);
  emit({event::line_free, byte(call.line)});
  if (!call.a) return Step::done;
  schedule(call, Step::last_hang_up, 1000, 2000);
  return call.step;
}

// Port and line talk on channel j; an incoming call is answered first.
void KarvelTraffic::talk_to_city(Call& call, int j, bool incoming) {
  call.channel = j;
  Line& l = lines_[call.line];
  l.channel = byte(j);
  ports_[call.a].channel = byte(j);
  ports_[call.a].partner = byte(l.block);
  port_state(call.a, port_code::city_talk);
  if (incoming) emit({event::handset_up, byte(call.a)});
  line_state(call.line, line_code::talking);
  if (incoming) emit({event::line_busy, byte(call.line)});
  connect(call, j, incoming ? std::vector<std::uint8_t>{l.block_byte(), byte(call.a)}
                            : std::vector<std::uint8_t>{byte(call.a), l.block_byte()});
  if (chance(25))
    schedule(call, Step::city_hold, 5000, 12000);
  else
    schedule(call, Step::city_end, 8000, 30000);
}

// An outgoing call gets its channel once the line is loaded.
KarvelTraffic::Step KarvelTraffic::connect_city(Call& call) {
  int j = take_channel(call.id);
  if (!j) {
    port_state(call.a, port_code::no_channel);
    return line_freed(call);
  }
  talk_to_city(call, j, false);
  return call.step;
}

// The port puts its line on hold, or takes it back.
KarvelTraffic::Step KarvelTraffic::hold_line(Call& call, bool hold) {
  const std::uint8_t block = lines_[call.line].block_byte();
  ports_[call.a].held = hold ? std::vector<std::uint8_t>{block} : std::vector<std::uint8_t>{};
  port_state(call.a, hold ? port_code::holding : port_code::city_talk);
  line_state(call.line, hold ? line_code::held : line_code::talking);
  if (hold) {
    emit({event::line_held, byte(call.line), byte(call.a)});
    schedule(call, Step::city_resume, 3000, 8000);
  } else {
    connect(call, call.channel, {byte(call.a), block});
    schedule(call, Step::city_end, 3000, 10000);
  }
  return call.step;
}

// DISA: the board greets the caller, who dials the subscriber himself; with
// every board channel busy the line waits in the board's queue a while, and
// is then put through as an ordinary call.
KarvelTraffic::Step KarvelTraffic::greet_with_board(Call& call) {
  int k = 0;
  while (k < 3 && board_.channel_owner[k]) ++k;
  const std::uint8_t block = lines_[call.line].block_byte();
  if (k == 3 && ++call.tries <= 5) {
    if (std::find(board_.queue.begin(), board_.queue.end(), block) == board_.queue.end() &&
        board_.queue.size() < buffer_size)
      board_.queue.push_back(block);
    write_board();
    line_state(call.line, line_code::waiting_announcer);
    schedule(call, Step::disa, 1000, 1000);
    return call.step;
  }
  std::erase(board_.queue, block);
  write_board();
  if (k == 3) return ring_port(call);
  call.board_channel = k;
  board_.channel_owner[k] = call.id;
  board_.channels[k] = 2;  // playing back the greeting
  write_board();
  line_state(call.line, line_code::disa);
  schedule(call, Step::disa_dialled, 3000, 5000);
  return call.step;
}

KarvelTraffic::Step KarvelTraffic::greeted(Call& call) {
  board_.channels[call.board_channel] = 0;
  board_.channel_owner[call.board_channel] = 0;
  call.board_channel = -1;
  write_board();
  line_state(call.line, line_code::direct_call);
  return ring_port(call);
}

// The rung port answers a city call, when a channel is free within a few
// tries; else the caller gives up.
KarvelTraffic::Step KarvelTraffic::answer_city(Call& call) {
  int j = take_channel(call.id);
  if (j) {
    call.a = call.b;
    talk_to_city(call, j, true);
    return call.step;
  }
  if (++call.tries > 3) return city_unanswered(call);
  line_state(call.line, line_code::waiting_channel);
  schedule(call, Step::city_answer, 2000, 2000);
  return call.step;
}

KarvelTraffic::Step KarvelTraffic::city_unanswered(Call& call) {
  port_idle(call.b);
  call.a = 0;
  line_state(call.line, line_code::clear_down);
  emit({event::line_call_ended, byte(call.line), byte(call.b)});
  schedule(call, Step::line_free, 800, 1500);
  return call.step;
}

KarvelTraffic::Step KarvelTraffic::step_city(Call& call) {
  switch (call.step) {
    case Step::seize_line: return seize_line(call);
    case Step::city_connect: return connect_city(call);
    case Step::city_hold: return hold_line(call, true);
    case Step::city_resume: return hold_line(call, false);
    case Step::city_end: return end_city_call(call);
    case Step::line_free: return line_freed(call);
    case Step::disa: return greet_with_board(call);
    case Step::disa_dialled: return greeted(call);
    case Step::ring_port: return ring_port(call);
    case Step::city_answer: return answer_city(call);
    case Step::city_unanswered: return city_unanswered(call);
    default: return Step::done;
  }
}

KarvelTraffic::Step KarvelTraffic::step_selector(Call& call) {
  const int a = call.a, j = call.channel;
  switch (call.step) {
    case Step::selector_join: {
      while (!call.members.empty()) {
        int m = call.members.front();
        call.members.erase(call.members.begin());
        if (!port_free(m)) continue;
        lift(call, m, port_code::selector);
        selector_.registered.push_back(byte(m));
        write_selector();
        emit({event::selector_joined, byte(m)});
        ports_[m].channel = byte(j);
        ports_[m].partner = byte(a);
        write_port(m);
        call.joined.push_back(m);
        std::vector<std::uint8_t> members = channels_[j].members;
        members.push_back(byte(m));
        connect(call, j, members);
        break;
      }
      if (!call.members.empty())
        schedule(call, Step::selector_join, 1000, 3000);
      else
        schedule(call, Step::selector_leave, 10000, 25000);
      return call.step;
    }
    case Step::selector_leave: {
      if (!call.joined.empty()) {
        int m = call.joined.back();
        call.joined.pop_back();
        std::erase(selector_.registered, byte(m));
        write_selector();
        std::erase(channels_[j].members, byte(m));
        write_channel(j);
        hang_up(m);
        emit({event::selector_left, byte(m)});
      }
      schedule(call, call.joined.empty() ? Step::selector_end : Step::selector_leave, 1000, 2000);
      return call.step;
    }
    case Step::selector_end:
      selector_ = Selector{};
      write_selector();
      release_channel(j);
      emit({event::selector_ended, byte(a)});
      hang_up(a);
      return Step::done;
    default:
      return Step::done;
  }
}

KarvelTraffic::Step KarvelTraffic::step_board(Call& call) {
  const int k = call.board_channel;
  switch (call.step) {
    case Step::board_record:
      board_.channels[k] = 4;  // recording
      write_board();
      schedule(call, Step::board_pause, 3000, 6000);
      return call.step;
    case Step::board_pause:
      board_.channels[k] = 1;
      write_board();
      schedule(call, Step::board_play, 1000, 2000);
      return call.step;
    case Step::board_play:
      board_.channels[k] = 2;  // playing the recording back
      write_board();
      schedule(call, Step::board_done, 2000, 4000);
      return call.step;
    case Step::board_done:
      board_.channels[k] = 0;
      board_.channel_owner[k] = 0;
      board_.programming_owner = 0;
      board_.flags = board_flag::led_off;
      board_.worker = 0;
      write_board();
      hang_up(call.a);
      return Step::done;
    default:
      return Step::done;
  }
}

// ---------------------------------------------------------------- time

void KarvelTraffic::advance_to(std::uint64_t now_ms) {
  if (!running_) return;
  for (;;) {
    Call* earliest = nullptr;
    for (Call& c : calls_)
      if (c.step != Step::done && (!earliest || c.due < earliest->due || (c.due == earliest->due && c.id < earliest->id)))
        earliest = &c;
    const bool spawn_first = !earliest || next_spawn_ <= earliest->due;
    const std::uint64_t due = spawn_first ? next_spawn_ : earliest->due;
    if (due > now_ms) break;
    now_ = due;
    if (spawn_first)
      spawn();
    else
      play(*earliest);
    std::erase_if(calls_, [](const Call& c) { return c.step == Step::done; });
  }
  now_ = now_ms;
}

// ---------------------------------------------------------------- the computer's telephone

KarvelTraffic::Call* KarvelTraffic::console_call() {
  for (Call& c : calls_)
    if (c.kind == Kind::console) return &c;
  return nullptr;
}

void KarvelTraffic::console_lifts(std::uint64_t now_ms) {
  now_ = std::max(now_, now_ms);
  Call& call = new_call(Kind::console);
  call.a = console_;
  say("the computer lifts the handset of port " + std::to_string(console_));
  lift(call, console_, port_code::dial_tone);
  call.step = Step::dial_wait;
  call.due = now_ + dial_time_out_ms;
}

void KarvelTraffic::key(std::uint8_t code, std::uint64_t now_ms) {
  if (!running_) return;
  advance_to(now_ms);
  const int digit = key_digit(code);
  if (!console_ || (code != lift_key && digit < 0)) {
    say("key " + hex_bytes(&code, 1) + " ignored");
    return;
  }
  Call* call = console_call();
  if (!call) {
    if (!port_free(console_)) {
      say("key " + hex_bytes(&code, 1) + " ignored: port " + std::to_string(console_) + " is busy");
      return;
    }
    console_lifts(now_ms);
    call = console_call();
  }
  if (call->step != Step::dial_wait) {
    say("key " + hex_bytes(&code, 1) + " ignored: the call is past dialling");
    return;
  }
  if (code == lift_key) {
    call->digits.clear();
    call->due = now_ + dial_time_out_ms;
    return;
  }
  console_digit(digit);
}

void KarvelTraffic::console_digit(int digit) {
  Call& call = *console_call();
  call.digits.push_back(static_cast<char>('0' + digit));
  say("port " + std::to_string(call.a) + " dials " + call.digits);
  console_number(call, false);
  std::erase_if(calls_, [](const Call& c) { return c.step == Step::done; });
}

// What the digits dialled so far make: a port by its logical number 1xy, a
// city line 0L, the start of one of those, or a wrong number. Dialling that
// stops halfway is a wrong number after a while.
KarvelTraffic::Step KarvelTraffic::console_number(Call& call, bool timed_out) {
  const std::string& d = call.digits;
  auto wrong_number = [&]() {
    port_state(call.a, port_code::dial_error);
    call.kind = Kind::internal;
    schedule(call, Step::last_hang_up, 2000, 2000);
    return call.step;
  };
  auto wait_more = [&]() {
    call.step = Step::dial_wait;
    call.due = now_ + dial_time_out_ms;
    return call.step;
  };
  if (timed_out) return wrong_number();
  if (d.empty()) return wait_more();
  if (d[0] == '0') {
    if (d.size() < 2) return wait_more();
    int line = d[1] - '0';
    if (line < 1 || line > line_count() || !lines_[line].in_service) return wrong_number();
    call.kind = Kind::city_out;
    call.line = line;
    return seize_line(call);
  }
  if (d[0] == '1') {
    if (d.size() < 3) return wait_more();
    int port = memory_[logical_numbers + (d[1] - '0') * 10 + (d[2] - '0')];
    if (!in_service_port(port) || port == call.a) return wrong_number();
    call.kind = Kind::internal;
    call.b = port;
    return dial(call);
  }
  return wrong_number();
}

}  // namespace sim
