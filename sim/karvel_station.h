#pragma once
// The larger station model: a 64 KB memory that the computer reads and
// writes in blocks. 0x8000..0xFFFF is the configuration window (the settings
// image); below it lies the live state of ports, lines and channels.
//
// Frames (computer byte / station answer):
//   line test   BA / BA
//   read block  BD / FF, lo / FF, hi / FF, n / d0, FF / d1 ... FF / d(n-1),
//               check / check           (n = 0: the check byte follows n at
//                                         once and n gets no answer)
//   write block BE / FF, lo / FF, hi / FF, n / FF, d0 / FF ... d(n-1) / FF,
//               check / check           (stored only when the checks agree)
//   event poll  80 / 80 (nothing), or 80 / code, FF / b1 ... FF / bL,
//               check / check
//   key frame   81 / FF, key / FF, check / check
// A byte it does not expect gets no answer. Writing the exchange speed
// setting (0x8029) moves the station to that speed after the frame.

#include <array>
#include <cstdint>
#include <deque>

#include "sim/karvel_traffic.h"
#include "sim/station.h"

namespace sim {

class KarvelStation : public Station {
 public:
  static constexpr std::uint16_t window = facts::karvel_window;
  static constexpr std::size_t image_bytes = facts::karvel_image_size;
  static constexpr std::uint16_t speed_setting = facts::karvel_speed_address;

  // A working station: identity "KAR424-4" (4 city lines, 24 ports, 4
  // channel rows), first line block 33, at 57600 baud.
  KarvelStation();
  // The traffic writes into this station's memory.
  KarvelStation(const KarvelStation&) = delete;
  KarvelStation& operator=(const KarvelStation&) = delete;

  const char* model() const override { return "karvel"; }
  int program_timeout_ms() const override { return 200; }
  // Also stores the speed setting, so the station's memory tells its speed.
  void set_baud(int baud) override;
  int further_bytes(const EventFrame& frame) const override;

  std::size_t image_size() const override { return image_bytes; }
  std::vector<std::uint8_t> image() const override;
  bool load_image(const std::vector<std::uint8_t>& image) override;
  bool set_identity(const std::string& text) override;

  std::uint8_t peek(std::uint16_t address) const { return memory_[address]; }
  void poke(std::uint16_t address, std::uint8_t value) { memory_[address] = value; }
  // Key codes of the key frames received whole, oldest first (the last 256).
  const std::deque<std::uint8_t>& keys_received() const { return keys_; }

  // Makes the station live from `now_ms` on: calls of its own, seeded, in
  // the state memory and as events for the polls, and key frames that dial
  // on the computer's telephone (karvel_traffic.h). Events nobody polls for
  // are kept up to `live_events_kept`, the oldest dropped first.
  void start_traffic(std::uint64_t seed, std::uint64_t now_ms);
  const KarvelTraffic& traffic() const { return traffic_; }
  static constexpr std::size_t live_events_kept = 32;

 protected:
  std::optional<Answer> take(std::uint8_t byte, std::uint64_t now_ms) override;
  bool in_frame() const override { return step_ != Step::idle; }
  void abandon_frame() override;
  int frame_gap_ms() const override { return 199; }

 private:
  enum class Step {
    idle, address_low, address_high, count, read_data, read_check,
    write_data, write_check, key_code, key_check, event
  };
  struct Frame {
    std::uint8_t command = 0;
    std::uint16_t address = 0;
    std::uint8_t count = 0;
    std::uint8_t done = 0;  // data bytes moved so far
    std::uint8_t sum = 0;
    std::uint8_t key = 0;
    bool spoiled = false;  // by the frame hook
    std::array<std::uint8_t, 255> data{};
  };

  std::optional<Answer> start_frame(std::uint8_t byte, std::uint64_t now_ms);
  Answer add(std::uint8_t byte, Step next, Answer answer);
  Answer send_data();
  std::optional<Answer> break_frame(const char* why);
  Answer finish_read(std::uint8_t their_check);
  Answer finish_write(std::uint8_t their_check);
  Answer finish_key(std::uint8_t their_check);
  void follow_speed_setting();
  void fill_default_port(std::uint16_t block);
  void fill_default_call_handling(int port, int ports);
  void fill_default_exit_groups();
  void fill_default_routing_tables();
  void fill_default_city_line(std::uint16_t block);
  void fill_default_pickup_groups();
  void fill_default_configuration();
  void fill_default_phone_books(int ports);

  void offer_live_event(const EventFrame& frame);

  std::array<std::uint8_t, 0x10000> memory_{};
  Step step_ = Step::idle;
  Frame frame_;
  std::deque<std::uint8_t> keys_;
  std::uint64_t now_ms_ = 0;  // when the last byte came
  KarvelTraffic traffic_{memory_, [this](const EventFrame& frame) { offer_live_event(frame); }};
};

}  // namespace sim
