#pragma once
// The live traffic of a karvel station: its telephones go off hook, dial,
// ring each other and the city lines, talk on the station's channels, hold,
// meet in a SELECTOR conference, and the expansion board records and plays.
//
// The traffic keeps each port, city line and channel as a record and writes
// it to the state memory below 0x8000 whenever it changes, in the layout the
// computer's views read; right after each change it hands the matching event
// frame (0x81..0x93) to the station, which offers it to the polls. So the
// state table and the event log tell one story.
//
//   256 p          port p: status, ring flags, state code, channel, working
//                  subscriber, temporary hold, transfer return, join request
//   256 p + 0x30   port p's call queue (8 bytes), 256 p + 0x50 its holds
//   256 n          city line with block number n = first line block + L - 1:
//                  busy, 0, state code, channel, subscriber
//   0x3007 + 256 j channel j: member count, then the ports and line block
//                  numbers joined on it
//   0x3900         SELECTOR: leader, channel, six registered subscribers
//   0x3A00         expansion board: flags, working subscriber; its three
//                  channels at 0x3A10 + 16 k; its queue at 0x3A40
//
// Time is the station's: the traffic moves only when told the time, and it
// plays every step in the order of its due time, each drawing its random
// numbers in turn, so for one seed the state at a given time is the same
// however often it was looked at. The lowest port in service is the
// computer's own telephone: the station's calls leave it alone, and the key
// frames of the event log view dial on it (0x20 lifts the handset, 0x11..0x1A
// are the digits 1..9, 0; "1xy" calls the port with logical number 1xy, "0L"
// takes city line L).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/station.h"

namespace sim {

class KarvelTraffic {
 public:
  using Memory = std::array<std::uint8_t, 0x10000>;
  using Emit = std::function<void(const EventFrame&)>;

  KarvelTraffic(Memory& memory, Emit emit) : memory_(memory), emit_(std::move(emit)) {}
  KarvelTraffic(const KarvelTraffic&) = delete;
  KarvelTraffic& operator=(const KarvelTraffic&) = delete;

  // Starts the traffic at `now_ms`: the station's counts come from the
  // identity in memory, and only ports and lines in service take part. The
  // state memory is cleared to all idle and the counts are announced
  // (0x8E, 0x8F).
  void start(std::uint64_t seed, std::uint64_t now_ms);
  bool running() const { return running_; }
  // Plays every step due up to `now_ms`.
  void advance_to(std::uint64_t now_ms);
  // A key frame's code from the computer, received at `now_ms`.
  void key(std::uint8_t code, std::uint64_t now_ms);

  // Told of each call as it starts and of each key taken, for the log.
  std::function<void(const std::string&)> log;

  // The computer's telephone, 0 when no port is in service.
  int console_port() const { return console_; }

 private:
  enum class Kind { internal, city_out, city_in, selector, board, console };
  enum class Step {
    dial, give_up, answer, hold, resume, talk_end, last_hang_up,
    seize_line, city_connect, city_hold, city_resume, city_end, line_free,
    disa, disa_dialled, ring_port, city_answer, city_unanswered,
    selector_join, selector_leave, selector_end,
    board_record, board_pause, board_play, board_done,
    dial_wait, done
  };
  struct Port {
    bool in_service = false;
    std::uint8_t code = 0, channel = 0, partner = 0, hold = 0, transfer = 0, join = 0;
    std::uint8_t ring = 0;
    int owner = 0;  // the call that has the port, 0 when free
    std::vector<std::uint8_t> queue;  // callers waiting for it
    std::vector<std::uint8_t> held;   // whom it holds
  };
  struct Line {
    bool in_service = false;
    int block = 0;  // its block number, first line block + L - 1
    std::uint8_t code = 0, channel = 0, partner = 0;
    int owner = 0;
    std::uint8_t block_byte() const { return static_cast<std::uint8_t>(block); }
  };
  struct Channel {
    std::vector<std::uint8_t> members;
    int owner = 0;
  };
  struct Selector {
    std::uint8_t leader = 0, channel = 0;
    std::vector<std::uint8_t> registered;
    int owner = 0;
  };
  struct Board {
    std::uint8_t flags = 0, worker = 0;
    std::array<std::uint8_t, 3> channels{};
    std::array<int, 3> channel_owner{};
    std::vector<std::uint8_t> queue;
    int programming_owner = 0;
  };
  struct Call {
    int id = 0;
    Kind kind = Kind::internal;
    Step step = Step::done;
    std::uint64_t due = 0;
    int a = 0;        // the calling port, or the port of a city call
    int b = 0;        // the called port
    int line = 0;     // the city line, 1..
    int channel = 0;  // 1..
    int board_channel = -1;
    int tries = 0;
    std::vector<int> members;  // SELECTOR members still to join, then joined
    std::vector<int> joined;
    std::string digits;  // dialled on the computer's telephone
  };

