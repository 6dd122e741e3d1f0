// The exchange with the storage device on its own, against the simulator's
// device: what each operation tells, and what reaches the device.
#include <gtest/gtest.h>

#include <vector>

#include "sim/storage_device.h"
#include "tomrik/call_records.h"
#include "tomrik/storage_protocol.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct StorageProtocol : ::testing::Test {
  sim::StorageDevice device;
  StorageExchange exchange;
  std::uint64_t now = 1000;
  std::vector<StorageNews> news;
  std::vector<CallRecord> calls;

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
      if (step.news == StorageNews::call_received) calls.push_back(exchange.call());
      device.take(static_cast<std::uint8_t>(step.answer), now);
    }
    ASSERT_TRUE(exchange.idle());
  }
  static Bytes bytes_of(const CallRecord& r) { return Bytes(r.bytes, r.bytes + call_record_size); }
};

// Records shorter than 32 bytes come with zeros behind them, longer ones
// are kept to 32; the store stays on the device.
TEST_F(StorageProtocol, ADownloadGivesEachCallAsTheDeviceKeepsIt) {
  Bytes short_call{1, 2, 7, 12, 26, 23, 59, 50, 0, 0, 10, '8', '0'};
  Bytes long_call(40, '7');
  device.store = {short_call, long_call};
  run(StorageOperation::read_calls);
  EXPECT_EQ(news, (std::vector<StorageNews>{StorageNews::download_started, StorageNews::call_received,
                                             StorageNews::call_received, StorageNews::download_finished}));
  EXPECT_EQ(exchange.calls(), 2);
  ASSERT_EQ(calls.size(), 2u);
  Bytes want = short_call;
  want.resize(call_record_size, 0);
  EXPECT_EQ(bytes_of(calls[0]), want);
  EXPECT_EQ(bytes_of(calls[1]), Bytes(call_record_size, '7'));
  EXPECT_EQ(bytes_of(with_duration(calls[0]))[10], 20);  // 23:59:50 to 00:00:10
  EXPECT_EQ(device.store.size(), 2u);

  run(StorageOperation::clear_calls);
  EXPECT_EQ(news, std::vector<StorageNews>{StorageNews::store_cleared});
  EXPECT_TRUE(device.store.empty());
}

// Writing the times reads them back: the device's own are what is told.
TEST_F(StorageProtocol, TheClockAndTheTimesWrittenReachTheDeviceAndAreReadBack) {
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

TEST_F(StorageProtocol, AWrongSumEndsTheOperationWithBothSumsAndWhatItWas) {
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
