// The storage device screen against the simulator's storage device: call
// record downloads into "tarif.dat" (durations, short and long records, a
// wrong sum in the middle, faults on the line), clearing, the clock and the
// day/night times.
#include <ctime>
#include <memory>

#include "link/link_port.h"
#include "platform/calendar.h"
#include "settings/program_profile.h"
#include "tests/settings_test_support.h"
#include "tests/tomrik_storage_support.h"
#include "tomrik/day_night_times.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
using Bytes = std::vector<std::uint8_t>;

constexpr int down[2] = {0, key::down};

// A call as the device keeps it: subscriber, line, date, start, end, number.
Bytes call(int sub, int line, int h1, int m1, int s1, int h2, int m2, int s2, const std::string& number) {
  Bytes b{static_cast<std::uint8_t>(sub), static_cast<std::uint8_t>(line), 7, 12, 26};
  for (int v : {h1, m1, s1, h2, m2, s2}) b.push_back(static_cast<std::uint8_t>(v));
  b.insert(b.end(), number.begin(), number.end());
  return b;
}

struct Storage : test::SettingsFixture {
  sim::StorageDevice device;
  test::StorageLine* line = nullptr;
  test::KeySpy spy{&services.keys, [] { return utf8_at(14, 20, 55) + "|" + utf8_at(14, 21, 55); }};

  void SetUp() override {
    SettingsFixture::SetUp();
    use_program(tomrik_program);
    platform::services().keys = &spy;
    auto l = std::make_unique<test::StorageLine>(device);
    line = l.get();
    l->open("COM1", 4800);
    link_use_port(std::move(l));
    link_state.station_connected = 1;
    device.switch_on(true, platform::now_ms());
  }
  // Down to the item, Enter.
  void choose(int item) {
    for (int i = 0; i < item; ++i) keys({down[0], down[1]});
    keys({key::enter});
  }
  // Esc leaves the screen once the operations asked for have had their
  // time: pressed while one is under way, it would end that one instead.
  void run(std::uint64_t after_ms = 30000) {
    services.keys.add({key::esc}, after_ms);
    storage_device_screen();
  }
  Bytes file() { return read_file("tarif.dat"); }
  Bytes file_record(int n) {
    Bytes f = file();
    return Bytes(f.begin() + 32 * n, f.begin() + 32 * (n + 1));
  }
};

TEST_F(Storage, DownloadAppendsEachRecordWithItsDurationAndCountsThem) {
  device.store = {call(1, 2, 23, 59, 50, 0, 0, 10, "8095"),
                  call(9, 4, 10, 15, 40, 11, 14, 30, "123456789012345678901"),
                  call(3, 1, 9, 0, 0, 9, 0, 1, std::string(29, '7'))};  // 40 bytes
  write_file("tarif.dat", Bytes(32, 0xEE));  // an earlier download stays
  choose(0);
  keys({'y'});
  run();
  Bytes f = file();
  ASSERT_EQ(f.size(), 4u * 32);
  EXPECT_EQ(file_record(0), Bytes(32, 0xEE));
  Bytes first = file_record(1);
  EXPECT_EQ(Bytes(first.begin(), first.begin() + 11), (Bytes{1, 2, 7, 12, 26, 23, 59, 50, 0, 0, 20}));
  EXPECT_EQ(std::string(first.begin() + 11, first.begin() + 15), "8095");
  EXPECT_EQ(Bytes(first.begin() + 15, first.end()), Bytes(17, 0));  // short record: zeros
  Bytes second = file_record(2);
  EXPECT_EQ(Bytes(second.begin() + 8, second.begin() + 11), (Bytes{0, 58, 50}));
  EXPECT_EQ(std::string(second.begin() + 11, second.end()), "123456789012345678901");
  Bytes third = file_record(3);  // only the first 32 of its 40 bytes
  EXPECT_EQ(Bytes(third.begin() + 8, third.begin() + 11), (Bytes{0, 0, 1}));
  EXPECT_EQ(std::string(third.begin() + 11, third.end()), std::string(21, '7'));
  EXPECT_EQ(utf8_at(14, 20, 55), "       Чтение информации о соединениях завершено       ");
  EXPECT_EQ(utf8_at(14, 21, 52), "         Колличество прочитаных записей:    3       ");
  EXPECT_EQ(utf8_at(20, 1, 42), "Связь компьютера с устройством установлена");
  // The store is still there after a read; the end of the store was
  // answered, and the exchange went back to idle.
  EXPECT_EQ(device.store.size(), 3u);
  auto last_operation_answer = std::find_if(line->answers.rbegin(), line->answers.rend(), [](std::uint8_t a) { return a != 0x80; });
  ASSERT_NE(last_operation_answer, line->answers.rend());
  EXPECT_EQ(*last_operation_answer, 0x00);
  EXPECT_EQ(line->answers.back(), 0x80);
}

