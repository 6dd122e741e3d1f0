// Where the programs find their help files, and their command line.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/program_files.h"

namespace {

namespace fs = std::filesystem;

struct DataFiles : ::testing::Test {
  fs::path old_dir = fs::current_path();
  fs::path root = fs::temp_directory_path() / ("data_files_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
  void SetUp() override {
    fs::create_directories(root / "work");
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/share/station-consoles");
    fs::current_path(root / "work");
    platform::locate_data_files_from((root / "usr/bin/karvel").string());
  }
  void TearDown() override {
    platform::locate_data_files_from("");
    fs::current_path(old_dir);
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  static void touch(const fs::path& path) { std::ofstream(path) << "x"; }
};

TEST_F(DataFiles, TheCurrentDirectoryThenBesideTheProgramThenTheInstalledDataFolder) {
  const auto places = platform::data_file_places("help.txt", (root / "usr/bin/karvel").string());
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0], "help.txt");
  EXPECT_EQ(fs::path(places[1]), root / "usr/bin/help.txt");
  EXPECT_EQ(fs::path(places[2]), root / "usr/share/station-consoles/help.txt");

  // Nothing anywhere: the bare name, so that opening it fails as before.
  EXPECT_EQ(platform::find_data_file("help.txt"), "help.txt");
  touch(root / "usr/share/station-consoles/help.txt");
  EXPECT_EQ(fs::path(platform::find_data_file("help.txt")), root / "usr/share/station-consoles/help.txt");
  touch(root / "usr/bin/help.txt");
  EXPECT_EQ(fs::path(platform::find_data_file("help.txt")), root / "usr/bin/help.txt");
  touch("help.txt");
  EXPECT_EQ(platform::find_data_file("help.txt"), "help.txt");
  // The folders, for the message when there is none.
  fs::path here = fs::current_path();
  EXPECT_EQ(platform::data_file_folders("help.txt"),
            here.string() + ", " + (root / "usr/bin").lexically_normal().string() + ", " +
                (root / "usr/share/station-consoles").lexically_normal().string());
}

TEST_F(DataFiles, AnUnreadableEntryHereIsStillTheOneTaken) {
  touch(root / "usr/bin/help.txt");
  fs::create_directory("help.txt");  // reported as unreadable, not passed over
  EXPECT_EQ(platform::find_data_file("help.txt"), "help.txt");
}

TEST_F(DataFiles, WithoutTheProgramsPathOnlyTheCurrentDirectory) {
  platform::locate_data_files_from("");
  touch(root / "usr/bin/help.hlp");
  EXPECT_EQ(platform::data_file_places("help.hlp", "").size(), 1u);
  EXPECT_EQ(platform::find_data_file("help.hlp"), "help.hlp");
}

TEST(CommandLine, HelpAndVersionAnswerUnknownArgumentsAreRefusedNoneRuns) {
  const platform::ProgramAbout about{"karvel", "usage: karvel\n"};
  char name[] = "karvel", help[] = "--help", version[] = "--version", other[] = "--colour";
  char* none[] = {name, nullptr};
  char* asks_help[] = {name, help, nullptr};
  char* asks_version[] = {name, version, nullptr};
  char* unknown[] = {name, other, nullptr};
  char* two[] = {name, version, help, nullptr};
  EXPECT_FALSE(platform::answer_command_line(1, none, about).has_value());
  EXPECT_EQ(platform::answer_command_line(2, asks_help, about), 0);
  EXPECT_EQ(platform::answer_command_line(2, asks_version, about), 0);
  EXPECT_EQ(platform::answer_command_line(2, unknown, about), 2);
  EXPECT_EQ(platform::answer_command_line(3, two, about), 2);
  char extra[] = "extra";
  char* help_extra[] = {name, help, extra, nullptr};
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform::answer_command_line(3, help_extra, about), 2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "karvel: unknown argument extra\nusage: karvel\n");
  EXPECT_STRNE(platform::program_version(), "");
}

}  // namespace
