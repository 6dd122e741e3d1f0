// The run state's one reset: every fixture relies on it to start from what a
// program starts with, so each part is set here and must come back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "karvel/city_lines.h"
#include "karvel/internal_ports.h"
#include "karvel/menu_table.h"
#include "link/link.h"
#include "link/link_image.h"
#include "link/link_port.h"
#include "settings/run_state.h"
#include "tomrik/call_records.h"
#include "tomrik/day_night_times.h"

namespace {

// An open port that answers every byte with 0x5A and tells when it is
// dropped.
class MarkedPort : public platform::SerialPort {
 public:
  explicit MarkedPort(bool* dropped) : dropped_(dropped) {}
  ~MarkedPort() override { *dropped_ = true; }
  platform::SerialOpen open(const std::string&, int) override { return platform::SerialOpen::ok; }
  void close() override {}
  bool is_open() const override { return true; }
  int read_byte(std::uint8_t& byte, int) override {
    byte = 0x5A;
    return platform::serial_byte_received;
  }
  bool write_byte(std::uint8_t) override { return true; }
  bool set_rts(bool) override { return true; }
  bool purge_input() override { return true; }

 private:
  bool* dropped_;
};

int no_key_frames(int, int&) { return 0; }

struct RunStateReset : ::testing::Test {
  void TearDown() override { reset_run_state(); }
};

TEST_F(RunStateReset, EveryPartComesBackAsTheProgramStartsWithIt) {
  reset_run_state();
  use_menu_table(karvel_menu_table);
  menu_state.current_menu = 3;
  menu_state.menu_choice[2] = 4;
  menu_state.exit_chosen = true;

  link_state.port_index = 1;
  link_state.speed_index = 3;
  link_state.station_connected = 1;
  link_state.file_mode = 1;
  std::copy_n("KT216A4", 8, link_state.station_identity);
  link_state.city_line_count = 4;
  link_state.port_count = 24;
  link_state.subscriber_count = 16;
  link_state.channel_row_count = 2;
  link_state.first_line_port = 0x11;
  link_state.access_code_table[3] = 1234;
  link_state.trace_flag = 1;
  link_state.key_frames = no_key_frames;

  std::copy_n("st.set", 7, settings_state.file_name);
  settings_state.name_too_long = true;
  settings_image.karvel[0] = 'K';
  settings_image.karvel[karvel_image_size - 1] = 0x77;
  settings_image.tomrik[tomrik_image_size - 1] = 0x66;
  access_pending = 4321;
  record_filter.bytes[0] = 3;
  record_filter.bytes[number_first] = '7';
  day_night_times[0] = 22;
  day_night_times[3] = 30;
  port_editor = {7, 3};
  line_editor = {2, 0};

  reset_run_state();

  EXPECT_EQ(menu_state.table, nullptr);
  EXPECT_EQ(menu_state.current_menu, 1);
  for (int m = 1; m <= menu_count; ++m) EXPECT_EQ(menu_state.menu_choice[m], 1) << "menu " << m;
  EXPECT_FALSE(menu_state.exit_chosen);

  EXPECT_EQ(link_state.port_index, 0);
  EXPECT_EQ(link_state.speed_index, 0);
  EXPECT_EQ(link_state.station_connected, 0);
  EXPECT_EQ(link_state.file_mode, 0);
  EXPECT_EQ(link_state.station_identity[0], 0);
  EXPECT_EQ(link_state.city_line_count, 0);
  EXPECT_EQ(link_state.port_count, 0);
  EXPECT_EQ(link_state.subscriber_count, 0);
  EXPECT_EQ(link_state.channel_row_count, 0);
  EXPECT_EQ(link_state.first_line_port, 0);
  EXPECT_EQ(link_state.access_code_table[3], 0);
  EXPECT_EQ(link_state.trace_flag, 0);
  EXPECT_EQ(link_state.key_frames, nullptr);

  EXPECT_EQ(settings_state.file_name[0], 0);
  EXPECT_FALSE(settings_state.name_too_long);
  EXPECT_EQ(settings_image.karvel[0], 0);
  EXPECT_EQ(settings_image.karvel[karvel_image_size - 1], 0);
  EXPECT_EQ(settings_image.tomrik[tomrik_image_size - 1], 0);
  EXPECT_EQ(access_pending, 0);
  EXPECT_EQ(record_filter.bytes[0], 0);
  EXPECT_EQ(record_filter.bytes[number_first], 0);
  EXPECT_EQ(day_night_times[0], 20);
  EXPECT_EQ(day_night_times[1], 0);
  EXPECT_EQ(day_night_times[2], 9);
  EXPECT_EQ(day_night_times[3], 0);
  for (const BlockEditorState* editor : {&port_editor, &line_editor}) {
    EXPECT_EQ(editor->current, 0);
    EXPECT_EQ(editor->page_item, 1);
  }
}

TEST_F(RunStateReset, TheStationDisplayForgetsEveryPartyAndCall) {
  reset_run_state();
  run.station_display.subscribers[15] = {1, 4, 2, 3};
  run.station_display.lines[3] = {1, 6, 16, 0};
  run.station_display.calls[3].subscriber = 16;
  run.station_display.calls[3].digits[20] = '9';

  reset_run_state();

  EXPECT_EQ(run.station_display.subscribers[15].mode, 0);
  EXPECT_EQ(run.station_display.subscribers[15].busy, 0);
  EXPECT_EQ(run.station_display.lines[3].peer, 0);
  EXPECT_EQ(run.station_display.calls[3].subscriber, 0);
  EXPECT_EQ(run.station_display.calls[3].digits[20], 0);
}

TEST_F(RunStateReset, TheOpenPortIsDroppedWithTheStationsLastByte) {
  reset_run_state();
  bool dropped = false;
  link_use_port(std::make_unique<MarkedPort>(&dropped));
  int byte = 0;
  ASSERT_EQ(link_get_byte(byte), link_ok);
  ASSERT_TRUE(link_state.port_opened);
  ASSERT_EQ(link_last_reply(), 0x5A);

  reset_run_state();

  EXPECT_TRUE(dropped);
  EXPECT_FALSE(link_state.port_opened);
  EXPECT_EQ(link_state.port, nullptr);
  EXPECT_EQ(link_last_reply(), 0);
}

TEST_F(RunStateReset, FileModeWorksOnTheImageAfterTheReset) {
  link_use_image(nullptr);  // as if nothing had given the image to the link
  reset_run_state();
  link_state.file_mode = 1;
  settings_image.karvel[0x100] = 0x42;

  ASSERT_EQ(link_read_block(0x8100, 1), link_ok);
  EXPECT_EQ(link_buffer[0], 0x42);
}

// ------------------------------------------------ state kept outside the run

namespace fs = std::filesystem;

std::string read_whole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The source with comments, texts, characters and preprocessor lines
// blanked, so that only declarations are left to read.
std::string code_only(const std::string& source) {
  std::string out;
  std::size_t i = 0;
  const std::size_t n = source.size();
  bool line_start = true;
  while (i < n) {
    const char c = source[i];
    if (source.compare(i, 2, "//") == 0) {
      while (i < n && source[i] != '\n') ++i;
    } else if (source.compare(i, 2, "/*") == 0) {
      const std::size_t end = source.find("*/", i + 2);
      i = end == std::string::npos ? n : end + 2;
      out += ' ';
    } else if (source.compare(i, 3, "R\"(") == 0) {
      const std::size_t end = source.find(")\"", i + 3);
      i = end == std::string::npos ? n : end + 2;
      out += "\"\"";
    } else if (c == '"' || c == '\'') {
      ++i;
      while (i < n && source[i] != c) i += source[i] == '\\' ? 2 : 1;
      ++i;
      out += "\"\"";
    } else if (line_start && c == '#') {
      while (i < n && source[i] != '\n') i += source[i] == '\\' ? 2 : 1;
    } else {
      if (!std::isspace(static_cast<unsigned char>(c))) line_start = false;
      if (c == '\n') line_start = true;
      out += c;
      ++i;
      continue;
    }
    line_start = false;
  }
  return out;
}

std::string squeezed(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The name a namespace-scope declaration defines when it is a variable
// that can change: not a type, function, alias, constant or extern
// declaration. Empty for anything else.
std::string mutable_variable(const std::string& declaration) {
  static const std::regex constant(R"(\bconst(expr|init)?\b)");
  // "const char* name": the pointer itself can change; constexpr fixes it.
  static const std::regex pointer_to_constant(R"(^[^=]*\bconst\b[^*]*\*\s*\w+$)");
  static const std::regex fixed(R"(\bconstexpr\b|\*\s*const\b)");
  static const std::regex last_name(R"((\w+)\s*$)");
  // Only the start of a declaration is matched: a whole table after a
  // ".*" would take the regex engine's recursion past a small stack.
  static const std::regex defines_type(R"(^(static |inline )?(const )?(struct|class|enum|union)\b)");
  std::smatch m;
  // A type, and the variables declared with it after its closing brace.
  if (std::regex_search(declaration.substr(0, 64), defines_type)) {
    const std::size_t close = declaration.rfind('}');
    if (close == std::string::npos) return "";
    const std::string tail = declaration.substr(close + 1);
    const std::string head = declaration.substr(0, declaration.find('{'));
    if (std::regex_search(head, constant) || !std::regex_search(tail, m, std::regex(R"(^\s*(\w+))"))) return "";
    return m[1];
  }
  static const std::regex not_a_variable(
      R"(^(using|typedef|template|static_assert|friend|namespace|extern|\}|\))\b)");
  if (std::regex_search(declaration.substr(0, 64), not_a_variable)) return "";
  std::string before_bracket = declaration.substr(0, declaration.find_first_of("={["));
  while (!before_bracket.empty() && before_bracket.back() == ' ') before_bracket.pop_back();
  if (before_bracket.find('(') != std::string::npos) return "";  // a function
  if (std::regex_search(before_bracket, fixed)) return "";
  if (std::regex_search(before_bracket, constant) && !std::regex_search(before_bracket, pointer_to_constant)) return "";
  if (!std::regex_search(before_bracket, m, last_name)) return "";
  return m[1];
}

// Every changeable variable at namespace scope in a source file.
std::vector<std::string> namespace_scope_variables(const std::string& source) {
  const std::string code = code_only(source);
  std::vector<bool> scopes;  // true for a namespace (or extern "C") body
  std::string statement;
  std::vector<std::string> found;
  auto at_namespace_scope = [&] { return std::all_of(scopes.begin(), scopes.end(), [](bool ns) { return ns; }); };
  static const std::regex opens_namespace(R"(^(inline )?namespace( \w+(::\w+)*)?$|^extern "")");
  for (char c : code) {
    if (c == '{') {
      const bool ns = at_namespace_scope() && std::regex_match(squeezed(statement), opens_namespace);
      scopes.push_back(ns);
      if (ns) {
        statement.clear();
        continue;
      }
    } else if (c == '}') {
      const bool ns = !scopes.empty() && scopes.back();
      if (!scopes.empty()) scopes.pop_back();
      if (ns) {
        statement.clear();
        continue;
      }
    } else if (c == ';' && at_namespace_scope()) {
      const std::string name = mutable_variable(squeezed(statement));
      if (!name.empty()) found.push_back(name);
      statement.clear();
      continue;
    }
    statement += c;
  }
  return found;
}

// The state the run state resets, and what is safe to leave outside it.
const std::map<std::string, std::string> kept_outside_the_run = {
    // The run state itself, its layers' parts.
    {"run", "the settings layer's part"},
    {"link_state", "the link's part"},
    {"menu_state", "the toolkit's part"},
    {"access_pending", "the editors' part"},
    // Chosen once per program by use_program, before anything runs.
    {"toolkit/profiles.cpp active", "the screen profile, chosen by use_program"},
    {"link/link_dialect.cpp active", "the link dialect, chosen by use_program"},
    {"link/link.cpp console", "the screens the link shows its boxes through: reset_run_state gives them"},
    {"link/link.cpp file_image", "the image of file mode: reset_run_state gives it"},
    // Scratch that every use fills before it reads it.
    {"link/link.cpp link_buffer", "every block read and write fills it first"},
    {"toolkit/screen.cpp save_buffer", "a saved screen area, written before it is restored"},
    {"karvel/context_help.cpp help_line", "a line of help.txt, read before it is shown"},
    {"tomrik/table_screens.cpp table_record", "the record a table screen has just read"},
    // Held only while an object that sets and clears it is alive.
    {"link/link.cpp watch", "set and cleared by one transfer's watch"},
    {"editors/field_editors.cpp drawing", "set and cleared by one FieldDrawing round"},
    {"settings/station_commands.cpp program_name", "one station command, which ends the process"},
    {"settings/station_commands.cpp shown_progress", "one station command's progress, set and cleared by it"},
    // Opened once as karvel starts and kept for the whole run; the tests
    // give their own file.
    {"karvel/context_help.cpp help_file", "help.txt, opened as karvel starts"},
};

// The names of a file's state a screen registers to be reset with the run:
// `name` for each resets_with_the_run(reset_name).
std::set<std::string> registered_resets(const std::string& source) {
  static const std::regex registration(R"(resets_with_the_run\(\s*reset_(\w+)\s*\))");
  std::set<std::string> names;
  const std::string code = code_only(source);
  for (std::sregex_iterator it(code.begin(), code.end(), registration), end; it != end; ++it) names.insert((*it)[1]);
  return names;
}

TEST(RunStateScan, NoFileKeepsChangeableStateTheRunStateDoesNotKnow) {
  const fs::path root = SOURCE_ROOT_DIR;
  if (!fs::is_directory(root / "settings")) GTEST_SKIP() << "the sources are not at hand here";
  std::set<std::string> unknown;
  int files = 0;
  for (const char* folder : {"facts", "toolkit", "link", "editors", "settings", "karvel", "tomrik"})
    for (const fs::directory_entry& entry : fs::directory_iterator(root / folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".cpp" && extension != ".h") continue;
      ++files;
      const std::string file = std::string(folder) + "/" + entry.path().filename().string();
      const std::string source = read_whole(entry.path());
      const std::set<std::string> registered = registered_resets(source);
      for (const std::string& name : namespace_scope_variables(source))
        if (!registered.count(name) && !kept_outside_the_run.count(name) && !kept_outside_the_run.count(file + " " + name))
          unknown.insert(file + " " + name);
    }
  EXPECT_GT(files, 100);
  for (const std::string& place : unknown) ADD_FAILURE() << place << ": state the run state does not reset";
}

TEST(RunStateScan, TheScanTellsVariablesFromConstantsFunctionsAndTypes) {
  const std::vector<std::string> found = namespace_scope_variables(R"(
    #include "a.h"
    namespace {
    int counter = 0;                       // found
    const int limit = 4;
    constexpr int size = 8;
    const char* name = "x;y";              // found: the pointer changes
    const char* const fixed = "z";
    int tally(int a) { int inside = a; return inside; }
    struct Row { int a; int b; };
    struct Cursor { int at; } cursor;      // found
    enum class Mode { a, b };
    using Rows = int[4];
    }  // namespace
    namespace outer::inner {
    std::vector<int> seen;                 // found
    extern int elsewhere;
    static char line[81];                  // found
    void run();
    }
  )");
  EXPECT_EQ(found, (std::vector<std::string>{"counter", "name", "cursor", "seen", "line"}));
  EXPECT_EQ(registered_resets("const bool r = resets_with_the_run(reset_cursor); // resets_with_the_run(reset_seen)"),
            std::set<std::string>{"cursor"});
}

}  // namespace
