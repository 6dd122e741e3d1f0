#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "karvel/context_help.h"
#include "settings/program_profile.h"
#include "tests/test_support.h"
#include "toolkit/screen.h"

namespace {

struct ContextHelp : ::testing::Test {
  platform::TestServices services;
  void SetUp() override {
    use_program(karvel_program);
    set_colour(COLOR_SCREEN);
    clear_screen();
  }
  void TearDown() override {
    if (help_file) std::fclose(help_file);
    help_file = nullptr;
  }
  void use_help_text(const std::string& text) {
    help_file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), help_file);
  }
  // Window (2, r) is absolute (6, r + 2).
  std::string help_row(int window_row, int length = 68) { return test::text_at(6, window_row + 2, length); }
  static std::string padded(const std::string& s, std::size_t n = 68) { return s + std::string(n - s.size(), ' '); }
};

TEST_F(ContextHelp, TopicNumbersAreUpToFourDigitsAfterTheHash) {
  EXPECT_EQ(help_topic_number("#91 Station"), 91);
  EXPECT_EQ(help_topic_number("#0091"), 91);
  EXPECT_EQ(help_topic_number("#12345"), 1234);
  EXPECT_EQ(help_topic_number("#7x"), 7);
  EXPECT_EQ(help_topic_number("#"), 0);
  EXPECT_EQ(help_topic_number(" #91"), -1);
  EXPECT_EQ(help_topic_number("91"), -1);
}

TEST_F(ContextHelp, ShowsTheTopicInItsFrameUntilEscAndPutsTheScreenBack) {
  use_help_text("preface\n#90 Other\nnot this\n#0091 Identity\nline one\nline two\n#92 Next\nnever\n");
  print_at(10, 10, "underneath", 0x47);
  services.keys.add({key::enter, 'q', 0, key::f10, key::esc});
  show_help(91);

  EXPECT_EQ(services.keys.left(), 0u);  // Enter and other keys left it open
  EXPECT_EQ(test::text_at(10, 10, 10), "underneath");
  EXPECT_EQ(test::colour_at(10, 10), 0x47);
  EXPECT_EQ(current_colour(), 0x1E);
  EXPECT_EQ(test::screen().window().x1, 1);
  EXPECT_EQ(test::screen().window().y2, 25);
}

TEST_F(ContextHelp, WindowContentWhileOpen) {
  use_help_text("#0091 Identity\r\nline one\nline two\n#92 Next\nnever\n");
  services.keys.add({'x'});
  EXPECT_TRUE(test::runs_until_script_ends([] { show_help(91); }));
  EXPECT_EQ(test::utf8_at(5, 3, 1), "┌");
  EXPECT_EQ(test::utf8_at(74, 22, 1), "┘");
  EXPECT_EQ(help_row(2), padded("#0091 Identity"));
  EXPECT_TRUE(test::span_has_colour(6, 4, 68, 0x70));
  EXPECT_EQ(help_row(3), padded("line one"));
  EXPECT_EQ(help_row(4), padded("line two"));
  EXPECT_EQ(help_row(5), std::string(68, ' '));
}

TEST_F(ContextHelp, LongTopicsShowSeventeenLinesAndTheLastTopicEndsTheFile) {
  std::string text = "#5 Long\n";
  for (int i = 1; i <= 20; ++i) text += "body " + std::to_string(i) + "\n";
  text += "#6 Last\nfinal line";
  use_help_text(text);
  services.keys.add({'x'});
  EXPECT_TRUE(test::runs_until_script_ends([] { show_help(5); }));
  EXPECT_EQ(help_row(19), padded("body 17"));
  EXPECT_EQ(test::utf8_at(5, 22, 1), "└");

  services.keys.add({key::esc});
  show_help(6);
  services.keys.add({'x'});
  EXPECT_TRUE(test::runs_until_script_ends([] { show_help(6); }));
  EXPECT_EQ(help_row(3), padded("final line"));
}

TEST_F(ContextHelp, MissingTopicShowsAnEmptyFrame) {
  use_help_text("#1 One\ntext\n");
  services.keys.add({'x'});
  EXPECT_TRUE(test::runs_until_script_ends([] { show_help(77); }));
  EXPECT_EQ(test::utf8_at(5, 3, 1), "┌");
  for (int row = 2; row <= 19; ++row) EXPECT_EQ(help_row(row), std::string(68, ' ')) << row;
}

TEST_F(ContextHelp, LongLinesComeInPiecesOfEightyCutAtTheFrame) {
  std::string eighty(80, 'a');
  std::string longer = std::string(80, 'b') + "tail";
  use_help_text("#3 Pieces\n" + eighty + "\n" + longer + "\nafter\n");
  services.keys.add({'x'});
  EXPECT_TRUE(test::runs_until_script_ends([] { show_help(3); }));
  EXPECT_EQ(help_row(3), std::string(68, 'a'));
  EXPECT_EQ(test::utf8_at(74, 5, 1), "│");  // the frame is intact
  EXPECT_EQ(help_row(4), std::string(68, 'b'));
  EXPECT_EQ(help_row(5), padded("tail"));
  EXPECT_EQ(help_row(6), padded("after"));
}

TEST_F(ContextHelp, CrLfLineEndsShowNoEmptyLineAfterLongLines) {
  // 79 characters and CR fill a piece and leave the LF; 80 characters leave
  // CR LF; 159 come as 80 and 79 with the CR.
  std::string text = "#4 Dos\r\n" + std::string(79, 'a') + "\r\n" + std::string(80, 'b') + "\r\n" +
                     std::string(80, 'c') + std::string(79, 'd') + "\r\nafter\r\n#5 Next\r\n";
  use_help_text(text);
  services.keys.add({'x'});
  EXPECT_TRUE(test::runs_until_script_ends([] { show_help(4); }));
  EXPECT_EQ(help_row(2), padded("#4 Dos"));
  EXPECT_EQ(help_row(3), std::string(68, 'a'));
  EXPECT_EQ(help_row(4), std::string(68, 'b'));
  EXPECT_EQ(help_row(5), std::string(68, 'c'));
  EXPECT_EQ(help_row(6), std::string(68, 'd'));
  EXPECT_EQ(help_row(7), padded("after"));
  EXPECT_EQ(help_row(8), std::string(68, ' '));
}

TEST(HelpFile, OnlyAFileThatCanBeReadIsOpened) {
  namespace fs = std::filesystem;
  std::string dir = (fs::temp_directory_path() / "help_file_test").string();
  fs::remove_all(dir);
  ASSERT_TRUE(fs::create_directory(dir));
  std::string path = dir + "/help.txt";
  EXPECT_EQ(open_help_file(path.c_str()), nullptr);  // missing

  ASSERT_TRUE(fs::create_directory(path));  // a folder opens but cannot be read
  EXPECT_EQ(open_help_file(path.c_str()), nullptr);
  fs::remove(path);

  std::FILE* out = std::fopen(path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  std::fputs("#1 One\n", out);
  std::fclose(out);
  std::FILE* in = open_help_file(path.c_str());
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(std::fgetc(in), '#');  // from its start
  std::fclose(in);

  out = std::fopen(path.c_str(), "w");  // empty: readable, with no topics
  std::fclose(out);
  in = open_help_file(path.c_str());
  EXPECT_NE(in, nullptr);
  if (in) std::fclose(in);
  fs::remove_all(dir);
}

}  // namespace
