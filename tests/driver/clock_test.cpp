// The 32-bit millisecond clock: comparisons survive its wrap.
#include <gtest/gtest.h>

#include <chrono>

#include "../search/search_fixture.h"

namespace {

TEST(Clock, SignedDifferenceComparison) {
  struct Case {
    std::uint32_t now;
    std::uint32_t deadline;
    bool reached;
  };
  const Case cases[] = {
      {1000, 1000, true},        {999, 1000, false},
      {1001, 1000, true},        {0xFFFFFFF0u, 0x10, false},  // the deadline lies beyond the wrap
      {0x20, 0xFFFFFFF0u, true},                              // the wrap has passed the deadline
      {0x7FFFFFFFu, 0, true},    {0, 0x7FFFFFFFu, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(clockReached(c.now, c.deadline), c.reached) << c.now << " " << c.deadline;
}

class ClockSearchTest : public SearchTest {};

// A timed search whose budget crosses the wrap neither stops at once nor runs on.
TEST_F(ClockSearchTest, SearchAcrossTheWrapHonoursItsBudget) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  setPosition("r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7");
  TestEngine& engine = testEngine();
  engine.clockOffset = 0xFFFFFFFFu - 40u - currentTimeMs();
  const std::uint32_t start = clockMs(ss.shared);
  ASSERT_GT(start, 0xFFFFFF00u);
  ss.shared.maxDepth = 50;
  ss.shared.searchFlags = 0;
  ss.shared.stopTime = start + 300;  // wraps to a small value
  ASSERT_LT(ss.shared.stopTime, start);
  testing::internal::CaptureStdout();
  const auto t0 = std::chrono::steady_clock::now();
  iterativeDeepening(pos, ss);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  testing::internal::GetCapturedStdout();
  engine.clockOffset = 0;
  EXPECT_GE(ms, 250.0);
  EXPECT_LT(ms, 5000.0);
  EXPECT_GT(ss.nodeCount, 8192);
}

}  // namespace
