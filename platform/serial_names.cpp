// The port names the programs know and the environment variables that put
// another device behind them, alike on every system.
#include <cstdlib>

#include "platform/serial.h"

namespace platform {

int serial_port_number(const std::string& name) {
  if (name == "COM1") return 1;
  if (name == "COM2") return 2;
  return 0;
}

namespace {
std::string chosen_on_command_line[2];
}  // namespace

void choose_serial_device(const std::string& name, const std::string& device) {
  if (int number = serial_port_number(name)) chosen_on_command_line[number - 1] = device;
}

std::string serial_device_chosen(const std::string& name) {
  int number = serial_port_number(name);
  if (number == 0) return {};
  if (!chosen_on_command_line[number - 1].empty()) return chosen_on_command_line[number - 1];
  const char* value = std::getenv(number == 1 ? "STATION_COM1" : "STATION_COM2");
  std::string chosen = value ? value : "";
  // "set STATION_COM1=COM5 && karvel" in cmd keeps the blank before "&&".
  const char* blanks = " \t\r\n";
  std::size_t first = chosen.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return chosen.substr(first, chosen.find_last_not_of(blanks) - first + 1);
}

}  // namespace platform
