#include <gtest/gtest.h>

#include "sim/karvel_station.h"
#include "tests/sim_support.h"

namespace {

using test::check_over;
using test::exchange;
using test::no_answer;
using V = std::vector<int>;

constexpr int fast = 57600;

TEST(CheckByte, StaysBelow0x80AndFoldsBit7In) {
  EXPECT_EQ(sim::check_byte(0x00), 0x2A);
  EXPECT_EQ(sim::check_byte(0x80), 0x2B);
  EXPECT_EQ(sim::check_byte(0x86), 0x31);  // event 81 05
  for (int s = 0; s < 256; ++s) EXPECT_LT(sim::check_byte(static_cast<std::uint8_t>(s)), 0x80);
}

TEST(KarvelStation, DefaultIdentityAndSettingsLookLikeAnInstalledStation) {
  sim::KarvelStation st;
  std::vector<std::uint8_t> image = st.image();
  ASSERT_EQ(image.size(), 32768u);
  EXPECT_EQ(std::string(image.begin(), image.begin() + 8), "KAR424-4");
  EXPECT_EQ(image[3], '4');                                // city lines
  EXPECT_EQ(std::string(image.begin() + 4, image.begin() + 6), "24");  // ports
  EXPECT_EQ(image[0x1F], 33);                              // first line block
  EXPECT_EQ(image[0x29], 3);                               // 57600
  EXPECT_EQ(st.baud(), 57600);
  for (int i = 0; i < 14; ++i) EXPECT_EQ(image[0xF0 + i], 0);  // no access codes
}

TEST(KarvelStation, LineTestEchoes) {
  sim::KarvelStation st;
  EXPECT_EQ(exchange(st, {0xBA, 0xBA}, fast), (V{0xBA, 0xBA}));
}

TEST(KarvelStation, ReadBlockWirePicture) {
  sim::KarvelStation st;
  st.poke(0x8029, 0x03);
  st.poke(0x802A, 0x91);
  std::uint8_t check = check_over({0xBD, 0x29, 0x80, 0x02, 0x03, 0x91});
  // BD / FF, 29 / FF, 80 / FF, 02 / d0, FF / d1, check / check
  EXPECT_EQ(exchange(st, {0xBD, 0x29, 0x80, 0x02, 0xFF, check}, fast), (V{0xFF, 0xFF, 0xFF, 0x03, 0x91, check}));
  // The station is ready for the next frame at once.
  EXPECT_EQ(exchange(st, {0xBA}, fast), V{0xBA});
}

// The frame hook hears of each block frame once its address is complete;
// a frame it spoils ends with a wrong check byte, and a write is not stored.
TEST(KarvelStation, TheFrameHookHearsOfBlocksAndSpoilsTheChosenOnes) {
  sim::KarvelStation st;
  st.poke(0x8100, 0x42);
  std::vector<sim::FrameName> heard;
  st.frame_hook = [&](const sim::FrameName& f) {
    heard.push_back(f);
    return f.address == 0x8100;
  };
  std::uint8_t check = check_over({0xBD, 0x00, 0x81, 0x01, 0x42});
  std::vector<int> answers = exchange(st, {0xBD, 0x00, 0x81, 0x01, check}, fast);
  EXPECT_EQ(answers[3], 0x42);
  EXPECT_NE(answers[4], check);
  EXPECT_LT(answers[4], 0x80);
  std::uint8_t write_check = check_over({0xBE, 0x00, 0x81, 0x01, 0x77});
  answers = exchange(st, {0xBE, 0x00, 0x81, 0x01, 0x77, write_check}, fast);
  EXPECT_NE(answers.back(), write_check);
  EXPECT_EQ(st.peek(0x8100), 0x42);
  std::uint8_t other = check_over({0xBE, 0x01, 0x81, 0x01, 0x77});
  EXPECT_EQ(exchange(st, {0xBE, 0x01, 0x81, 0x01, 0x77, other}, fast).back(), other);
  EXPECT_EQ(st.peek(0x8101), 0x77);
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].command, 0xBD);
  EXPECT_EQ(heard[0].address, 0x8100);
  EXPECT_EQ(heard[1].command, 0xBE);
  EXPECT_EQ(heard[2].address, 0x8101);
}

