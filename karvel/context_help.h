#pragma once
// Context help: numbered topics of the text file "help.txt".

#include <cstdio>
#include <functional>
#include <vector>

#include "toolkit/field_page.h"

// The help file, opened by the shell at start-up and kept open.
extern std::FILE* help_file;

// Opens the help file for reading; nothing when it cannot be opened or
// cannot be read.
std::FILE* open_help_file(const char* path);

// The topic number of a header line ("#" and up to four digits), or -1 when
// the line is not a header.
int help_topic_number(const char* line);

// Shows the topic in a framed window until Esc; the caller's screen, window
// and colour are as before afterwards.
void show_help(int topic);
// F10 in a page's key table: the topic, or the current cell's (0: none).
PageKey help_key(int topic);
PageKey help_key(std::function<int(const GridCursor& grid)> topic);

// Every topic a screen can pass to show_help, with the screen's name. Each
// screen registers its topics from the same tables and constants that it
// passes to show_help, at namespace scope after them:
//   const bool help_registered = register_help_topics("screen", topics);
// so that the test suite can check each against "help.txt".
struct HelpTopicUse {
  const char* screen;
  int topic;
};
bool register_help_topics(const char* screen, const std::vector<int>& topics);
const std::vector<HelpTopicUse>& help_topics_used();
