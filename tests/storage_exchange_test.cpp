// The exchange with the storage device on its own, against the simulator's
// device: what each operation tells, and what reaches the device.
#include <gtest/gtest.h>

#include <vector>

#include "link/storage_exchange.h"
#include "sim/storage_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct StorageExchangeTest : ::testing::Test {
  sim::StorageDevice device;
  StorageExchange exchange;
  std::uint64_t now = 1000;
  std::vector<StorageNews> news;
  std::vector<Bytes> calls;

  void SetUp() override { device.switch_on(true, now); }

  // Runs one operation from the device's next byte until the exchange is
  // idle again; every byte is answered at once.
  void run(StorageOperation operation, const StorageTimes& times = {}) {
    news.clear();
    exchange.start(operation, times);
    for (int bytes = 0; bytes < 10000 && !exchange.idle(); ++bytes) {
      auto b = device.next_byte(now);
      if (!b) {
        now = device.next_due_ms();
        continue;
      }
      StorageStep step = exchange.take(*b);
      if (step.news != StorageNews::none) news.push_back(step.news);
      if (step.news == StorageNews::call_received)
        calls.push_back(Bytes(exchange.call(), exchange.call() + exchange.call_length()));
      device.take(static_cast<std::uint8_t>(step.answer), now);
    }
    ASSERT_TRUE(exchange.idle());
  }
};

// Each call as long as the device says, the store staying on the device
// until it is cleared.
TEST_F(StorageExchangeTest, ADownloadGivesEachCallAsTheDeviceKeepsIt) {
  Bytes short_call{1, 2, 7, 12, 26, 23, 59, 50, 0, 0, 10, '8', '0'};
  Bytes long_call(40, '7');
  device.store = {short_call, long_call};
  run(StorageOperation::read_calls);
  EXPECT_EQ(news, (std::vector<StorageNews>{StorageNews::download_started, StorageNews::call_received,
                                             StorageNews::call_received, StorageNews::download_finished}));
  EXPECT_EQ(exchange.calls(), 2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], short_call);
  EXPECT_EQ(calls[1], long_call);
  EXPECT_EQ(device.store.size(), 2u);

  run(StorageOperation::clear_calls);
  EXPECT_EQ(news, std::vector<StorageNews>{StorageNews::store_cleared});
  EXPECT_TRUE(device.store.empty());
}

// Writing the times reads them back: the device's own are what is told.
TEST_F(StorageExchangeTest, TheClockAndTheTimesWrittenReachTheDeviceAndAreReadBack) {
  run(StorageOperation::set_clock);
  EXPECT_EQ(news, std::vector<StorageNews>{StorageNews::clock_set});
  EXPECT_EQ(device.clock(now)[2], clock_of_local_time()[2]);
  device.set_clock({26, 1, 12, 7, 10, 20, 30}, now);
  run(StorageOperation::read_clock);
  EXPECT_EQ(exchange.clock(), (StorageClock{26, 1, 12, 7, 10, 20, 30}));

  run(StorageOperation::write_times, {21, 30, 6, 15});
  EXPECT_EQ(news, std::vector<StorageNews>{StorageNews::times_read});
  EXPECT_EQ(device.times, (StorageTimes{21, 30, 6, 15}));
  EXPECT_EQ(exchange.times(), device.times);
}

TEST_F(StorageExchangeTest, AWrongSumEndsTheOperationWithBothSumsAndWhatItWas) {
  device.times = {1, 2, 3, 4};
  sim::FaultPlan plan;
  plan.at_answer[1] = sim::Fault::corrupt;  // the device's first sum
  device.set_faults(plan);
  run(StorageOperation::read_times);
  EXPECT_EQ(news, std::vector<StorageNews>{StorageNews::sum_wrong});
  EXPECT_EQ(exchange.operation(), StorageOperation::read_times);
  EXPECT_EQ(exchange.expected_sum(), 10);
  EXPECT_NE(exchange.received_sum(), 10);
  run(StorageOperation::read_times);  // the device is ready again
  EXPECT_EQ(news, std::vector<StorageNews>{StorageNews::times_read});
}

}  // namespace
