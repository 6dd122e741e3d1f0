// The link against the in-process stations of both models through the
// loopback port: connection, frames, and faults played by the line at each
// answer of a frame.
#include <gtest/gtest.h>

#include <memory>

#include "karvel/shell.h"
#include "link/link_connect.h"
#include "platform/serial_loopback.h"
#include "settings/program_profile.h"
#include "sim/karvel_station.h"
#include "sim/station_line.h"
#include "sim/tomrik_station.h"
#include "tests/link_wire.h"
#include "tomrik/shell.h"
#include "toolkit/menu.h"

namespace {

template <class Model>
struct OnStation : ::testing::Test {
  platform::TestServices services;
  test::ScriptThenBoxes keys{services.keys};
  test::UseKeys use_keys{keys};
  Model station;
  sim::StationLine line{station};
  platform::LoopbackSerialPort* port = nullptr;

  void start(const ProgramProfile& program) {
    use_program(program);
    reset_run_state();
    auto p = std::make_unique<platform::LoopbackSerialPort>(&line);
    port = p.get();
    link_use_port(std::move(p));
  }
  // Opens the port at the station's speed and counts the station connected.
  void connect_directly() {
    link_state.speed_index = 3;
    ASSERT_EQ(link_open_port(), link_ok);
    link_state.station_connected = 1;
  }
  void fault_at(std::uint64_t answer, sim::Fault fault) {
    sim::FaultPlan plan;
    plan.at_answer[line.answers() + answer] = fault;
    line.set_faults(plan);
  }
  // The user takes a while over a box: the station sees the pause.
  void pause() { services.clock.advance(1000); }
  void TearDown() override {
    reset_run_state();
    use_program(karvel_program);
  }
};

using LinkOnKarvel = OnStation<sim::KarvelStation>;
using LinkOnTomrik = OnStation<sim::TomrikStation>;

TEST_F(LinkOnKarvel, SpeedSearchFindsA57600StationOnTheFourthAttempt) {
  start(karvel_program);
  for (int k = 0; k < 14; ++k) station.poke(0x80F0 + k, 0x10 + k);
  services.keys.add({key::enter, 'x'});  // choose COM1, then close the success box
  auto begin = services.clock.now_ms();
  link_connect();
  EXPECT_TRUE(keys.boxes.empty());
  EXPECT_EQ(link_state.station_connected, 1);
  EXPECT_EQ(link_state.speed_index, 3);
  EXPECT_EQ(std::string(link_state.station_identity), "KR424-4");
  EXPECT_EQ(link_state.city_line_count, 4);
  EXPECT_EQ(link_state.port_count, 24);
  EXPECT_EQ(link_state.channel_row_count, 4);
  EXPECT_EQ(link_state.first_line_port, 33);
  EXPECT_EQ(link_state.access_code_table[1], 0x1011);
  EXPECT_EQ(link_state.access_code_table[7], 0x1C1D);
  // Three attempts of 1800 ms go by before the fourth finds the station.
  EXPECT_GE(services.clock.now_ms() - begin, 3 * 1800u);
  EXPECT_LT(services.clock.now_ms() - begin, 3 * 1800u + 1500u);
  EXPECT_EQ(port->record.baud, 57600);
  show_karvel_menu_bar();
  EXPECT_EQ(test::text_at(60, 1, 21), "COM1  57600  KR424-4 ");
}

TEST_F(LinkOnKarvel, ASlowStartOnAnotherSpeedIsFoundInItsTurn) {
  start(karvel_program);
  station.set_baud(19200);
  services.keys.add({key::enter, 'x'});  // choose COM1, then close the success box
  link_connect();
  EXPECT_EQ(link_state.station_connected, 1);
  EXPECT_EQ(link_state.speed_index, 1);
  show_karvel_menu_bar();
  EXPECT_EQ(test::text_at(66, 1, 5), "19200");
}

TEST_F(LinkOnKarvel, AConnectionEndsFileMode) {
  start(karvel_program);
  link_state.file_mode = 1;
  services.keys.add({key::enter, 'x'});  // choose COM1, then close the success box
  link_connect();
  EXPECT_EQ(link_state.file_mode, 0);
  EXPECT_EQ(link_state.station_connected, 1);
}

// A read at connection that fails once is tried again and taken. One that
// never succeeds ends the connection for first_line_port, which places every
// editor; the access codes are left unknown and the connection stands.
TEST_F(LinkOnKarvel, AConnectionReadThatFailsIsTriedAgainOrTold) {
  for (int address : {facts::karvel_first_line_port_address, facts::karvel_access_codes_address})
    for (bool always : {false, true}) {
      SCOPED_TRACE(std::to_string(address) + (always ? " always" : " once"));
      start(karvel_program);
      station.poke(0x80F0, 0x12);
      station.poke(0x80F1, 0x34);
      int failed = 0;
      station.frame_hook = [&](const sim::FrameName& f) {
        return f.command == facts::karvel_read_block && f.address == address && (always || ++failed == 1);
      };
      bool codes_lost = always && address == facts::karvel_access_codes_address;
      bool connection_lost = always && !codes_lost;
      keys.boxes.clear();
      services.keys.add({key::enter});  // choose COM1
      if (!connection_lost) services.keys.add({'x'});  // close the success box
      link_connect();
      EXPECT_EQ(link_state.station_connected, connection_lost ? 0 : 1);
      EXPECT_EQ(keys.boxes, connection_lost ? std::vector<std::string>{"Неверный ответ устройства"}
                                            : std::vector<std::string>{});
      if (connection_lost) continue;
      EXPECT_EQ(link_state.first_line_port, 33);
      EXPECT_EQ(link_state.access_codes_known, !codes_lost);
      EXPECT_EQ(link_state.access_code_table[1], codes_lost ? 0 : 0x1234);
    }
}

TEST_F(LinkOnKarvel, BlocksWrittenAreReadBackFromTheStation) {
  start(karvel_program);
  connect_directly();
  for (int i = 0; i < 255; ++i) link_buffer[i] = (i * 3) & 0xFF;
  ASSERT_EQ(link_write_block(0x9000, 255), link_ok);
  EXPECT_EQ(station.peek(0x9000 + 254), (254 * 3) & 0xFF);
  for (int& b : link_buffer) b = 0;
  ASSERT_EQ(link_read_block(0x9000, 255), link_ok);
  EXPECT_EQ(link_buffer[100], 300 & 0xFF);
  ASSERT_EQ(link_read_block(0x9000, 0), link_ok);
  // The live state memory below the window is read the same way.
  station.poke(0x1234, 0x5A);
  ASSERT_EQ(link_read_block(0x1234, 1), link_ok);
  EXPECT_EQ(link_buffer[0], 0x5A);
}

// Two data bytes damaged so that their errors cancel in the frame's sum
// pass the check byte. The editors' read takes a block only when two reads
// in a row agree: it gives the station's bytes, and reads that never agree
// give the check byte box.
TEST_F(LinkOnKarvel, AnEditorsReadTakesABlockOnlyWhenTwoReadsAgree) {
  start(karvel_program);
  connect_directly();
  station.poke(0x8100, 0x10);  // bit 0 damaged: one more
  station.poke(0x8101, 0x21);  // bit 0 damaged: one less
  // The data are answers 4 and 5 of each 6-answer read.
  auto damage_reads = [&](std::initializer_list<int> reads) {
    sim::FaultPlan plan;
    for (int r : reads)
      for (int answer : {4, 5}) plan.at_answer[line.answers() + 6 * (r - 1) + answer] = sim::Fault::corrupt;
    line.set_faults(plan);
  };
  damage_reads({1});
  ASSERT_EQ(link_read_block(0x8100, 2), link_ok);
  EXPECT_EQ(link_buffer[0] * 256 + link_buffer[1], 0x1120);  // past the check
  damage_reads({1});
  std::uint64_t before = line.answers();
  ASSERT_EQ(link_read_block_alike(0x8100, 2), link_ok);
  EXPECT_EQ(link_buffer[0] * 256 + link_buffer[1], 0x1021);
  EXPECT_EQ(line.answers() - before, 3u * 6);
  EXPECT_TRUE(keys.boxes.empty());
  damage_reads({1, 3});
  EXPECT_EQ(link_read_block_alike(0x8100, 2), link_check_mismatch);
  EXPECT_EQ(keys.boxes, std::vector<std::string>{"Не совпала контрольная сумма."});
}

// The answers of a 2-byte read: 1 command, 2 and 3 address, 4 and 5 data,
// 6 check byte.
TEST_F(LinkOnKarvel, ReadWithAFaultAtEachAnswer) {
  start(karvel_program);
  connect_directly();
  station.poke(0x8100, 0x11);
  station.poke(0x8101, 0x22);
  const int dropped[] = {link_ok, link_failed, link_failed, link_failed, link_failed, link_failed};  // the first is repeated
  const int corrupted[] = {link_refused,        link_not_acknowledged, link_not_acknowledged,
                           link_check_mismatch, link_check_mismatch,   link_check_mismatch};
  for (int answer = 1; answer <= 6; ++answer) {
    for (sim::Fault fault : {sim::Fault::drop, sim::Fault::corrupt, sim::Fault::late}) {
      SCOPED_TRACE(testing::Message() << "answer " << answer << " fault " << static_cast<int>(fault));
      fault_at(answer, fault);
      int expected = fault == sim::Fault::corrupt ? corrupted[answer - 1] : dropped[answer - 1];
      EXPECT_EQ(link_read_block(0x8100, 2), expected);
      pause();
      // The link keeps nothing of a failed frame: the next one succeeds.
      line.set_faults({});
      ASSERT_EQ(link_read_block(0x8100, 2), link_ok);
      EXPECT_EQ(link_buffer[1], 0x22);
      pause();
    }
  }
}

// The answers of a 1-byte write: 1 command, 2 and 3 address, 4 count,
// 5 data, 6 check byte.
TEST_F(LinkOnKarvel, WriteWithAFaultAtEachAnswerNamesTheByte) {
  start(karvel_program);
  connect_directly();
  for (int answer = 1; answer <= 6; ++answer) {
    for (sim::Fault fault : {sim::Fault::drop, sim::Fault::corrupt}) {
      SCOPED_TRACE(testing::Message() << "answer " << answer << " fault " << static_cast<int>(fault));
      fault_at(answer, fault);
      link_buffer[0] = 0x40 + answer;
      int expected = fault == sim::Fault::corrupt ? answer : answer == 1 ? link_ok : -answer;
      EXPECT_EQ(link_write_block(0x8200, 1), expected);
      pause();
      line.set_faults({});
      link_buffer[0] = 0x77;
      ASSERT_EQ(link_write_block(0x8200, 1), link_ok);
      EXPECT_EQ(station.peek(0x8200), 0x77);
      pause();
    }
  }
}

// Our check byte damaged on its way: the station refuses the frame and
// answers with its own check byte, which is ours. Only the read-back tells;
// it shows the check byte box and leaves the station's byte in link_buffer.
// The station's own bytes are never found wrong.
TEST_F(LinkOnKarvel, AWriteTheStationRefusedIsFoundByItsReadBack) {
  start(karvel_program);
  connect_directly();
  station.poke(0x8200, 0x11);
  sim::FaultPlan plan;
  plan.corrupt_received_at.insert(line.received() + 6);
  line.set_faults(plan);
  link_buffer[0] = 0x22;
  EXPECT_EQ(link_write_block(0x8200, 1), 6);
  EXPECT_TRUE(link_read_back_differed());
  EXPECT_EQ(link_buffer[0], 0x11);
  EXPECT_EQ(station.peek(0x8200), 0x11);
  EXPECT_EQ(keys.boxes, std::vector<std::string>{"Не совпала контрольная сумма."});
  pause();
  for (int i = 0; i < 8; ++i) link_buffer[i] = 'X';
  EXPECT_EQ(link_write_block(0x8000, 8), link_ok);
  EXPECT_EQ(station.peek(0x8000), 'K');
}

TEST_F(LinkOnKarvel, EventsOfEveryLengthArePolled) {
  start(karvel_program);
  connect_directly();
  const int lengths[] = {1, 1, 1, 1, 2, 2, 2, 1, 2, 2, 7, 1, 2, 1, 1, 1, 1, 1, 1};
  for (int code = 0x81; code <= 0x93; ++code) {
    sim::EventFrame frame{static_cast<std::uint8_t>(code)};
    for (int i = 0; i < lengths[code - 0x81]; ++i) frame.push_back(static_cast<std::uint8_t>(i + 1));
    ASSERT_TRUE(station.queue_event(frame)) << code;
  }
  int frame[259] = {};
  for (int code = 0x81; code <= 0x93; ++code) {
    ASSERT_EQ(link_poll_event(frame), link_ok) << code;
    EXPECT_EQ(frame[0], code);
    EXPECT_EQ(frame[lengths[code - 0x81]], lengths[code - 0x81]);
  }
  EXPECT_EQ(station.events_waiting(), 0u);
}

// The event log view's key hook: every digit is one key frame.
int digit_frames(int key, int& last) {
  if (key < '1' || key > '9') return 0;
  last = link_send_key(0x81, 0x10 + key - '0');
  return 1;
}

TEST_F(LinkOnKarvel, KeyFramesReachTheStationAndThePollGoesOnAfterThem) {
  start(karvel_program);
  connect_directly();
  link_state.key_frames = digit_frames;
  services.keys.add({'5'});
  services.keys.add({'7'}, 100);
  ASSERT_TRUE(station.queue_event({0x82, 0x09}, services.clock.now_ms() + 400));
  int frame[259] = {};
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(frame[0], 0x82);
  EXPECT_EQ(frame[1], 0x09);
  ASSERT_EQ(station.keys_received().size(), 2u);
  EXPECT_EQ(station.keys_received()[0], 0x15);
  EXPECT_EQ(station.keys_received()[1], 0x17);
  // A key frame whose check byte the line corrupts ends the poll with 2.
  services.keys.add({'3'});
  fault_at(3, sim::Fault::corrupt);
  EXPECT_EQ(link_poll_event(frame), link_key_check_mismatch);
}

TEST_F(LinkOnTomrik, ConnectsAt4800AndTakesTheIdentity) {
  start(tomrik_program);
  services.keys.add({key::enter});  // choose COM1
  link_connect();
  EXPECT_TRUE(keys.boxes.empty());
  EXPECT_EQ(link_state.station_connected, 1);
  EXPECT_EQ(port->record.baud, 4800);
  EXPECT_EQ(std::string(link_state.station_identity), "T416");
  EXPECT_EQ(link_state.city_line_count, 4);
  EXPECT_EQ(link_state.subscriber_count, 16);
  show_tomrik_menu_bar();
  EXPECT_EQ(test::text_at(60, 1, 20), "COM1    4800   T416 ");
}

TEST_F(LinkOnTomrik, ARefusingStationLeavesTheProgramDisconnectedWithTheLastResult) {
  start(tomrik_program);
  sim::FaultPlan plan;
  plan.corrupt_checks = 1.0;  // every check byte wrong
  line.set_faults(plan);
  link_state.station_connected = 1;
  services.keys.add({key::enter});  // choose COM1
  link_connect();
  EXPECT_EQ(link_state.station_connected, 0);
  EXPECT_EQ(keys.boxes, (std::vector<std::string>{"Не совпала контрольная сумма."}));
}

TEST_F(LinkOnTomrik, RecordsWrittenAreReadBack) {
  start(tomrik_program);
  connect_directly();
  int record[256] = {4, 1, 2, 3, 4};
  ASSERT_EQ(link_write_record(record, 0x05, 2), link_ok);
  EXPECT_EQ(*station.record(0x05, 2), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  int back[256] = {};
  ASSERT_EQ(link_read_record(back, 0x05, 2), link_ok);
  EXPECT_EQ(back[0], 4);
  EXPECT_EQ(back[4], 4);
}

// The answers of a read of the identity record: 1 synchronisation, 2 group,
// 3 index (the length), 4..7 data, 8 check byte.
TEST_F(LinkOnTomrik, ReadWithAFaultAtEachAnswer) {
  start(tomrik_program);
  connect_directly();
  const int corrupted[] = {link_ok,             link_not_acknowledged, link_no_answer,      link_check_mismatch,
                           link_check_mismatch, link_check_mismatch,   link_check_mismatch, link_check_mismatch};
  int record[256] = {};
  for (int answer = 1; answer <= 8; ++answer) {
    for (sim::Fault fault : {sim::Fault::drop, sim::Fault::corrupt}) {
      SCOPED_TRACE(testing::Message() << "answer " << answer << " fault " << static_cast<int>(fault));
      fault_at(answer, fault);
      int result = link_read_record(record, 0x80, 1);
      if (fault == sim::Fault::drop)
        EXPECT_EQ(result, answer == 1 ? link_ok : link_no_answer);  // a lost synchronisation answer is tried again
      else if (answer != 1 && answer != 3)
        EXPECT_EQ(result, corrupted[answer - 1]);
      else
        EXPECT_NE(result, link_ok);  // a wrong synchronisation answer or length fails the frame
      pause();
      line.set_faults({});
      ASSERT_EQ(link_read_record(record, 0x80, 1), link_ok);
      EXPECT_EQ(record[1], 'T');
      pause();
    }
  }
}

TEST_F(LinkOnTomrik, WriteWithAFaultAtEachAnswer) {
  start(tomrik_program);
  connect_directly();
  int record[256] = {1, 9};
  // 1 synchronisation, 2 group, 3 index, 4 length, 5 data, 6 check byte.
  for (int answer = 2; answer <= 6; ++answer) {
    for (sim::Fault fault : {sim::Fault::drop, sim::Fault::corrupt}) {
      SCOPED_TRACE(testing::Message() << "answer " << answer << " fault " << static_cast<int>(fault));
      fault_at(answer, fault);
      int expected = fault == sim::Fault::drop ? link_no_answer : answer == 6 ? link_check_mismatch : link_not_acknowledged;
      EXPECT_EQ(link_write_record(record, 0x01, 1), expected);
      pause();
      line.set_faults({});
      ASSERT_EQ(link_write_record(record, 0x01, 1), link_ok);
      pause();
    }
  }
}

TEST_F(LinkOnTomrik, CountedEventFramesAreTakenWhole) {
  start(tomrik_program);
  connect_directly();
  ASSERT_TRUE(station.queue_event({0x8D, 1, 2, 0}));
  ASSERT_TRUE(station.queue_event({0x8D, 1, 2, 3, 7, 8, 9}));
  ASSERT_TRUE(station.queue_event({0x87, 4}));
  int frame[259] = {};
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(frame[3], 0);
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(frame[6], 9);
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(frame[0], 0x87);
  EXPECT_EQ(frame[1], 4);
}

}  // namespace
