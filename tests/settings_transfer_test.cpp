// Whole-configuration transfers of karvel against the simulated station:
// what arrives in the file and in the station, the progress line, the
// identity check, Esc, and blocks that fail on the way.
#include "settings/karvel_transfers.h"
#include "settings/settings_commands.h"
#include "settings_test_support.h"
#include "sim/karvel_station.h"
#include "sim_on_line.h"

namespace {

namespace fs = std::filesystem;
using test::utf8_at;

struct KarvelTransfer : test::SettingsFixture {
  // The result line and the error box's message row.
  test::KeySpy spy{&services.keys, [] { return utf8_at(20, 4, 58) + "\n" + utf8_at(17, 13, 48); }};
  test::StationOnLine<sim::KarvelStation> on_line;
  test::StationOnLine<sim::KarvelStation>* station = &on_line;

  void SetUp() override {
    SettingsFixture::SetUp();
    platform::services().keys = &spy;
    // The station holds other settings than the files below, with the same
    // identity.
    auto file = karvel_file("K-T216A4");
    std::vector<std::uint8_t> memory(karvel_image_size);
    for (int i = 0; i < karvel_image_size; ++i) memory[i] = static_cast<std::uint8_t>(file[i] ^ 0x33);
    for (int i = 0; i < 8; ++i) memory[i] = file[i];
    ASSERT_TRUE(on_line.station.load_image(memory));
    on_line.plug_in();
    link_state.station_connected = 1;
  }
  // The station's configuration window.
  std::vector<std::uint8_t> memory() const { return on_line.station.image(); }
  void TearDown() override {
    link_use_port(nullptr);
    SettingsFixture::TearDown();
  }
  void choose(const std::string& name) {
    type(name);
    keys({key::enter});
  }
  // A key that is not pressed before a box or a result asks for it.
  void later(int k) { services.keys.add({k}, 1000000); }
  int filled_cells() const {
    int n = 0;
    for (int c = 40; c <= 72; ++c) n += test::screen().cell(c, 4).ch == 219;
    return n;
  }
};

TEST_F(KarvelTransfer, StationToFileReadsEveryBlockIntoTheFile) {
  choose("office");
  keys({'y'});
  later(key::esc);
  station_to_file();
  EXPECT_EQ(read_file("office.set"), memory());
  EXPECT_EQ(std::vector<std::uint8_t>(settings_image.karvel, settings_image.karvel + karvel_image_size), memory());
  EXPECT_EQ(station->blocks_read, 2048);
  EXPECT_EQ(spy.count("Переслать установки из станции в файл office.set [Y/N]"), 1);
  EXPECT_EQ(spy.count("        Установки записаны в файл        "), 1);
  EXPECT_EQ(link_state.file_mode, 0);
}

TEST_F(KarvelTransfer, ThePercentageAndTheBarFollowTheBlocks) {
  std::vector<std::pair<int, std::string>> seen;
  std::vector<int> cells;
  station->on_block = [&](int address) {
    int block = (address - 0x8000) / 16;
    if (block == 1 || block == 1025 || block == 1985 || block == 2047) {
      seen.push_back({block, utf8_at(20, 4, 15)});
      cells.push_back(filled_cells());
    }
  };
  choose("p");
  keys({'y'});
  later(key::esc);
  station_to_file();
  // Before block i the line shows block i - 1: percentage (i-1)*100/2048 + 1.
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].second, "Выполнено:  1% ");
  EXPECT_EQ(seen[1].second, "Выполнено: 51% ");
  EXPECT_EQ(seen[2].second, "Выполнено: 97% ");
  EXPECT_EQ(seen[3].second, "Выполнено: 100%");
  // The 32nd cell comes with block 1984; the 33rd stays empty.
  EXPECT_EQ(cells, (std::vector<int>{1, 17, 32, 32}));
}

TEST_F(KarvelTransfer, LastBlockShowsAHundredPercent) {
  show_karvel_progress(2047);
  EXPECT_EQ(utf8_at(31, 4, 4), "100%");
  show_karvel_progress(0);
  EXPECT_EQ(utf8_at(31, 4, 3), " 1%");
  EXPECT_EQ(test::screen().cell(40, 4).ch, 219);
  show_karvel_progress(1984);
  EXPECT_EQ(test::screen().cell(71, 4).ch, 219);
}

TEST_F(KarvelTransfer, EscStopsTheTransferAndLeavesAnExistingFileAsItWas) {
  write_file("keep.set", {9, 8, 7});
  station->on_block = [&](int address) {
    if (address == 0x8000 + 16 * 300) services.keys.add({key::esc, key::esc});
  };
  choose("keep");
  keys({'y'});
  station_to_file();
  EXPECT_EQ(read_file("keep.set"), (std::vector<std::uint8_t>{9, 8, 7}));
  EXPECT_EQ(station->blocks_read, 301);
  EXPECT_EQ(spy.count(" Процесс записи установок в файл прерван "), 1);
  EXPECT_EQ(directory_names(), std::vector<std::string>{"keep.set"});
}

