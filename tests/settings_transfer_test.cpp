// Whole-configuration transfers of karvel against the simulated station:
// what arrives in the file and in the station, the progress line, the
// identity check, Esc, and blocks that fail on the way.
#include <algorithm>

#include "settings/karvel_transfers.h"
#include "settings/settings_commands.h"
#include "sim/karvel_station.h"
#include "tests/settings_test_support.h"
#include "tests/sim_on_line.h"

namespace {

namespace fs = std::filesystem;
using test::utf8_at;

struct KarvelTransfer : test::SettingsFixture {
  // The result line, the count line below it and the error box's message row.
  test::KeySpy spy{&services.keys,
                   [] { return utf8_at(20, 4, 58) + "\n" + utf8_at(20, 5, 58) + "\n" + utf8_at(17, 13, 48); }};
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
    // The bytes the station keeps to itself (the identity among them) are
    // what any file of it holds.
    for (int i = 0; i < karvel_image_size; ++i)
      if (facts::karvel_kept_by_station(karvel_image_base + i)) memory[i] = file[i];
    ASSERT_TRUE(on_line.station.load_image(memory));
    on_line.plug_in();
    link_state.station_connected = 1;
  }
  // The station's configuration window.
  std::vector<std::uint8_t> memory() const { return on_line.station.image(); }
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
  EXPECT_EQ(station->blocks_read, 2 * 2048);  // each block read twice alike
  EXPECT_EQ(spy.count("Переслать установки из станции в файл office.set [Y/N]"), 1);
  EXPECT_EQ(spy.count("        Установки записаны в файл        "), 1);
  EXPECT_EQ(link_state.file_mode, 0);
}