  // Random numbers: xorshift64*, the same everywhere.
  std::uint64_t next_random();
  int between(int low, int high);
  bool chance(int percent);

  // Counts and the pieces that take part.
  void take_station_layout();
  int line_count() const { return static_cast<int>(lines_.size()) - 1; }
  int channel_count() const { return static_cast<int>(channels_.size()) - 1; }

  // State memory.
  void write_port(int p);
  void write_line(int line);
  void write_channel(int j);
  void write_selector();
  void write_board();
  void clear_state_memory();
  void emit(EventFrame frame);
  void say(const std::string& text);

  // Ports, lines and channels changing hands.
  bool port_free(int p) const;
  bool line_free(int line) const;
  int pick_free_port(int except = 0);
  int pick_free_line();
  int take_channel(int call);
  void release_channel(int j);
  void port_state(int p, std::uint8_t code);
  void port_idle(int p);
  void line_state(int line, std::uint8_t code);
  void line_idle(int line);
  void connect(Call& call, int j, std::vector<std::uint8_t> members);
  void lift(Call& call, int p, std::uint8_t code);
  void hang_up(int p);
  void hear_clear_down(int p);

  // Calls.
  void spawn();
  Call& new_call(Kind kind);
  void start_internal();
  void start_city_out();
  void start_city_in();
  void start_selector();
  void start_board();
  void play(Call& call);
  void schedule(Call& call, Step step, int low_ms, int high_ms);
  Step step_internal(Call& call);
  Step step_city(Call& call);
  Step step_selector(Call& call);
  Step step_board(Call& call);
  Step dial(Call& call);
  Step give_up(Call& call);
  Step answer(Call& call);
  Step hold_port(Call& call, bool hold);
  void talk_to_city(Call& call, int j, bool incoming);
  Step connect_city(Call& call);
  Step hold_line(Call& call, bool hold);
  Step greet_with_board(Call& call);
  Step greeted(Call& call);
  Step answer_city(Call& call);
  Step city_unanswered(Call& call);
  Step ring_port(Call& call);
  Step seize_line(Call& call);
  Step line_freed(Call& call);
  Step end_talk(Call& call);
  Step end_city_call(Call& call);

  // The computer's telephone.
  Call* console_call();
  void console_lifts(std::uint64_t now_ms);
  void console_digit(int digit);
  Step console_number(Call& call, bool timed_out);
  bool in_service_port(int p) const { return p >= 1 && p < static_cast<int>(ports_.size()) && ports_[p].in_service; }

  Memory& memory_;
  Emit emit_;
  bool running_ = false;
  std::uint64_t random_ = 1;
  std::uint64_t now_ = 0;
  std::uint64_t next_spawn_ = 0;
  int next_id_ = 1;
  int console_ = 0;
  std::vector<Port> ports_;       // 1..ports
  std::vector<Line> lines_;       // 1..lines
  std::vector<Channel> channels_; // 1..channel rows
  Selector selector_;
  Board board_;
  std::vector<Call> calls_;
};

}  // namespace sim
