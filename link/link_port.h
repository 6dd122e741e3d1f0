#pragma once
// The serial port the link talks through. The programs use the system's
// port, made at the first open; a test puts in the loopback twin wired to an
// in-process station (or any other SerialPort) before it exchanges frames.

#include <memory>

#include "serial.h"

void link_use_port(std::unique_ptr<platform::SerialPort> port);
platform::SerialPort& link_port();

// The last byte the station sent (0..255).
int link_last_reply();
