// Whole searches to a fixed depth, and single nodes of the main search.

#include "search_fixture.h"
#include "test_util.h"

class SearchResultTest : public SearchTest {
 protected:
  void SetUp() override { forgetLearning(); }
  void TearDown() override {
    searchState().shared.searchFlags = 0;
    searchState().shared.maxDepth = 50;
    setPosition(START_FEN);
  }

  static std::string rootLine() {
    const SearchThread& ss = searchState();
    std::string s;
    for (int i = 0; i < ss.rootLineLength; ++i) s += std::string(moveToText(ss.pvTable[0][i]).text) + " ";
    return s;
  }
};

TEST_F(SearchResultTest, FindsMatesAndStalemates) {
  SearchThread& ss = testEngine().thread;
  struct Case {
    const char* name;
    const char* fen;
    int depth;
    const char* finalScore;  // text after "score " on the final line
    const char* firstMove;   // nullptr when several moves are as good
  };
  const Case cases[] = {
      {"mate in one", "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1", 3, "mate 1 ", "a1a8"},
      {"mate in two", "7k/8/8/8/8/8/R7/1R4K1 w - - 0 1", 5, "mate 2 ", nullptr},
      {"mate in three", "8/7k/8/8/8/8/R7/1R4K1 w - - 0 1", 7, "mate 3 ", nullptr},
      {"mated after the only move", "2r4k/8/8/8/8/8/7r/1K6 w - - 0 1", 6, "mate -1 ", "b1a1"},
      {"queen sacrifice for stalemate", "r6k/qp1Q4/8/8/8/7p/7P/7K w - - 0 1", 4, "cp 0 ", "d7g7"},
  };
  for (const Case& c : cases) {
    setPosition(c.fen);
    const std::string out = runSearch(c.depth);
    const std::string last = lastLine(out, "info depth");
    EXPECT_NE(last.find(std::string("score ") + c.finalScore), std::string::npos) << c.name << "\n" << out;
    if (c.firstMove) {
      EXPECT_STREQ(moveToText(ss.pvTable[0][0]).text, c.firstMove) << c.name;
    }
  }
}

TEST_F(SearchResultTest, RepetitionScoresZero) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  // The only move returns to the position after White's first game move.
  positionCommand(pos, "fen 2r4k/8/8/8/8/8/7r/1K6 w - - 0 1 moves b1a1 h8g8 a1b1 g8h8");
  ASSERT_EQ(pos.gamePly, 4);
  const std::string out = runSearch(6);
  EXPECT_EQ(lastLine(out, "info depth").rfind("info depth 3 score cp 0 ", 0), 0u) << out;
  EXPECT_STREQ(moveToText(ss.pvTable[0][0]).text, "b1a1");
}

TEST_F(SearchResultTest, SingleLegalMoveStopsAfterThirdIteration) {
  SearchThread& ss = testEngine().thread;
  struct Case {
    int flags;
    const char* finalLine;
  };
  const Case cases[] = {
      {0, "info depth 3 score mate -1 "},
      {GO_INFINITE, "info depth 5 score mate -1 "},  // analysis goes on
      {GO_PONDER, "info depth 5 score mate -1 "},
  };
  for (const Case& c : cases) {
    forgetLearning();
    setPosition("2r4k/8/8/8/8/8/7r/1K6 w - - 0 1");
    const std::string out = runSearch(5, true, c.flags);
    EXPECT_EQ(lastLine(out, "info depth").rfind(c.finalLine, 0), 0u) << out;
    EXPECT_EQ(ss.rootMoveCount, 1);
  }
}

TEST_F(SearchResultTest, CheckingRootMoveIsSearchedAPlyDeeper) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  setPosition("6k1/8/8/8/8/8/8/R5K1 w - - 0 1");
  runSearch(1);
  // The checking move's child is a full-width node at the root's depth and
  // stores; a quiet move's child is a quiescence node and stores nothing.
  struct Case {
    const char* move;
    bool stored;
  };
  const Case cases[] = {{"a1a8", true}, {"a1a2", false}, {"g1f2", false}};
  for (const Case& c : cases) {
    const Move m = moveFromText(c.move);
    makeMove(pos, m);
    HashData e{};
    const bool match = readHash(ss.shared.hashTable, pos.key, e);
    EXPECT_EQ(match, c.stored) << c.move;
    if (match) {
      EXPECT_EQ(e.depth, ONE_PLY) << c.move;
    }
    unmakeMove(pos, m);
  }
}

