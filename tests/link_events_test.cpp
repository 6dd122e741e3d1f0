// Event polls in both dialects, key frames and the trace file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "settings/program_profile.h"
#include "tests/link_wire.h"

namespace {

using test::silent;
using test::Step;

struct Events : test::ScriptedLink {
  int frame[259] = {};
  void SetUp() override { use_line(karvel_program); }
};

// The wire of one event frame after `idle` polls answered "nothing".
std::vector<Step> event_wire(int code, std::vector<int> bytes, int idle = 0) {
  std::vector<Step> w;
  for (int i = 0; i < idle; ++i) w.push_back({0x80, 0x80});
  w.push_back({0x80, code});
  int sum = code;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    sum += bytes[i];
    w.push_back({0xFF, bytes[i]});
  }
  int check = link_check_byte(sum);
  w.push_back({check, check});
  return w;
}

void expect_event_lengths(Events& t, const int (&lengths)[20]) {
  for (int code = 0x81; code <= 0x94; ++code) {
    SCOPED_TRACE(testing::Message() << std::hex << "code " << code);
    int length = lengths[code - 0x81];
    std::vector<int> bytes;
    for (int i = 0; i < length; ++i) bytes.push_back(0x10 + i);
    t.wire->play(event_wire(code, bytes));
    ASSERT_EQ(link_poll_event(t.frame), link_ok);
    EXPECT_EQ(t.wire->sent, t.wire->expected());
    EXPECT_EQ(t.frame[0], code);
    for (int i = 0; i < length; ++i) EXPECT_EQ(t.frame[1 + i], 0x10 + i);
  }
}

TEST_F(Events, KarvelEventLengths) {
  // 0x81..0x94; 0x94 stands for any code outside the table.
  const int lengths[20] = {1, 1, 1, 1, 2, 2, 2, 1, 2, 2, 7, 1, 2, 1, 1, 1, 1, 1, 1, 0};
  expect_event_lengths(*this, lengths);
}

TEST_F(Events, TomrikEventLengths) {
  use_program(tomrik_program);
  // 0x8D is left to its own test: its third byte adds more.
  const int lengths[20] = {1, 1, 1, 1, 2, 2, 1, 1, 2, 2, 3, 1, 3, 0, 0, 0, 0, 0, 0, 0};
  for (int code = 0x81; code <= 0x94; ++code) {
    if (code == 0x8D) continue;
    std::vector<int> bytes(lengths[code - 0x81], 0x21);
    wire->play(event_wire(code, bytes));
    ASSERT_EQ(link_poll_event(frame), link_ok) << code;
    EXPECT_EQ(wire->sent, wire->expected()) << code;
  }
}

TEST_F(Events, TomrikCountedFrameTakesAsManyMoreAsItsThirdByteSays) {
  use_program(tomrik_program);
  wire->play(event_wire(0x8D, {1, 2, 0}));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());

  wire->play(event_wire(0x8D, {1, 2, 3, 0x41, 0x42, 0x43}));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  EXPECT_EQ(frame[6], 0x43);

  // The longest frame fills the 259 elements exactly.
  std::vector<int> bytes{9, 9, 255};
  for (int i = 0; i < 255; ++i) bytes.push_back(i);
  wire->play(event_wire(0x8D, bytes));
  frame[258] = -1;
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(frame[258], 254);
  EXPECT_EQ(wire->sent.size(), 1u + 258u + 1u);
}

TEST_F(Events, KarvelTakesNoCountFromThe8DFrame) {
  wire->play(event_wire(0x8D, {5, 6}));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
}

TEST_F(Events, IdlePollsWait60MillisecondsEachAndThePollByteIsRepeatedOnce) {
  wire->play(event_wire(0x81, {5}, 3));
  wire->script.insert(wire->script.begin() + 1, Step{0x80, silent});
  auto start = services.clock.now_ms();
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  // Four rounds of 60 ms, one time-out of 200 ms, and the 200 ms the line
  // is let settle before the poll byte goes again.
  EXPECT_EQ(services.clock.now_ms() - start, 4 * 60u + 200u + 200u);
}