TEST_F(KarvelTransfer, EscStopsTheTransferWithoutCreatingAFile) {
  station->on_block = [&](int address) {
    if (address == 0x8000 + 16 * 5) services.keys.add({0, key::f1, key::esc, key::esc});
  };
  choose("new");
  keys({'y'});
  station_to_file();
  EXPECT_TRUE(directory_names().empty());
  EXPECT_EQ(station->blocks_read, 7);  // an extended key alone does not stop it
}

// A block that fails on every try ends the transfer: the file could only be
// written whole. One box for its last try, and a text of its own.
TEST_F(KarvelTransfer, ABlockThatKeepsFailingShowsOneBoxAndNoFileIsWritten) {
  write_file("keep.set", {1});
  station->failing_blocks = {0x8000 + 16 * 3, 0x8000 + 16 * 2000};
  choose("keep");
  keys({'y'});
  later('x');  // the error box
  later(key::esc);
  station_to_file();
  EXPECT_EQ(station->blocks_read, 3 + 4);  // blocks 0..2, then block 3 four times
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 1);
  EXPECT_EQ(spy.count("        Ошибка связи со станцией         "), 1);
  EXPECT_EQ(spy.count("прерван"), 0);
  EXPECT_EQ(read_file("keep.set"), std::vector<std::uint8_t>{1});
  EXPECT_EQ(std::vector<std::uint8_t>(settings_image.karvel, settings_image.karvel + 16), std::vector<std::uint8_t>(16, 0));
}

TEST_F(KarvelTransfer, AFileThatCannotBeWrittenEndsTheCommand) {
  fs::create_directory("d.set");
  choose("d");
  keys({'y', 'x'});
  station_to_file();
  EXPECT_EQ(spy.count("Ошибка открытия файла!"), 1);
  EXPECT_EQ(station->blocks_read, 0);
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(KarvelTransfer, WithoutAStationNothingStarts) {
  link_state.station_connected = 0;
  keys({'x'});
  station_to_file();
  keys({'x'});
  file_to_station();
  EXPECT_EQ(spy.count("Не выбран порт обмена"), 2);
  EXPECT_EQ(station->blocks_read, 0);
}

TEST_F(KarvelTransfer, AnswersOtherThanYesAskForAnotherFileAndEscEnds) {
  write_file("a.set", karvel_file());
  choose("a");
  keys({'n'});
  choose("a");
  keys({0, key::up});  // an arrow is no answer either, and its scan code is no letter
  choose("a");
  keys({key::esc});
  station_to_file();
  EXPECT_EQ(station->blocks_read, 0);
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(utf8_at(20, 4, 50), std::string(50, ' '));
}

TEST_F(KarvelTransfer, FileToStationWritesEveryBlockOfAMatchingFile) {
  auto file = karvel_file("K-T216A4");
  write_file("to.set", file);
  choose("to");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_EQ(memory(), file);
  EXPECT_EQ(station->blocks_written, 2048);
  EXPECT_EQ(spy.count("Загрузить установки в станцию?  Y/N "), 1);
  EXPECT_EQ(spy.count("      Установки записаны в станцию       "), 1);
}

TEST_F(KarvelTransfer, AFileOfAnotherStationIsRefusedAndNothingIsWritten) {
  auto before = memory();
  write_file("other.set", karvel_file("K-T216A5"));  // differs in one place
  write_file("short.set", std::vector<std::uint8_t>(16000, '1'));
  auto mine = karvel_file("K-T216A4");
  mine[1] = 'Z';  // byte 1 is not part of the identity text, but is compared
  write_file("mine.set", mine);
  for (const char* name : {"other", "short", "mine"}) {
    choose(name);
    keys({'y', 'x'});
  }
  keys({key::esc});
  file_to_station();
  EXPECT_EQ(spy.count(" Файл не подходит к станции! "), 3);
  EXPECT_EQ(station->blocks_written, 0);
  EXPECT_EQ(memory(), before);
}

TEST_F(KarvelTransfer, AnIdentityThatCannotBeReadLetsNothingBeWritten) {
  write_file("to.set", karvel_file("K-T216A4"));
  station->failing_blocks = {0x8000};
  choose("to");
  keys({'y', 'x', key::esc});  // the error box, then Esc at the dialog
  file_to_station();
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 1);
  EXPECT_EQ(station->blocks_written, 0);
}

TEST_F(KarvelTransfer, AFileThatCannotBeOpenedGoesBackToTheDialog) {
  choose("missing");
  keys({'y', 'x', key::esc});
  file_to_station();
  EXPECT_EQ(spy.count(" Ошибка открытия файла! "), 1);
  EXPECT_EQ(station->blocks_written, 0);
}

TEST_F(KarvelTransfer, FailedWritesAreShownTheRestIsWrittenAndTheResultSaysSo) {
  auto file = karvel_file("K-T216A4");
  write_file("to.set", file);
  station->failing_blocks = {0x8000 + 16 * 10};
  choose("to");
  keys({'y'});
  later('x');
  later(key::esc);
  file_to_station();
  EXPECT_EQ(station->blocks_written, 2048 + 3);  // the failing block four times
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 1);
  EXPECT_EQ(spy.count("Установки записаны в станцию не полностью"), 1);
  auto expected = file;
  auto now = memory();
  for (int j = 0; j < 16; ++j) expected[160 + j] = static_cast<std::uint8_t>(now[160 + j]);
  EXPECT_EQ(now, expected);
}

}  // namespace
