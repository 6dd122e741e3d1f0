// The pickup groups and the hold melody screens of karvel, run with
// scripted keys against the in-process station, with "name.mld" in a
// directory of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "karvel/screens.h"
#include "platform/cp866.h"
#include "settings/program_profile.h"
#include "tests/karvel_image_fixture.h"
#include "tests/station_fixtures.h"

namespace {

namespace fs = std::filesystem;
using test::members;
using test::text_at;
using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

// A names file with the name of melody n + 1 in record n.
Bytes names_file(std::initializer_list<std::pair<int, std::string>> names, std::size_t size = 512) {
  Bytes file(size, 0);
  for (auto& [n, name] : names) {
    std::string cp = cp866::from_utf8(name);
    for (std::size_t i = 0; i < cp.size(); ++i) file.at(static_cast<std::size_t>(n) * 32 + i) = static_cast<std::uint8_t>(cp[i]);
  }
  return file;
}

struct KarvelMelodyAndPickup : test::KarvelStationTest {
  void SetUp() override {
    KarvelStationTest::SetUp();
    for (int topic : {66, 168, 169, 170, 171, 172}) add_help_topic(topic);
  }
  static void write_file(const Bytes& bytes) {
    std::ofstream f("name.mld", std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static Bytes read_file() {
    std::ifstream f("name.mld", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
  }
  static std::string number() { return text_at(35, 8, 3); }
  static std::string name() { return utf8_at(40, 8, 32); }
  static std::string bar() { return utf8_at(40, 11, 16); }
  static std::string padded(const std::string& text) {
    return text + std::string(32 - cp866::from_utf8(text).size(), ' ');
  }
};

// ------------------------------------------------------------ pickup groups

TEST_F(KarvelMelodyAndPickup, PickupGroupsPageFourShowsGroupsThirteenToSixteen) {
  poke(0xEE00 + 16 * 14, {9, 10});  // group 15
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  keys({0, key::end, 0, key::f10, key::esc});
  keys_after_box({0, key::pgdn, key::esc});  // page 4 is the last
  edit_pickup_groups();
  EXPECT_EQ(utf8_at(27, 2, 24), "Группы перехвата вызовов");
  EXPECT_EQ(utf8_at(29, 5, 20), "Группа перехвата: 13");
  EXPECT_EQ(utf8_at(29, 20, 20), "Группа перехвата: 16");
  EXPECT_EQ(text_at(9, 17, 6), " 9  10");
  EXPECT_TRUE(spy.saw("#66  "));
  EXPECT_EQ(utf8_at(59, 25, 9), "Home-Перв");

  keys({0, key::end, 0, key::pgup, 0, key::home, key::esc});
  edit_pickup_groups();
  EXPECT_EQ(utf8_at(29, 20, 20), "Группа перехвата:  4");
  EXPECT_EQ(text_at(9, 7, 10), " 1   2   3");  // the station's group 1
}

// The groups are packed with 0 in the free places, under parameter 165.
TEST_F(KarvelMelodyAndPickup, AnEditPacksThePickupGroupWithZeros) {
  poke(0xEE00 + 16 * 6, {7, 0, 7, 3});  // group 7, on page 2
  keys({0, key::pgdn, 0, key::down, 0, key::down, 0, key::right, 0, key::right, 0, key::right, 0, key::right});
  keys({key::enter, key::esc});  // place 5 left as it was; the group is packed
  keys({key::esc});
  edit_pickup_groups();
  EXPECT_EQ(peek(0xEE00 + 16 * 6, 16), members({7, 3}, 0));
  EXPECT_EQ(text_at(9, 17, 8), " 7   3  ");

  protect(165);
  keys({key::enter, '9', key::enter});
  keys_after_box({key::esc});
  edit_pickup_groups();
  EXPECT_EQ(peek(0xEE00, 16), members({1, 2, 3}, 0));
}

// ------------------------------------------------------------ melody

TEST_F(KarvelMelodyAndPickup, TheMelodyScreenShowsTheMelodyItsNameAndTheVolume) {
  write_file(names_file({{1, "Вальс"}, {2, "Марш"}}));
  keys({key::esc});
  edit_melody();
  EXPECT_EQ(utf8_at(20, 2, 46), "Выбор мелодии звучащей для городского абонента");
  EXPECT_EQ(utf8_at(10, 8, 9), " Мелодия ");
  EXPECT_TRUE(test::span_has_colour(10, 8, 9, COLOR_BOX));
  EXPECT_EQ(utf8_at(10, 11, 19), " Уровень громкости ");
  EXPECT_TRUE(test::span_has_colour(10, 11, 19, COLOR_SCREEN));
  EXPECT_EQ(utf8_at(1, 6, 3), "╔══");
  EXPECT_EQ(utf8_at(80, 14, 1), "╝");
  EXPECT_EQ(utf8_at(1, 10, 1), "║");
  EXPECT_EQ(utf8_at(38, 10, 20), "┌──────────────────┐");
  EXPECT_EQ(utf8_at(57, 11, 1), "│");
  EXPECT_EQ(number(), " 2.");
  EXPECT_EQ(name(), padded("Вальс"));
  EXPECT_EQ(bar(), "══════════█═════");  // 0x45: level 10
  EXPECT_EQ(utf8_at(71, 1, 10), "F10-Помощь");
  EXPECT_EQ(utf8_at(1, 25, 7), "СТРЕЛКИ");
}

TEST_F(KarvelMelodyAndPickup, OpeningOnAFailingStationCostsOneBoxAndEscThereCloses) {
  on_line.failing_blocks = {0x8030, 0x8031};
  keys({key::esc});  // at the box
  EXPECT_FALSE(test::runs_until_script_ends(edit_melody));
  EXPECT_EQ(on_line.blocks_read, 1);
  EXPECT_EQ(read_file().size(), 512u);
}

TEST_F(KarvelMelodyAndPickup, MelodiesStopAtTwelveAndOne) {
  write_file(names_file({{0, "Первая"}, {11, "Последняя"}}));
  station.poke(0x8030, 10);
  keys({key::enter, 0, key::right, 0, key::up, 0, key::right, key::enter});
  keys({key::esc});
  edit_melody();
  EXPECT_EQ(station.peek(0x8030), 11);
  EXPECT_EQ(number(), "12.");
  EXPECT_EQ(name(), padded("Последняя"));

  keys({key::enter});
  for (int i = 0; i < 12; ++i) keys({0, key::left});
  keys({0, key::down, key::enter, key::esc});
  edit_melody();
  EXPECT_EQ(station.peek(0x8030), 0);
  EXPECT_EQ(number(), " 1.");
  EXPECT_EQ(name(), padded("Первая"));

  // Esc leaves the choice unstored and shows the stored melody again; F10
  // in the choice is topic 170.
  test::ScreenAtKeys spy(&services.keys, [] { return test::help_header(); });
  keys({key::enter, 0, key::right, 0, key::f10, key::esc});
  keys_after_box({key::esc, key::esc});
  edit_melody();
  EXPECT_TRUE(spy.saw("#170 "));
  EXPECT_EQ(station.peek(0x8030), 0);
  EXPECT_EQ(number(), " 1.");
}

TEST_F(KarvelMelodyAndPickup, VolumeLevelsAreStoredAsTheirComplementOver0x40) {
  station.poke(0x8031, 0x4A);
  test::ScreenAtKeys spy(&services.keys, [] { return utf8_at(40, 11, 16); });
  keys({0, key::down, key::enter});
  for (int i = 0; i < 12; ++i) keys({0, key::right});
  keys({key::enter, key::esc});
  edit_melody();
  EXPECT_EQ(spy.seen.at(0), "═════█══════════");  // 0x4A: level 5
  EXPECT_EQ(station.peek(0x8031), 0x40);
  EXPECT_EQ(bar(), "═══════════════█");

  keys({0, key::down, key::enter});
  for (int i = 0; i < 16; ++i) keys({0, key::down});
  keys({key::enter, key::esc});
  edit_melody();
  EXPECT_EQ(station.peek(0x8031), 0x4F);
  EXPECT_EQ(bar(), "█═══════════════");
}

// The name typed with F4 stays in memory, even when the melody choice is
// left with Esc, and reaches the file only as the screen closes. A new
// installation has no file: it is made, so the melody can be chosen.
TEST_F(KarvelMelodyAndPickup, AnEditedNameReachesANewNamesFileWhenTheScreenCloses) {
  ASSERT_FALSE(fs::exists("name.mld"));
  test::ScreenAtKeys spy(&services.keys, [] {
    Bytes file = read_file();
    return std::string(file.begin() + 32, file.begin() + 37);
  });
  keys({key::enter, 0, key::f4});
  services.keys.add_text("Tango");
  keys({key::enter, key::esc});  // name kept, melody choice left unstored
  keys({key::esc});
  edit_melody();
  EXPECT_EQ(spy.seen.back(), std::string(5, '\0'));  // as the screen was left
  Bytes file = read_file();
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(std::string(file.begin() + 32, file.begin() + 37), "Tango");
  EXPECT_EQ(std::count(file.begin(), file.end(), 0), 512 - 5);
  EXPECT_EQ(station.peek(0x8030), 1);
  EXPECT_EQ(name(), padded("Tango"));
  EXPECT_EQ(text_at(20, 18, 6), "ch= 13");
}

// The editor inserts into 31 places, the last of them dropping off, and
// never touches the record's 32nd byte; Esc in it keeps the old name.
TEST_F(KarvelMelodyAndPickup, TheNameEditorInsertsIntoThirtyOnePlaces) {
  Bytes file(512, 0);
  for (int i = 0; i < 32; ++i) file[32 + i] = static_cast<std::uint8_t>('a' + i % 26);
  write_file(file);
  keys({key::enter, 0, key::f4, 'X', 0, key::right, 0, key::del, key::backspace, key::enter});
  keys({0, key::f4, 'Q', key::esc, key::esc, key::esc});
  edit_melody();
  Bytes after = read_file();
  std::string record(after.begin() + 32, after.begin() + 64);
  // "X" goes in before "abc..", Right steps over the "a", Delete takes the
  // "b" and Backspace the "a".
  std::string want = "X";
  for (int i = 2; i < 30; ++i) want.push_back(static_cast<char>('a' + i % 26));
  want += std::string(2, '\0');
  want.push_back(static_cast<char>('a' + 31 % 26));
  EXPECT_EQ(record, want);
}

// A letter that comes after the extended-key prefix is typed like any other,
// and the trace shows both codes of it.
TEST_F(KarvelMelodyAndPickup, TheNameEditorTakesLettersAfterTheExtendedPrefix) {
  test::ScreenAtKeys spy(&services.keys, [] { return text_at(20, 18, 6); });
  keys({key::enter, 0, key::f4, 0, 0x80, 'b', key::enter, key::esc, key::esc});
  edit_melody();
  EXPECT_TRUE(spy.saw("ch=128"));
  Bytes file = read_file();
  EXPECT_EQ(std::string(file.begin() + 32, file.begin() + 35), std::string("\x80" "b\0", 3));
}

// A short file gives empty names past its end, whatever an earlier visit
// showed, and is made whole on closing.
TEST_F(KarvelMelodyAndPickup, AShortNamesFileLeavesTheMissingNamesEmpty) {
  write_file(names_file({{3, "Полька"}}));
  station.poke(0x8030, 3);
  keys({key::esc});
  edit_melody();
  EXPECT_EQ(name(), padded("Полька"));

  write_file(Bytes(40, 'B'));
  keys({key::esc});
  edit_melody();
  EXPECT_EQ(name(), std::string(32, ' '));
  Bytes want(512, 0);
  std::fill(want.begin(), want.begin() + 40, 'B');
  EXPECT_EQ(read_file(), want);
}

// A folder, or a FIFO that no one writes (opening it would wait for ever).
TEST_F(KarvelMelodyAndPickup, ANamesFileThatCanBeNeitherOpenedNorMadeLeavesTheStationAlone) {
  for (auto make : {+[] { fs::create_directory("name.mld"); }, +[] { platform::make_fifo("name.mld"); }}) {
    make();
    if (!fs::exists("name.mld")) continue;  // a system without FIFOs
    keys({'x', key::esc});
    edit_melody();
    EXPECT_EQ(utf8_at(34, 4, 22), "Ошибка открытия файла!");
    EXPECT_TRUE(test::span_has_colour(34, 4, 22, COLOR_BOX));
    EXPECT_EQ(services.keys.left(), 1u);
    EXPECT_EQ(on_line.blocks_read, 0);
    EXPECT_EQ(on_line.blocks_written, 0);
    fs::remove("name.mld");
    services.keys.read();  // the Esc the screen never asked for
  }
}

// ------------------------------------------------------------ no station

TEST(KarvelCityScreensWithNoStation, TheScreensShowTheBoxForNoPortAndLeave) {
  platform::TestServices services;
  use_program(karvel_program);
  reset_run_state();
  test::ScreenAtKeys spy(&services.keys, [] { return test::utf8_at(17, 13, 48); });
  services.keys.add({key::enter, key::enter, key::enter});
  city_line_editor();
  edit_pickup_groups();
  edit_melody();
  ASSERT_EQ(spy.seen.size(), 3u);
  for (const std::string& message : spy.seen) EXPECT_NE(message.find("Не выбран порт обмена"), std::string::npos);
}

// On a loaded settings file the pickup groups and the melody change the
// image.
struct KarvelMelodyOnFile : test::KarvelImageTest {};

TEST_F(KarvelMelodyOnFile, PickupGroupsAndTheVolumeEditTheImage) {
  test::image(0xEE20) = 5;
  keys({0, key::down, 0, key::down, 0, key::right, key::enter, '5', key::enter, key::esc});
  edit_pickup_groups();
  EXPECT_EQ(test::image(0xEE20), 5);
  EXPECT_EQ(test::image(0xEE21), 0);  // the repeat went

  fs::path old_dir = fs::current_path();
  fs::path dir = fs::temp_directory_path() / ("karvel_melody_file_" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);
  keys({0, key::down, key::enter, 0, key::left, key::enter, key::esc});
  edit_melody();
  fs::current_path(old_dir);
  fs::remove_all(dir);
  EXPECT_EQ(test::image(0x8031), 0x41);  // a 0 is level 15; one step down
}

}  // namespace
