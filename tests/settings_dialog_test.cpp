// The file-list dialog: the list, the moving selection, typed names and
// their 13-character rule, and the two kinds of Esc.
#include <algorithm>
#include <cstring>
#include <set>

#include "settings/program_profile.h"
#include "settings/settings_files.h"
#include "tests/settings_test_support.h"

namespace {

namespace fs = std::filesystem;
using test::colour_at;
using test::utf8_at;

struct Dialog : test::SettingsFixture {
  void make(const std::vector<std::string>& names) {
    for (auto& n : names) write_file(n, {1});
  }
  int run() {
    draw_box(18, 3, 59, 20);
    return settings_file_dialog("*.set");
  }
  std::string chosen() const { return settings_state.file_name; }
  // The listed name in slot n, as the dialog placed it.
  std::string slot(int n, int length = 5) { return utf8_at(20 + 15 * (n / 16), 6 + n % 16, length); }
};

TEST_F(Dialog, ListsMatchingFilesOnlyAndShowsTheKarvelKeys) {
  make({"a.set", "B.SET", "c.dat", "dset", ".hidden.set"});
  fs::create_directory("dir.set");
  keys({key::esc});
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(utf8_at(20, 4, 14), "Текущий файл: ");
  EXPECT_EQ(utf8_at(20, 23, 21), "Колличество файлов: 2");
  std::set<std::string> listed = {slot(0), slot(1)};
  EXPECT_EQ(listed, (std::set<std::string>{"a.set", "B.SET"}));
  EXPECT_EQ(utf8_at(20, 8, 5), "     ");
  EXPECT_EQ(utf8_at(45, 23, 5), "ENTER");
  EXPECT_EQ(colour_at(45, 23), 0x2E);
  EXPECT_EQ(utf8_at(50, 23, 13), " - Выполнить ");
  EXPECT_EQ(utf8_at(63, 23, 14), " ESC  - Выход ");
  // Name 0 is selected: highlighted and shown in the name field.
  EXPECT_EQ(colour_at(20, 6), 0x2E);
  EXPECT_EQ(colour_at(20, 7), 0x70);
  EXPECT_EQ(utf8_at(34, 4, 5), slot(0));
}

TEST_F(Dialog, TomrikShowsOnlyTheEscKey) {
  use_program(tomrik_program);
  keys({key::esc});
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(utf8_at(20, 23, 21), "Колличество файлов: 0");
  EXPECT_EQ(utf8_at(60, 23, 14), " ESC  - Выход ");
  EXPECT_EQ(colour_at(60, 23), 0x20);
  EXPECT_EQ(utf8_at(45, 23, 5), "     ");
}

TEST_F(Dialog, SeventyFilesShowSixtyFourInFourColumns) {
  for (int i = 0; i < 70; ++i) write_file("f" + std::to_string(100 + i) + ".set", {});
  std::vector<std::string> names = list_settings_files("*.set");
  ASSERT_EQ(names.size(), 64u);
  keys({key::esc});
  run();
  EXPECT_EQ(utf8_at(20, 23, 22), "Колличество файлов: 64");
  for (int n = 0; n < 64; ++n) EXPECT_EQ(slot(n, static_cast<int>(names[n].size())), names[n]) << n;
}

TEST_F(Dialog, NamesThatCannotBeShownAsTheyAreAreLeftOutOfTheListAndItsCount) {
  // A cut name would open or write another file than the one listed, and so
  // would one whose characters the console cannot show as they are.
#ifdef _WIN32
  GTEST_SKIP() << "Windows keeps names in UTF-16 and refuses a tab in them: "
                  "these names are a POSIX file system's";
#endif
  make({"averyverylongname.set", "tab\tname.set", "\xE6\x97\xA5.set", "abcdefgh.set", "дом.set"});
  std::vector<std::string> names = list_settings_files("*.set");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"abcdefgh.set", "\xA4\xAE\xAC.set"}));
  keys({key::esc});
  run();
  EXPECT_EQ(utf8_at(20, 23, 21), "Колличество файлов: 2");
  EXPECT_EQ(utf8_at(20, 8, 12), std::string(12, ' '));
  // The 64 slots go to names that fit, however many others there are.
  for (int i = 0; i < 10; ++i) write_file("unfit_name_" + std::to_string(i) + ".set", {});
  for (int i = 0; i < 62; ++i) write_file("f" + std::to_string(100 + i) + ".set", {});
  names = list_settings_files("*.set");
  EXPECT_EQ(names.size(), 64u);
  for (auto& n : names) EXPECT_LE(n.size(), 12u) << n;
  for (auto& n : names) EXPECT_NE(n.substr(0, 6), "unfit_") << n;
}

