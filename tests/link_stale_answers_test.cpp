// Answers that come at the wrong moment: a stray byte in the middle of a
// frame, and a late answer still on its way when a frame goes on. Each case
// is built so that taking the stray byte for an answer would pass the check
// byte, which cannot tell every pair of sums apart: the data would come back
// wrong with a success.
#include <gtest/gtest.h>

#include <memory>

#include "platform/serial_loopback.h"
#include "settings/program_profile.h"
#include "sim/karvel_station.h"
#include "sim/station_line.h"
#include "sim/tomrik_station.h"
#include "tests/link_wire.h"

namespace {

// The data byte that, read as 0xFF, leaves the check byte of a frame whose
// other bytes sum to `sum` unchanged.
int byte_hidden_by_ff(int sum) {
  for (int v = 0; v < 0xFF; ++v)
    if (link_check_byte(sum + v) == link_check_byte(sum + 0xFF)) return v;
  ADD_FAILURE() << "no byte shares its check byte with 0xFF";
  return 0;
}

template <class Model>
struct Stale : ::testing::Test {
  platform::TestServices services;
  test::BoxWatcher boxes;
  test::UseKeys use_keys{boxes};
  Model station;
  sim::StationLine line{station};
  platform::LoopbackSerialPort* port = nullptr;

