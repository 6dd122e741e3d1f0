// The simulator's storage device on its own: it speaks only while switched
// on, one byte per answer, gives up an operation after a silence, keeps its
// clock running, and reads its store from a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "sim/storage_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Plays answers at the device: each answer follows the byte the device
// sends, and the sent bytes are returned.
Bytes play(sim::StorageDevice& d, const Bytes& answers, std::uint64_t now = 1000) {
  Bytes sent;
  for (std::uint8_t a : answers) {
    auto b = d.next_byte(now);
    if (!b) break;
    sent.push_back(*b);
    d.take(a, now);
  }
  return sent;
}

TEST(StorageDevice, SpeaksOnlyWhileSwitchedOnAndWaitsForEachAnswer) {
  sim::StorageDevice d;
  EXPECT_FALSE(d.next_byte(1000));
  d.switch_on(true, 1000);
  auto first = d.next_byte(1000);
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, sim::StorageDevice::ready_byte);
  EXPECT_FALSE(d.next_byte(1001));  // no answer yet: nothing more
  d.take(0x80, 1001);
  EXPECT_TRUE(d.next_byte(1002));
  d.switch_on(false, 1003);
  EXPECT_FALSE(d.next_byte(5000));
}

TEST(StorageDevice, SendsEachRecordWithItsSumAndEndsWithZero) {
  sim::StorageDevice d;
  d.store = {{1, 2, 3}, {9}};
  d.switch_on(true, 1000);
  Bytes sent = play(d, {0xA6, 0xFF, 0xFF, 0xFF, 0xFF, 6 + 3, 0xFF, 0xFF, 10, 0x00, 0x80});
  EXPECT_EQ(sent, (Bytes{0x55, 3, 1, 2, 3, 9, 1, 9, 10, 0, 0x55}));
  EXPECT_EQ(d.store.size(), 2u);  // reading keeps the store
}

TEST(StorageDevice, AWrongAnswerOrASilenceGivesTheOperationUp) {
  sim::StorageDevice d;
  d.store = {{1, 2, 3}};
  d.switch_on(true, 1000);
  Bytes sent = play(d, {0xA6, 0x80, 0x80});
  EXPECT_EQ(sent, (Bytes{0x55, 3, 0x55}));
  // Silence after the length: after resend_ms the device is ready again.
  EXPECT_EQ(d.next_byte(1000), std::optional<std::uint8_t>(0x55));
  d.take(0xA6, 1000);
  EXPECT_EQ(d.next_byte(1000), std::optional<std::uint8_t>(3));
  EXPECT_FALSE(d.next_byte(1000 + sim::StorageDevice::resend_ms - 1));
  EXPECT_EQ(d.next_byte(1000 + sim::StorageDevice::resend_ms), std::optional<std::uint8_t>(0x55));
}

TEST(StorageDevice, ClockRunsOnFromWhenItWasSetAndKeepsOnlyAConfirmedWrite) {
  sim::StorageDevice d;
  d.set_clock({26, 7, 12, 6, 23, 59, 58}, 0);  // Sunday 6 December 2026
  EXPECT_EQ(d.clock(3000), (std::array<std::uint8_t, 7>{26, 1, 12, 7, 0, 0, 1}));  // Monday
  d.switch_on(true, 0);
  const Bytes c{27, 5, 1, 1, 8, 30, 0};  // 1 January 2027 is a Friday
  Bytes answers{0xAE};
  answers.insert(answers.end(), c.begin(), c.end());
  answers.push_back(0x00);  // a wrong sum: nothing kept
  play(d, answers, 0);
  EXPECT_EQ(d.clock(0)[0], 26);
  answers.back() = 27 + 5 + 1 + 1 + 8 + 30;
  play(d, answers, 0);
  EXPECT_EQ(d.clock(0), (std::array<std::uint8_t, 7>{27, 5, 1, 1, 8, 30, 0}));
}

TEST(StorageDevice, GeneratedCallsArePlausibleAndSomeCrossMidnight) {
  auto calls = sim::generate_calls(12, 1);
  ASSERT_EQ(calls.size(), 12u);
  int across = 0;
  for (auto& c : calls) {
    ASSERT_GE(c.size(), 13u);
    ASSERT_LE(c.size(), 32u);
    EXPECT_TRUE(c[0] >= 1 && c[0] <= 16 && c[1] >= 1 && c[1] <= 4);
    across += c[8] < c[5];
    for (std::size_t i = 11; i < c.size(); ++i) EXPECT_TRUE((c[i] >= '0' && c[i] <= '9') || c[i] == ';' || c[i] == '<');
  }
  EXPECT_GT(across, 0);
}

TEST(StorageDevice, StoreFileIsReadRecordByRecordAndACutRecordIsRefused) {
  std::string path = ::testing::TempDir() + "store.bin";
  {
    std::ofstream f(path, std::ios::binary);
    f.write("\x02\x01\x02\x00\x01\x07", 6);
  }
  std::vector<sim::StoredCall> store;
  std::string error;
  ASSERT_TRUE(sim::read_store_file(path, store, error)) << error;
  EXPECT_EQ(store, (std::vector<sim::StoredCall>{{1, 2}, {7}}));
  {
    std::ofstream f(path, std::ios::binary);
    f.write("\x02\x01\x05\x01", 4);
  }
  EXPECT_FALSE(sim::read_store_file(path, store, error));
  EXPECT_NE(error.find("cut off"), std::string::npos);
  std::remove(path.c_str());
}

}  // namespace
