#include "karvel/context_help.h"

#include <cstring>
#include <string_view>

#include "platform/files.h"
#include "toolkit/screen.h"

std::FILE* help_file = nullptr;

namespace {

// One line of the file, at most 80 characters: longer lines come in pieces.
char help_line[81];

constexpr int body_rows = 17;   // window rows 3..19
constexpr int text_width = 68;  // inside the frame

// Reads the next piece into help_line without its line end (LF or CR LF).
// A line that fills a piece exactly leaves only its line end for the next
// read; that remnant is not a line of its own and is skipped. With CR LF
// ends the piece may hold the CR and leave the LF: it is full all the same.
bool next_help_line() {
  static bool last_was_full = false;
  for (;;) {
    if (!std::fgets(help_line, sizeof help_line, help_file)) {
      last_was_full = false;
      return false;
    }
    std::size_t n = std::strlen(help_line);
    bool had_end = n > 0 && help_line[n - 1] == '\n';
    bool full = !had_end && n == sizeof help_line - 1;
    while (n > 0 && (help_line[n - 1] == '\n' || help_line[n - 1] == '\r')) help_line[--n] = '\0';
    bool remnant = last_was_full && had_end && n == 0;
    last_was_full = full;
    if (!remnant) return true;
  }
}

// Long lines would run over the frame and wrap: they are cut at its edge.
std::string_view inside_frame(const char* text) {
  std::string_view s(text);
  return s.substr(0, std::min<std::size_t>(s.size(), text_width));
}

void show_topic_text() {
  set_colour(COLOR_BOX);
  print_at_plain(2, 2, inside_frame(help_line));
  for (int row = 3; row < 3 + body_rows; ++row) {
    if (!next_help_line() || help_line[0] == '#') break;
    print_at_plain(2, row, inside_frame(help_line));
  }
  goto_xy(2, 2);
}

bool find_topic(int topic) {
  std::rewind(help_file);
  while (next_help_line()) {
    if (help_topic_number(help_line) == topic) return true;
  }
  return false;
}

}  // namespace

std::FILE* open_help_file(const char* path) {
  std::FILE* file = platform::open_regular_file(path, "r");
  if (!file) return nullptr;
  // A folder of that name opens, but its first read fails.
  std::fgetc(file);
  if (std::ferror(file)) {
    std::fclose(file);
    return nullptr;
  }
  std::rewind(file);
  return file;
}

int help_topic_number(const char* line) {
  if (line[0] != '#') return -1;
  int number = 0;
  for (int i = 1; i <= 4 && line[i] >= '0' && line[i] <= '9'; ++i) number = number * 10 + (line[i] - '0');
  return number;
}

void show_help(int topic) {
  std::uint8_t colour = current_colour();
  open_modal_window();
  draw_box(1, 1, 68, 18);
  if (help_file && find_topic(topic)) show_topic_text();
  set_colour(COLOR_SCREEN);
  while (read_key() != key::esc) {
  }
  close_modal_window();
  set_colour(colour);
}

PageKey help_key(int topic) {
  return handled_key(key::f10, [topic](GridCursor&) { show_help(topic); });
}

PageKey help_key(std::function<int(const GridCursor& grid)> topic) {
  return handled_key(key::f10, [topic = std::move(topic)](GridCursor& grid) {
    if (const int shown = topic(grid)) show_help(shown);
  });
}

namespace {
std::vector<HelpTopicUse>& topic_registry() {
  static std::vector<HelpTopicUse> uses;
  return uses;
}
}  // namespace

bool register_help_topics(const char* screen, const std::vector<int>& topics) {
  for (int topic : topics) topic_registry().push_back({screen, topic});
  return true;
}

const std::vector<HelpTopicUse>& help_topics_used() { return topic_registry(); }
