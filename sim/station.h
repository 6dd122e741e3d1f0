#pragma once
// What both station models share: the byte-by-byte answering, the line
// speed, the frame time-out, the queue of events offered to polls, and the
// settings image. A station does no input or output of its own: it is given
// each byte the computer sends and returns its answer, if any.
//
// The line is strict lock-step: the computer sends one byte, the station
// answers it with at most one byte. Frames end with a check byte over every
// byte of the frame except the computer's 0xFF acknowledgements.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "facts/station_facts.h"

namespace sim {

// The check byte that closes a frame, from the sum of its bytes mod 256.
inline std::uint8_t check_byte(std::uint8_t sum) { return static_cast<std::uint8_t>(facts::check_byte(sum)); }

// A block or record frame by its name, as soon as the station has it: the
// command byte, then the address (karvel) or the group and index (tomrik).
struct FrameName {
  std::uint8_t command = 0;
  std::uint16_t address = 0;
  std::uint8_t group = 0;
  std::uint8_t index = 0;
};

// The station's part in the lock-step exchange; the kind tells the fault
// injection which answers are check bytes.
enum class AnswerKind { ack, data, check, echo, idle, refusal };
struct Answer {
  std::uint8_t byte;
  AnswerKind kind;
};

// An event frame as the station sends it: the code, then its further bytes.
using EventFrame = std::vector<std::uint8_t>;

class Station {
 public:
  virtual ~Station() = default;

  // One byte from the computer sent at `line_baud`, at `now_ms`. At any
  // other speed than the station's the byte is noise to it: no answer, and
  // the frame in progress is left as it was.
  std::optional<Answer> receive(std::uint8_t byte, int line_baud, std::uint64_t now_ms);

  // The line lost the answer just given, or brought it after the program's
  // time-out: the program gives the frame up, and its next byte starts a
  // new one, however soon it comes.
  void answer_lost() { answer_lost_ = true; }

  // True when `byte` is the command byte of the frame in progress and the
  // frame has had no other byte yet. Sent again before the station's answer
  // has reached the computer, it is the computer's repeat after a time-out,
  // not the frame's next byte.
  bool repeats_frame_start(std::uint8_t byte) const { return started_by_ >= 0 && started_by_ == byte; }

  virtual const char* model() const = 0;
  int baud() const { return baud_; }
  virtual void set_baud(int baud) { baud_ = baud; }
  // How long the programs wait for one answer byte.
  virtual int program_timeout_ms() const = 0;

  // Queues an event to offer to the polls from `due_ms` on; false (with a
  // reason) when the frame's length does not fit its code.
  bool queue_event(const EventFrame& frame, std::uint64_t due_ms = 0, std::string* error = nullptr);
  // Queues an event of the station's own live traffic at once. One that
  // does not fit its code is a fault of the traffic: it is refused with a
  // log line and counted, never dropped without a word.
  bool queue_live_event(const EventFrame& frame);
  int refused_live_events() const { return refused_live_events_; }
  std::size_t events_waiting() const { return events_.size(); }
  // Drops the oldest events until at most `keep` wait; never the one a poll
  // is sending.
  void drop_oldest_events(std::size_t keep);
  // Further bytes after an event code (a 0x8D frame of tomrik: the third
  // further byte adds more, so the frame is given).
  virtual int further_bytes(const EventFrame& frame) const = 0;

  // The settings image of the model, as settings files hold it.
  virtual std::size_t image_size() const = 0;
  virtual std::vector<std::uint8_t> image() const = 0;
  virtual bool load_image(const std::vector<std::uint8_t>& image) = 0;
  // The identity text: 8 characters for karvel, 4 for tomrik.
  virtual bool set_identity(const std::string& text) = 0;

  // Told one line for every frame the station finishes or gives up.
  std::function<void(const std::string&)> frame_log;
  bool log_empty_polls = false;

  // For tests: told of each block or record frame as soon as its name has
  // arrived. Answering true spoils that frame: the station's check byte
  // comes out wrong, and a write is not stored. A hook that changes the
  // name sends the frame there, as address or name bytes damaged on their
  // way would, with the check bytes still agreeing (they cover the bytes
  // the computer sent).
  std::function<bool(FrameName&)> frame_hook;

 protected:
  explicit Station(int baud) : baud_(baud) {}

  // A byte at the right speed.
  virtual std::optional<Answer> take(std::uint8_t byte, std::uint64_t now_ms) = 0;
  virtual bool in_frame() const = 0;
  // Gives up the frame in progress: the computer stopped sending in the
  // middle of it (it timed out on a lost answer and started a new frame).
  virtual void abandon_frame() = 0;
  // The first byte after an abandoned frame; by default a new frame.
  virtual std::optional<Answer> after_lost_frame(std::uint8_t byte, std::uint64_t now_ms) { return take(byte, now_ms); }
  // Silence of this long inside a frame means the program gave up: one
  // that heard its answer sends on at once, one that did not waits its whole
  // time-out first. So the gap is the program's time-out less a millisecond
  // for the clocks' rounding: a healthy frame keeps all the time up to the
  // time-out as margin against a loaded machine, and a program can end
  // whatever frame the station is in by one time-out of silence. A give-up
  // on an answer the line lost is also recognised at once (answer_lost).
  virtual int frame_gap_ms() const = 0;

  // The event poll, the same in both models: 0x80 is answered 0x80 when
  // nothing is due, else with the event code; each 0xFF then brings a
  // further byte, and the computer's check byte is answered with the
  // station's. An event leaves the queue only when the check bytes agree,
  // so a frame the computer lost is offered again.
  Answer start_poll(std::uint64_t now_ms);
  bool polling() const { return event_sent_ > 0; }
  std::optional<Answer> continue_poll(std::uint8_t byte);
  void abandon_poll() { event_sent_ = 0; }

  void log(const std::string& line) const {
    if (frame_log) frame_log(line);
  }
  // The frame hook's verdict on a frame just named: true to spoil it. The
  // name is where the frame goes.
  bool spoils(FrameName& name) const { return frame_hook && frame_hook(name); }
  // The check byte a spoiled frame answers with: never the right one.
  static std::uint8_t spoiled(std::uint8_t check) { return static_cast<std::uint8_t>(check ^ 0x01); }

 private:
  struct QueuedEvent {
    EventFrame frame;
    std::uint64_t due;
  };
  int baud_;
  int started_by_ = -1;  // the command byte of a frame that has had no other, or -1
  std::uint64_t last_byte_ms_ = 0;
  bool answer_lost_ = false;
  std::deque<QueuedEvent> events_;
  std::size_t event_sent_ = 0;  // bytes of the front event sent in this poll
  std::uint8_t event_sum_ = 0;
  int refused_live_events_ = 0;
};

// Hexadecimal bytes for the log: "81 05".
std::string hex_bytes(const std::uint8_t* bytes, std::size_t count);

}  // namespace sim
