// The melody generator screen: the melody and volume records, the names in
// "name.mld" (created when missing, taken as they come, written back on
// leaving) and their editor.
#include <filesystem>

#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

// A names file with the name of melody n in slot n.
Bytes names_file(std::initializer_list<std::pair<int, std::string>> names, std::size_t size = 512) {
  Bytes file(size, 0);
  for (auto& [n, name] : names) {
    std::string cp = cp866::from_utf8(name);
    for (std::size_t i = 0; i < cp.size(); ++i) file.at(static_cast<std::size_t>(n) * 32 + i) = static_cast<std::uint8_t>(cp[i]);
  }
  return file;
}

struct Melody : test::TomrikStationTest {
  void SetUp() override {
    TomrikStationTest::SetUp();
    rec(130, 1) = {2};
    rec(131, 1) = {0x48};
  }
  std::string bar() { return utf8_at(40, 11, 16); }
  std::string number() { return utf8_at(35, 8, 3); }
  std::string name() { return utf8_at(40, 8, 32); }
  static std::string padded(const std::string& text) { return text + std::string(32 - cp866::from_utf8(text).size(), ' '); }
};

TEST_F(Melody, ShowsTheMelodyAndItsNameAndTheVolumeBar) {
  write_file("name.mld", names_file({{2, "Вальс"}, {3, "Марш"}}));
  keys({key::esc});
  melody_screen();
  EXPECT_EQ(utf8_at(30, 2, 17), "Генератор мелодий");
  EXPECT_EQ(utf8_at(10, 8, 19), " Мелодия           ");
  EXPECT_EQ(test::colour_at(10, 8), 0x70);
  EXPECT_EQ(utf8_at(10, 11, 19), " Уровень громкости ");
  EXPECT_EQ(test::colour_at(10, 11), 0x1E);
  EXPECT_EQ(utf8_at(1, 6, 3), "╔══");
  EXPECT_EQ(utf8_at(80, 14, 1), "╝");
  EXPECT_EQ(utf8_at(38, 10, 20), "┌──────────────────┐");
  EXPECT_EQ(utf8_at(38, 11, 1), "│");
  EXPECT_EQ(utf8_at(57, 11, 1), "│");
  EXPECT_EQ(utf8_at(38, 12, 1), "└");
  EXPECT_EQ(number(), " 3.");
  EXPECT_EQ(name(), padded("Вальс"));
  EXPECT_EQ(bar(), "=======#========");
}

TEST_F(Melody, VolumeLevelsAreStoredAsFifteenMinusTheLevelOver0x40) {
  rec(131, 1) = {0x0A};
  keys({0, key::down, key::enter});
  for (int i = 0; i < 12; ++i) keys({0, key::right});
  keys({key::enter});
  keys({key::enter});
  for (int i = 0; i < 17; ++i) keys({0, key::left});
  keys({key::enter, key::esc});
  test::KeySpy spy{&services.keys, [this] { return bar(); }};
  platform::services().keys = &spy;
  melody_screen();
  EXPECT_EQ(spy.seen.front(), "=====#==========");  // 0x0A: level 5
  EXPECT_TRUE(spy.saw("===============#"));
  EXPECT_EQ(rec(131, 1), Bytes{0x4F});
  EXPECT_EQ(bar(), "#===============");
  EXPECT_EQ(writes_of(131, 1), 2);
  // Level 15 was written first: 0x40.
  platform::services().keys = &services.keys;
  rec(131, 1) = {0x4F};
  keys({0, key::up, key::enter, 0, key::up});
  for (int i = 0; i < 15; ++i) keys({0, key::up});
  keys({key::enter, key::esc});
  melody_screen();
  EXPECT_EQ(rec(131, 1), Bytes{0x40});
  EXPECT_EQ(bar(), "===============#");
}

