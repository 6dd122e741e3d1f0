// Loading a karvel settings file for editing and saving the edited image:
// what reaches the image, the identity taken from the file, and every way a
// file can be wrong without harm to the user's data.
#include <cstring>

#include "karvel/shell.h"
#include "platform/files.h"
#include "settings/settings_commands.h"
#include "settings/settings_files.h"
#include "tests/settings_test_support.h"
#include "toolkit/menu.h"

namespace {

namespace fs = std::filesystem;
using test::utf8_at;

struct Files : test::SettingsFixture {
  test::KeySpy spy{&services.keys, [] { return utf8_at(20, 4, 58); }};
  void SetUp() override {
    SettingsFixture::SetUp();
    platform::services().keys = &spy;
  }
  // Types a name in the dialog.
  void choose(const std::string& name) {
    type(name);
    keys({key::enter});
  }
  std::vector<std::uint8_t> image() const {
    return std::vector<std::uint8_t>(settings_image.karvel, settings_image.karvel + karvel_image_size);
  }
  void load_ok(const std::string& name) {
    choose(name);
    load_settings_file();
    ASSERT_EQ(link_state.file_mode, 1);
  }
};

TEST_F(Files, LoadTakesTheImageAndTheIdentityAndEntersFileMode) {
  auto file = karvel_file("K-T216A4");
  write_file("st.set", file);
  link_state.station_connected = 1;
  link_state.access_code_table[3] = 1234;
  load_ok("st");
  EXPECT_EQ(image(), file);
  EXPECT_EQ(link_state.station_connected, 0);
  EXPECT_STREQ(link_state.station_identity, "KT216A4");
  EXPECT_EQ(link_state.city_line_count, 2);
  EXPECT_EQ(link_state.port_count, 16);
  EXPECT_EQ(link_state.channel_row_count, 4);
  EXPECT_EQ(link_state.first_line_port, 0x11);
  EXPECT_EQ(link_state.access_code_table[3], 1234);  // not taken from a file
  EXPECT_STREQ(settings_state.file_name, "st.set");
  EXPECT_EQ(utf8_at(18, 3, 61), std::string(61, ' '));  // the window is gone
}

TEST_F(Files, TheMenuBarShowsTheLoadedFileAndItsIdentity) {
  write_file("office.set", karvel_file("K-T216A4"));
  load_ok("office");
  show_karvel_menu_bar();
  EXPECT_EQ(utf8_at(59, 1, 10), "office.set");
  EXPECT_EQ(utf8_at(73, 1, 7), "KT216A4");
}

TEST_F(Files, EscAtTheLoadDialogKeepsAnImageWithUnsavedEdits) {
  write_file("first.set", karvel_file());
  load_ok("first");
  settings_image.karvel[0x100] ^= 0xFF;  // an edit not saved yet
  auto edited = image();
  // Another load: a name that cannot be opened, then Esc at the list.
  choose("missing");
  keys({'x', key::esc});
  load_settings_file();
  EXPECT_EQ(image(), edited);
  EXPECT_EQ(link_state.file_mode, 1);
  EXPECT_STREQ(settings_state.file_name, "first.set");
  EXPECT_TRUE(spy.saw(" Ошибка открытия файла! "));
}

TEST_F(Files, FilesThatCannotBeOpenedGiveTheOpenError) {
  fs::create_directory("dir.set");
  platform::make_fifo("pipe.set");
  for (const char* name : {"missing", "dir", "pipe"}) {
    spy.seen.clear();
    choose(name);
    keys({'x', key::esc});
    load_settings_file();
    EXPECT_TRUE(spy.saw(" Ошибка открытия файла! ")) << name;
    EXPECT_EQ(link_state.file_mode, 0) << name;
    EXPECT_EQ(image(), std::vector<std::uint8_t>(karvel_image_size, 0)) << name;
  }
  EXPECT_TRUE(fs::is_directory("dir.set"));
}

TEST_F(Files, FilesOfTheWrongSizeOrModelAreRefused) {
  auto good = karvel_file();
  write_file("empty.set", {});
  write_file("short.set", std::vector<std::uint8_t>(good.begin(), good.begin() + 16000));
  std::vector<std::uint8_t> tomrik(tomrik_image_size, 0);
  std::memcpy(tomrik.data(), "T416", 4);
  write_file("tomrik.set", tomrik);
  auto garbled = good;
  garbled[4] = 0x07;  // not a digit: the port count would be nonsense
  write_file("garbled.set", garbled);
  for (const char* name : {"empty", "short", "tomrik", "garbled"}) {
    spy.seen.clear();
    choose(name);
    keys({'x', key::esc});
    load_settings_file();
    EXPECT_TRUE(spy.saw(" Файл не подходит к станции! ")) << name;
    EXPECT_EQ(link_state.file_mode, 0) << name;
    EXPECT_EQ(link_state.port_count, 0) << name;
  }
}

TEST_F(Files, ALongerFileGivesTheImageFromItsStart) {
  auto good = karvel_file();
  auto longer = good;
  longer.resize(karvel_image_size + 300, 0xAB);
  write_file("long.set", longer);
  load_ok("long");
  EXPECT_EQ(image(), good);
  EXPECT_EQ(link_state.port_count, 16);
}

TEST_F(Files, ATypedNameTooLongForTheFieldIsRefusedBeforeAnythingIsOpened) {
  write_file("abcdefghi.set", karvel_file());  // a name longer than 12 characters
  choose("abcdefghi");
  keys({'x', key::esc});
  load_settings_file();
  EXPECT_TRUE(spy.saw(" Слишком длинное имя файла! "));
  EXPECT_FALSE(spy.saw("Ошибка открытия файла!"));
  EXPECT_EQ(link_state.file_mode, 0);
  EXPECT_EQ(image(), std::vector<std::uint8_t>(karvel_image_size, 0));
}

TEST_F(Files, SaveWritesTheWholeImageAndReplacesTheOldFile) {
  write_file("st.set", karvel_file());
  load_ok("st");
  settings_image.karvel[0x7FFF] = 0x5A;
  auto edited = image();
  keys({key::enter, 0x8D, 'x'});  // the loaded file is name 0 of the list; "Н" is Y in the Russian layout
  save_settings_file();
  EXPECT_EQ(read_file("st.set"), edited);
  EXPECT_TRUE(spy.saw("Записать отредактированный файл st.set [Y/N]"));
  EXPECT_TRUE(spy.saw("Файл записан. Для продолжения нажмите любую клавишу."));
  EXPECT_EQ(directory_names(), std::vector<std::string>{"st.set"});  // no temporary file left
}

TEST_F(Files, SaveDeclinedOrCancelledWritesNothing) {
  write_file("st.set", {1, 2, 3});
  choose("st");
  keys({'n', 'x'});
  save_settings_file();
  EXPECT_TRUE(spy.saw("Файл не записан. Для продолжения нажмите любую клавишу."));
  // Esc while typing ends the save command too.
  type("other");
  keys({key::esc, 'x'});
  save_settings_file();
  keys({key::esc, 'x'});
  save_settings_file();
  EXPECT_EQ(read_file("st.set"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(directory_names(), std::vector<std::string>{"st.set"});
}

TEST_F(Files, SaveOverADirectoryOrUnderATooLongNameFailsAndTriesAgain) {
  fs::create_directory("dir.set");
  choose("dir");
  keys({'y', 'x'});           // the open error, then the dialog again
  choose("abcdefghi");        // longer than 12 with the extension: refused
  keys({'x'});                // before any question
  keys({key::esc, 'x'});
  save_settings_file();
  EXPECT_TRUE(spy.saw(" Ошибка открытия файла! "));
  EXPECT_TRUE(spy.saw(" Слишком длинное имя файла! "));
  EXPECT_FALSE(spy.saw("abcdefghijk"));  // never asked about under a cut name
  EXPECT_TRUE(spy.saw("Файл не записан."));
  EXPECT_TRUE(fs::is_directory("dir.set"));
  EXPECT_EQ(directory_names(), std::vector<std::string>{"dir.set"});
}

TEST_F(Files, TheWholeSaveQuestionIsBlankedAfterTheAnswer) {
  // The longest question ends at column 69; its last places must not stay
  // beside the message that follows.
  fs::create_directory("abcdefgh.set");
  choose("abcdefgh");
  keys({'y', 'x', key::esc, 'x'});
  save_settings_file();
  EXPECT_TRUE(spy.saw("Записать отредактированный файл abcdefgh.set [Y/N]"));
  std::string at_error = std::string(14, ' ') + " Ошибка открытия файла! " + std::string(20, ' ');
  EXPECT_TRUE(spy.saw(at_error));
}

// A Cyrillic name is kept in CP866 and reaches the file system as its
// characters (UTF-8 on a POSIX system, UTF-16 on Windows): the file listed
// is the file loaded and the file saved.
TEST_F(Files, ACyrillicNameIsTheFileOfItsCharacters) {
  const fs::path on_disk(u8"дом.set");
  const std::string name = "\xA4\xAE\xAC.set";
  EXPECT_EQ(platform::file_path(name), on_disk);
  EXPECT_EQ(platform::cp866_file_name(on_disk).value_or("none"), name);
  EXPECT_FALSE(platform::cp866_file_name(fs::path(u8"\u65E5.set")).has_value());  // no CP866 glyph
  {
    auto file = karvel_file();
    std::ofstream f(on_disk, std::ios::binary);
    f.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  keys({key::enter});  // the only name of the list
  load_settings_file();
  ASSERT_EQ(link_state.file_mode, 1);
  EXPECT_EQ(std::string(settings_state.file_name), name);
  settings_image.karvel[0x7FFF] = 0x5A;
  keys({key::enter, 'y', 'x'});
  save_settings_file();
  std::ifstream f(on_disk, std::ios::binary);
  EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {}), image());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace
