#pragma once
// The serial port the link talks through. The programs use the system's
// port, made at the first open; a test puts in the loopback twin wired to an
// in-process station (or any other SerialPort) before it exchanges frames.

#include <memory>
#include <string>

#include "platform/serial.h"

void link_use_port(std::unique_ptr<platform::SerialPort> port);
platform::SerialPort& link_port();

// The last byte the station sent (0..255).
int link_last_reply();

// The line under the "port busy" box: the port, its device and why it could
// not be had, in the programs' language; empty when the port gave no reason.
std::string port_refusal_text(const std::string& name, const platform::SerialPort& port);