  void start(const ProgramProfile& program) {
    use_program(program);
    link_state = LinkState();
    auto p = std::make_unique<platform::LoopbackSerialPort>(&line);
    port = p.get();
    link_use_port(std::move(p));
    link_state.speed_index = 3;
    ASSERT_EQ(link_open_port(), link_ok);
    link_state.station_connected = 1;
  }
  void late_answers(std::initializer_list<std::uint64_t> answers) {
    sim::FaultPlan plan;
    for (std::uint64_t a : answers) plan.at_answer[line.answers() + a] = sim::Fault::late;
    line.set_faults(plan);
  }
  void TearDown() override {
    link_use_port(nullptr);
    link_state = LinkState();
    use_program(karvel_program);
  }
};

using StaleOnKarvel = Stale<sim::KarvelStation>;
using StaleOnTomrik = Stale<sim::TomrikStation>;

// A stray 0xFF arrives just before the station's answer to the address:
// it is taken as that answer, and the station's own 0xFF must not then be
// taken as the first data byte.
TEST_F(StaleOnKarvel, AStrayByteInAFrameShiftsNoAnswer) {
  start(karvel_program);
  const int d0 = 0x12;
  // Shifted by one, the frame would read 0xFF, d0 and take d1 for the
  // station's check byte: d1 is made equal to the check byte of that.
  const int d1 = link_check_byte(0xBD + 0x00 + 0x81 + 2 + 0xFF + d0);
  station.poke(0x8100, d0);
  station.poke(0x8101, static_cast<std::uint8_t>(d1));
  station.frame_hook = [&](const sim::FrameName&) {
    port->inject(0xFF);
    return false;
  };
  ASSERT_EQ(link_read_block(0x8100, 2), link_ok);
  EXPECT_EQ(link_buffer[0], d0);
  EXPECT_EQ(link_buffer[1], d1);
}

// The first command byte is answered late, the repeat at once; later in the
// same frame a data byte is answered late too. The first late answer must
// not stand in for the second.
TEST_F(StaleOnKarvel, ALateAnswerToTheCommandByteNeverAnswersALaterByte) {
  start(karvel_program);
  const int d0 = 0x34;
  const int d1 = byte_hidden_by_ff(0xBD + 0x00 + 0x82 + 2 + d0);
  station.poke(0x8200, d0);
  station.poke(0x8201, static_cast<std::uint8_t>(d1));
  // Answers: 1 and 2 the command byte and its repeat, 3 and 4 the address,
  // 5 the first data byte (for the count), 6 the second.
  late_answers({1, 6});
  int result = link_read_block(0x8200, 2);
  EXPECT_EQ(result, link_failed);  // the second data byte did not come in time
  if (result == link_ok) {
    EXPECT_EQ(link_buffer[1], d1) << "a success with a wrong byte";
  }
  // The line settles, and the next read is whole.
  ASSERT_EQ(link_read_block(0x8200, 2), link_ok);
  EXPECT_EQ(link_buffer[0], d0);
  EXPECT_EQ(link_buffer[1], d1);
}

// tomrik: the first synchronisation attempt is answered late, a data byte
// too. The late 0xFF of the synchronisation must not become the data byte.
TEST_F(StaleOnTomrik, ALateSynchronisationAnswerNeverAnswersADataByte) {
  start(tomrik_program);
  const int d1 = byte_hidden_by_ff(0xAA + 0x05 + 0x02 + 1);
  station.set_record(0x05, 0x02, {static_cast<std::uint8_t>(d1)});
  // Answers: 1 to 3 the synchronisation (late, idle, ready), 4 the group,
  // 5 the length, 6 the data byte.
  late_answers({1, 6});
  int record[256] = {};
  int result = link_read_record(record, 0x05, 0x02);
  EXPECT_EQ(result, link_no_answer);
  if (result == link_ok) {
    EXPECT_EQ(record[1], d1) << "a success with a wrong byte";
  }
  ASSERT_EQ(link_read_record(record, 0x05, 0x02), link_ok);
  EXPECT_EQ(record[0], 1);
  EXPECT_EQ(record[1], d1);
}

// Many reads on a line that answers 2 % of the bytes late and loses as
// many: a read may fail, but none succeeds with data the station does not
// hold.
TEST_F(StaleOnKarvel, LateAndLostAnswersNeverGiveWrongData) {
  start(karvel_program);
  std::uint64_t x = 99;
  for (int a = 0x8000; a <= 0xFFFF; ++a) {
    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
    station.poke(static_cast<std::uint16_t>(a), static_cast<std::uint8_t>(x >> 33));
  }
  sim::FaultPlan plan;
  plan.late = 0.02;
  plan.drop = 0.02;
  plan.seed = 7;
  line.set_faults(plan);
  int succeeded = 0, wrong = 0;
  for (int i = 0; i < 20000; ++i) {
    int address = 0x8000 + (i * 16) % 0x7FF0;
    if (link_read_block(address, 16) != link_ok) continue;
    ++succeeded;
    for (int j = 0; j < 16; ++j) {
      if (link_buffer[j] != station.peek(static_cast<std::uint16_t>(address + j))) {
        ++wrong;
        break;
      }
    }
  }
  EXPECT_GT(succeeded, 5000);
  EXPECT_EQ(wrong, 0);
}

TEST_F(StaleOnTomrik, LateAndLostAnswersNeverGiveWrongData) {
  start(tomrik_program);
  std::uint64_t x = 99;
  for (int g = 0x14; g <= 0x22; ++g) {
    for (int s = 1; s <= 16; ++s) {
      std::vector<std::uint8_t> bytes;
      for (int k = 0; k < 8; ++k) {
        x = x * 6364136223846793005ULL + 1442695040888963407ULL;
        bytes.push_back(static_cast<std::uint8_t>(x >> 33));
      }
      station.set_record(static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(s), bytes);
    }
  }
  sim::FaultPlan plan;
  plan.late = 0.02;
  plan.drop = 0.02;
  plan.seed = 7;
  line.set_faults(plan);
  int succeeded = 0, wrong = 0;
  int record[256];
  for (int i = 0; i < 20000; ++i) {
    int group = 0x14 + i % 15, index = 1 + (i / 15) % 16;
    if (link_read_record(record, group, index) != link_ok) continue;
    ++succeeded;
    const std::vector<std::uint8_t>& held = *station.record(static_cast<std::uint8_t>(group), static_cast<std::uint8_t>(index));
    bool same = record[0] == static_cast<int>(held.size());
    for (int j = 0; same && j < record[0]; ++j) same = record[1 + j] == held[j];
    wrong += !same;
  }
  EXPECT_GT(succeeded, 5000);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