TEST_F(Events, PollFailures) {
  wire->play({{0x80, silent}, {0x80, silent}, {0x80, 0x81}});
  EXPECT_EQ(link_poll_event(frame), link_no_answer);
  EXPECT_EQ(wire->sent.size(), 2u);
  for (std::size_t p = 1; p < 3; ++p) {
    for (bool drop : {true, false}) {
      std::vector<Step> w = event_wire(0x85, {7, 8});
      w[p].answer = drop ? silent : w[p].answer ^ 1;
      wire->play(w);
      EXPECT_EQ(link_poll_event(frame), drop ? link_no_answer : link_check_mismatch) << p;
    }
  }
  std::vector<Step> w = event_wire(0x85, {7, 8});
  w.back().answer = silent;
  wire->play(w);
  EXPECT_EQ(link_poll_event(frame), link_no_answer);
  w.back().answer = w.back().out ^ 0x40;
  wire->play(w);
  EXPECT_EQ(link_poll_event(frame), link_check_mismatch);
}

TEST_F(Events, EscBetweenRoundsEndsThePollWithoutAByte) {
  wire->play(event_wire(0x81, {5}, 100));
  services.keys.add({key::esc}, 150);  // pressed during the third round
  EXPECT_EQ(link_poll_event(frame), link_interrupted);
  EXPECT_EQ(wire->sent.size(), 3u);
}

// The event log view's key hook: a digit becomes one key frame.
int digit_frames(int key, int& last) {
  if (key < '0' || key > '9') return 0;
  last = link_send_key(0x81, key == '0' ? 0x1A : 0x10 + key - '0');
  return 1;
}

TEST_F(Events, AfterGoodKeyFramesThePollGoesOnAndTheCheckAnswerIsNoEvent) {
  link_state.key_frames = digit_frames;
  std::vector<Step> w{{0x80, 0x80}};
  int check = test::check_of({0x81, 0x15});
  for (Step s : std::vector<Step>{{0x81, 0xFF}, {0x15, 0xFF}, {check, check}}) w.push_back(s);
  for (Step s : event_wire(0x82, {3}, 1)) w.push_back(s);
  wire->play(w);
  services.keys.add({'5'}, 50);  // pressed during the first round
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(wire->sent, wire->expected());
  EXPECT_EQ(frame[0], 0x82);
  EXPECT_EQ(frame[1], 3);
}

TEST_F(Events, AFailedKeyFrameEndsThePollWithItsResult) {
  link_state.key_frames = digit_frames;
  wire->play({{0x81, 0xFF}, {0x1A, 0xFF}, {test::check_of({0x81, 0x1A}), 0x00}});
  services.keys.add({'0'});
  EXPECT_EQ(link_poll_event(frame), link_key_check_mismatch);
  EXPECT_EQ(wire->sent.size(), 3u);  // no poll byte after the failed frame
}

TEST_F(Events, KeyFrameResultsAndConsoleEcho) {
  goto_xy(1, 1);
  int check = test::check_of({0x81, 0x1A});
  wire->play({{0x81, 0xFF}, {0x1A, 0xFF}, {check, check}});
  EXPECT_EQ(link_send_key(0x81, 0x1A), link_ok);
  EXPECT_EQ(test::utf8_at(1, 2, 30), "cmd=81   ch=1A   ksum=" + [&] {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X ", check);
    return std::string(hex) + std::string(30 - 22 - std::strlen(hex), ' ');
  }());
  struct Case {
    std::size_t position;
    bool drop;
    int result;
  } cases[] = {{0, true, link_failed}, {0, false, link_refused}, {1, true, link_failed},
               {1, false, link_refused}, {2, true, link_failed}, {2, false, link_key_check_mismatch}};
  for (const Case& c : cases) {
    std::vector<Step> w{{0x81, 0xFF}, {0x1A, 0xFF}, {check, check}};
    w[c.position].answer = c.drop ? silent : w[c.position].answer ^ 1;
    wire->play(w);
    EXPECT_EQ(link_send_key(0x81, 0x1A), c.result) << c.position;
    EXPECT_EQ(wire->sent.size(), c.position + 1);
  }
}

