// The serial port on Windows: "COM1" or "COM2" (or the port that
// STATION_COM1 / STATION_COM2 name) through the Win32
// communications functions, one ReadFile or WriteFile per byte.
#include "platform/win32/serial_win32.h"

#include <cctype>

#include "platform/platform.h"
#include "platform/serial.h"

namespace platform {
namespace win32 {
namespace {

// The two read timings of the programs, split as their link sets them: 200 ms
// for karvel and 51 ms for tomrik.
struct ReadTiming {
  int total_ms;
  DWORD interval, multiplier, constant;
};

constexpr ReadTiming program_timings[] = {
    {200, 100, 100, 100},
    {51, 50, 1, 50},
};

}  // namespace

void apply_line_settings(DCB& dcb, int baud) {
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fAbortOnError = FALSE;
}

COMMTIMEOUTS timeouts_for_read(int read_ms) {
  COMMTIMEOUTS t{};
  t.WriteTotalTimeoutMultiplier = 1;
  t.WriteTotalTimeoutConstant = 50;
  if (read_ms <= 0) {
    t.ReadIntervalTimeout = MAXDWORD;  // with both totals 0: return at once
    return t;
  }
  for (const ReadTiming& timing : program_timings) {
    if (timing.total_ms != read_ms) continue;
    t.ReadIntervalTimeout = timing.interval;
    t.ReadTotalTimeoutMultiplier = timing.multiplier;
    t.ReadTotalTimeoutConstant = timing.constant;
    return t;
  }
  t.ReadTotalTimeoutConstant = static_cast<DWORD>(read_ms);
  return t;
}

bool is_com_port_name(const std::string& text) {
  if (text.size() < 4 || text.size() > 6) return false;
  for (int i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return false;
  if (text[3] == '0') return false;
  for (std::size_t i = 3; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return std::stoi(text.substr(3)) <= 256;
}

}  // namespace win32

namespace {

class Win32Port : public SerialPort {
 public:
  ~Win32Port() override { close(); }

  SerialOpen open(const std::string& name, int baud) override {
    close();
    refusal_ = PortRefusal::none;
    std::string device = serial_device_path(name);
    if (device.empty()) return refuse(PortRefusal::no_device);
    // No sharing: a port another program holds cannot be opened.
    HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      // A port in use answers "access denied": Windows has no rights on
      // serial ports for ordinary users to lack.
      PortRefusal why = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PortRefusal::no_device
                        : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? PortRefusal::held
                                                                                           : PortRefusal::other;
      return refuse(why, static_cast<int>(error));
    }
    handle_ = h;
    if (!is_serial_speed(baud) || !set_line(baud) || !use_read_timeout(0)) {
      close();
      return SerialOpen::setup_failed;
    }
    set_rts(false);  // the program drives RTS itself, starting low
    return SerialOpen::ok;
  }

  void close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    // The line settings the port had when it was opened go back with it.
    if (found_.DCBlength) SetCommState(handle_, &found_);
    found_ = DCB{};
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    timeouts_set_for_ = -1;
  }

  bool is_open() const override { return handle_ != INVALID_HANDLE_VALUE; }

  int read_byte(std::uint8_t& byte, int timeout_ms) override {
    if (!is_open() || !use_read_timeout(timeout_ms)) return serial_read_failed;
    present();
    DWORD got = 0;
    if (!ReadFile(handle_, &byte, 1, &got, nullptr)) return serial_read_failed;
    return got == 1 ? serial_byte_received : serial_timed_out;
  }

  bool write_byte(std::uint8_t byte) override {
    DWORD sent = 0;
    return is_open() && WriteFile(handle_, &byte, 1, &sent, nullptr) && sent == 1;
  }

  bool set_rts(bool on) override {
    if (!is_open()) return false;
    if (EscapeCommFunction(handle_, on ? SETRTS : CLRRTS)) return true;
    // A device without modem lines (Wine maps COM ports to Unix devices,
    // and a pseudo-terminal has none): nothing to drive.
    return GetLastError() == ERROR_NOT_SUPPORTED;
  }

  bool purge_input() override { return is_open() && PurgeComm(handle_, PURGE_RXCLEAR); }

 private:
  bool set_line(int baud) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return false;
    found_ = dcb;
    win32::apply_line_settings(dcb, baud);
    return SetCommState(handle_, &dcb);
  }

  // The time-outs belong to the port, so they change only when a read
  // waits for another time than the one before.
  bool use_read_timeout(int timeout_ms) {
    if (timeout_ms < 0) timeout_ms = 0;
    if (timeout_ms == timeouts_set_for_) return true;
    // A device that has no time-outs to give cannot take them either.
    COMMTIMEOUTS t{};
    if (!GetCommTimeouts(handle_, &t)) return false;
    t = win32::timeouts_for_read(timeout_ms);
    if (!SetCommTimeouts(handle_, &t)) return false;
    timeouts_set_for_ = timeout_ms;
    return true;
  }

  DCB found_{};  // DCBlength 0: nothing found to put back
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  int timeouts_set_for_ = -1;
};

}  // namespace

bool is_serial_speed(int baud) {
  for (int speed : {4800, 9600, 19200, 38400, 57600})
    if (baud == speed) return true;
  return false;
}

// The programs' port names are the device names the system knows. A port
// the user chooses by name goes through the device namespace, the one way
// CreateFileA opens COM10 and above.
std::string serial_device_path(const std::string& name) {
  if (serial_port_number(name) == 0) return {};
  std::string chosen = serial_device_chosen(name);
  if (chosen.empty()) return name;
  return win32::is_com_port_name(chosen) ? "\\\\.\\" + chosen : chosen;
}

// Windows sets a USB adapter's latency timer in the driver's own
// properties, not through the port: the driver here has no such setting.
namespace {
class NoLatencySetting : public SerialDriver {
 public:
  bool low_latency(int, bool&) override { return false; }
  bool set_low_latency(int, bool) override { return false; }
};
}  // namespace

SerialDriver& system_serial_driver() {
  static NoLatencySetting driver;
  return driver;
}

std::unique_ptr<SerialPort> make_system_serial_port(SerialDriver*) { return std::make_unique<Win32Port>(); }

}  // namespace platform
