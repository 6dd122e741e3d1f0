// The link error box, the port set-up screen and the port operations.
#include <cstdlib>
#include <gtest/gtest.h>

#include <memory>

#include "link/link_connect.h"
#include "link/link_port.h"
#include "link/link_screens.h"
#include "platform/serial_loopback.h"
#include "settings/program_profile.h"
#include "tests/link_wire.h"
#include "toolkit/screen.h"

namespace {

using test::silent;

struct LinkScreens : test::ScriptedLink {
  void SetUp() override { use_line(karvel_program, false); }
  // Shows the box and reads the screen while it waits for its key.
  struct Shown {
    std::string rows[6];
    std::uint8_t colours[6];
  };
  Shown show_error_box(int code, int column, int width) {
    Shown shown{};
    struct Peek : platform::KeyInput {
      Shown* out;
      int column, width;
      bool waiting() override { return false; }
      std::uint8_t read() override {
        for (int r = 0; r < 6; ++r) {
          out->rows[r] = test::utf8_at(column, 10 + r, width);
          out->colours[r] = test::colour_at(column + width / 2, 10 + r);
        }
        return 'x';
      }
    } peek;
    peek.out = &shown;
    peek.column = column;
    peek.width = width;
    test::UseKeys use(peek);
    link_error_box(code);
    return shown;
  }
};

std::string centred(const std::string& utf8, int width, int length) {
  int left = (width - length) / 2;
  return std::string(left, ' ') + utf8 + std::string(width - length - left, ' ');
}

TEST_F(LinkScreens, KarvelErrorBoxCentresTheTextsIn48Columns) {
  Shown s = show_error_box(1, 17, 48);
  std::string frame_line;
  for (int i = 0; i < 48; ++i) frame_line += "─";
  EXPECT_EQ(s.rows[0], frame_line);
  EXPECT_EQ(s.rows[1], std::string(48, ' '));
  EXPECT_EQ(s.rows[2], centred("Ошибка обмена по последовательному каналу!", 48, 42));
  EXPECT_EQ(s.rows[3], centred("Нет ответа от внешнего устройства.", 48, 34));
  EXPECT_EQ(s.rows[4], std::string(48, ' '));
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(s.colours[r], 0x47) << r;
  // Erased after the key.
  EXPECT_EQ(test::text_at(15, 10, 52), std::string(52, ' '));
  EXPECT_EQ(test::colour_at(15, 12), 0x1E);
}

TEST_F(LinkScreens, EveryCodeHasItsMessage) {
  const char* karvel_messages[] = {nullptr,
                                   "Нет ответа от внешнего устройства.",
                                   "Не установлена синхронизация.",
                                   "Неверное подтверждение.",
                                   "Не совпала контрольная сумма.",
                                   "Не выбран порт обмена",
                                   "COM-порт занят другим приложением",
                                   "Ошибка системы",
                                   "Неверный ответ устройства"};
  for (int code = 0; code <= 9; ++code) {
    Shown s = show_error_box(code, 17, 48);
    std::string row = s.rows[3];
    row.erase(0, row.find_first_not_of(' '));
    row.erase(row.find_last_not_of(' ') + 1);
    EXPECT_EQ(row, code >= 1 && code <= 8 ? karvel_messages[code] : "") << code;
    EXPECT_NE(s.rows[2].find("Ошибка обмена"), std::string::npos);
  }
  Shown esc = show_error_box(27, 17, 48);
  EXPECT_EQ(esc.rows[3], centred("Прерывание цикла обмена", 48, 23));
  EXPECT_EQ(esc.colours[3], 0x2E);
  EXPECT_EQ(esc.colours[2], 0x47);
}

TEST_F(LinkScreens, TomrikErrorBoxCentresIn46ColumnsFromColumn18) {
  use_program(tomrik_program);
  Shown s = show_error_box(2, 18, 46);
  EXPECT_EQ(s.rows[2], centred("Ошибка обмена по последовательному каналу!", 46, 42));
  EXPECT_EQ(s.rows[3], centred("Не установлена синхронизация.", 46, 29));
  EXPECT_EQ(s.colours[3], 0x47);
  Shown esc = show_error_box(27, 18, 46);
  EXPECT_EQ(esc.colours[3], 0x20);
  // tomrik has no message for code 8.
  Shown eight = show_error_box(8, 18, 46);
  EXPECT_EQ(eight.rows[3], std::string(46, ' '));
  EXPECT_EQ(eight.colours[3], 0x70);
}

TEST_F(LinkScreens, OpenPortUsesTheChosenPortAndSpeed) {
  link_state.port_index = 1;
  link_state.speed_index = 3;
  EXPECT_EQ(link_open_port(), link_ok);
  EXPECT_EQ(wire->names.back(), "COM2");
  EXPECT_EQ(wire->bauds.back(), 57600);
  use_program(tomrik_program);
  link_state.port_index = 0;
  EXPECT_EQ(link_open_port(), link_ok);
  EXPECT_EQ(wire->names.back(), "COM1");
  EXPECT_EQ(wire->bauds.back(), 4800);
}

TEST_F(LinkScreens, OpenFailuresShowTheirBoxes) {
  test::BoxWatcher watcher;
  test::UseKeys use(watcher);
  wire->open_result = platform::SerialOpen::not_available;
  EXPECT_EQ(link_open_port(), link_failed);
  wire->open_result = platform::SerialOpen::setup_failed;
  EXPECT_EQ(link_open_port(), link_failed);
  EXPECT_EQ(watcher.boxes, (std::vector<std::string>{"COM-порт занят другим приложением", "Ошибка системы"}));
  EXPECT_FALSE(link_state.port_opened);
}

// The box keeps its one text for every port that cannot be had; the line
// under it says which device and why, and goes again with the box.
// The device chosen for COM2, on either system; empty takes it away.
void choose_com2(const char* device) {
#ifdef _WIN32
  _putenv_s("STATION_COM2", device);
#else
  if (*device) setenv("STATION_COM2", device, 1);
  else unsetenv("STATION_COM2");
#endif
}

TEST_F(LinkScreens, ARefusedPortIsNamedWithItsReasonUnderTheBox) {
  choose_com2("/dev/ttyUSB7");
  auto twin = std::make_unique<platform::LoopbackSerialPort>();
  platform::LoopbackSerialPort& port = *twin;
  link_use_port(std::move(twin));
  link_state.port_index = 1;
  print_at(1, 25, "Enter"_cp, COLOR_BOX);
  test::BoxWatcher watcher;
  test::UseKeys use(watcher);
  using platform::PortRefusal;
  for (PortRefusal why : {PortRefusal::no_device, PortRefusal::no_permission, PortRefusal::held, PortRefusal::other}) {
    port.troubles.open_refused = why;
    port.troubles.open_error = 71;
    EXPECT_EQ(link_open_port(), link_failed);
  }
  choose_com2("");
  EXPECT_EQ(watcher.boxes, std::vector<std::string>(4, "COM-порт занят другим приложением"));
  EXPECT_EQ(watcher.bottoms, (std::vector<std::string>{
                                 "COM2 (/dev/ttyUSB7): нет такого устройства",
                                 "COM2 (/dev/ttyUSB7): нет прав; добавьте себя в группу dialout и войдите заново",
                                 "COM2 (/dev/ttyUSB7): занят другой программой",
                                 "COM2 (/dev/ttyUSB7): не открывается, ошибка системы 71",
                             }));
  EXPECT_EQ(test::utf8_at(1, 25, 6), "Enter ");
  EXPECT_EQ(test::colour_at(1, 25), COLOR_BOX);
}

TEST_F(LinkScreens, RtsWaitsThenPurgesAndFailuresShowSystemError) {
  test::BoxWatcher watcher;
  test::UseKeys use(watcher);
  link_rts_off();  // never opened: nothing at all
  EXPECT_TRUE(wire->rts.empty());
  link_open_port();
  auto start = services.clock.now_ms();
  link_rts_on();
  EXPECT_EQ(services.clock.now_ms() - start, 100u);
  EXPECT_EQ(wire->purges, 1);
  link_rts_off();
  EXPECT_EQ(services.clock.now_ms() - start, 200u);
  EXPECT_EQ(wire->rts, (std::vector<bool>{true, false}));
  use_program(tomrik_program);
  link_rts_on();
  EXPECT_EQ(services.clock.now_ms() - start, 1200u);
  // A port that refuses its line has gone: one box, then it is closed and
  // the station no longer counts as connected; a loaded file stays loaded.
  link_state.station_connected = 1;
  link_state.file_mode = 1;
  wire->rts_ok = false;
  link_rts_on();
  link_rts_off();
  link_rts_off();
  EXPECT_EQ(services.clock.now_ms() - start, 1200u);  // no waits after a refusal
  EXPECT_EQ(wire->purges, 2);
  EXPECT_EQ(watcher.boxes, (std::vector<std::string>{"Ошибка системы"}));
  EXPECT_FALSE(wire->is_open());
  EXPECT_FALSE(link_state.port_opened);
  EXPECT_EQ(link_state.station_connected, 0);
  EXPECT_EQ(link_state.file_mode, 1);
  // The same for a refusal when the line is dropped, as the menu does.
  link_open_port();
  link_rts_off();
  link_rts_off();
  EXPECT_EQ(watcher.boxes.size(), 2u);
  EXPECT_FALSE(wire->is_open());
}

TEST_F(LinkScreens, PortChoiceWindowAndEsc) {
  link_state.station_connected = 1;
  link_state.file_mode = 1;
  services.keys.add({0, key::down});
  // Read the window while it waits for the next key.
  struct Peek : platform::KeyInput {
    platform::ScriptedKeys* keys;
    std::vector<std::string> row13;
    std::vector<std::uint8_t> com1, com2;
    bool waiting() override { return keys->waiting(); }
    std::uint8_t read() override {
      row13.push_back(test::utf8_at(20, 13, 22));
      com1.push_back(test::colour_at(28, 13));
      com2.push_back(test::colour_at(38, 13));
      return keys->left() ? keys->read() : key::esc;
    }
  } peek;
  peek.keys = &services.keys;
  {
    test::UseKeys use(peek);
    link_connect();
  }
  ASSERT_EQ(peek.row13.size(), 3u);
  EXPECT_EQ(peek.row13[0], "  Порт: COM1      COM2");
  EXPECT_EQ(peek.com1[0], 0x2E);
  EXPECT_EQ(peek.com2[0], 0x70);
  EXPECT_EQ(peek.com1[2], 0x70);  // after Down: COM2 chosen
  EXPECT_EQ(peek.com2[2], 0x2E);
  EXPECT_EQ(link_state.port_index, 1);
  EXPECT_EQ(link_state.station_connected, 0);
  EXPECT_EQ(link_state.file_mode, 0);
  EXPECT_TRUE(wire->names.empty());  // Esc opens nothing
  EXPECT_EQ(test::text_at(10, 9, 62), std::string(62, ' '));
}

TEST_F(LinkScreens, PortChoiceTextsAndTwoArrowsComeBackToCom1) {
  services.keys.add({0, key::left, 0, key::right, 'x', key::esc});
  // Screen checked once the script has run out of keys before Esc.
  struct Peek : platform::KeyInput {
    platform::ScriptedKeys* keys;
    bool seen = false;
    bool waiting() override { return false; }
    std::uint8_t read() override {
      if (keys->left() == 1) {
        seen = true;
        EXPECT_EQ(test::utf8_at(20, 11, 39), "*****   Инициализация COM порта   *****");
        EXPECT_EQ(test::utf8_at(12, 17, 58), "Стрелки - Выбор порта         ENTER  - Инициализация порта");
        EXPECT_EQ(test::colour_at(12, 17), 0x2E);
        EXPECT_EQ(test::colour_at(42, 17), 0x2E);
        EXPECT_EQ(test::colour_at(48, 17), 0x70);
        EXPECT_EQ(test::colour_at(28, 13), 0x2E);
        EXPECT_EQ(test::utf8_at(10, 9, 1), "┌");
        EXPECT_EQ(test::utf8_at(71, 20, 1), "┘");
      }
      return keys->read();
    }
  } peek;
  peek.keys = &services.keys;
  {
    test::UseKeys use(peek);
    link_connect();
  }
  EXPECT_TRUE(peek.seen);
  EXPECT_EQ(link_state.port_index, 0);
}

TEST_F(LinkScreens, KarvelSearchWithNothingOnTheLineTriesTwelveTimesThenSaysNoAnswer) {
  test::ScriptThenBoxes watcher(services.keys);
  services.keys.add({key::enter});
  test::UseKeys use(watcher);
  auto start = services.clock.now_ms();
  link_connect();
  EXPECT_EQ(watcher.boxes, (std::vector<std::string>{"Нет ответа от внешнего устройства."}));
  ASSERT_EQ(wire->bauds.size(), 12u);
  const int speeds[4] = {9600, 19200, 38400, 57600};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(wire->bauds[i], speeds[i % 4]) << i;
  EXPECT_EQ(wire->sent, std::vector<int>(12, 0xBA));
  // Each attempt: RTS up 100 ms, a 200 ms read, RTS down 100 ms, 1400 ms pause.
  EXPECT_EQ(services.clock.now_ms() - start, 12 * 1800u);
  EXPECT_EQ(test::utf8_at(1, 25, 39), "Попытка связаться: 12   Скорость: 57600");
  EXPECT_EQ(link_state.station_connected, 0);
}

TEST_F(LinkScreens, KarvelSearchWithAnswersButNoEchoSaysNoSynchronisation) {
  test::ScriptThenBoxes watcher(services.keys);
  wire->peer = [](int) { return 0x00; };
  services.keys.add({key::enter});
  test::UseKeys use(watcher);
  link_connect();
  EXPECT_EQ(watcher.boxes, (std::vector<std::string>{"Не установлена синхронизация."}));
}

TEST_F(LinkScreens, APortThatCannotBeOpenedEndsTheSearchAtOnce) {
  test::ScriptThenBoxes watcher(services.keys);
  wire->open_result = platform::SerialOpen::not_available;
  services.keys.add({key::enter});
  test::UseKeys use(watcher);
  link_connect();
  use_program(tomrik_program);
  services.keys.add({key::enter});
  link_connect();
  EXPECT_EQ(watcher.boxes, (std::vector<std::string>(2, "COM-порт занят другим приложением")));
  EXPECT_EQ(wire->names.size(), 2u);
}

}  // namespace