struct Trace : Events {
  std::filesystem::path old_dir = std::filesystem::current_path();
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("link_trace_" + std::to_string(getpid()));
  void SetUp() override {
    Events::SetUp();
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
  }
  void TearDown() override {
    std::filesystem::current_path(old_dir);
    std::filesystem::remove_all(dir);
    Events::TearDown();
  }
  std::string trace() {
    std::ifstream in("cmd.ttt", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
};

TEST_F(Trace, EachFrameIsAppendedAsItPasses) {
  link_state.trace_flag = 1;
  wire->play(event_wire(0x81, {5}, 2));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(trace(), "\r\nSTART <TxD=80 RxD=81 TxD=FF RxD=5 TxD=31 RxD=31> END");
  // A frame cut short leaves its beginning, and the next frame follows it.
  std::vector<Step> w = event_wire(0x8B, {1, 2, 3, 4, 5, 6, 7});
  w[3].answer = silent;
  wire->play(w);
  EXPECT_EQ(link_poll_event(frame), link_no_answer);
  wire->play(event_wire(0x82, {0xAB}));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  std::string second = "\r\nSTART <TxD=80 RxD=8B TxD=FF RxD=1 TxD=FF RxD=2 ";
  char third[80];
  int check = test::check_of({0x82, 0xAB});
  std::snprintf(third, sizeof third, "\r\nSTART <TxD=80 RxD=82 TxD=FF RxD=AB TxD=%X RxD=%X> END", check, check);
  EXPECT_EQ(trace(), "\r\nSTART <TxD=80 RxD=81 TxD=FF RxD=5 TxD=31 RxD=31> END" + second + third);
}

TEST_F(Trace, NothingIsWrittenWithoutTheFlagOrInTomrik) {
  wire->play(event_wire(0x81, {5}));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  use_program(tomrik_program);
  link_state.trace_flag = 1;
  wire->play(event_wire(0x81, {5}));
  ASSERT_EQ(link_poll_event(frame), link_ok);
  EXPECT_FALSE(std::filesystem::exists("cmd.ttt"));
}

// Told once, on a line of its own; the polls go on untraced, and Esc at
// the message ends the poll as Esc between rounds does.
TEST_F(Trace, ATraceFileThatCannotBeOpenedIsToldOnceAndThePollGoesOn) {
  std::filesystem::create_directory("cmd.ttt");
  link_state.trace_flag = 1;
  goto_xy(5, 5);
  services.keys.add({'x'});
  wire->play(event_wire(0x81, {5}));
  EXPECT_EQ(link_poll_event(frame), link_ok);
  wire->play(event_wire(0x81, {5}));
  EXPECT_EQ(link_poll_event(frame), link_ok);
  EXPECT_EQ(test::utf8_at(1, 6, 21), "Ошибка открытия файла");
  EXPECT_EQ(services.keys.left(), 0u);
  link_state.trace_flag = 1;
  services.keys.add({key::esc});
  EXPECT_EQ(link_poll_event(frame), link_interrupted);
}

}  // namespace

namespace {

// With nothing on the line every operation gives up within its time-outs:
// the single repeats of command and poll bytes, the thirteen
// synchronisation attempts of tomrik, and never more. After a byte went
// unanswered the line is let settle for one time-out before the next byte
// goes; operations that follow a failed one do too, so each starts here
// after a pause of the user's.
TEST_F(Events, OnASilentLineNoOperationWaitsLongerThanItsTimeOuts) {
  auto took = [&](auto operation) {
    services.clock.advance(1000);
    auto start = services.clock.now_ms();
    operation();
    return services.clock.now_ms() - start;
  };
  test::BoxWatcher boxes;
  test::UseKeys use(boxes);
  wire->play({});
  EXPECT_EQ(took([] { link_read_block(0x8000, 255); }), 2 * 200u + 200u);
  EXPECT_EQ(took([] { link_write_block(0x8000, 255); }), 2 * 200u + 200u);
  EXPECT_EQ(took([&] { link_poll_event(frame); }), 60 + 2 * 200u + 200u);
  EXPECT_EQ(took([] { link_send_key(0x81, 0x11); }), 200u);
  use_program(tomrik_program);
  int record[256] = {3, 1, 2, 3};
  EXPECT_EQ(took([&] { link_read_record(record, 1, 1); }), 13 * 51u + 12 * 51u);
  EXPECT_EQ(took([&] { link_write_record(record, 1, 1); }), 13 * 51u + 12 * 51u);
  EXPECT_EQ(took([&] { link_poll_event(frame); }), 60 + 2 * 51u + 51u);
}

}  // namespace