TEST(KarvelStation, ReadOfCountZeroLeavesTheCountUnansweredAndAnswersTheCheck) {
  sim::KarvelStation st;
  std::uint8_t check = check_over({0xBD, 0x00, 0x90, 0x00});
  EXPECT_EQ(exchange(st, {0xBD, 0x00, 0x90, 0x00, check}, fast), (V{0xFF, 0xFF, 0xFF, no_answer, check}));
}

TEST(KarvelStation, ReadsLiveStateMemoryAndWrapsAtTheTopOfMemory) {
  sim::KarvelStation st;
  st.poke(0xFFFF, 0x11);
  st.poke(0x0000, 0x22);
  std::uint8_t check = check_over({0xBD, 0xFF, 0xFF, 0x02, 0x11, 0x22});
  EXPECT_EQ(exchange(st, {0xBD, 0xFF, 0xFF, 0x02, 0xFF, check}, fast), (V{0xFF, 0xFF, 0xFF, 0x11, 0x22, check}));
}

TEST(KarvelStation, WriteBlockIsStoredOnlyWhenTheCheckBytesAgree) {
  sim::KarvelStation st;
  std::vector<std::uint8_t> frame = {0xBE, 0x00, 0x81, 0x03, 0x0A, 0x0B, 0x0C};
  std::uint8_t check = check_over(frame);
  std::vector<std::uint8_t> wrong = frame;
  wrong.push_back(static_cast<std::uint8_t>(check ^ 1));
  EXPECT_EQ(exchange(st, wrong, fast), (V{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, check}));
  EXPECT_EQ(st.peek(0x8100), 1);  // unchanged: port 1 in service
  frame.push_back(check);
  EXPECT_EQ(exchange(st, frame, fast).back(), check);
  EXPECT_EQ(st.peek(0x8100), 0x0A);
  EXPECT_EQ(st.peek(0x8102), 0x0C);
}

TEST(KarvelStation, WriteOfCountZeroStoresNothing) {
  sim::KarvelStation st;
  std::uint8_t check = check_over({0xBE, 0x00, 0x80, 0x00});
  EXPECT_EQ(exchange(st, {0xBE, 0x00, 0x80, 0x00, check}, fast), (V{0xFF, 0xFF, 0xFF, 0xFF, check}));
  EXPECT_EQ(st.image()[0], 'K');
}

TEST(KarvelStation, AnswersOnlyAtItsSpeedAndFollowsItsSpeedSetting) {
  sim::KarvelStation st;
  // Noise at 9600 neither gets an answer nor disturbs the frame in progress.
  EXPECT_EQ(exchange(st, {0xBE, 0x29}, fast), (V{0xFF, 0xFF}));
  EXPECT_EQ(exchange(st, {0x55, 0x66}, 9600), (V{no_answer, no_answer}));
  std::uint8_t check = check_over({0xBE, 0x29, 0x80, 0x01, 0x00});
  EXPECT_EQ(exchange(st, {0x80, 0x01, 0x00, check}, fast), (V{0xFF, 0xFF, 0xFF, check}));
  // The setting now says 9600: that is where the station listens.
  EXPECT_EQ(st.baud(), 9600);
  EXPECT_EQ(exchange(st, {0xBA}, fast), V{no_answer});
  EXPECT_EQ(exchange(st, {0xBA}, 9600), V{0xBA});
}

