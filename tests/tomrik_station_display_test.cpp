// The station display on a virtual clock: events from the in-process station
// move the subscriber and line table, each is logged to "protokol.txt", and
// finished city calls reach "tarif.dat" timed by the calendar clock. Events
// naming subscribers, lines, channels or digits beyond the tables are logged
// and not applied.
#include <ctime>
#include <memory>

#include "link/link_port.h"
#include "platform/serial_loopback.h"
#include "settings/run_state.h"
#include "sim/tomrik_traffic.h"
#include "tests/station_fixtures.h"
#include "tomrik/screens.h"

namespace {

using test::utf8_at;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::string repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

const std::string no_bar = repeat("     │", 6);

struct StationDisplay : test::TomrikStationTest {
  std::uint64_t start = 0;

  void SetUp() override {
    TomrikStationTest::SetUp();
    start = services.clock.now_ms();
  }
  // The event is offered to the polls from `at_ms` after the test began.
  void event(const Bytes& frame, std::uint64_t at_ms) {
    ASSERT_TRUE(on_line.station.queue_event(frame, start + at_ms)) << int(frame[0]);
  }
  void leave_at(std::uint64_t at_ms) { services.keys.add({key::esc}, start + at_ms - services.clock.now_ms()); }
  // The calendar reads this local time when the test began.
  void local_time_at_start(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second;
    t.tm_isdst = -1;
    services.clock.set_wall(std::mktime(&t));
  }
  // A visit of the display that ends `run_ms` after it began.
  void visit(std::uint64_t run_ms) {
    start = services.clock.now_ms();
    leave_at(run_ms);
    station_display_screen();
  }
  std::string subscriber_row(int code, int column, int width) { return utf8_at(column, code + 2, width); }
  std::string line_row(int line, int column, int width) { return utf8_at(column, line + 20, width); }
  // The log as UTF-8, its line breaks kept as they are.
  static std::string log_text() {
    std::string text;
    for (char c : read_bytes("protokol.txt"))
      text += c == '\r' || c == '\n' ? std::string(1, c) : cp866::to_utf8(std::string(1, c));
    return text;
  }
  static std::string read_bytes(const std::string& name) {
    Bytes b = read_file(name);
    return std::string(b.begin(), b.end());
  }
};

TEST_F(StationDisplay, ALineAndASubscriberConnectedOnChannelTwo) {
  event({139, 0x21, 0x04, 0}, 2000);
  leave_at(3000);
  station_display_screen();
  EXPECT_EQ(utf8_at(1, 2, 77), "Абонент  Состояние   Режим       С кем     Кн 1  Кн 2  Кн 3  Кн 4  Кн 5  Кн 6");
  EXPECT_EQ(subscriber_row(3, 1, 41), "  13     Свободен    Гор связь   Лин.  1 ");
  EXPECT_EQ(subscriber_row(3, 42, 36), "─────│─────┤" + repeat("     │", 4));
  EXPECT_EQ(line_row(1, 1, 41), "   1     Занята      Связь       Абн. 13 ");
  EXPECT_EQ(line_row(1, 42, 36), "─────│─────┤" + repeat("     │", 4));
  EXPECT_EQ(utf8_at(1, 20, 5), "Линия");
  EXPECT_EQ(subscriber_row(4, 1, 41), "  14     Свободен" + std::string(24, ' '));
  EXPECT_EQ(subscriber_row(4, 42, 36), no_bar);
  EXPECT_EQ(line_row(4, 1, 9), "   4     ");
  EXPECT_EQ(log_text(), "\r\nСвязь: Лин. 1 Абн. 3 ");
}

TEST_F(StationDisplay, ACityCallAcrossMidnightIsRecordedWithItsTwentySeconds) {
  local_time_at_start(2024, 12, 31, 23, 59, 45);
  event({131, 2}, 3000);
  event({141, 5, 2, 5, 8, 4, 9, 5, 10}, 5000);  // at 23:59:50, dialled 84950
  event({139, 0x32, 0x10, 0}, 6000);           // line 2 with subscriber 5 on channel 3
  event({130, 5}, 24000);
  event({132, 2}, 25000);                      // at 00:00:10
  leave_at(26000);
  station_display_screen();
  Bytes want = {5, 2, 31, 12, 24, 23, 59, 50, 0, 0, 20, '8', '4', '9', '5', '0'};
  want.resize(32, 0);
  EXPECT_EQ(read_file("tarif.dat"), want);
  EXPECT_EQ(line_row(2, 10, 8), "Свободна");
  EXPECT_EQ(subscriber_row(5, 10, 8), "Свободен");
  EXPECT_EQ(run.station_display.calls[1].subscriber, 0);
}

TEST_F(StationDisplay, OnHookFreesThePartnerAndTheStatePersistsBetweenVisits) {
  event({139, 0x10, 0x03, 0}, 2000);  // subscribers 1 and 2 on channel 1
  event({139, 0x21, 0x04, 0}, 2100);  // line 1 with subscriber 3
  visit(3000);
  EXPECT_EQ(subscriber_row(1, 22, 20), "Вн. связь   Абн. 12 ");
  EXPECT_EQ(subscriber_row(2, 22, 20), "Вн. связь   Абн. 11 ");
  EXPECT_EQ(subscriber_row(2, 42, 7), "─────┤ ");

  event({130, 1}, 1500);
  event({130, 3}, 1600);
  visit(3000);
  EXPECT_EQ(subscriber_row(1, 1, 41), "  11     Свободен" + std::string(24, ' '));
  EXPECT_EQ(subscriber_row(2, 22, 20), std::string(20, ' '));
  EXPECT_EQ(subscriber_row(2, 42, 36), no_bar);
  EXPECT_EQ(line_row(1, 1, 41), "   1     Свободна" + std::string(24, ' '));
  EXPECT_EQ(line_row(1, 42, 36), no_bar);
}

TEST_F(StationDisplay, RingingHoldAndConferenceShowTheirModes) {
  event({129, 3}, 1500);
  event({133, 3, 4}, 1600);     // 14 called by 13
  event({134, 2, 5}, 1700);     // 15 called from line 2
  event({136, 2}, 1800);
  event({137, 3, 6}, 1900);     // line 3 held by 16
  event({138, 7, 8}, 2000);     // 17 held by 18
  event({139, 0x61, 0x03, 0x01}, 2100);  // line 1, 11, 12, 19 on channel 6, the last the bar has
  leave_at(3000);
  station_display_screen();
  EXPECT_EQ(subscriber_row(3, 10, 31), "Занят       Вн. вызов   Абн. 14");
  EXPECT_EQ(subscriber_row(4, 10, 31), "Свободен    Вн. вызов   Абн. 13");
  EXPECT_EQ(subscriber_row(5, 22, 20), "Гор вызов   Лин.  2 ");
  EXPECT_EQ(line_row(2, 22, 9), "Вызов    ");
  EXPECT_EQ(line_row(3, 22, 9), "На удерж.");
  EXPECT_EQ(subscriber_row(6, 22, 20), std::string(20, ' '));
  EXPECT_EQ(subscriber_row(7, 22, 9), "На удерж.");
  for (int code : {1, 2, 9}) EXPECT_EQ(subscriber_row(code, 22, 9), "Конференц") << code;
  EXPECT_EQ(subscriber_row(1, 34, 8), std::string(8, ' '));
  EXPECT_EQ(line_row(1, 22, 20), "Конференц           ");
  EXPECT_EQ(line_row(1, 42, 36), repeat("─────│", 5) + "─────┤");
  EXPECT_EQ(subscriber_row(9, 42, 36), repeat("─────│", 5) + "─────┤");
}

TEST_F(StationDisplay, EveryEventIsLoggedAsALineOfItsOwn) {
  const Bytes events[] = {{129, 3},    {131, 1},    {133, 3, 4}, {134, 1, 4},      {135, 4},
                          {136, 1},    {137, 1, 3}, {138, 4, 3}, {140, 7},         {141, 3, 1, 0},
                          {139, 0x11, 0x04, 0x80},  {130, 3},    {132, 1},         {0x90}};
  std::uint64_t at = 1500;
  for (const Bytes& e : events) event(e, at += 100);
  leave_at(at + 1000);
  station_display_screen();
  EXPECT_EQ(log_text(),
            "\r\nВнутренняя линия 3 занята"
            "\r\nГородская линия 1 занята"
            "\r\nВызов абонента 4 абонентом 3"
            "\r\nВызов абонента 4 из гор. линии 1"
            "\r\nВыключить звонок внутреннему абоненту 4"
            "\r\nЗвонок из города по линии 1"
            "\r\nГородская линия 1 на удержании абонентом 3"
            "\r\nАбонент 4 на удержании абонентом 3"
            "\r\nСвязь: Лин. 1 Абн. 3 Абн. 16 "
            "\r\nВнутренняя линия 3 освободилась"
            "\r\nГородская линия 1 освободилась");
  // The call that 141 started ended with the release of its line.
  Bytes record = read_file("tarif.dat");
  ASSERT_EQ(record.size(), 32u);
  EXPECT_EQ(record[0], 3);
  EXPECT_EQ(record[1], 1);
  EXPECT_EQ(record[11], 0);
}

// On a station of two lines and twelve subscribers, events that name what
// the tables cannot show are logged as they came and applied nowhere: no
// row changes, no call is started or recorded. A call of 21 digits, all a
// record holds, still counts.
TEST_F(StationDisplay, HostileEventsAreLoggedAndOtherwiseNotApplied) {
  link_state.city_line_count = 2;
  link_state.subscriber_count = 12;
  Bytes longest = {141, 3, 1, 21}, too_long = {141, 4, 2, 22};
  longest.resize(4 + 21, 1);
  too_long.resize(4 + 22, 2);
  const Bytes events[] = {{129, 0},       {129, 13},          {130, 200},        {131, 3},
                          {133, 3, 99},   {134, 9, 3},        {137, 0, 4},       {138, 13, 2},
                          {141, 3, 7, 0}, {141, 20, 1, 0},    {141, 3, 1, 1, 13}, too_long,
                          {139, 0x71, 0x04, 0}, {139, 0x04, 0x01, 0}, {139, 0x11, 0x00, 0x10},
                          {139, 0xFF, 0xFF, 0xFF}, longest,   {132, 1}};
  std::uint64_t at = 1500;
  for (const Bytes& e : events) event(e, at += 100);
  leave_at(at + 1000);
  station_display_screen();
  const std::string log = log_text();
  for (const char* line : {"\r\nСобытие 129 не отображено: 0", "\r\nСобытие 130 не отображено: 200",
                           "\r\nСобытие 133 не отображено: 3 99", "\r\nСобытие 141 не отображено: 3 1 1 13",
                           "\r\nСобытие 139 не отображено: 113 4 0",
                           "\r\nСобытие 139 не отображено: 255 255 255"})
    EXPECT_NE(log.find(line), std::string::npos) << line;
  EXPECT_NE(log.find("Событие 141 не отображено: 4 2 22 2 2"), std::string::npos);
  const std::string last = "\r\nГородская линия 1 освободилась";
  ASSERT_GE(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last);
  for (int k = 1; k <= 12; ++k) {
    EXPECT_EQ(subscriber_row(k, 10, 21), "Свободен" + std::string(13, ' ')) << k;
    EXPECT_EQ(subscriber_row(k, 42, 36), no_bar) << k;
  }
  EXPECT_EQ(line_row(2, 10, 21), "Свободна" + std::string(13, ' '));
  for (const PartyState& p : run.station_display.subscribers) EXPECT_EQ(p.mode, 0);
  Bytes record = read_file("tarif.dat");
  ASSERT_EQ(record.size(), 32u);
  EXPECT_EQ(record[0], 3);
  EXPECT_EQ(Bytes(record.begin() + 11, record.end()), Bytes(21, '1'));
  for (const CallUnderWay& call : run.station_display.calls) EXPECT_EQ(call.subscriber, 0);
}

TEST_F(StationDisplay, AFiveDigitCallIsWrittenWithFiveCharactersAndSixteenZeros) {
  event({141, 16, 4, 5, 11, 12, 10, 1, 9}, 1500);
  event({132, 4}, 2000);
  leave_at(3000);
  station_display_screen();
  Bytes record = read_file("tarif.dat");
  ASSERT_EQ(record.size(), 32u);
  EXPECT_EQ(record[0], 16);
  EXPECT_EQ(record[1], 4);
  EXPECT_EQ(std::string(record.begin() + 11, record.begin() + 16), "*#019");
  EXPECT_EQ(Bytes(record.begin() + 16, record.end()), Bytes(16, 0));
}

TEST_F(StationDisplay, ACallStillGoingWhenTheDisplayIsLeftIsRecordedOnALaterVisit) {
  event({141, 2, 3, 2, 8, 10}, 1500);
  visit(2000);
  EXPECT_TRUE(read_file("tarif.dat").empty());
  event({132, 3}, 1500);
  visit(2000);
  EXPECT_EQ(read_file("tarif.dat").size(), 32u);
  event({132, 3}, 1500);
  visit(2000);
  EXPECT_EQ(read_file("tarif.dat").size(), 32u);
}

TEST_F(StationDisplay, AFileThatCannotBeOpenedIsToldAndTheDisplayRunsWithoutIt) {
  fs::create_directory("protokol.txt");
  test::KeySpy spy{&services.keys, [] { return utf8_at(1, 1, 40) + "|" + utf8_at(1, 2, 40); }};
  platform::services().keys = &spy;
  keys({'x'});
  event({141, 1, 1, 1, 5}, 1500);
  event({132, 1}, 2000);
  leave_at(3000);
  station_display_screen();
  EXPECT_TRUE(spy.saw("Ошибка открытия файла протокола."));
  EXPECT_EQ(read_file("tarif.dat").size(), 32u);
  EXPECT_EQ(utf8_at(1, 1, 40), std::string(40, ' '));  // the table replaced the message
  EXPECT_EQ(line_row(1, 10, 8), "Свободна");

  fs::remove("protokol.txt");
  fs::remove("tarif.dat");
  fs::create_directory("tarif.dat");
  keys({'x'});
  event({141, 1, 1, 1, 5}, 1500);
  event({132, 1}, 2000);
  visit(3000);
  EXPECT_TRUE(spy.saw("Ошибка открытия файла тарификации."));
  EXPECT_EQ(log_text(), "\r\nГородская линия 1 освободилась");
  EXPECT_EQ(run.station_display.calls[0].subscriber, 0);
}

// Four minutes of the simulated station's own calls: every city call that
// ended reaches "tarif.dat" with its subscriber, line, number and length.
TEST_F(StationDisplay, TheStationsOwnCallsEndInTheirCallRecords) {
  struct Expected {
    int subscriber, line;
    std::string number;
    std::uint64_t started, ended;
  };
  std::vector<Expected> expected;
  Expected under_way[5] = {};
  sim::TomrikTraffic traffic(4, 16, 5);
  const std::uint64_t lead = 1500, length = 240000;
  for (std::uint64_t t = 0; t < length; t += 50) {
    for (const sim::EventFrame& f : traffic.advance(50)) {
      event(f, lead + t + 50);
      if (f[0] == 141) {
        std::string number;
        for (std::size_t i = 4; i < f.size(); ++i) number += f[i] == 10 ? '0' : static_cast<char>('0' + f[i]);
        under_way[f[2]] = {f[1], f[2], number, t + 50, 0};
      } else if (f[0] == 132 && under_way[f[1]].subscriber) {
        under_way[f[1]].ended = t + 50;
        expected.push_back(under_way[f[1]]);
        under_way[f[1]] = {};
      }
    }
  }
  leave_at(lead + length + 1000);
  station_display_screen();
  const Bytes file = read_file("tarif.dat");
  ASSERT_GE(expected.size(), 3u);
  ASSERT_EQ(file.size(), 32 * expected.size());
  for (std::size_t n = 0; n < expected.size(); ++n) {
    const std::uint8_t* r = file.data() + 32 * n;
    const Expected& e = expected[n];
    EXPECT_EQ(r[0], e.subscriber) << n;
    EXPECT_EQ(r[1], e.line) << n;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r) + 11), e.number) << n;
    const long seconds = r[8] * 3600 + r[9] * 60 + r[10];
    const long want = static_cast<long>((e.ended - e.started) / 1000);
    EXPECT_NEAR(seconds, want, 2) << n;
  }
}

