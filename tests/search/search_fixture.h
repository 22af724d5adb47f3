// Shared set-up for the search tests: positions by FEN and depth-limited
// searches that never stop by time.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"
#include "test_util.h"

class SearchTest : public ::testing::Test {
 protected:
  static Position& position() { return testEngine().pos; }
  static SearchThread& searchState() { return testEngine().thread; }

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
    ASSERT_EQ(resizeHashTable(searchState().shared.hashTable, DEFAULT_HASH_MB), HashResize::Resized);
    searchState().killers.fill({});
  }

  // Runs iterativeDeepening to depth plies and returns what it printed.
  static std::string runSearch(int depth, bool uci = true, int flags = 0) {
    SearchThread& ss = searchState();
    ss.shared.maxDepth = depth;
    ss.shared.searchFlags = flags;
    ss.shared.stopTime = clockMs(ss.shared) + 100000000u;
    ss.shared.uciMode = uci;
    testing::internal::CaptureStdout();
    iterativeDeepening(position(), ss);
    std::string out = testing::internal::GetCapturedStdout();
    ss.shared.uciMode = false;
    return out;
  }

  // The last line of the output that starts with prefix, without its seldepth.
  static std::string lastLine(const std::string& out, const std::string& prefix) {
    std::string found;
    std::size_t pos = 0;
    while (pos < out.size()) {
      std::size_t end = out.find('\n', pos);
      if (end == std::string::npos) end = out.size();
      const std::string line = out.substr(pos, end - pos);
      if (line.rfind(prefix, 0) == 0) found = withoutSeldepth(line);
      pos = end + 1;
    }
    return found;
  }
};
