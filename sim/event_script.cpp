#include "sim/event_script.h"

#include <cctype>
#include <sstream>

namespace sim {
namespace {

// A hexadecimal byte of one or two digits, with or without "0x".
bool parse_hex_byte(std::string word, std::uint8_t& value) {
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) word = word.substr(2);
  if (word.empty() || word.size() > 2) return false;
  unsigned v = 0;
  for (char c : word) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    v = v * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10);
  }
  value = static_cast<std::uint8_t>(v);
  return true;
}

bool parse_delay(const std::string& word, std::uint64_t& ms) {
  if (word.size() < 2 || word.size() > 10) return false;
  ms = 0;
  for (std::size_t i = 1; i < word.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(word[i]))) return false;
    ms = ms * 10 + static_cast<std::uint64_t>(word[i] - '0');
  }
  return true;
}

}  // namespace

bool parse_event_script(const std::string& text, std::vector<ScriptedEvent>& events, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(number) + ": " + what;
      return false;
    };
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    ScriptedEvent event{0, {}, number};
    bool first = true;
    while (words >> word) {
      if (first && word[0] == '+') {
        if (!parse_delay(word, event.after_ms)) return fail("bad delay \"" + word + "\"");
      } else {
        std::uint8_t value;
        if (!parse_hex_byte(word, value)) return fail("\"" + word + "\" is not a hexadecimal byte");
        if (event.frame.size() == 259) return fail("too many bytes for one event frame");
        event.frame.push_back(value);
      }
      first = false;
    }
    if (event.frame.empty()) {
      if (!first) return fail("a delay without an event frame");
      continue;
    }
    events.push_back(std::move(event));
  }
  return true;
}

bool schedule_events(Station& station, const std::vector<ScriptedEvent>& events, std::uint64_t start_ms,
                     std::string& error) {
  std::uint64_t due = start_ms;
  for (std::size_t i = 0; i < events.size(); ++i) {
    due += events[i].after_ms;
    std::string why;
    if (!station.queue_event(events[i].frame, due, &why)) {
      error = "line " + std::to_string(events[i].line) + " (" +
              hex_bytes(events[i].frame.data(), events[i].frame.size()) + "): " + why;
      return false;
    }
  }
  return true;
}

}  // namespace sim
