#pragma once
// The smaller station model: its configuration is a set of records named by
// (group, index), each a few data bytes, at a fixed 4800 baud.
//
// Frames (computer byte / station answer), C = AA (read) or A5 (write):
//   read record  C / FF, group / FF, index / N, FF / d1 ... FF / dN,
//                check / check
//   write record C / FF, group / FF, index / FF, N / FF, d1 / FF ... dN / FF,
//                check / check          (stored only when the checks agree)
//   event poll   80 / 80 (nothing), or 80 / code, FF / b1 ... FF / bL,
//                check / check
// Synchronisation: a ready station answers C with FF. A repeated C in place
// of the group is another attempt and is answered FF again. A byte that
// comes after the computer gave up a frame in the middle (its answer was
// lost, or no byte came for the program's time-out), or that no frame starts with, is
// answered 0x80, the idle answer; the station is then ready, so the next
// attempt gets FF and synchronises by the "0x80 then FF" rule. A station
// busy with its calls may also answer the first C of a frame with its idle
// 0x80 (set_idle_sync); it is then ready, and the next attempt synchronises.
//
// Unknown records: a read gets length 0 (an empty record, which the program
// shows as absent); a write is refused with 0x00 in place of the
// acknowledgement of the index (the program reports "not acknowledged").
// Each record has a fixed room (the special cell records hold 24 bytes and
// are written with 25); a record may hold fewer bytes than its room (a
// station that answers short). A write stores its first N bytes over the
// record's bytes, as far as its room or its present length reach, whichever
// is more, and ignores the rest.

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/station.h"

namespace sim {

class TomrikStation : public Station {
 public:
  static constexpr std::size_t image_bytes = facts::tomrik_image_size;
  static constexpr int max_lines = facts::tomrik_max_lines;
  static constexpr int max_subscribers = facts::tomrik_max_subscribers;

  // A working station: identity "T416" (4 city lines, 16 subscribers).
  TomrikStation();

  const char* model() const override { return "tomrik"; }
  int program_timeout_ms() const override { return 51; }
  int further_bytes(const EventFrame& frame) const override;

  std::size_t image_size() const override { return image_bytes; }
  std::vector<std::uint8_t> image() const override;
  // Takes the records apart from the image; the line and subscriber counts
  // come from its identity (digit values, limited to 4 and 16).
  bool load_image(const std::vector<std::uint8_t>& image) override;
  bool set_identity(const std::string& text) override;

  // The probability that the first synchronisation byte of a frame is
  // answered with the idle 0x80, drawn from a generator of its own seed.
  void set_idle_sync(double probability, std::uint64_t seed);

  int city_lines() const { return lines_; }
  int subscribers() const { return subscribers_; }
  // The record's data bytes, or nullptr when the station has no such record.
  const std::vector<std::uint8_t>* record(std::uint8_t group, std::uint8_t index) const;
  // Adds a record or replaces its bytes (at most 255); a record keeps its
  // room.
  void set_record(std::uint8_t group, std::uint8_t index, const std::vector<std::uint8_t>& data);
  // The record's bytes to read or change in place (for tests); a record the
  // station did not have is added empty. Bytes beyond 255 are never sent.
  std::vector<std::uint8_t>& record_bytes(std::uint8_t group, std::uint8_t index);

 protected:
  std::optional<Answer> take(std::uint8_t byte, std::uint64_t now_ms) override;
  bool in_frame() const override { return step_ != Step::idle; }
  void abandon_frame() override;
  std::optional<Answer> after_lost_frame(std::uint8_t byte, std::uint64_t now_ms) override;
  int frame_gap_ms() const override { return 50; }

 private:
  enum class Step { idle, group, index, read_data, read_check, write_length, write_data, write_check, event };
  struct Frame {
    std::uint8_t command = 0;
    std::uint8_t group = 0;
    std::uint8_t index = 0;
    std::uint8_t length = 0;
    std::uint8_t done = 0;
    std::uint8_t sum = 0;
    bool spoiled = false;  // by the frame hook
    std::array<std::uint8_t, 255> data{};
  };
  struct Record {
    std::vector<std::uint8_t> bytes;
    std::size_t room = 0;  // what a write may fill
  };
  static std::uint16_t key(std::uint8_t group, std::uint8_t index) {
    return static_cast<std::uint16_t>(group << 8 | index);
  }

  std::optional<Answer> start_frame(std::uint8_t byte, std::uint64_t now_ms);
  Answer add(std::uint8_t byte, Step next, Answer answer);
  Answer open_record(std::uint8_t byte);
  Answer send_data();
  Answer finish(std::uint8_t their_check);
  Answer idle_answer();
  bool answers_idle_first();
  void rebuild_records(const std::vector<std::uint8_t>& image);
  void store_written();

  std::map<std::uint16_t, Record> records_;
  int lines_ = 0;
  int subscribers_ = 0;
  Step step_ = Step::idle;
  Frame frame_;
  bool ready_ = false;  // the idle answer was given: the next C synchronises
  double idle_sync_ = 0;
  std::uint64_t idle_rng_ = 1;
};

}  // namespace sim
