// The retry course every transfer moves its units through: a unit is tried
// up to four times, a failed one is counted and told to the watch, and a
// run of failed units ends the transfer.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "settings/program_profile.h"
#include "settings/run_state.h"
#include "settings/transfer_frame.h"
#include "tests/test_support.h"

namespace {

struct FailureNotes : TransferWatch {
  std::vector<int> failed_units;
  void unit_done(int, int) override {}
  void unit_failed(int unit, int) override { failed_units.push_back(unit); }
};

struct TransferCourseTest : ::testing::Test {
  platform::TestServices services;
  FailureNotes watch;
  void SetUp() override {
    use_program(karvel_program);
    reset_run_state();
  }
  void TearDown() override { reset_run_state(); }
};

// A try that fails `failing` times, then succeeds; counts its tries.
struct Unit {
  int failing;
  int tries = 0;
  bool operator()() { return ++tries > failing; }
};

TEST_F(TransferCourseTest, AUnitThatFailsThenSucceedsIsDoneAndOneThatNeverDoesIsCounted) {
  TransferCourse course(2, &watch);
  Unit late{TransferCourse::retries};  // succeeds on its last try
  EXPECT_EQ(course.run(std::ref(late), 0), TransferCourse::Unit::done);
  EXPECT_EQ(late.tries, TransferCourse::retries + 1);

  Unit never{100};
  EXPECT_EQ(course.run(std::ref(never), 1), TransferCourse::Unit::failed);
  EXPECT_EQ(never.tries, TransferCourse::retries + 1);

  Unit first{0};  // a unit done between two failed ones breaks their run
  EXPECT_EQ(course.run(std::ref(first), 2), TransferCourse::Unit::done);
  EXPECT_EQ(first.tries, 1);

  Unit again{100};
  EXPECT_EQ(course.run(std::ref(again), 3), TransferCourse::Unit::failed);
  EXPECT_EQ(course.failures(), 2);
  EXPECT_EQ(watch.failed_units, (std::vector<int>{1, 3}));
  EXPECT_FALSE(course.ended());
  EXPECT_EQ(course.outcome().end, TransferEnd::done);
}

TEST_F(TransferCourseTest, ARunOfFailedUnitsEndsTheTransferAndNothingMoreIsTried) {
  TransferCourse course(2, &watch);
  Unit never{100};
  EXPECT_EQ(course.run(std::ref(never), 0), TransferCourse::Unit::failed);
  EXPECT_EQ(course.run(std::ref(never), 1), TransferCourse::Unit::end);
  EXPECT_TRUE(course.ended());
  EXPECT_EQ(course.outcome().end, TransferEnd::broken);
  EXPECT_EQ(course.outcome().failures, 2);

  Unit after{0};
  EXPECT_EQ(course.run(std::ref(after), 2), TransferCourse::Unit::end);
  EXPECT_EQ(after.tries, 0);
}

}  // namespace