TEST_F(Storage, AnEmptyStoreAppendsNothingAndNoAnswerStartsNothing) {
  choose(0);
  keys({'n'});
  keys({key::enter, 'y'});
  run();
  EXPECT_TRUE(spy.saw("                   Отмена команды                      "));
  EXPECT_TRUE(file().empty());
  EXPECT_EQ(utf8_at(14, 21, 52), "         Колличество прочитаных записей:    0       ");
  int commands = 0;
  for (auto a : line->answers) commands += a == 0xA6;
  EXPECT_EQ(commands, 1);
}

TEST_F(Storage, AWrongSumStopsTheDownloadAndKeepsTheRecordsBefore) {
  for (int i = 0; i < 4; ++i) device.store.push_back(call(i + 1, 1, 12, 0, 0, 12, 1, i, "55"));
  sim::FaultPlan plan;
  plan.at_answer[3] = sim::Fault::corrupt;  // the third record's sum
  device.set_faults(plan);
  choose(0);
  keys({0x8D});  // "Н": the Y key with the Russian layout on
  run();
  ASSERT_EQ(file().size(), 2u * 32);
  EXPECT_EQ(file_record(1)[0], 2);
  EXPECT_EQ(utf8_at(14, 20, 55), "               Ошибка контрольной суммы                ");
  EXPECT_EQ(test::colour_at(20, 20), COLOR_ALERT);
  // Expected: 13 + 3 + 1 + 7 + 12 + 26 + 12 + 0 + 0 + 12 + 1 + 2 + '5' + '5' = 0xC3,
  // and the device's sum arrived with bits flipped.
  EXPECT_EQ(utf8_at(14, 21, 55), " Ожидаемая контр. сумма:C3   Принятая контр. сумма: 99 ");
}

TEST_F(Storage, ClearEmptiesTheStoreOnlyAfterYes) {
  device.store = {call(1, 1, 1, 1, 1, 1, 1, 2, "1")};
  choose(1);
  keys({'x'});
  EXPECT_EQ(device.store.size(), 1u);
  keys({key::enter, 'y'});
  run();
  EXPECT_TRUE(device.store.empty());
  EXPECT_EQ(utf8_at(14, 20, 55), "           Информация о соединениях очищена            ");
  EXPECT_TRUE(file().empty());
}

TEST_F(Storage, ClockIsReadWithItsNamesAndWrittenFromLocalTimeMondayFirst) {
  device.set_clock({26, 1, 12, 7, 10, 20, 30}, platform::now_ms());
  choose(2);
  run();
  EXPECT_EQ(utf8_at(14, 20, 55), "               Текущее время устройства                ");
  EXPECT_EQ(utf8_at(16, 21, 8), "10:20:30");
  EXPECT_EQ(utf8_at(32, 21, 25), " 7 Декабря 2026 Года.    ");
  EXPECT_EQ(utf8_at(58, 21, 11), "Понедельник");

  choose(3);
  run();
  std::time_t now = std::time(nullptr);
  std::tm t{};
  t = platform::local_time(now);
  auto c = device.clock(platform::now_ms());
  EXPECT_EQ(c[0], t.tm_year - 100);
  EXPECT_EQ(c[1], t.tm_wday == 0 ? 7 : t.tm_wday);
  EXPECT_EQ(c[2], t.tm_mon + 1);
  EXPECT_EQ(c[3], t.tm_mday);
  EXPECT_EQ(utf8_at(14, 20, 55), "    Запись текущего времени в устройство завершено     ");
  EXPECT_NE(utf8_at(58, 21, 6), "      ");  // a day name for every day
}