TEST_F(KarvelTransfer, ThePercentageAndTheBarFollowTheBlocks) {
  std::vector<std::pair<int, std::string>> seen;
  std::vector<int> cells;
  station->on_block = [&](int address) {
    int block = (address - 0x8000) / 16;
    bool again = !seen.empty() && seen.back().first == block;  // its second read
    if (!again && (block == 1 || block == 1025 || block == 1985 || block == 2047)) {
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
  EXPECT_EQ(station->blocks_read, 2 * 300 + 1);  // Esc is taken inside block 300's first read
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
  EXPECT_EQ(station->blocks_read, 11);  // the extended key is passed over, the Esc after it stops
}

// A block that fails on every try ends the transfer: the file could only be
// written whole. No box and no wait: the result line counts the block.
TEST_F(KarvelTransfer, ABlockThatKeepsFailingIsCountedAndNoFileIsWritten) {
  write_file("keep.set", {1});
  station->failing_blocks = {0x8000 + 16 * 3, 0x8000 + 16 * 2000};
  choose("keep");
  keys({'y'});
  later('x');  // the result
  later(key::esc);
  station_to_file();
  EXPECT_EQ(station->blocks_read, 2 * 3 + 4);  // blocks 0..2 twice, then block 3 four times
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 0);
  EXPECT_EQ(spy.count("Блоков с ошибкой: 1"), 1);
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

// No new file can be made beside a file with other names: it is written in
// place, and a write that fails on the way (here the disk is full after
// 4096 bytes) puts its 100 old bytes back. The result says so over the
// whole progress line.
TEST_F(KarvelTransfer, AnInPlaceWriteThatFailsPutsTheOldFileBackAndSaysSo) {
  const std::vector<std::uint8_t> old(100, 0x5A);
  write_file("keep.set", old);
  fs::create_hard_link("keep.set", "other.set");
  choose("keep");
  keys({'y'});
  later(key::esc);
  if (!platform::FileSizeLimit::available) GTEST_SKIP() << "no file size limit on this system";
  platform::FileSizeLimit full_disk(4096);
  ASSERT_TRUE(full_disk.active());
  station_to_file();
  EXPECT_EQ(station->blocks_read, 2 * 2048);
  EXPECT_EQ(spy.count(std::string(16, ' ') + "  Ошибка записи файла! Файл не записан.  "), 1);
  EXPECT_EQ(spy.count("Ошибка открытия"), 0);
  EXPECT_EQ(read_file("keep.set"), old);
  EXPECT_EQ(read_file("other.set"), old);
}

// The input ends (the terminal is gone) half way: the program ends as a
// signal would end it, the new file beside the old one removed.
TEST_F(KarvelTransfer, InputThatEndsDuringTheTransferEndsTheProgramAndKeepsTheOldFile) {
  write_file("keep.set", {9, 8, 7});
  station->on_block = [&](int address) {
    if (address == 0x8000 + 16 * 300) services.keys.end_input();
  };
  choose("keep");
  keys({'y'});
  EXPECT_EXIT(station_to_file(), ::testing::ExitedWithCode(1), "input ended during a transfer");
  EXPECT_EQ(read_file("keep.set"), (std::vector<std::uint8_t>{9, 8, 7}));
  EXPECT_EQ(directory_names(), std::vector<std::string>{"keep.set"});
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

TEST_F(KarvelTransfer, AFileEqualToTheStationsIdentityIsWrittenWhateverItsCharacters) {
  // Equality with the station is the whole test: counts that are not
  // digits matter only to a file loaded for editing.
  auto memory_now = memory();
  for (int i = 0; i < 8; ++i) memory_now[i] = static_cast<std::uint8_t>("K-TA1?A\x01"[i]);
  ASSERT_TRUE(on_line.station.load_image(memory_now));
  auto file = karvel_file("K-TA1?A\x01");
  write_file("odd.set", file);
  choose("odd");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_EQ(spy.count(" Файл не подходит к станции! "), 0);
  EXPECT_EQ(station->blocks_written, 2048);
  EXPECT_EQ(memory(), file);
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

TEST_F(KarvelTransfer, AFailedWriteIsCountedTheRestIsWrittenAndTheResultSaysSo) {
  auto file = karvel_file("K-T216A4");
  write_file("to.set", file);
  station->failing_blocks = {0x8000 + 16 * 10};
  choose("to");
  keys({'y'});
  later('x');
  later(key::esc);
  file_to_station();
  EXPECT_EQ(station->blocks_written, 2048 + 3);  // the failing block four times
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 0);
  EXPECT_EQ(spy.count("Установки записаны в станцию не полностью"), 1);
  EXPECT_EQ(spy.count("Блоков с ошибкой: 1"), 1);
  auto expected = file;
  auto now = memory();
  for (int j = 0; j < 16; ++j) expected[160 + j] = static_cast<std::uint8_t>(now[160 + j]);
  EXPECT_EQ(now, expected);
}

// A write whose address arrives damaged, with check bytes that still agree,
// lands on a block already sent and read back. The comparison after the
// send finds it and writes it again, and the whole is compared once more;
// a block that still differs then is counted.
struct KarvelMisroutedSend : KarvelTransfer {
  static constexpr int block10 = 0x8000 + 16 * 10, block20 = 0x8000 + 16 * 20, block30 = 0x8000 + 16 * 30;
  std::vector<std::uint8_t> file = karvel_file("K-T216A4");
  int writes_of_block10 = 0;
  void send() {
    write_file("to.set", file);
    choose("to");
    keys({'y'});
    later('x');
    later(key::esc);
    file_to_station();
  }
  // The first write of block 20 goes to block 10.
  void misroute(sim::FrameName& f) {
    if (f.command != facts::karvel_write_block) return;
    if (f.address == block10) ++writes_of_block10;
    if (f.address == block20 && station->blocks_written == 20 + 1) f.address = block10;
  }
};

TEST_F(KarvelMisroutedSend, IsFoundAfterTheSendAndWrittenAgain) {
  station->redirect = [&](sim::FrameName& f) { misroute(f); };
  send();
  EXPECT_EQ(memory(), file);
  EXPECT_EQ(spy.count("      Установки записаны в станцию       "), 1);
  EXPECT_EQ(writes_of_block10, 2);
  // The identity, every block read back (block 20 twice), two comparisons
  // of the whole (block 10 read twice alike in the first) and the read-back
  // of block 10 written again.
  EXPECT_EQ(station->blocks_read, 1 + 2049 + 2049 + 1 + 2048);
}

TEST_F(KarvelMisroutedSend, ABlockThatStillDiffersIsCounted) {
  // Block 10 written again goes to block 30 every time: block 10 fails, and
  // block 30 differs at the second comparison.
  station->redirect = [&](sim::FrameName& f) {
    misroute(f);
    if (f.command == facts::karvel_write_block && f.address == block10 && writes_of_block10 > 1) f.address = block30;
  };
  send();
  EXPECT_EQ(spy.count("Установки записаны в станцию не полностью"), 1);
  EXPECT_EQ(spy.count("Блоков с ошибкой: 2"), 1);
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 0);
}

}  // namespace

namespace {

using test::utf8_at;

// Transfers on a line that misbehaves: blocks tried again, Esc, a station
// that goes silent, and a file that moves the station to another speed.
struct KarvelTransferFaults : KarvelTransfer {
  int faults_played = 0;
  void SetUp() override {
    KarvelTransfer::SetUp();
    link_state.speed_index = 3;  // the station's 57600 baud
    on_line.line().fault_log = [this](const std::string&) { ++faults_played; };
  }
  platform::LoopbackSerialPort& port() { return dynamic_cast<platform::LoopbackSerialPort&>(link_port()); }
  // The station stops answering when the block at `address` starts; the
  // bytes sent until then are counted in sent_before_silence.
  std::size_t sent_before_silence = 0;
  void silent_from(int address) {
    station->on_block = [this, address](int a) {
      if (a != address) return;
      port().attach(nullptr);
      sent_before_silence = port().record.sent.size();
    };
  }
  // Frames begun on the silent line: each try of a block sends its command
  // byte, twice when it goes unanswered.
  int command_bytes_since_silence(int command) {
    const auto& sent = port().record.sent;
    return static_cast<int>(std::count(sent.begin() + static_cast<std::ptrdiff_t>(sent_before_silence), sent.end(), command));
  }
};

// A line that loses one answer in 40,000: every lost answer fails its
// block once, and the block is read again.
TEST_F(KarvelTransferFaults, ALineThatLosesAnAnswerNowAndThenStillGivesTheWholeFile) {
  sim::FaultPlan plan;
  plan.drop = 1.0 / 40000;
  plan.seed = 2;
  on_line.line().set_faults(plan);
  choose("lossy");
  keys({'y'});
  later(key::esc);
  station_to_file();
  EXPECT_GE(faults_played, 1);
  EXPECT_EQ(read_file("lossy.set"), memory());
  EXPECT_EQ(spy.count("        Установки записаны в файл        "), 1);

  // And back: a file sent on the same line arrives whole.
  int faults_before = faults_played;
  auto file = karvel_file("K-T216A4");
  write_file("to.set", file);
  choose("to");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_GE(faults_played, faults_before + 1);
  EXPECT_EQ(memory(), file);
  EXPECT_EQ(spy.count("      Установки записаны в станцию       "), 1);
  // No box for a block that came on a later try.
  EXPECT_EQ(spy.count("Нет ответа"), 0);
  EXPECT_EQ(spy.count("Неверное подтверждение"), 0);
}

// A read stands on two alike in a row, so a block read that fails twice is
// taken with its third and fourth reads; a write that fails three times is
// taken on its fourth, then read back.
TEST_F(KarvelTransferFaults, ABlockIsTakenOnItsFourthTry) {
  const int address = 0x8000 + 16 * 7;
  int tries = 0;
  int good_from = 3;
  station->failing_blocks = {address};
  station->on_block = [&](int a) {
    if (a == address && ++tries == good_from) station->failing_blocks.clear();
  };
  choose("again");
  keys({'y'});
  later(key::esc);
  station_to_file();
  EXPECT_EQ(tries, 4);
  EXPECT_EQ(station->blocks_read, 2 * 2048 + 2);
  EXPECT_EQ(read_file("again.set"), memory());
  EXPECT_EQ(spy.count("Не совпала контрольная сумма."), 0);

  auto file = karvel_file("K-T216A4");
  write_file("to.set", file);
  tries = 0;
  good_from = 4;
  station->failing_blocks = {address};
  choose("to");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_EQ(tries, 4 + 1 + 1);  // four writes, the read-back and the comparison after the send
  EXPECT_EQ(memory(), file);
  EXPECT_EQ(spy.count("      Установки записаны в станцию       "), 1);
}

// The file's exchange speed differs from the line's: the station moves
// once it has stored that block, and the program follows it there.
TEST_F(KarvelTransferFaults, FileToStationFollowsTheStationToTheFilesSpeed) {
  auto file = karvel_file("K-T216A4");
  file[0x29] = 1;  // 19200 baud
  write_file("slow.set", file);
  choose("slow");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_EQ(memory(), file);
  EXPECT_EQ(on_line.station.baud(), 19200);
  EXPECT_EQ(port().record.baud, 19200);
  EXPECT_EQ(link_state.speed_index, 1);
  EXPECT_EQ(spy.count("      Установки записаны в станцию       "), 1);
  EXPECT_EQ(spy.count("Нет ответа"), 0);
}

// The station stored the speed block but its answer to the check byte was
// lost: the program finds the station at the new speed and goes on there.
TEST_F(KarvelTransferFaults, TheSpeedIsFollowedWhenOnlyTheLastAnswerOfItsBlockIsLost) {
  auto file = karvel_file("K-T216A4");
  file[0x29] = 2;  // 38400 baud
  write_file("fast.set", file);
  // The identity read takes 20 answers and each block written 21; the check
  // byte of block 2 (0x8020..0x802F) is answer 20 + 3 * 21.
  sim::FaultPlan plan;
  plan.at_answer[20 + 3 * 21] = sim::Fault::drop;
  on_line.line().set_faults(plan);
  choose("fast");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_EQ(faults_played, 1);
  EXPECT_EQ(memory(), file);
  EXPECT_EQ(link_state.speed_index, 2);
  EXPECT_EQ(port().record.baud, 38400);
  EXPECT_EQ(spy.count("      Установки записаны в станцию       "), 1);
}

TEST_F(KarvelTransferFaults, EscStopsASendAndTheResultSaysItIsPartial) {
  auto file = karvel_file("K-T216A4");
  write_file("to.set", file);
  station->on_block = [&](int address) {
    if (address == 0x8000 + 16 * 100) services.keys.add({key::esc, key::esc});
  };
  choose("to");
  keys({'y'});
  file_to_station();
  EXPECT_EQ(station->blocks_written, 101);
  EXPECT_EQ(spy.count("Установки записаны в станцию не полностью"), 1);
}

// A station that goes silent in the middle of a send: no box and no wait
// for its failed blocks, and the second failing block in a row ends the
// send.
TEST_F(KarvelTransferFaults, AStationThatGoesSilentEndsTheSendAfterTwoBlocks) {
  write_file("to.set", karvel_file("K-T216A4"));
  silent_from(0x8000 + 16 * 10);
  choose("to");
  keys({'y'});
  later(key::esc);
  file_to_station();
  EXPECT_EQ(spy.count("Нет ответа от внешнего устройства."), 0);
  EXPECT_EQ(spy.count("Установки записаны в станцию не полностью"), 1);
  EXPECT_EQ(spy.count("Блоков с ошибкой: 2"), 1);
  // Three more tries of block 10, four of block 11, each command byte sent
  // twice; nothing after.
  EXPECT_EQ(command_bytes_since_silence(0xBE), 2 * 7);
}

// Reading from a silent station, Esc is taken between two tries.
TEST_F(KarvelTransferFaults, EscStopsAReadFromASilentStation) {
  write_file("keep.set", {7});
  silent_from(0x8000 + 16 * 20);
  choose("keep");
  keys({'y'});
  services.keys.add({key::esc}, 500);  // pressed while the first tries fail
  later(key::esc);
  station_to_file();
  EXPECT_EQ(spy.count(" Процесс записи установок в файл прерван "), 1);
  EXPECT_EQ(spy.count("Нет ответа"), 0);
  EXPECT_EQ(read_file("keep.set"), std::vector<std::uint8_t>{7});
  // Esc is taken between the bytes of the first try, before its command
  // byte goes out again.
  EXPECT_EQ(command_bytes_since_silence(0xBD), 1);
}

}  // namespace
