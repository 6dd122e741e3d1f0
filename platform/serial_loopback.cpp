#include "platform/serial_loopback.h"

#include "platform/platform.h"

namespace platform {
namespace {

Clock& clock() { return *services().clock; }

}  // namespace

SerialOpen LoopbackSerialPort::open(const std::string& name, int baud) {
  close();
  refusal_ = PortRefusal::none;
  if (serial_device_path(name).empty()) return refuse(PortRefusal::no_device);
  if (troubles.open_refused != PortRefusal::none) return refuse(troubles.open_refused, troubles.open_error);
  if (troubles.setup_fails || !is_serial_speed(baud)) return SerialOpen::setup_failed;
  open_ = true;
  record.name = name;
  record.baud = baud;
  record.rts = false;
  ++record.opens;
  return SerialOpen::ok;
}

void LoopbackSerialPort::close() {
  open_ = false;
  flight_.clear();  // what was on its way is lost with the port
}

std::size_t LoopbackSerialPort::earliest() const {
  std::size_t best = 0;
  for (std::size_t i = 1; i < flight_.size(); ++i) {
    const InFlight& a = flight_[i];
    const InFlight& b = flight_[best];
    if (a.due < b.due || (a.due == b.due && a.order < b.order)) best = i;
  }
  return best;
}

int LoopbackSerialPort::read_byte(std::uint8_t& byte, int timeout_ms) {
  if (!open_ || troubles.read_fails) return serial_read_failed;
  std::uint64_t now = clock().now_ms();
  std::uint64_t wait = timeout_ms > 0 ? static_cast<std::uint64_t>(timeout_ms) : 0;
  if (!flight_.empty()) {
    std::size_t i = earliest();
    if (flight_[i].due <= now + wait) {
      if (flight_[i].due > now) {
        present();
        clock().sleep_ms(static_cast<int>(flight_[i].due - now));
      }
      byte = flight_[i].byte;
      flight_.erase(flight_.begin() + static_cast<std::ptrdiff_t>(i));
      record.received.push_back(byte);
      return serial_byte_received;
    }
  }
  present();
  clock().sleep_ms(static_cast<int>(wait));
  return serial_timed_out;
}

bool LoopbackSerialPort::write_byte(std::uint8_t byte) {
  if (!open_ || troubles.write_fails) return false;
  record.sent.push_back(byte);
  if (!peer_) return true;  // nothing on the line: the byte goes nowhere
  std::uint64_t now = clock().now_ms();
  if (auto reply = peer_->on_byte(byte, record.baud, now)) {
    std::uint64_t delay_ms = (reply->delay_us + 999) / 1000;  // the clock counts whole milliseconds
    flight_.push_back({now + delay_ms, order_++, reply->byte});
  }
  return true;
}

bool LoopbackSerialPort::set_rts(bool on) {
  if (!open_ || troubles.rts_fails) return false;
  record.rts = on;
  return true;
}

bool LoopbackSerialPort::purge_input() {
  if (!open_) return false;
  ++record.purges;
  // Only what has arrived is thrown away; a byte still on its way comes later.
  std::uint64_t now = clock().now_ms();
  std::erase_if(flight_, [now](const InFlight& f) { return f.due <= now; });
  return true;
}

void LoopbackSerialPort::inject(std::uint8_t byte, std::uint32_t delay_ms) {
  flight_.push_back({clock().now_ms() + delay_ms, order_++, byte});
}

}  // namespace platform