TEST_F(Storage, DayNightTimesAreWrittenReadBackAndEdited) {
  device.times = {1, 2, 3, 4};
  choose(5);  // before any read: the program's own 20:00 and 09:00
  run();
  EXPECT_EQ(device.times, (std::array<std::uint8_t, 4>{20, 0, 9, 0}));
  EXPECT_EQ(utf8_at(20, 4, 39), " Время включения ночного режима  20:00 ");
  EXPECT_EQ(utf8_at(20, 5, 38), " Время отключения ночного режима 09:00");

  device.times = {23, 59, 7, 59};
  choose(6);
  keys({key::space});                 // night on hours: 23 -> 0
  keys({0, key::right, key::space});  // minutes 59 -> 0
  keys({0, key::down, key::space});   // night off minutes 59 -> 0
  keys({0, key::left, key::space, key::space, key::enter});
  run();
  EXPECT_EQ(device.times, (std::array<std::uint8_t, 4>{0, 0, 9, 0}));
  EXPECT_EQ(utf8_at(20, 4, 39), " Время включения ночного режима  00:00 ");
  EXPECT_EQ(utf8_at(20, 5, 38), " Время отключения ночного режима 09:00");
  EXPECT_EQ(test::colour_at(53, 5), COLOR_BOX);

  // Esc ends editing without writing; the next visit starts on night on hours.
  device.times = {21, 30, 6, 0};
  choose(6);
  services.keys.add({key::space, key::esc}, 1000);  // once the times have been read
  run();
  EXPECT_EQ(device.times, (std::array<std::uint8_t, 4>{21, 30, 6, 0}));
  EXPECT_EQ(day_night_times[0], 22);
}

// A byte too wide for its two-digit field shows as the field's blank, so
// nothing after it moves; stepped on, it starts again from 0.
TEST_F(Storage, GarbledDayNightTimesKeepTheirFields) {
  device.times = {255, 7, 100, 30};
  choose(4);
  run();
  EXPECT_EQ(utf8_at(20, 4, 42), " Время включения ночного режима    :07   │");
  EXPECT_EQ(utf8_at(20, 5, 42), " Время отключения ночного режима   :30   │");
  choose(6);
  keys({key::space, key::enter});
  run();
  EXPECT_EQ(device.times, (std::array<std::uint8_t, 4>{0, 7, 100, 30}));
  EXPECT_EQ(utf8_at(20, 4, 39), " Время включения ночного режима  00:07 ");
}

TEST_F(Storage, AWrongSumOnWritingTheTimesIsReported) {
  sim::FaultPlan plan;
  plan.at_answer[1] = sim::Fault::corrupt;
  device.set_faults(plan);
  choose(5);
  run();
  EXPECT_EQ(utf8_at(14, 20, 55), "          Ошибка контрольной суммы при записи          ");
  EXPECT_EQ(device.times, (std::array<std::uint8_t, 4>{20, 0, 9, 0}));  // the device's own
}

TEST_F(Storage, FaultsOnTheLineNeverHangTheScreenOrCorruptTheFile) {
  device.store = sim::generate_calls(40, 7);
  sim::FaultPlan plan;
  plan.drop = 0.02;
  plan.late = 0.02;
  plan.corrupt = 0.05;
  plan.seed = 11;
  device.set_faults(plan);
  for (int round = 0; round < 5; ++round) {
    choose(0);
    keys({'y'});
  }
  run();
  Bytes f = file();
  ASSERT_EQ(f.size() % 32, 0u);
  ASSERT_GT(f.size(), 0u);
  // Every record in the file is one of the device's, as downloaded.
  for (std::size_t at = 0; at < f.size(); at += 32) {
    bool known = false;
    for (auto& c : device.store) known = known || (f[at] == c[0] && f[at + 1] == c[1] && f[at + 5] == c[5] &&
                                                  std::equal(c.begin() + 11, c.end(), f.begin() + at + 11));
    EXPECT_TRUE(known) << "record at " << at;
  }
}

// A line that never falls silent: every read brings a byte at once.
class NoisyLine : public test::StorageLine {
 public:
  using StorageLine::StorageLine;
  int read_byte(std::uint8_t& byte, int) override {
    if (++reads > read_limit) throw platform::ScriptExhausted();
    byte = 0x55;
    return platform::serial_byte_received;
  }
};

