// The input queue: a "stop" that belongs to the running search stops it as
// it arrives, one behind a queued "go" waits for that search.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "driver/driver.h"

namespace {

TEST(LineQueue, StopSetsTheRunningSearchsFlagUnlessAGoIsQueued) {
  struct Case {
    const char* input;
    bool stops;
    int lines;
  };
  const Case cases[] = {
      {"stop\n", true, 1},
      {"STOPPED\r\n", true, 1},
      {"isready\nposition startpos\nstop\n", true, 3},
      {"ponderhit\n", false, 1},
      {"sto", false, 0},  // not a line until its end arrives
      {"go depth 5\nstop\n", false, 2},
      {"  go\nisready\nstop\n", false, 3},
      {"gopher\nstop\n", true, 2},
  };
  for (const Case& c : cases) {
    auto queue = std::make_unique<LineQueue>();
    std::atomic<bool> flag = false;
    queue->searchStop = &flag;
    std::array<char, LINE_CAPACITY> partial{};
    bool tooLong = false;
    queueCompleteLines(*queue, partial, 0, tooLong, c.input, std::strlen(c.input));
    EXPECT_EQ(flag.load(), c.stops) << c.input;
    EXPECT_EQ(queue->count, c.lines) << c.input;  // the line itself stays queued
  }
}

}  // namespace