TEST(KarvelStation, EventPollFollowsTheKarvelLengthTable) {
  sim::KarvelStation st;
  EXPECT_EQ(exchange(st, {0x80}, fast), V{0x80});  // nothing queued
  ASSERT_TRUE(st.queue_event({0x8B, 1, 2, 3, 4, 5, 6, 7}));
  ASSERT_TRUE(st.queue_event({0x8E, 9}));
  ASSERT_TRUE(st.queue_event({0x95}));  // codes outside the table have no further bytes
  std::uint8_t c1 = check_over({0x8B, 1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(exchange(st, {0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, c1}, fast),
            (V{0x8B, 1, 2, 3, 4, 5, 6, 7, c1}));
  EXPECT_EQ(exchange(st, {0x80, 0xFF, check_over({0x8E, 9})}, fast), (V{0x8E, 9, check_over({0x8E, 9})}));
  EXPECT_EQ(exchange(st, {0x80, check_over({0x95})}, fast), (V{0x95, check_over({0x95})}));
  EXPECT_EQ(st.events_waiting(), 0u);

  std::string why;
  EXPECT_FALSE(st.queue_event({0x8D, 1}, 0, &why));  // 0x8D has two further bytes here
  EXPECT_FALSE(st.queue_event({0x80}, 0, &why));
  EXPECT_FALSE(st.queue_event({}, 0, &why));

  // The station's own traffic is refused loudly: a log line and a count.
  std::vector<std::string> lines;
  st.frame_log = [&](const std::string& line) { lines.push_back(line); };
  EXPECT_FALSE(st.queue_live_event({0x8D, 1}));
  EXPECT_EQ(st.refused_live_events(), 1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "live event 8D 01 refused: the number of bytes does not fit the event code");
  EXPECT_EQ(st.events_waiting(), 0u);
}

TEST(KarvelStation, EventIsOfferedAgainUntilItsCheckBytesAgreeAndOnlyWhenDue) {
  sim::KarvelStation st;
  ASSERT_TRUE(st.queue_event({0x81, 0x05}, 5000));
  EXPECT_EQ(exchange(st, {0x80}, fast, 4999), V{0x80});
  EXPECT_EQ(exchange(st, {0x80, 0xFF, 0x00}, fast, 5000), (V{0x81, 0x05, 0x31}));  // computer's check wrong
  EXPECT_EQ(st.events_waiting(), 1u);
  EXPECT_EQ(exchange(st, {0x80, 0xFF, 0x31}, fast, 5000), (V{0x81, 0x05, 0x31}));
  EXPECT_EQ(exchange(st, {0x80}, fast, 5000), V{0x80});
}

TEST(KarvelStation, KeyFrameIsAcknowledgedAndPollingGoesOnAfterIt) {
  sim::KarvelStation st;
  std::uint8_t check = check_over({0x81, 0x07});
  EXPECT_EQ(exchange(st, {0x81, 0x07, check}, fast), (V{0xFF, 0xFF, check}));
  ASSERT_EQ(st.keys_received().size(), 1u);
  EXPECT_EQ(st.keys_received().back(), 0x07);
  // The answer to the key frame's check byte ended it: the next 0x80 is a poll.
  EXPECT_EQ(exchange(st, {0x80}, fast), V{0x80});
}

TEST(KarvelStation, FrameLeftInTheMiddleIsGivenUpAfterSilence) {
  sim::KarvelStation st;
  EXPECT_EQ(exchange(st, {0xBD, 0x00}, fast, 1000), (V{0xFF, 0xFF}));
  // Soon after, the next byte still belongs to the frame (the address).
  EXPECT_EQ(exchange(st, {0xBD}, fast, 1100), V{0xFF});
  // The computer timed out on an answer and starts again: a new frame.
  EXPECT_EQ(exchange(st, {0xBA}, fast, 1400), V{0xBA});
  // A byte other than 0xFF between read data breaks the frame silently.
  EXPECT_EQ(exchange(st, {0xBD, 0x00, 0x80, 0x02, 0x00, 0xBA}, fast, 2000),
            (V{0xFF, 0xFF, 0xFF, 'K', no_answer, 0xBA}));
}

TEST(KarvelStation, ImageLoadsWholeAndTakesItsSpeedFromTheImage) {
  sim::KarvelStation st;
  EXPECT_FALSE(st.load_image(std::vector<std::uint8_t>(32767, 0)));
  std::vector<std::uint8_t> image(32768);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  image[0x29] = 1;
  ASSERT_TRUE(st.load_image(image));
  EXPECT_EQ(st.image(), image);
  EXPECT_EQ(st.baud(), 19200);
  EXPECT_TRUE(st.set_identity("ABC216-2"));
  EXPECT_FALSE(st.set_identity("SHORT"));
  EXPECT_EQ(st.peek(0x8003), '2');
}

}  // namespace
