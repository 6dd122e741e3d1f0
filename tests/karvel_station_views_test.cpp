// The two views of station operation against the in-process station: the
// state table and its channel column, and the event log with its key frames
// and its trace file.
#include <fstream>
#include <iterator>

#include "karvel/screens.h"
#include "tests/station_fixtures.h"
#include "tests/settings_test_support.h"

namespace {

using test::text_at;
using test::utf8_at;

// A row as UTF-8 without its trailing blanks.
std::string line_at(int row) {
  std::string text = utf8_at(1, row, 80);
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

// 12 port rows, 4 line rows and 4 channel columns: the first drawing reads
// a state block and an in-service byte (twice alike: it is a setting) for
// each port and line, and each channel block; every later round reads the
// 20 state blocks.
constexpr int first_drawing = 12 * 3 + 4 * 3 + 4;
constexpr int round_reads = 20;

struct StateTable : test::KarvelStationTest {
  void run_from_port(int first, int rounds) {
    if (first >= 10) keys({'0' + first / 10});
    keys({'0' + first % 10, key::enter});
    esc_at_block(first_drawing + rounds * round_reads);
    station_view_table();
  }
};

TEST_F(StateTable, FrameTitlesAndTheRowsFromTheFirstPort) {
  link_state.port_count = 16;
  run_from_port(10, 1);
  EXPECT_EQ(utf8_at(10, 1, 47), "     Отображение текущего состояния станции    ");
  EXPECT_EQ(utf8_at(1, 1, 9), "Esc-Выход");
  EXPECT_EQ(test::colour_at(1, 1), COLOR_ALERT);
  EXPECT_EQ(utf8_at(2, 3, 5), "N абн");
  EXPECT_EQ(text_at(33, 3, 31), "RGM KNL NRA VUD VPN TRB ... ...");
  EXPECT_EQ(text_at(33, 18, 31), "RGM KNL NRA ... ... ... ... ...");
  EXPECT_EQ(utf8_at(2, 18, 5), "N лин");
  EXPECT_EQ(utf8_at(67, 1, 13), " К а н а л ы ");
  EXPECT_EQ(text_at(67, 3, 13), "1 2 3 4 5 6 7");
  EXPECT_EQ(utf8_at(1, 2, 10), "═══════╦══");
  EXPECT_EQ(utf8_at(63, 2, 4), "══╣─");
  EXPECT_EQ(utf8_at(7, 4, 3), "═╬═");
  EXPECT_EQ(utf8_at(65, 4, 1), "╬");
  EXPECT_EQ(utf8_at(8, 17, 1), "╬");
  EXPECT_EQ(utf8_at(65, 19, 1), "╣");
  EXPECT_EQ(utf8_at(8, 25, 1), "║");
  // Ports 10..16 on rows 5..11; nothing below them.
  for (int p = 10; p <= 16; ++p) {
    EXPECT_EQ(text_at(3, 5 + p - 10, 2), std::to_string(p));
    EXPECT_EQ(utf8_at(10, 5 + p - 10, 22), "Исходное состояние    ");
  }
  EXPECT_EQ(text_at(3, 12, 2), "  ");
  EXPECT_EQ(text_at(10, 12, 22), std::string(22, ' '));
  // The four lines from row 20.
  for (int l = 1; l <= 4; ++l) EXPECT_EQ(text_at(3, 19 + l, 2), " " + std::to_string(l));
  EXPECT_EQ(text_at(3, 24, 2), "  ");
}

TEST_F(StateTable, StateNamesNumbersAndPortsOutOfService) {
  poke(0x0100, {1, 0, 0x45, 2, 7, 0, 0, 9});  // port 1: the off-hook twin of 0x15
  poke(0x0200 + 2, {0x15});
  poke(0x0300 + 2, {50});                     // no name
  poke(0x0400 + 2, {200});
  poke(0x0500 + 2, {0x58});
  station.poke(0x8600, 0);                          // port 6 out of service
  poke(0x0600, {0, 0, 0x48, 1, 2, 3, 4, 5});
  poke(0x2100 + 2, {2, 3, 5});                // line 1
  poke(0x2200 + 2, {40});                     // line 2: no name
  station.poke(0x8000 + 256 * 35, 0);               // line 3 out of service
  run_from_port(1, 1);
  EXPECT_EQ(utf8_at(10, 5, 22), "Вызов зан. абонента 1 ");
  EXPECT_EQ(text_at(33, 5, 23), " 69   2   7   0   0   9");
  EXPECT_EQ(utf8_at(10, 6, 22), "Вызов зан. абонента 1 ");
  EXPECT_EQ(utf8_at(10, 7, 22), "Код  50               ");
  EXPECT_EQ(utf8_at(10, 8, 22), "Код 200               ");
  EXPECT_EQ(utf8_at(10, 9, 22), "Выход на громкую связь");
  EXPECT_EQ(utf8_at(10, 10, 24), "Абонент не обслуживается");
  EXPECT_EQ(text_at(34, 10, 22), std::string(22, ' '));
  EXPECT_EQ(utf8_at(10, 20, 22), "Связь Абонент/Город   ");
  EXPECT_EQ(text_at(34, 20, 10), " 2   3   5");
  EXPECT_EQ(utf8_at(10, 21, 22), "Код  40               ");
  EXPECT_EQ(utf8_at(10, 22, 24), "Линия не обслуживается  ");
  EXPECT_EQ(text_at(34, 22, 10), std::string(10, ' '));
}

TEST_F(StateTable, AChannelMarksOnlyTheRowsOfItsPortsAndLinesOnScreen) {
  poke(0x3007 + 256, {2, 3, 0, 5});  // channel 1: port 3, then the end
  // Channel 2: port 2, port 20 (not on screen), line 3 (block 35), a line
  // number 8 the station does not have, and a number far past everything.
  poke(0x3007 + 512, {5, 2, 20, 35, 40, 250, 0});
  run_from_port(1, 1);
  for (int row = 5; row <= 25; ++row) {
    EXPECT_EQ(utf8_at(67, row, 1), row == 7 ? "┼" : "│") << row;
    bool marked = row == 6 || row == 22;
    EXPECT_EQ(utf8_at(69, row, 1), marked ? "┼" : "│") << row;
  }
  EXPECT_EQ(utf8_at(71, 5, 1), "│");
  EXPECT_EQ(utf8_at(73, 25, 1), "│");
  EXPECT_EQ(utf8_at(75, 5, 1), " ");  // only 4 channel rows
}

TEST_F(StateTable, AQuietStationCostsReadsAndNoScreenOutputAndAChangeRedrawsItsRowOnly) {
  test::DamageWatch watch;
  when_block(first_drawing, [&] { platform::services().display = &watch; });
  // Marks the table cannot have drawn: they stay while nothing changes.
  when_block(first_drawing + 5, [&] {
    test::screen().goto_xy(33, 5);
    test::screen().write("X");
    test::screen().goto_xy(33, 6);
    test::screen().write("Y");
    test::screen().clear_damage();
    watch.changed_presents = 0;
  });
  int quiet_presents = -1;
  when_block(first_drawing + 4 * round_reads, [&] {
    quiet_presents = watch.changed_presents;
    station.poke(0x0100 + 2, 0x48);  // port 1 talks
  });
  keys({'1', key::enter});
  esc_at_block(first_drawing + 6 * round_reads);
  station_view_table();
  platform::services().display = &services.display;
  EXPECT_EQ(quiet_presents, 0);
  EXPECT_EQ(reads_of(0x0100), 7);      // once drawn, six rounds
  EXPECT_EQ(reads_of(0x8100), 2 * 2);  // in service: drawn, and drawn again after the change
  EXPECT_EQ(reads_of(0x8200), 2);
  EXPECT_EQ(utf8_at(10, 5, 22), "Внутренняя связь      ");
  EXPECT_EQ(text_at(33, 5, 3), " 72");
  EXPECT_EQ(text_at(33, 6, 1), "Y");
  EXPECT_GT(watch.changed_presents, 0);
}

TEST_F(StateTable, EscAtThePromptOrInAFailedReadsBoxLeaves) {
  keys({key::esc});
  station_view_table();
  EXPECT_TRUE(block_addresses.empty());

  // A station that stops answering: the read's box, closed with Esc, ends
  // the view.
  keys({'1', key::enter});
  when_block(first_drawing + 3, [&] {
    on_line.failing_blocks.insert(0x0300);
    services.keys.add({key::esc});
  });
  station_view_table();
  EXPECT_EQ(services.keys.left(), 0u);
  EXPECT_EQ(block_addresses.back(), 0x0300);
}

// The bytes of a round that failed never become a row's kept copy: the row
// is drawn again once the station answers.
TEST_F(StateTable, ARowWhoseDrawingFailedIsDrawnAgainWhenTheStationAnswers) {
  keys({'1', key::enter});
  when_block(first_drawing + 1, [&] {  // port 1 talks; its in-service read fails and reads 0
    station.poke(0x0100 + 2, 0x48);
    station.poke(0x8100, 0);
    on_line.failing_blocks.insert(0x8100);
    services.keys.add({key::enter});
  });
  when_block(first_drawing + 3, [&] {  // the next round
    station.poke(0x8100, 1);
    on_line.failing_blocks.clear();
  });
  esc_at_block(first_drawing + 3 * round_reads);
  EXPECT_FALSE(test::runs_until_script_ends(station_view_table));
  EXPECT_EQ(utf8_at(10, 5, 22), "Внутренняя связь      ");
  EXPECT_EQ(reads_of(0x8100), 2 + 1 + 2);  // drawn, failed, drawn again
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(StateTable, NeedsAConnectedStation) {
  link_state.station_connected = 0;
  test::KeySpy spy(&services.keys, [] { return test::text_at(1, 13, 80); });
  platform::services().keys = &spy;
  keys({key::enter});
  station_view_table();
  keys({key::enter});
  station_view_log();
  platform::services().keys = &services.keys;
  EXPECT_EQ(spy.count("Не выбран порт обмена"_cp), 2);
  EXPECT_TRUE(block_addresses.empty());
}

// ------------------------------------------------------------ the event log

struct EventLog : test::KarvelStationTest {
  static std::string file_text(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void queue(std::initializer_list<std::uint8_t> frame, std::uint64_t after_ms = 0) {
    ASSERT_TRUE(station.queue_event(frame, services.clock.now_ms() + after_ms));
  }
};

TEST_F(EventLog, TheQuestionStartsAtNoAndSwitchesWithTheArrows) {
  keys({0, key::right, key::esc});
  station_view_log();
  EXPECT_EQ(utf8_at(25, 10, 30), "Вести протокол работы станции?");
  EXPECT_EQ(utf8_at(25, 14, 5), "  Да ");
  EXPECT_EQ(utf8_at(50, 14, 5), " Нет ");
  EXPECT_EQ(test::colour_at(25, 13), COLOR_BOX);  // "Да" chosen after Right
  EXPECT_EQ(test::colour_at(29, 15), COLOR_BOX);
  EXPECT_EQ(test::colour_at(50, 14), COLOR_SCREEN);
}

// A trace that cannot be written is told once, on the log's own first
// line, and the log goes on; Esc at the message leaves the view.
TEST_F(EventLog, ATraceThatCannotBeOpenedIsToldOnceAndEscThereLeaves) {
  std::filesystem::create_directory("cmd.ttt");
  keys({0, key::left, key::enter, key::enter});  // "Да", then Enter at the message
  queue({0x81, 5});
  queue({0x82, 5});
  keys({key::esc}, 1000);
  station_view_log();
  EXPECT_EQ(line_at(1), "Ошибка открытия файла");
  EXPECT_EQ(line_at(2), "На телефоне  5 снята трубка.");
  EXPECT_EQ(line_at(3), "На телефоне  5 положена трубка.");
  EXPECT_EQ(line_at(4), "");

  queue({0x83, 1});
  keys({0, key::left, key::enter, key::esc});
  station_view_log();
  EXPECT_EQ(station.events_waiting(), 1u);
  EXPECT_EQ(link_state.trace_flag, 0);
  EXPECT_EQ(services.keys.left(), 0u);
}

TEST_F(EventLog, NoWritesNothingToTheTraceAndEventsArePrintedOneALine) {
  keys({key::enter});
  queue({0x81, 5});
  queue({0x85, 3, 12});
  queue({0x8B, 1, 2, 0x21, 0, 0, 0, 0xFF});
  queue({0x94});
  queue({0x93, 200});
  keys({key::esc}, 1000);
  station_view_log();
  EXPECT_FALSE(std::filesystem::exists("cmd.ttt"));
  EXPECT_EQ(line_at(1), "");
  EXPECT_EQ(line_at(2), "На телефоне  5 снята трубка.");
  EXPECT_EQ(line_at(3), "Внутренний абонент  3 вызывает абонента 12.");
  EXPECT_EQ(line_at(4), "Соединение: 01 02 21 00 00 00 FF.");
  EXPECT_EQ(line_at(5), "Неизвестная команда: 94");
  EXPECT_EQ(line_at(6), "Абонент 200 зарегистрировался в режиме СЕЛЕКТОР.");
  EXPECT_EQ(link_state.trace_flag, 0);
  EXPECT_EQ(link_state.key_frames, nullptr);
}

TEST_F(EventLog, YesAppendsEachFrameToTheTraceFile) {
  { std::ofstream("cmd.ttt", std::ios::binary) << "older"; }
  keys({0, key::left, key::enter});
  queue({0x81, 5});
  keys({key::esc}, 500);
  station_view_log();
  EXPECT_EQ(file_text("cmd.ttt"), "older\r\nSTART <TxD=80 RxD=81 TxD=FF RxD=5 TxD=31 RxD=31> END");
}

TEST_F(EventLog, DigitsAndFunctionKeysBecomeKeyFramesAndOtherKeysAreIgnored) {
  keys({key::enter});
  keys({'5'}, 100);
  keys({'0'}, 100);
  keys({'a', key::enter, key::tab, 0, key::up, 0, key::f10}, 100);
  keys({0, key::f5}, 100);
  keys({0, key::f9}, 100);
  keys({key::esc}, 300);
  station_view_log();
  std::deque<std::uint8_t> expected{0x15, 0x1A, 0x20, 0x11, 0x1A, 0x12, 0x20, 0x15, 0x19};
  EXPECT_EQ(station.keys_received(), expected);
  EXPECT_EQ(line_at(2), "cmd=81   ch=15   ksum=41");
  EXPECT_EQ(line_at(3), "cmd=81   ch=1A   ksum=46");
}

TEST_F(EventLog, SpacePausesTheLogUntilAKeyAndEscThereLeaves) {
  keys({key::enter});
  keys({key::space}, 100);
  keys({'x'}, 500);
  queue({0x82, 9}, 700);
  keys({key::space}, 1000);
  keys({key::esc}, 100);
  station_view_log();
  EXPECT_EQ(line_at(2), "< Пауза >  < Продолжение >");
  EXPECT_EQ(line_at(3), "На телефоне  9 положена трубка.");
  EXPECT_EQ(line_at(4), "< Пауза >");
  EXPECT_TRUE(station.keys_received().empty());
}

TEST_F(EventLog, KeyFramesMoveALiveStationAndItsEventsComeBack) {
  station.start_traffic(3, services.clock.now_ms());
  keys({key::enter});
  keys({0, key::f6}, 60);  // 0x20, then 103: port 3
  keys({key::esc}, 400);
  station_view_log();
  EXPECT_TRUE(test::screen_shows("На телефоне  1 снята трубка."_cp));
  EXPECT_TRUE(test::screen_shows("Внутренний абонент  1 вызывает абонента  3."_cp));
  EXPECT_EQ(station.peek(0x0300 + 2), 0x03);  // port 3 rings
}

}  // namespace
