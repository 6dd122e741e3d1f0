#pragma once
// The serial port the programs talk to the station through. The programs
// know the port only as "COM1" or "COM2"; the device behind each name is
// /dev/ttyS0 and /dev/ttyS1 (on Windows the system's COM1 and COM2) unless
// the environment variables STATION_COM1 and STATION_COM2 name another (a
// pseudo-terminal of the station simulator, or a USB adapter, which Windows
// numbers COM3 and above).
//
// The line is always raw 8N1 with no flow control. Every exchange is one byte
// out, one byte back, so the interface moves single bytes.

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Outcome of opening a port. The values are the link error codes the
// programs show for them: 6 "COM-порт занят другим приложением" when the
// device cannot be had (absent, or held by another program), 7 "Ошибка
// системы" when it opened but refused the line settings.
enum class SerialOpen { ok = 0, not_available = 6, setup_failed = 7 };

// Why a port was not available, for the line that names it to the user.
enum class PortRefusal { none, no_device, no_permission, held, other };

// Results of read_byte.
inline constexpr int serial_byte_received = 0;
inline constexpr int serial_timed_out = 1;
inline constexpr int serial_read_failed = -1;

// The line speeds the programs use: 4800 (tomrik) and 9600..57600 (karvel).
bool is_serial_speed(int baud);

class SerialPort {
 public:
  virtual ~SerialPort() = default;

  // Opens "COM1" or "COM2" at `baud`, closing the port first if it is open.
  virtual SerialOpen open(const std::string& name, int baud) = 0;
  // Why the last open gave not_available, and the system's error number.
  PortRefusal refusal() const { return refusal_; }
  int refusal_error() const { return refusal_error_; }
  virtual void close() = 0;
  virtual bool is_open() const = 0;

  // Waits at most `timeout_ms` for one byte: serial_byte_received,
  // serial_timed_out or serial_read_failed. The screen is presented before
  // the wait, so that what the program drew is visible while it waits.
  virtual int read_byte(std::uint8_t& byte, int timeout_ms) = 0;
  virtual bool write_byte(std::uint8_t byte) = 0;

  // Raises or drops RTS. A line without modem control (a pseudo-terminal)
  // counts as done; false only when the port refuses for another reason.
  virtual bool set_rts(bool on) = 0;

  // Throws away what has been received and not read yet.
  virtual bool purge_input() = 0;

 protected:
  SerialOpen refuse(PortRefusal why, int error = 0) {
    refusal_ = why;
    refusal_error_ = error;
    return SerialOpen::not_available;
  }
  PortRefusal refusal_ = PortRefusal::none;
  int refusal_error_ = 0;
};

// Puts back the line settings (and low-latency setting) that every open
// port found; for the end of the program by a signal, where nothing is
// closed. Safe in a signal handler.
void put_back_serial_lines();

// 1 for "COM1", 2 for "COM2", 0 for any other name.
int serial_port_number(const std::string& name);

// What STATION_COM1 or STATION_COM2 names for "COM1" / "COM2", without
// blanks around it; empty when the variable is unset or blank, and for any
// other name. A device given to choose_serial_device comes first.
std::string serial_device_chosen(const std::string& name);
// For the rest of the run, "COM1" or "COM2" is `device` whatever the
// environment says (a command line's --port); an empty device gives the
// name back to the environment.
void choose_serial_device(const std::string& name, const std::string& device);

// The device path behind "COM1" / "COM2"; empty for any other name. On
// Windows a chosen "COMn" becomes "\\.\COMn", the form CreateFileA needs
// for COM10 and above; another chosen text is taken as it is.
std::string serial_device_path(const std::string& name);

// The driver's low-latency setting of a serial device. A USB adapter holds
// received bytes back for its latency timer (16 ms on common chips) unless
// the driver is asked for low latency; a lock-step exchange waits that long
// for every answer. Devices without the setting (a pseudo-terminal) refuse.
class SerialDriver {
 public:
  virtual ~SerialDriver() = default;
  // False when the device has no such setting.
  virtual bool low_latency(int fd, bool& on) = 0;
  virtual bool set_low_latency(int fd, bool on) = 0;
};

// The driver settings through TIOCGSERIAL / TIOCSSERIAL.
SerialDriver& system_serial_driver();

// The termios port of this system; `driver` is the system's unless a test
// stands in for it.
std::unique_ptr<SerialPort> make_system_serial_port(SerialDriver* driver = nullptr);

}  // namespace platform
