// Shared set-up for the search tests: one engine start, positions by FEN,
// and depth-limited searches that never stop by time.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"
#include "test_util.h"

class SearchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static bool started = false;
    if (started) return;
    started = true;
    testEngine();
    // The searches poll standard input; give them an open pipe that never
    // carries a line, so that no poll reads or meets end of input.
    static int quietInput[2];
    ASSERT_EQ(pipe(quietInput), 0);
    ASSERT_EQ(dup2(quietInput[0], 0), 0);
  }

  static Position& position() { return testEngine().pos; }

  // Sets up a position at the root of a search.
  static void setPosition(const char* fen) {
    ASSERT_TRUE(setupFen(position(), fen)) << fen;
    position().searchPly = 0;
  }

  // The generated move named by text in the current position (0 if none).
  static Move moveFromText(const char* text) {
    const Move m = textToMove(position(), text);
    EXPECT_NE(m, 0u) << text;
    return m;
  }

  // Forgets everything a previous search learned.
  static void forgetLearning() {
    resizeHashTable(DEFAULT_HASH_MB);
    for (Killers& k : Ply) k.killer1 = k.killer2 = k.mateKiller = 0;
  }

  // Runs iterativeDeepening to maxDepth plies and returns what it printed.
  static std::string runSearch(int depth, bool uci = true, int flags = 0) {
    maxDepth = depth;
    searchFlags = flags;
    stopTime = currentTimeMs() + 100000000u;
    if (uci)
      engineFlags |= UCI_MODE;
    else
      engineFlags &= ~UCI_MODE;
    testing::internal::CaptureStdout();
    iterativeDeepening(position());
    std::string out = testing::internal::GetCapturedStdout();
    engineFlags &= ~UCI_MODE;
    return out;
  }

  // The last line of the output that starts with prefix.
  static std::string lastLine(const std::string& out, const std::string& prefix) {
    std::string found;
    std::size_t pos = 0;
    while (pos < out.size()) {
      std::size_t end = out.find('\n', pos);
      if (end == std::string::npos) end = out.size();
      const std::string line = out.substr(pos, end - pos);
      if (line.rfind(prefix, 0) == 0) found = line;
      pos = end + 1;
    }
    return found;
  }
};