TEST_F(StationDisplay, EscLeavesASilentStationAndTheScreenStaysBlank) {
  auto port = std::make_unique<platform::LoopbackSerialPort>();
  port->open("COM1", 4800);
  link_use_port(std::move(port));
  leave_at(5000);
  station_display_screen();
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(utf8_at(1, row, 80), std::string(80, ' ')) << row;
  EXPECT_LE(services.clock.now_ms() - start, 6000u);
}

// Three seconds without an answer put one line on row 25; the station's
// next answer takes it away, and the table stays as it was throughout.
TEST_F(StationDisplay, AStationThatStopsAnsweringIsToldOnRow25UntilItAnswersAgain) {
  event({129, 2}, 500);  // seen by the first poll, after a second of RTS
  on_line.fall_silent(start + 2000, start + 7000);
  test::KeySpy spy{&services.keys, [this] { return subscriber_row(2, 1, 20) + "|" + utf8_at(1, 25, 80); }};
  platform::services().keys = &spy;
  const std::string busy = "  12     Занят      ";
  // Keys at 3.5 s, 5 s and 9 s (each after the one before), Esc at 9.5 s.
  for (std::uint64_t after : {3500, 1500, 4000}) services.keys.add({'x'}, after);
  services.keys.add({key::esc}, 500);
  station_display_screen();
  std::string note = "Нет ответа от станции" + std::string(59, ' ');
  EXPECT_EQ(spy.seen, (std::vector<std::string>{busy + "|" + std::string(80, ' '), busy + "|" + note,
                                                busy + "|" + std::string(80, ' '), busy + "|" + std::string(80, ' ')}));
}

TEST_F(StationDisplay, WithoutAStationTheScreenShowsErrorFive) {
  link_state.station_connected = 0;
  test::KeySpy spy{&services.keys, [] { return utf8_at(15, 13, 50); }};
  platform::services().keys = &spy;
  keys({key::esc});
  station_display_screen();
  EXPECT_TRUE(spy.saw("Не выбран порт обмена"));
  EXPECT_FALSE(fs::exists("protokol.txt"));
}

}  // namespace