TEST_F(SearchResultTest, SameStateGivesSameSearch) {
  SearchThread& ss = testEngine().thread;
  const char* fen = "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7";
  std::string lines[2];
  std::int64_t nodes[2];
  std::string pv[2];
  int deepest[2];
  for (int run = 0; run < 2; ++run) {
    forgetLearning();
    setPosition(fen);
    const std::string out = runSearch(5);
    lines[run] = withoutTimes(out);
    nodes[run] = ss.nodeCount;
    pv[run] = rootLine();
    deepest[run] = ss.maxply;
  }
  EXPECT_EQ(nodes[0], nodes[1]);
  EXPECT_EQ(pv[0], pv[1]);
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(deepest[0], deepest[1]);
  EXPECT_GE(deepest[0], 5);
  EXPECT_LE(deepest[0], MAX_SEARCH_PLY + 1);
  EXPECT_GT(nodes[0], 1000);
}

TEST_F(SearchResultTest, SingleNodes) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  struct Case {
    const char* name;
    const char* position;  // argument text of the position command
    int ply;
    int expected;
    bool counted;
  };
  const Case cases[] = {
      {"stalemate", "fen r7/qp4k1/8/8/8/7p/7P/7K w - - 0 1", 3, 0, true},
      {"checkmate at ply 4", "fen R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1", 4, 4 - 32767, true},
      {"repetition before the probe", "fen 2r4k/8/8/8/8/8/7r/1K6 w - - 0 1 moves b1a1 h8g8 a1b1 g8h8 b1a1", 2,
       0, false},
  };
  for (const Case& c : cases) {
    forgetLearning();
    positionCommand(pos, c.position);
    initSearch(pos, ss);
    ss.shared.stopTime = clockMs(ss.shared) + 100000000u;
    // Search this position as if it were deep in a tree.
    ss.moveListStart[c.ply] = ss.moveListStart[0];
    pos.searchPly = c.ply;
    ss.nodeCount = 1;  // away from a poll
    const int score = search(pos, ss, 30, -1000, 1000, true);
    EXPECT_EQ(pos.searchPly, c.ply);
    pos.searchPly = 0;
    EXPECT_EQ(score, c.expected) << c.name;
    EXPECT_EQ(nodesOf(ss), c.counted ? 2 : 1) << c.name;
    HashData e{};
    EXPECT_FALSE(readHash(ss.shared.hashTable, pos.key, e)) << c.name << ": nothing is stored";
  }
}

TEST_F(SearchResultTest, ProgressLineForms) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  struct Case {
    bool uci;
    int score;
    const char* prefix;
  };
  const Case cases[] = {
      {true, 32767 - 1, "info depth 7 seldepth 0 score mate 1 time "},
      {true, 32767 - 3, "info depth 7 seldepth 0 score mate 2 time "},
      {true, 2 - 32767, "info depth 7 seldepth 0 score mate -1 time "},
      {true, 4 - 32767, "info depth 7 seldepth 0 score mate -2 time "},
      {true, 32567, "info depth 7 seldepth 0 score cp 32567 time "},
      {true, -32567, "info depth 7 seldepth 0 score cp -32567 time "},
      {false, 32766, "  7   32766    "},
  };
  forgetLearning();
  setPosition(START_FEN);
  initSearch(pos, ss);
  // The search's line ends after four moves; the table knows a fifth, then
  // holds a move that is not legal where it is stored.
  const char* moves[] = {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5"};
  Move line[5];
  for (int i = 0; i < 5; ++i) {
    line[i] = moveFromText(moves[i]);
    if (i == 4) storeHash(ss.shared.hashTable, pos, 10, 0, BOUND_EXACT, line[4]);
    makeMove(pos, line[i]);
  }
  storeHash(ss.shared.hashTable, pos, 10, 0, BOUND_EXACT, line[4]);  // the bishop is no longer on f1
  for (int i = 4; i >= 0; --i) unmakeMove(pos, line[i]);
  for (int i = 0; i < 4; ++i) ss.pvTable[0][i] = line[i];
  ss.pvTable[0][4] = 0x4444;  // past the current line: an older line's move
  ss.rootLineLength = 4;
  ss.iterationDepth = 7;
  ss.nodeCount = 12345;
  for (const Case& c : cases) {
    ss.shared.uciMode = c.uci;
    testing::internal::CaptureStdout();
    reportLine(pos, ss, c.score);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind(c.prefix, 0), 0u) << out;
    const std::string tail =
        c.uci ? " nodes 12345 pv e2e4 e7e5 g1f3 b8c6 f1b5 \n" : "     12345    e2e4 e7e5 g1f3 b8c6 f1b5 \n";
    ASSERT_GE(out.size(), tail.size());
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail) << out;
  }
  ss.shared.uciMode = false;
  testing::internal::CaptureStdout();
  reportStatistics(ss);
  const std::string stats = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(matchesPattern(stats,
                             "Time: #.#  Nodes: 12345  Nps: #  maxply 0\n"
                             "check 0  prom 0  p7 0  single 0  mt 0  kt 0 simple 0 \n"))
      << stats;
  ss.shared.uciMode = true;
  testing::internal::CaptureStdout();
  reportStatistics(ss);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ss.shared.uciMode = false;
}
