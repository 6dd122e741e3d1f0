// Every help topic a karvel screen can show is in the "help.txt" the build
// puts beside the programs, and fits the help window whole. The topics come
// from the screens' own registrations (help_topics_used); a scan of the
// screens' sources makes sure that no screen calling show_help is left out
// of the registry and that no number written into a call is missed.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "karvel/context_help.h"
#include "karvel/menu_table.h"
#include "settings/program_profile.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t window_width = 68;  // inside the help frame
constexpr std::size_t window_rows = 17;   // body lines under the header

std::string read_whole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Topic {
  std::string header;
  std::vector<std::string> body;
};

// The topics of a help file by number, read as the program reads them: a
// header is a line that starts with "#", its body every line up to the next.
std::map<int, Topic> topics_of(const std::string& text) {
  std::map<int, Topic> topics;
  Topic* current = nullptr;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    int number = help_topic_number(line.c_str());
    if (number >= 0) {
      current = &topics[number];
      current->header = line;
    } else if (current) {
      current->body.push_back(line);
    }
  }
  return topics;
}

// The screens registered in the unit tests are those the program has: the
// menu table names every screen, so all of them are linked in.
const std::vector<HelpTopicUse>& registered_topics() {
  [[maybe_unused]] static const MenuTable* const every_screen = &karvel_menu_table;
  return help_topics_used();
}

TEST(HelpTopics, EveryTopicAScreenShowsIsInTheFileAndFitsTheWindow) {
  const std::string text = read_whole(BUILT_HELP_FILE);
  ASSERT_FALSE(text.empty()) << "no " << BUILT_HELP_FILE;
  const std::map<int, Topic> topics = topics_of(text);
  ASSERT_FALSE(registered_topics().empty());
  for (const HelpTopicUse& use : registered_topics()) {
    SCOPED_TRACE(std::string(use.screen) + ", topic " + std::to_string(use.topic));
    auto found = topics.find(use.topic);
    ASSERT_NE(found, topics.end()) << "missing from help.txt";
    const Topic& topic = found->second;
    EXPECT_LE(topic.header.size(), window_width) << topic.header;
    EXPECT_GE(topic.body.size(), 1u) << "a topic with no text";
    EXPECT_LE(topic.body.size(), window_rows);
    for (const std::string& line : topic.body) EXPECT_LE(line.size(), window_width) << line;
  }
}

// The station-wide rows, the port and line pages and the other screens all
// have their topics in the registry, as the help key passes them.
TEST(HelpTopics, TheRegistryHoldsTheTopicsOfEveryScreenKind) {
  std::set<int> numbers;
  for (const HelpTopicUse& use : registered_topics()) numbers.insert(use.topic);
  for (int topic : {1, 16, 17, 48, 49, 64, 65, 66, 67, 75, 80, 81, 82, 88, 89, 90, 91, 92, 99, 100, 101, 116, 117,
                    148, 149, 164, 165, 167, 168, 172, 181, 183, 190, 199, 209, 212})
    EXPECT_TRUE(numbers.count(topic)) << topic;
}

// The whole chain the engineer sees: the built file opened as the program
// opens it, and each topic drawn whole in the help window, its header on
// the first row and its last line under the others.
TEST(HelpTopics, TheBuiltFileShowsEachRegisteredTopicWholeInTheWindow) {
  platform::TestServices services;
  use_program(karvel_program);
  const std::map<int, Topic> topics = topics_of(read_whole(BUILT_HELP_FILE));
  help_file = open_help_file(BUILT_HELP_FILE);
  ASSERT_NE(help_file, nullptr);
  std::set<int> shown;
  for (const HelpTopicUse& use : registered_topics()) {
    auto found = topics.find(use.topic);
    if (found == topics.end() || !shown.insert(use.topic).second) continue;
    const Topic& topic = found->second;
    SCOPED_TRACE(std::string(use.screen) + ", topic " + std::to_string(use.topic));
    services.keys.add({'x'});  // the window stays open when the keys run out
    EXPECT_TRUE(test::runs_until_script_ends([&] { show_help(use.topic); }));
    EXPECT_EQ(test::text_at(6, 4, static_cast<int>(topic.header.size())), topic.header);
    const std::string& last = topic.body.back();
    const int last_row = 4 + static_cast<int>(topic.body.size());
    EXPECT_EQ(test::text_at(6, last_row, static_cast<int>(last.size())), last);
    set_window(1, 1, 80, 25);
  }
  std::fclose(help_file);
  help_file = nullptr;
}

// The argument text of every show_help call in a source, and of every F10
// entry of a page's key table (help_key), which calls it.
std::vector<std::string> show_help_arguments(const std::string& source) {
  std::vector<std::string> arguments;
  for (const std::string call : {"show_help(", "help_key("}) {
    for (std::size_t at = source.find(call); at != std::string::npos; at = source.find(call, at + 1)) {
      if (at > 0 && (std::isalnum(static_cast<unsigned char>(source[at - 1])) || source[at - 1] == '_')) continue;
      std::size_t from = at + call.size(), depth = 1, i = from;
      for (; i < source.size() && depth > 0; ++i) {
        if (source[i] == '(') ++depth;
        if (source[i] == ')') --depth;
      }
      arguments.push_back(source.substr(from, i - from - 1));
    }
  }
  return arguments;
}

std::vector<int> number_literals(const std::string& text) {
  std::vector<int> numbers;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool starts = std::isdigit(static_cast<unsigned char>(text[i])) &&
                  (i == 0 || !(std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_'));
    if (!starts) continue;
    std::size_t end = i;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    numbers.push_back(std::stoi(text.substr(i, end - i)));
    i = end;
  }
  return numbers;
}

TEST(HelpTopics, EveryScreenThatCallsTheHelpRegistersItsTopics) {
  const fs::path sources = KARVEL_SOURCE_DIR;
  if (!fs::is_directory(sources)) GTEST_SKIP() << "the sources are not at hand here";
  std::set<int> numbers;
  for (const HelpTopicUse& use : registered_topics()) numbers.insert(use.topic);
  int screens = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(sources)) {
    if (entry.path().extension() != ".cpp" || entry.path().filename() == "context_help.cpp") continue;
    const std::string source = read_whole(entry.path());
    const std::vector<std::string> calls = show_help_arguments(source);
    if (calls.empty()) continue;
    ++screens;
    SCOPED_TRACE(entry.path().filename().string());
    // A screen registers its topics; a page frame shared by several
    // screens gives its pages' topics to the screens that register them.
    const bool registers = source.find("register_help_topics(") != std::string::npos;
    const bool gives_page_topics = source.find("_topics(const ") != std::string::npos;
    EXPECT_TRUE(registers || gives_page_topics) << "calls show_help without registering its topics";
    for (const std::string& argument : calls)
      for (int literal : number_literals(argument))
        EXPECT_TRUE(numbers.count(literal)) << "show_help(" << argument << ") names " << literal;
  }
  EXPECT_GE(screens, 8);
}

}  // namespace
