#pragma once
// The line settings and time-outs the Win32 serial port applies, apart from
// the port so that they can be checked without a device.

#include <windows.h>

#include <string>

namespace platform::win32 {

// Raw 8N1 at `baud` with no flow control of any kind; RTS is left to
// EscapeCommFunction. Fields the programs do not name keep what
// GetCommState returned.
void apply_line_settings(DCB& dcb, int baud);

// Time-outs under which a one-byte ReadFile gives up after `read_ms`
// (ReadTotalTimeoutMultiplier + ReadTotalTimeoutConstant), and a one-byte
// WriteFile after 51 ms. 0 or less: a read returns at once with what is
// there.
COMMTIMEOUTS timeouts_for_read(int read_ms);

// "COM1" .. "COM256" in any case, the names Windows gives serial ports.
bool is_com_port_name(const std::string& text);

}  // namespace platform::win32
