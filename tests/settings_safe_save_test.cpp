// Saving a settings file over an old one: the old file's mode, owner, links
// and other names survive, a folder the user may not write still lets a
// writable file be saved, and no temporary file outlives a save, a failure
// or a signal.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "settings/settings_commands.h"
#include "settings/settings_files.h"
#include "tests/settings_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t nobody = 65534;

struct SafeSave : test::SettingsFixture {
  std::vector<std::uint8_t> old_file = std::vector<std::uint8_t>(karvel_image_size, 0x11);

  void SetUp() override {
    SettingsFixture::SetUp();
    for (int i = 0; i < karvel_image_size; ++i) settings_image.karvel[i] = static_cast<std::uint8_t>(i * 13);
  }
  std::vector<std::uint8_t> image() const {
    return std::vector<std::uint8_t>(settings_image.karvel, settings_image.karvel + karvel_image_size);
  }
  void name(const char* file) { std::strcpy(settings_state.file_name, file); }
  bool save() {
    SettingsFileWriter writer;
    return writer.begin() && writer.commit(settings_image.karvel, karvel_image_size);
  }
  static fs::perms mode_of(const std::string& path) { return fs::status(path).permissions(); }
  static struct stat stat_of(const std::string& path) {
    struct stat st{};
    ::stat(path.c_str(), &st);
    return st;
  }
  // The names in a folder, hidden ones included.
  static std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // Runs `body` in a child process whose file permissions hold: a test run
  // by the super-user gives the child the "nobody" account and makes the
  // test folder its own. True when the body returned true.
  bool as_ordinary_user(const std::function<bool()>& body) {
    bool root = geteuid() == 0;
    if (root) {
      // A folder the child cannot own would test nothing: the child is not run.
      for (auto& e : fs::recursive_directory_iterator(dir))
        if (lchown(e.path().c_str(), nobody, nobody) != 0) return false;
      if (lchown(dir.c_str(), nobody, nobody) != 0) return false;
    }
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
      if (root && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(2);
      _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
};

TEST_F(SafeSave, TheNewFileKeepsTheOldOnesModeAndLeavesNoTemporaryFile) {
  write_file("st.set", old_file);
  fs::permissions("st.set", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  name("st.set");
  ASSERT_TRUE(save());
  EXPECT_EQ(read_file("st.set"), image());
  EXPECT_EQ(mode_of("st.set"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
  // A new file gets the mode any new file gets.
  name("new.set");
  ASSERT_TRUE(save());
  EXPECT_TRUE((mode_of("new.set") & fs::perms::owner_write) != fs::perms::none);
  EXPECT_EQ(names_in(dir), (std::vector<std::string>{"new.set", "st.set"}));
}

TEST_F(SafeSave, ASymbolicLinkStaysALinkAndTheFileItPointsToIsWritten) {
  fs::create_directory("kept");
  write_file("kept/real.set", old_file);
  fs::create_symlink("kept/real.set", "link.set");
  fs::create_symlink("link.set", "chain.set");
  name("chain.set");
  ASSERT_TRUE(save());
  EXPECT_TRUE(fs::is_symlink("chain.set"));
  EXPECT_TRUE(fs::is_symlink("link.set"));
  EXPECT_EQ(read_file("kept/real.set"), image());
  EXPECT_EQ(names_in("kept"), std::vector<std::string>{"real.set"});
  EXPECT_EQ(names_in(dir), (std::vector<std::string>{"chain.set", "kept", "link.set"}));
  // A link to nowhere makes the file it names.
  fs::create_symlink("kept/later.set", "dangling.set");
  name("dangling.set");
  ASSERT_TRUE(save());
  EXPECT_TRUE(fs::is_symlink("dangling.set"));
  EXPECT_EQ(read_file("kept/later.set"), image());
}

TEST_F(SafeSave, AFileWithOtherNamesIsWrittenInPlaceSoEveryNameSeesIt) {
  write_file("st.set", old_file);
  fs::create_hard_link("st.set", "copy.set");
  name("st.set");
  ASSERT_TRUE(save());
  EXPECT_EQ(read_file("st.set"), image());
  EXPECT_EQ(read_file("copy.set"), image());
  EXPECT_EQ(fs::hard_link_count("st.set"), 2u);
}

// A disk that is full after 4096 bytes: the write in place fails half way
// and the 100 old bytes are put back under both names; the save command
// says the file was not written, in a text of its own.
TEST_F(SafeSave, AnInPlaceWriteThatFailsLeavesTheOldContentAndTheSaveSaysSo) {
  const std::vector<std::uint8_t> old(100, 0x5A);
  write_file("st.set", old);
  fs::create_hard_link("st.set", "copy.set");
  test::KeySpy spy{&services.keys, [] { return test::utf8_at(20, 4, 57); }};
  platform::services().keys = &spy;
  type("st");
  keys({key::enter, 'y', 'x', 'x'});
  {
    if (!platform::FileSizeLimit::available) GTEST_SKIP() << "no file size limit on this system";
    platform::FileSizeLimit full_disk(4096);
    ASSERT_TRUE(full_disk.active());
    save_settings_file();
  }
  EXPECT_EQ(read_file("st.set"), old);
  EXPECT_EQ(read_file("copy.set"), old);
  EXPECT_TRUE(spy.saw("Ошибка записи файла!"));
  EXPECT_TRUE(spy.saw("Файл не записан."));
  EXPECT_FALSE(spy.saw("Ошибка открытия"));
}

TEST_F(SafeSave, AWritableFileInAFolderThatMayNotBeWrittenIsWrittenInPlace) {
  auto longer = old_file;
  longer.resize(karvel_image_size + 100, 0x22);  // cut to the image once written
  write_file("st.set", longer);
  fs::permissions("st.set", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  name("st.set");
  EXPECT_TRUE(as_ordinary_user([this] { return save(); }));
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(read_file("st.set"), image());
  EXPECT_EQ(mode_of("st.set"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
  // A new name in such a folder cannot be made at all.
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  name("new.set");
  EXPECT_TRUE(as_ordinary_user([this] {
    SettingsFileWriter writer;
    return !writer.begin();
  }));
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
}

TEST_F(SafeSave, AWriteProtectedFileIsRefusedAndStaysAsItWas) {
  write_file("st.set", old_file);
  fs::permissions("st.set", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  name("st.set");
  EXPECT_TRUE(as_ordinary_user([] {
    SettingsFileWriter writer;
    return !writer.begin();
  }));
  EXPECT_EQ(read_file("st.set"), old_file);
  EXPECT_EQ(mode_of("st.set"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
}

TEST_F(SafeSave, TheSuperUserWritesAReadOnlyFileOfAnotherOwnerAndKeepsBoth) {
  if (geteuid() != 0) GTEST_SKIP() << "only the super-user may write another's read-only file";
  write_file("st.set", old_file);
  fs::permissions("st.set", fs::perms::owner_read | fs::perms::group_read);
  ASSERT_EQ(chown("st.set", nobody, nobody), 0);
  name("st.set");
  ASSERT_TRUE(save());
  EXPECT_EQ(read_file("st.set"), image());
  EXPECT_EQ(mode_of("st.set"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(stat_of("st.set").st_uid, nobody);
  EXPECT_EQ(stat_of("st.set").st_gid, nobody);
}

TEST_F(SafeSave, NoTemporaryFileOutlivesAFailureOrASignal) {
  write_file("st.set", old_file);
  name("st.set");
  // The target turns into a folder before the new file can take its place.
  {
    SettingsFileWriter writer;
    ASSERT_TRUE(writer.begin());
    EXPECT_EQ(names_in(dir).size(), 2u);  // the file and the new one beside it
    fs::remove("st.set");
    fs::create_directory("st.set");
    EXPECT_FALSE(writer.commit(settings_image.karvel, karvel_image_size));
  }
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
  EXPECT_TRUE(fs::is_directory("st.set"));
  fs::remove("st.set");
  write_file("st.set", old_file);
  // A writer dropped before it commits, as a transfer that failed.
  {
    SettingsFileWriter writer;
    ASSERT_TRUE(writer.begin());
  }
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
  // A signal while the new file is being made: the handler that puts the
  // terminal back removes it too.
  SettingsFileWriter writer;
  ASSERT_TRUE(writer.begin());
  platform::remove_temporaries_on_signal();
  EXPECT_EQ(names_in(dir), std::vector<std::string>{"st.set"});
  EXPECT_EQ(read_file("st.set"), old_file);
}

TEST_F(SafeSave, FilesLeftByRunsThatDidNotEndWellDoNotStopASave) {
  write_file("st.set", old_file);
  for (int n = 0; n < 100; ++n) write_file(".st.set." + std::to_string(n) + ".new", {});
  for (int n = 0; n < 150; ++n) write_file(".st.set." + std::to_string(getpid()) + "." + std::to_string(n) + ".tmp", {});
  name("st.set");
  ASSERT_TRUE(save());
  EXPECT_EQ(read_file("st.set"), image());
  EXPECT_EQ(names_in(dir).size(), 251u);  // nothing of its own left behind
}

TEST_F(SafeSave, TheSaveCommandKeepsALinkAndTheFilesMode) {
  write_file("kept.set", old_file);
  fs::permissions("kept.set", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("kept.set", "st.set");
  type("st");
  services.keys.add({key::enter, 'y', 'x'});
  save_settings_file();
  EXPECT_TRUE(fs::is_symlink("st.set"));
  EXPECT_EQ(read_file("kept.set"), image());
  EXPECT_EQ(mode_of("kept.set"), fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