TEST_F(Melody, TheChoiceStopsAtMelodiesOneAndTwelve) {
  write_file("name.mld", names_file({{0, "Первая"}, {11, "Последняя"}}));
  rec(130, 1) = {10};
  keys({key::enter, 0, key::right, 0, key::up, 0, key::right, key::enter});
  keys({key::enter});
  for (int i = 0; i < 14; ++i) keys({0, key::down});
  keys({key::enter, key::esc});
  test::KeySpy spy{&services.keys, [this] { return number() + "|" + name(); }};
  platform::services().keys = &spy;
  melody_screen();
  EXPECT_TRUE(spy.saw("12.|" + padded("Последняя")));
  EXPECT_EQ(rec(130, 1), Bytes{0});
  EXPECT_EQ(number(), " 1.");
  EXPECT_EQ(name(), padded("Первая"));
  EXPECT_EQ(writes_of(130, 1), 2);
  EXPECT_EQ(on_line.records_written.front(), std::make_pair(130, 1));
}

TEST_F(Melody, EscWritesTheChoiceNowhereButRewritesTheNamesFile) {
  write_file("name.mld", Bytes(100, 'A'));
  keys({key::enter, 0, key::right, key::esc, key::esc});
  melody_screen();
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(number(), " 3.");
  Bytes want(512, 0);
  std::fill(want.begin(), want.begin() + 100, 'A');
  EXPECT_EQ(read_file("name.mld"), want);
}

TEST_F(Melody, AMissingNamesFileIsCreatedEmpty) {
  keys({key::esc});
  melody_screen();
  EXPECT_EQ(read_file("name.mld"), Bytes(512, 0));
  EXPECT_EQ(name(), std::string(32, ' '));
  EXPECT_EQ(number(), " 3.");
}

// A folder, or a FIFO that no one writes (opening it would wait for ever).
TEST_F(Melody, ANamesFileThatCannotBeOpenedLeavesTheStationAlone) {
  namespace fs = std::filesystem;
  test::KeySpy spy{&services.keys, [] { return utf8_at(34, 4, 22); }};
  platform::services().keys = &spy;
  for (auto make : {+[] { fs::create_directory("name.mld"); }, +[] { platform::make_fifo("name.mld"); }}) {
    make();
    if (!fs::exists("name.mld")) continue;  // a system without FIFOs
    spy.seen.clear();
    keys({key::esc});
    melody_screen();
    EXPECT_TRUE(spy.saw("Ошибка открытия файла!"));
    EXPECT_TRUE(on_line.records_read.empty());
    EXPECT_EQ(services.keys.left(), 0u);
    fs::remove("name.mld");
  }
}

// The names are whatever the file holds: control bytes show as blanks, a
// longer file keeps its tail, and the bytes go back as they came.
TEST_F(Melody, TheNamesFileIsTakenAsItComes) {
  Bytes file(700);
  for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 37 + 11);
  for (int i = 0; i < 8; ++i) file[2 * 32 + i] = static_cast<std::uint8_t>("AB\n\r\b\aCD"[i]);
  write_file("name.mld", file);
  keys({key::esc});
  melody_screen();
  EXPECT_EQ(name().substr(0, 8), "AB    CD");
  EXPECT_EQ(utf8_at(2, 9, 78), std::string(78, ' '));  // no line feed moved the name down
  EXPECT_EQ(read_file("name.mld"), file);
  EXPECT_EQ(bar(), "=======#========");
}

TEST_F(Melody, F4EditsTheNameInPlaceAndEnterKeepsIt) {
  write_file("name.mld", names_file({{2, "Vals"}, {4, "Polka"}}));
  keys({key::enter, 0, key::f4});
  keys({'X', 0, key::right, 0, key::right, 0, key::del});  // X before Vals; the l goes
  keys({key::backspace, 'y'});                              // the a goes, y comes
  for (int i = 0; i < 5; ++i) keys({0, key::right});        // stops after the last letter
  keys({'!', key::enter});
  keys({0, key::right, 0, key::right, 0, key::f4, 'Z', key::esc, key::esc, key::esc});  // melody 5: Esc keeps it
  melody_screen();
  Bytes file = read_file("name.mld");
  ASSERT_EQ(file.size(), 512u);
  EXPECT_EQ(std::string(file.begin() + 64, file.begin() + 70), std::string("XVys!\0", 6));
  EXPECT_EQ(std::string(file.begin() + 128, file.begin() + 134), std::string("Polka\0", 6));
  EXPECT_TRUE(on_line.records_written.empty());
  EXPECT_EQ(name(), padded("XVys!"));
}

