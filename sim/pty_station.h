#pragma once
// A station on a pseudo-terminal: the programs open its slave device as
// their COM port. The simulator keeps a slave descriptor of its own open, so
// the line survives a program closing and reopening the port, and reads the
// speed the program set from it (the slave's termios are the line's).

#include <signal.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/station.h"
#include "sim/station_line.h"
#include "sim/storage_device.h"

namespace sim {

class PtyStation {
 public:
  PtyStation(Station& station, StationLine& line) : station_(station), line_(line) {}
  ~PtyStation();
  PtyStation(const PtyStation&) = delete;
  PtyStation& operator=(const PtyStation&) = delete;

  bool open(std::string& error);
  const std::string& device() const { return device_; }
  // A symbolic link to the device (replacing an old link there, never a
  // file); removed again by remove_link or the destructor.
  bool make_link(const std::string& path, std::string& error);
  void remove_link();

  // Serves the line: waits at most `wait_ms` (-1: until a byte comes) for
  // bytes from the program, answers them, and sends the answers that are
  // due. `mask` is the signal mask while waiting (ppoll), so a caller that
  // blocks its stop signals is woken by them. False when the line failed.
  bool serve(int wait_ms, const sigset_t* mask = nullptr);

  // The speed the program's side of the line is set to; 0 when the line is
  // not raw 8N1 (the station cannot understand it, and an echoing line
  // would send its answers back to it).
  int line_baud() const;
  // Bytes the program wrote that the station has not read yet.
  std::size_t bytes_waiting() const;

  // A program that ends without closing the port (the programs leave it
  // open until they end) leaves the line's exclusive flag set, since our own
  // descriptor keeps the line alive; users other than root could then never
  // open it again. When no program holds the port's lock any more, the flag
  // is cleared. stationsim looks twice a second.
  void release_abandoned_line();

  std::function<void(const std::string&)> note;

  // A storage device beside the station: while it is switched on it drives
  // the line, and the program's bytes are its answers.
  void set_storage(StorageDevice* device) { storage_ = device; }
  // The device switches itself: on once the program has sent nothing for
  // auto_storage_quiet_ms (the storage screen only ever answers), off again
  // at the first byte from the program that is not such an answer, which
  // then goes to the station (a record frame, an event poll).
  void set_storage_auto(bool on) { storage_auto_ = on; }
  static constexpr int auto_storage_quiet_ms = 1000;

 private:
  struct Pending {
    std::uint64_t due_us;
    std::uint64_t order;
    std::uint8_t byte;
  };
  void answer(std::uint8_t byte, std::uint64_t now_us);
  void send_due(std::uint64_t now_us);
  bool someone_holds_the_lock() const;
  std::int64_t wait_limit_us(int wait_ms, std::uint64_t now_us) const;

  void drive_storage(std::uint64_t now_us);
  void switch_storage_by_itself(std::uint64_t now_us);

  Station& station_;
  StationLine& line_;
  StorageDevice* storage_ = nullptr;
  bool storage_auto_ = false;
  std::uint64_t program_spoke_us_ = 0;
  int master_ = -1;
  int slave_ = -1;
  std::string device_;
  std::string link_;
  std::vector<Pending> pending_;
  std::uint64_t order_ = 0;
  int last_refused_baud_ = -1;
};

}  // namespace sim
