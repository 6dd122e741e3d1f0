#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "sim/tomrik_station.h"
#include "tests/sim_support.h"

namespace {

using test::check_over;
using test::exchange;
using test::no_answer;
using V = std::vector<int>;

constexpr int slow = 4800;

// Reads a record the way the program does once synchronised; returns the
// data bytes, or fails the test when the frame goes wrong.
std::vector<std::uint8_t> read_record(sim::TomrikStation& st, std::uint8_t group, std::uint8_t index,
                                      std::uint64_t now = 1000) {
  auto answer = [&](std::uint8_t b) {
    auto a = st.receive(b, slow, now);
    EXPECT_TRUE(a.has_value());
    return a ? a->byte : 0;
  };
  EXPECT_EQ(answer(0xAA), 0xFF);
  EXPECT_EQ(answer(group), 0xFF);
  std::uint8_t n = answer(index);
  std::vector<std::uint8_t> frame = {0xAA, group, index, n}, data;
  for (int i = 0; i < n; ++i) data.push_back(answer(0xFF));
  frame.insert(frame.end(), data.begin(), data.end());
  EXPECT_EQ(answer(check_over(frame)), check_over(frame));
  return data;
}

TEST(TomrikStation, IdentityRecordWirePicture) {
  sim::TomrikStation st;
  std::uint8_t check = check_over({0xAA, 0x80, 0x01, 4, 'T', '4', '1', '6'});
  EXPECT_EQ(exchange(st, {0xAA, 0x80, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, check}, slow),
            (V{0xFF, 0xFF, 4, 'T', '4', '1', '6', check}));
  EXPECT_EQ(st.city_lines(), 4);
  EXPECT_EQ(st.subscribers(), 16);
}

TEST(TomrikStation, ServesEveryImageRecordTheVersionAndTheStationRecords) {
  sim::TomrikStation st;
  auto slots = facts::tomrik_image_rows(4, 16);
  EXPECT_EQ(slots.size(), 4u + 4 * 19 + 15 * 16 + 8 + 6 + 128 + 16);
  std::set<int> offsets_used;
  for (const facts::TomrikImageRow& s : slots) {
    EXPECT_EQ(read_record(st, static_cast<std::uint8_t>(s.group), static_cast<std::uint8_t>(s.index)).size(),
              static_cast<std::size_t>(s.size))
        << s.group << "," << s.index;
    for (int b = 0; b < s.size; ++b) EXPECT_TRUE(offsets_used.insert(s.offset + b).second) << "overlap at " << s.offset;
    EXPECT_LE(s.offset + s.size, 2048);
  }
  EXPECT_EQ(read_record(st, 132, 1).size(), 8u);
  EXPECT_EQ(read_record(st, 133, 1).size(), 8u);
  EXPECT_EQ(read_record(st, 134, 1).size(), 6u);
  EXPECT_EQ(read_record(st, 50 + 16, 16).size(), 25u);  // last subscriber's phone book
  EXPECT_EQ(read_record(st, 67, 0).size(), 24u);
  // Group 13 is numbered 1..12: line, line + 4, line + 8.
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(read_record(st, 13, static_cast<std::uint8_t>(i)).size(), 1u);
  EXPECT_TRUE(read_record(st, 13, 0).empty());
  EXPECT_TRUE(read_record(st, 13, 13).empty());
}

TEST(TomrikStation, ImageTakesGroup13ByLinePlusFourAndPlusEight) {
  std::vector<std::uint8_t> image(2048, 0);
  std::memcpy(image.data(), "T416", 4);
  image[0x0B2] = 21;  // pause after the additional digit, line 3
  image[0x0D2] = 22;  // pause after the long-distance code, line 3
  image[0x112] = 23;  // DISA wait, line 3
  image[0x3A0 + 16 * 5 + 7] = 0x66;  // eighth byte of general call group 6
  sim::TomrikStation st;
  ASSERT_TRUE(st.load_image(image));
  EXPECT_EQ(*st.record(13, 3), std::vector<std::uint8_t>{21});
  EXPECT_EQ(*st.record(13, 7), std::vector<std::uint8_t>{22});
  EXPECT_EQ(*st.record(13, 11), std::vector<std::uint8_t>{23});
  EXPECT_EQ(st.record(0x29, 6)->at(7), 0x66);
  EXPECT_EQ(st.image(), image);
}

TEST(TomrikStation, ImageRoundTripAndCountsFromTheIdentity) {
  sim::TomrikStation st;
  EXPECT_FALSE(st.load_image(std::vector<std::uint8_t>(2047, 0)));
  std::vector<std::uint8_t> image(2048, 0);
  std::memcpy(image.data(), "T208", 4);
  for (const facts::TomrikImageRow& s : facts::tomrik_image_rows(2, 8))
    if (s.group != 0x80)
      for (int b = 0; b < s.size; ++b) image[s.offset + b] = static_cast<std::uint8_t>(s.group + s.index + b);
  image[0x082] = 0x77;  // line 3 is not on a two-line station: not kept
  ASSERT_TRUE(st.load_image(image));
  EXPECT_EQ(st.city_lines(), 2);
  EXPECT_EQ(st.subscribers(), 8);
  EXPECT_EQ(st.record(0x01, 3), nullptr);
  EXPECT_EQ(st.record(0x14, 9), nullptr);
  EXPECT_EQ(st.record(50 + 9, 1), nullptr);  // no phone book for subscriber 9
  std::vector<std::uint8_t> back = st.image();
  image[0x082] = 0;
  EXPECT_EQ(back, image);
  // A new identity re-sizes the station; records outside the image stay.
  st.set_record(132, 1, {'V', '9', '.', '9', '9', ' ', ' ', ' '});
  ASSERT_TRUE(st.set_identity("T416"));
  EXPECT_NE(st.record(0x01, 3), nullptr);
  const std::vector<std::uint8_t>* version = st.record(132, 1);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(std::string(version->begin(), version->end()), "V9.99   ");
}

TEST(TomrikStation, UnknownRecordsReadEmptyAndRefuseWrites) {
  sim::TomrikStation st;
  std::uint8_t check = check_over({0xAA, 0x77, 0x01, 0});
  EXPECT_EQ(exchange(st, {0xAA, 0x77, 0x01, check}, slow), (V{0xFF, 0xFF, 0, check}));
  EXPECT_EQ(exchange(st, {0xA5, 0x77, 0x01}, slow), (V{0xFF, 0xFF, 0x00}));
  // The refusal ended the frame: the next C is answered at once.
  EXPECT_EQ(exchange(st, {0xAA}, slow), V{0xFF});
}

TEST(TomrikStation, WriteIsStoredOnAgreementAndBytesBeyondTheRecordAreIgnored) {
  sim::TomrikStation st;
  std::vector<std::uint8_t> frame = {0xA5, 0x05, 0x02, 4, 8, 10, 0, 0};
  std::uint8_t check = check_over(frame);
  std::vector<std::uint8_t> wrong = frame;
  wrong.push_back(static_cast<std::uint8_t>(check + 1));
  EXPECT_EQ(exchange(st, wrong, slow), (V{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, check}));
  EXPECT_EQ(*st.record(5, 2), (std::vector<std::uint8_t>{8, 0, 0, 0}));
  frame.push_back(check);
  exchange(st, frame, slow);
  EXPECT_EQ(*st.record(5, 2), (std::vector<std::uint8_t>{8, 10, 0, 0}));

  // The special cell is written with 25 bytes and keeps 24.
  std::vector<std::uint8_t> cell = {0xA5, 67, 0, 25};
  for (int i = 1; i <= 25; ++i) cell.push_back(static_cast<std::uint8_t>(i));
  cell.push_back(check_over(cell));
  EXPECT_EQ(exchange(st, cell, slow).back(), cell.back());
  ASSERT_EQ(st.record(67, 0)->size(), 24u);
  EXPECT_EQ(st.record(67, 0)->back(), 24);
}

TEST(TomrikStation, SynchronisationAnswers) {
  sim::TomrikStation st;
  // Repeated attempts while the station waits for the group are answered FF.
  EXPECT_EQ(exchange(st, {0xAA, 0xAA, 0xA5}, slow, 1000), (V{0xFF, 0xFF, 0xFF}));
  // A byte no frame starts with is answered with the idle 0x80.
  sim::TomrikStation idle;
  EXPECT_EQ(exchange(idle, {0x12, 0xAA}, slow), (V{0x80, 0xFF}));
  // After a frame the computer gave up: 0x80 first, then FF synchronises.
  EXPECT_EQ(exchange(st, {0x80, 0x01}, slow, 1010), (V{0xFF, 0xFF}));  // writing (0x80, 1)
  EXPECT_EQ(exchange(st, {0xAA, 0xAA}, slow, 1100), (V{0x80, 0xFF}));
  // At another speed nothing is answered.
  EXPECT_EQ(exchange(st, {0xAA}, 9600, 1100), V{no_answer});
}

TEST(TomrikStation, EventPollFollowsTheTomrikLengthTable) {
  sim::TomrikStation st;
  EXPECT_EQ(exchange(st, {0x80}, slow), V{0x80});
  std::string why;
  EXPECT_FALSE(st.queue_event({0x87, 1, 2}, 0, &why));  // one further byte in tomrik
  EXPECT_FALSE(st.queue_event({0x8D, 1, 2, 2, 3}, 0, &why));
  EXPECT_FALSE(st.queue_event({0x8E, 1}, 0, &why));
  ASSERT_TRUE(st.queue_event({0x8D, 1, 2, 0}));
  ASSERT_TRUE(st.queue_event({0x8D, 1, 2, 2, 5, 6}));
  ASSERT_TRUE(st.queue_event({0x8E}));
  std::uint8_t c1 = check_over({0x8D, 1, 2, 0});
  EXPECT_EQ(exchange(st, {0x80, 0xFF, 0xFF, 0xFF, c1}, slow), (V{0x8D, 1, 2, 0, c1}));
  std::uint8_t c2 = check_over({0x8D, 1, 2, 2, 5, 6});
  EXPECT_EQ(exchange(st, {0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, c2}, slow), (V{0x8D, 1, 2, 2, 5, 6, c2}));
  EXPECT_EQ(exchange(st, {0x80, check_over({0x8E})}, slow), (V{0x8E, check_over({0x8E})}));
  EXPECT_EQ(st.events_waiting(), 0u);
}

}  // namespace