TEST_F(Melody, TheNameEditorHoldsThirtyOnePlacesAndLeavesTheLastByte) {
  Bytes file(512, 0);
  for (int i = 0; i < 32; ++i) file[64 + i] = static_cast<std::uint8_t>('a' + i % 26);
  write_file("name.mld", file);
  keys({key::enter, 0, key::f4, 'X', key::enter, key::esc, key::esc});
  melody_screen();
  Bytes after = read_file("name.mld");
  EXPECT_EQ(after[64], 'X');
  for (int i = 1; i < 31; ++i) EXPECT_EQ(after[64 + i], file[64 + i - 1]) << i;
  EXPECT_EQ(after[95], file[95]);  // the 32nd byte is not the editor's
}

// Only ordinary keys type; nothing traces the keys on the screen.
TEST_F(Melody, TheNameEditorTypesNothingAfterTheExtendedPrefix) {
  keys({key::enter, 0, key::f4, 0, 0x80, 'b', key::enter, key::esc, key::esc});
  melody_screen();
  Bytes file = read_file("name.mld");
  EXPECT_EQ(std::string(file.begin() + 64, file.begin() + 66), std::string("b\0", 2));
  EXPECT_EQ(utf8_at(20, 18, 6), std::string(6, ' '));
}

TEST_F(Melody, ALinkFailureLeavesTheNamesFileAsItWas) {
  write_file("name.mld", Bytes(40, 'B'));
  on_line.failing_records.insert({131, 1});
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({key::esc});
  melody_screen();
  EXPECT_TRUE(spy.saw("Не совпала контрольная сумма."));
  EXPECT_EQ(read_file("name.mld"), Bytes(40, 'B'));
}

// The disk is full after 100 bytes: the 40 old bytes of the names file
// cannot grow to 512, and they are what the file holds afterwards.
TEST_F(Melody, ANamesFileThatCannotBeWrittenBackKeepsItsOldBytesAndSaysSo) {
  write_file("name.mld", Bytes(40, 'B'));
  test::KeySpy spy{&services.keys, [] { return utf8_at(34, 4, 22); }};
  platform::services().keys = &spy;
  keys({key::esc, 'x'});
  {
    if (!platform::FileSizeLimit::available) GTEST_SKIP() << "no file size limit on this system";
    platform::FileSizeLimit full_disk(100);
    ASSERT_TRUE(full_disk.active());
    melody_screen();
  }
  EXPECT_TRUE(spy.saw("Ошибка записи файла!"));
  EXPECT_EQ(read_file("name.mld"), Bytes(40, 'B'));
}

TEST_F(Melody, RecordsOfAnotherLengthShowBlankAndAreNotEdited) {
  rec(130, 1) = {2, 2};
  rec(131, 1) = {};
  keys({key::enter, 0, key::right, key::enter, 0, key::down, key::enter, 0, key::right, key::enter, key::esc});
  melody_screen();
  EXPECT_EQ(number(), "   ");
  EXPECT_EQ(name(), std::string(32, ' '));
  EXPECT_EQ(bar(), std::string(16, ' '));
  EXPECT_TRUE(on_line.records_written.empty());
}

TEST_F(Melody, AMelodyNumberBeyondTwelveShowsBlankAndStepsFromTheLast) {
  rec(130, 1) = {200};
  keys({key::esc});
  melody_screen();
  EXPECT_EQ(number(), "   ");
  keys({key::enter, 0, key::left, key::enter, key::esc});
  melody_screen();
  EXPECT_EQ(rec(130, 1), Bytes{10});
  EXPECT_EQ(number(), "11.");
}

}  // namespace
