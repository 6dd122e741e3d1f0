// Field editors against the simulated station, where a write or a read can
// fail on the line: the speed editor follows the station only to a speed it
// took, and an editor whose value could not be read edits nothing.
#include <gtest/gtest.h>

#include "editors/field_editors.h"
#include "link/link.h"
#include "settings/program_profile.h"
#include "sim/karvel_station.h"
#include "tests/link_wire.h"
#include "tests/sim_on_line.h"

namespace {

constexpr int speed = 0x8029;

struct EditorsOnStation : ::testing::Test {
  platform::TestServices services;
  test::ScriptThenBoxes keys{services.keys};
  test::UseKeys use_keys{keys};
  test::StationOnLine<sim::KarvelStation> on_line;
  sim::KarvelStation& station = on_line.station;
  const ScreenPos cell{60, 10};

  void SetUp() override {
    use_program(karvel_program);
    link_state = LinkState();
    link_state.city_line_count = 4;
    access_pending = 0;
    on_line.plug_in();
    link_state.speed_index = 3;  // the station's 57600 baud
    link_state.station_connected = 1;
  }
  void TearDown() override {
    link_use_port(nullptr);
    link_state = LinkState();
  }
  platform::LoopbackSerialPort& port() { return dynamic_cast<platform::LoopbackSerialPort&>(link_port()); }
  // A fault at the n-th answer from now.
  void fault_at(std::uint64_t n, sim::Fault fault) {
    sim::FaultPlan plan;
    plan.at_answer[on_line.line().answers() + n] = fault;
    on_line.line().set_faults(plan);
  }
  // The program and the station still understand each other.
  void expect_line_works() {
    on_line.line().set_faults({});
    services.clock.advance(1000);
    ASSERT_EQ(link_read_block(speed, 1), link_ok);
    EXPECT_EQ(link_buffer[0], facts::karvel_speed_index(station.baud()));
  }
};

// Answers of the editor's frames: the value is read twice alike, each read
// taking 5 (command, two address bytes, the value for the count, the check
// byte), the write 6 (command, two address bytes, count, value, check byte).
constexpr int write_value_answer = 2 * 5 + 5;
constexpr int write_check_answer = 2 * 5 + 6;

TEST_F(EditorsOnStation, TheSpeedIsFollowedWhenTheStationTookIt) {
  services.keys.add({key::space, key::enter});  // 57600 -> 9600
  EXPECT_EQ(edit_baud(cell, speed), 0);
  EXPECT_EQ(station.baud(), 9600);
  EXPECT_EQ(link_state.speed_index, 0);
  EXPECT_EQ(port().record.baud, 9600);
  EXPECT_EQ(test::text_at(60, 10, 5), " 9600");  // read back at the new speed
  EXPECT_TRUE(keys.boxes.empty());
}

TEST_F(EditorsOnStation, AWriteThatNeverReachedTheStationLeavesTheSpeed) {
  services.keys.add({key::space, key::enter});
  fault_at(write_value_answer, sim::Fault::drop);
  EXPECT_NE(edit_baud(cell, speed), 0);
  EXPECT_EQ(keys.boxes, std::vector<std::string>{"Нет ответа от внешнего устройства."});
  EXPECT_EQ(station.baud(), 57600);
  EXPECT_EQ(link_state.speed_index, 3);
  expect_line_works();
}

// The check bytes disagreed: the station did not store the byte, and the
// program finds it still at the old speed.
TEST_F(EditorsOnStation, ASpeedTheStationRefusedIsNotFollowed) {
  services.keys.add({key::space, key::enter});
  station.frame_hook = [](const sim::FrameName& frame) { return frame.command == facts::karvel_write_block; };
  EXPECT_NE(edit_baud(cell, speed), 0);
  EXPECT_EQ(keys.boxes, std::vector<std::string>{"Не совпала контрольная сумма."});
  EXPECT_EQ(station.baud(), 57600);
  EXPECT_EQ(link_state.speed_index, 3);
  EXPECT_EQ(port().record.baud, 57600);
  expect_line_works();
}

// Only the station's answer to the check byte went astray: it stored the
// byte and moved, and the program finds it there.
TEST_F(EditorsOnStation, ASpeedTakenWhoseLastAnswerWentAstrayIsFollowed) {
  for (sim::Fault fault : {sim::Fault::drop, sim::Fault::corrupt}) {
    SCOPED_TRACE(static_cast<int>(fault));
    int before = link_state.speed_index;
    services.keys.add({key::space, key::enter});
    fault_at(write_check_answer, fault);
    EXPECT_NE(edit_baud(cell, speed), 0);
    int now = (before + 1) & 3;
    EXPECT_EQ(station.baud(), facts::karvel_speeds[now]);
    EXPECT_EQ(link_state.speed_index, now);
    expect_line_works();
  }
}

// A text the station did not store is no written text: the edit fails and
// the field shows what the station still holds.
TEST_F(EditorsOnStation, ATextTheStationRefusedIsReportedAndShownAsStored) {
  const int address = 0x8080;
  for (int i = 0; i < 4; ++i) station.poke(address + i, "DAY1"[i]);
  services.keys.add({'X', key::enter});
  station.frame_hook = [](const sim::FrameName& frame) { return frame.command == facts::karvel_write_block; };
  EXPECT_NE(edit_text(cell, address, 4), 0);
  EXPECT_EQ(keys.boxes, std::vector<std::string>{"Не совпала контрольная сумма."});
  EXPECT_EQ(station.peek(address), 'D');
  EXPECT_EQ(test::text_at(60, 10, 4), "DAY1");
}

TEST_F(EditorsOnStation, ALineReferenceThatCannotBeReadIsNotEdited) {
  const int address = 0x8100;
  station.poke(address, 2);
  station.frame_hook = [](const sim::FrameName& frame) { return frame.command == facts::karvel_read_block; };
  int writes = 0;
  station.frame_log = [&](const std::string& line) { writes += line.rfind("write", 0) == 0; };
  services.keys.add({'x'});  // the error box
  services.keys.add({key::space, key::enter});
  EXPECT_NE(edit_line_ref(cell, address), 0);
  EXPECT_EQ(services.keys.left(), 2u);
  EXPECT_EQ(writes, 0);
  EXPECT_EQ(station.peek(address), 2);
  EXPECT_EQ(test::text_at(60, 10, 1), " ");  // the field blanked
}

}  // namespace