TEST_F(Storage, ALineThatNeverFallsSilentStillLetsTheScreenBeLeft) {
  auto noisy = std::make_unique<NoisyLine>(device);
  NoisyLine* l = noisy.get();
  l->read_limit = 5000;
  noisy->open("COM1", 4800);
  link_use_port(std::move(noisy));
  run(0);
  EXPECT_LT(l->reads, 1000);
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(Storage, ARepeatedDownloadAppendsOnlyTheCallsNotInTheFileYet) {
  for (int i = 0; i < 4; ++i) device.store.push_back(call(i + 1, 1, 12, 0, 0, 12, 1, i, "55"));
  sim::FaultPlan plan;
  plan.at_answer[3] = sim::Fault::corrupt;  // the first download stops at the third record
  device.set_faults(plan);
  choose(0);
  keys({'y'});
  choose(0);  // and is repeated at once
  keys({'y'});
  run();
  ASSERT_EQ(file().size(), 4u * 32);
  for (int n = 0; n < 4; ++n) EXPECT_EQ(file_record(n)[0], n + 1) << n;
  EXPECT_EQ(utf8_at(14, 21, 52), "         Колличество прочитаных записей:    4       ");
  // A later visit knows the file's records too.
  Bytes before = file();
  choose(0);
  keys({'y'});
  run();
  EXPECT_EQ(file(), before);
}

TEST_F(Storage, EscEndsAnOperationTheSilentDeviceNeverAnswers) {
  device.switch_on(false);
  choose(2);                               // the clock
  services.keys.add({key::esc}, 2000);     // ends the read that never begins
  services.keys.add({0, key::down}, 100);  // the menu works again
  run(100);
  EXPECT_TRUE(spy.saw("                   Отмена команды                      "));
  EXPECT_EQ(test::colour_at(13, 12), COLOR_SELECT);  // item 3
  EXPECT_EQ(services.keys.left(), 0u);
  // Editing the times while they cannot be read: Esc ends the read and the
  // editing, and the menu has its keys back.
  choose(6);
  services.keys.add({key::esc}, 2000);
  services.keys.add({0, key::up}, 100);
  run(100);
  EXPECT_EQ(test::colour_at(13, 14), COLOR_SELECT);  // item 5
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(day_night_times[0], 20);
}

TEST_F(Storage, EscEndsADownloadUnderWayAndKeepsTheWholeRecordsBefore) {
  device.store = sim::generate_calls(200, 3);
  choose(0);
  keys({'y'});
  services.keys.add({key::esc}, 1500);
  run();
  Bytes f = file();
  EXPECT_EQ(f.size() % 32, 0u);
  EXPECT_GT(f.size(), 0u);
  EXPECT_LT(f.size(), 200u * 32);
  EXPECT_EQ(utf8_at(14, 20, 55), "                   Отмена команды                      ");
  EXPECT_EQ(device.store.size(), 200u);
}

// A far end that hung up: every read fails at once.
class HungUpLine : public test::StorageLine {
 public:
  using StorageLine::StorageLine;
  int read_byte(std::uint8_t&, int) override {
    if (++reads > read_limit) throw platform::ScriptExhausted();
    return platform::serial_read_failed;
  }
};

TEST_F(Storage, AReadThatFailsAtOnceWaitsItsTimeOutLikeASilentLine) {
  auto hung = std::make_unique<HungUpLine>(device);
  HungUpLine* l = hung.get();
  l->read_limit = 2000;
  hung->open("COM1", 4800);
  link_use_port(std::move(hung));
  choose(0);
  keys({'y'});
  services.keys.add({key::esc}, 5000);
  run(1000);
  // Six seconds of a 51 ms time-out, and the keys were all taken.
  EXPECT_GT(l->reads, 60);
  EXPECT_LT(l->reads, 150);
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(Storage, WithoutAStationTheScreenShowsErrorFiveAndOpensNoFile) {
  link_state.station_connected = 0;
  test::KeySpy box{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &box;
  keys({key::esc});
  storage_device_screen();
  EXPECT_TRUE(box.saw("Не выбран порт обмена"));
  EXPECT_FALSE(std::filesystem::exists("tarif.dat"));
}

}  // namespace