TEST_F(Dialog, ArrowsMoveTheSelectionWithinTheListAndShowIt) {
  for (int i = 0; i < 20; ++i) write_file("n" + std::to_string(10 + i) + ".set", {});
  std::vector<std::string> names = list_settings_files("*.set");
  // Up at the first name stays; Right jumps a column; Right again is
  // clamped to the last name (19); Left goes back 16; Down one more.
  keys({0, key::up, 0, key::right});
  keys({0, key::right, 0, key::left, 0, key::down, key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), names[4]);
  EXPECT_EQ(colour_at(20, 10), 0x2E);  // name 4
  EXPECT_EQ(colour_at(20, 9), 0x70);   // name 3, repainted
  EXPECT_EQ(colour_at(35, 9), 0x70);   // name 19, repainted
  EXPECT_EQ(utf8_at(34, 4, 14), names[4] + std::string(14 - names[4].size(), ' '));
}

TEST_F(Dialog, EmptyListEnterChoosesAnEmptyNameAndArrowsAreHarmless) {
  keys({0, key::down, 0, key::right, 0, key::left, key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), "");
}

TEST_F(Dialog, TypedNamesGetTheExtensionUnlessTheyHaveADot) {
  type("abc");
  keys({key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), "abc.set");
  type("abc.dat");
  keys({key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), "abc.dat");
}

TEST_F(Dialog, TheFirstLetterIsSmallLaterCapitalsStayAndBackspaceEdits) {
  make({"zz.set"});
  type("QwEx");
  keys({key::backspace, '_', '9', 0, key::up, '-', '!', key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), "qwE_9.set");
  // The echo is the name as stored, in the box colour.
  EXPECT_EQ(utf8_at(34, 4, 14), "qwE_9         ");
  EXPECT_EQ(colour_at(34, 4), 0x70);
}

TEST_F(Dialog, EscWhileTypingBlanksTheFieldAndKeepsTheName) {
  std::strcpy(settings_state.file_name, "old.set");
  type("new");
  keys({key::esc});
  EXPECT_EQ(run(), -1);
  EXPECT_EQ(utf8_at(34, 4, 14), std::string(14, ' '));
  EXPECT_EQ(chosen(), "old.set");
  keys({key::esc});
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(chosen(), "old.set");
}

TEST_F(Dialog, NamesTooLongForTheFieldAreRefusedWithTheReason) {
  test::KeySpy spy{&services.keys, [] { return utf8_at(34, 4, 28); }};
  platform::services().keys = &spy;
  std::strcpy(settings_state.file_name, "old.set");
  make({"only.set"});
  // Without a dot the 13th character ends the name as Enter would; with
  // the extension it is longer than a name may be. The message waits for a
  // key, and the list keys apply again.
  type("abcdefghijklm");
  keys({'x', key::esc});
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(spy.count(" Слишком длинное имя файла! "), 1);
  EXPECT_EQ(test::colour_at(34, 4), 0x70);  // blanked again
  EXPECT_EQ(chosen(), "old.set");

  // Nine characters and the extension are one too many; so is a name with
  // a dot that reaches 13 characters.
  spy.seen.clear();
  type("abcdefghi");
  keys({key::enter, 'x'});
  type("abcdefgh.setx");
  keys({'x', key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(spy.count(" Слишком длинное имя файла! "), 2);
  EXPECT_EQ(chosen(), "only.set");
  EXPECT_FALSE(settings_state.name_too_long);

  // Eight characters and the extension still fit.
  type("abcdefgh");
  keys({key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), "abcdefgh.set");
  EXPECT_FALSE(settings_state.name_too_long);
}

TEST_F(Dialog, ANameErasedOrWithNothingBeforeItsDotIsRefused) {
  test::KeySpy spy{&services.keys, [] { return utf8_at(34, 4, 22); }};
  platform::services().keys = &spy;
  make({"only.set"});
  type("ab");
  keys({key::backspace, key::backspace, key::enter, 'x'});
  type("a");
  keys({key::backspace, '.', 'd', 'a', 't', key::enter, 'x'});
  keys({key::esc});
  EXPECT_EQ(run(), 27);
  EXPECT_EQ(spy.count(" Не задано имя файла! "), 2);
  EXPECT_EQ(chosen(), "");
  // The list is usable again after the message: the selection is shown.
  EXPECT_EQ(utf8_at(34, 4, 14), "only.set      ");
}

TEST_F(Dialog, OtherKeysAreIgnoredAtTheList) {
  make({"a.set"});
  keys({'1', '.', ' ', 0, key::f1, key::enter});
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(chosen(), "a.set");
}

TEST_F(Dialog, PatternsMatchLikeTheDirectorySearch) {
  EXPECT_TRUE(matches_pattern("Station.SET", "*.set"));
  EXPECT_TRUE(matches_pattern(".set", "*.set"));
  EXPECT_FALSE(matches_pattern("a.set.bak", "*.set"));
  EXPECT_FALSE(matches_pattern("aset", "*.set"));
  EXPECT_TRUE(matches_pattern("a1.set", "a?.set"));
}

}  // namespace
