// The karvel pages on a connected in-process station: every change reaches
// the station's memory at once.
#include <gtest/gtest.h>

#include "editors/field_editors.h"
#include "facts/station_facts.h"
#include "karvel/internal_ports.h"
#include "karvel/screens.h"
#include "karvel/station_settings.h"
#include "link/link.h"
#include "link/link_port.h"
#include "platform/serial_loopback.h"
#include "tests/station_fixtures.h"

namespace {

struct LivePages : test::KarvelStationTest {};

TEST_F(LivePages, PortPriorityAndAStationWideValueReachTheStation) {
  keys({'5', key::enter});
  keys({key::enter, 0, key::down, key::enter, '1', '7', '0', key::enter, key::esc, key::esc}, 500);
  keys({key::esc}, 500);
  internal_port_editor();
  EXPECT_EQ(station.peek(0x8500 + 1), 170);

  keys({0, key::down, 0, key::down, 0, key::down, key::enter, '3', '1', key::enter, key::esc});
  edit_general_settings();
  EXPECT_EQ(station.peek(0x8023), 31);
  EXPECT_EQ(test::text_at(60, 7, 4), "  31");
}

TEST_F(LivePages, ProtectedParametersAskForTheStationsCode) {
  link_state.access_code_table[2] = 4242;
  station.poke(0xED00 + 2, 2);  // priority is protected by code 2
  const std::uint8_t before = station.peek(0x8301);
  port_editor.current = 3;
  keys({0, key::down, key::enter, '1', key::enter});
  // Esc during the refusal box ends it at once and is not kept: the second
  // one leaves the page, long before the box's 1.5 seconds.
  keys({key::esc}, 1);
  keys({key::esc}, 1);
  std::uint64_t start = platform::now_ms();
  edit_port_main();
  EXPECT_LT(platform::now_ms() - start, 500u);
  EXPECT_EQ(station.peek(0x8301), before);

  // Esc at the prompt refuses the edit with no refusal box (its 1.5 s).
  keys({0, key::down, key::enter, '4', key::esc});
  keys({key::esc}, 1);  // the prompt empties the key queue as it closes
  start = platform::now_ms();
  edit_port_main();
  EXPECT_LT(platform::now_ms() - start, 500u);
  EXPECT_EQ(station.peek(0x8301), before);

  keys({0, key::down, key::enter, '4', '2', '4', '2', key::enter});
  keys({'9', key::enter, key::esc}, 100);
  edit_port_main();
  EXPECT_EQ(station.peek(0x8301), 9);
}

// The station is silent exactly for the read of a parameter's level: no
// prompt and no editor, nothing written. The user waits out the
// silence at the box; the page goes on.
TEST_F(LivePages, AnEditWhoseLevelCannotBeReadIsRefused) {
  auto& port = dynamic_cast<platform::LoopbackSerialPort&>(link_port());
  test::KeySpy spy{&services.keys, [&] {
                     port.attach(on_line.peer());
                     return test::utf8_at(20, 12, 30);
                   }};
  platform::services().keys = &spy;
  station.poke(0xED00 + 2, 0);  // priority needs no code
  const std::uint8_t before = station.peek(0x8301);
  bool silenced = false;
  station.frame_hook = [&](const sim::FrameName& f) {
    if (f.address == 0xED00 + 2 && !silenced) {
      silenced = true;
      port.attach(nullptr);
    }
    return false;
  };
  port_editor.current = 3;
  // The box, then what an editor opened anyway would take for a new value.
  keys({0, key::down, key::enter, 'x', '9', key::enter, key::esc, key::esc});
  edit_port_main();
  EXPECT_TRUE(silenced);
  EXPECT_EQ(spy.count("Введите код доступа"), 0);
  EXPECT_EQ(spy.count("Ошибка обмена"), 1);  // one box, though the read showed none
  EXPECT_EQ(station.peek(0x8301), before);
}

// The redirection check reads the target port's own redirection. When that
// read fails (here its answer comes from another byte, with a wrong check
// byte), nothing is known against the target, and the edit stands.
TEST_F(LivePages, ARedirectionWhoseCheckCannotBeReadIsKept) {
  station.poke(0x8503, 0);
  station.poke(0x8501, 9);
  station.frame_hook = [](sim::FrameName& f) {
    if (f.command != facts::karvel_read_block || f.address != 0x8503) return false;
    f.address = 0x8501;
    return true;
  };
  port_editor.current = 3;
  keys({0, key::down, 0, key::down, 0, key::down, key::enter, '5', key::enter, key::esc, key::esc, key::esc});
  edit_port_main();
  EXPECT_EQ(station.peek(0x8303), 5);
}

// Port 1 takes number 209 while port 9 no longer holds its own: the
// exchange is refused. Here the read of port 9 fails (its answer comes from
// port 1's new byte, with a wrong check byte): refused too, never accepted
// on what the failed read left.
TEST_F(LivePages, AHardwareExchangeIsJudgedOnlyOnReadsThatWentThrough) {
  for (int p = 1; p <= 24; ++p) station.poke(0x8040 + p - 1, p);
  station.poke(0x8048, 12);
  station.poke(0x804B, 9);
  station.poke(0xED00 + 99, 0);  // the hardware numbers need no code
  bool edited = false;  // the page is drawn whole first
  station.frame_hook = [&](sim::FrameName& f) {
    if (f.command == facts::karvel_write_block && f.address == 0x8040) edited = true;
    if (!edited || f.command != facts::karvel_read_block || f.address != 0x8048) return false;
    f.address = 0x8040;
    return true;
  };
  keys({key::enter, '2', '0', '9', key::enter, key::esc, key::esc});
  edit_hardware_numbers();
  EXPECT_EQ(station.peek(0x8040), 1);
  EXPECT_EQ(station.peek(0x8048), 12);
}

TEST_F(LivePages, ChangingTheStationsSpeedIsFollowedByTheProgram) {
  keys({key::space, key::enter});  // 57600 -> 9600
  EXPECT_EQ(edit_baud({60, 13}, 0x8029), 0);
  EXPECT_EQ(station.peek(0x8029), 0);
  EXPECT_EQ(link_state.speed_index, 0);
  EXPECT_EQ(station.baud(), 9600);
  // The link still works at the new speed.
  EXPECT_EQ(link_read_block(0x8000, 8), 0);
  EXPECT_EQ(test::text_at(60, 13, 5), " 9600");
}

}  // namespace