namespace {

// A record may answer shorter than its room (a station that answers short);
// a write fills it up to its room, and a record the station was given
// without room grows no further than the bytes it holds.
TEST(TomrikStation, AWriteFillsAShortRecordUpToItsRoom) {
  sim::TomrikStation st;
  st.set_record(0x08, 1, {5});  // the day distribution of line 1 holds 4
  std::vector<std::uint8_t> frame = {0xA5, 0x08, 0x01, 6, 5, 1, 0, 0, 7, 7};
  frame.push_back(check_over(frame));
  EXPECT_EQ(exchange(st, frame, slow).back(), frame.back());
  EXPECT_EQ(*st.record(0x08, 1), (std::vector<std::uint8_t>{5, 1, 0, 0}));

  st.set_record(0x70, 1, {1, 2});  // a record of the test's own
  frame = {0xA5, 0x70, 0x01, 3, 9, 8, 7};
  frame.push_back(check_over(frame));
  exchange(st, frame, slow);
  EXPECT_EQ(*st.record(0x70, 1), (std::vector<std::uint8_t>{9, 8}));
}

// The frame hook hears of each record frame once its index has come, and a
// frame it spoils ends with a wrong check byte and stores nothing.
TEST(TomrikStation, TheFrameHookHearsOfRecordsAndSpoilsTheChosenOnes) {
  sim::TomrikStation st;
  std::vector<sim::FrameName> heard;
  st.frame_hook = [&](const sim::FrameName& f) {
    heard.push_back(f);
    return f.group == 0x05;
  };
  std::uint8_t good = check_over({0xAA, 0x01, 0x02, 1, 1});
  EXPECT_EQ(exchange(st, {0xAA, 0x01, 0x02, 0xFF, good}, slow), (V{0xFF, 0xFF, 1, 1, good}));
  std::vector<std::uint8_t> frame = {0xA5, 0x05, 0x02, 4, 9, 9, 9, 9};
  std::uint8_t check = check_over(frame);
  frame.push_back(check);
  EXPECT_NE(exchange(st, frame, slow).back(), check);
  EXPECT_EQ(*st.record(5, 2), (std::vector<std::uint8_t>{8, 0, 0, 0}));
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[0].command, 0xAA);
  EXPECT_EQ(heard[0].group, 0x01);
  EXPECT_EQ(heard[0].index, 0x02);
  EXPECT_EQ(heard[1].command, 0xA5);
  EXPECT_EQ(heard[1].group, 0x05);
  // Not stored, the station takes the next frame as usual.
  EXPECT_EQ(exchange(st, {0xAA}, slow), V{0xFF});
}

}  // namespace
