// The go command: time budget lines, depth that persists, answers without moves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

TEST(Go, TimeBudgetLines) {
  struct Case {
    const char* go;
    const char* expected;  // the lines before the search
  };
  const Case cases[] = {
      {"go wtime 800 btime 800", "cur_time: *    stop_time: * \nUsing 0.20  secs out of 0.780 time left\n"},
      {"go wtime 800 btime 800 movestogo 20",
       "got 20 from line 20\ncur_time: *    stop_time: * \nUsing 0.32  secs out of 0.768 time left\n"},
      {"go btime 800 wtime 2050", "cur_time: *    stop_time: * \nUsing 0.51  secs out of 1.999 time left\n"},
  };
  for (const Case& c : cases) {
    const EngineRun run = runEngineSession(
        {{"", 0, std::string("position startpos\n") + c.go + "\n"}, {"bestmove", 0, "quit\n"}});
    const std::string out = afterBanner(run.output);
    const std::size_t table = out.find("time left\n");
    ASSERT_NE(table, std::string::npos) << out;
    const std::string head = out.substr(0, table + 10);
    EXPECT_TRUE(matchesPattern(head, c.expected)) << c.go << "\n" << head;
    EXPECT_EQ(run.status, 0);
  }
  // Pondering adds a hundredth of the time left and waits for "stop".
  const EngineRun ponder = runEngineSession({{"", 0, "position startpos\ngo ponder wtime 800 btime 800\n"},
                                             {"time left\n", 300, "stop\n"},
                                             {"bestmove", 0, "quit\n"}});
  const std::string pondered = afterBanner(ponder.output);
  EXPECT_TRUE(matchesPattern(pondered.substr(0, pondered.find("time left\n") + 10),
                             "cur_time: *    stop_time: * \nUsing 0.27  secs out of 0.773 time left\n"))
      << pondered;
  EXPECT_EQ(ponder.status, 0);
}

// The console keeps a depth for later searches; in UCI mode each go has
// only the limits it names, so analysis after a "go depth" hint goes deeper.
TEST(Go, DepthPersistsOnTheConsoleOnly) {
  const EngineRun console =
      runEngineSession({{"", 0, "position startpos\ngo wtime 10000000 btime 10000000 depth 2\n"},
                        {"bestmove", 0, "go wtime 10000000 btime 10000000\n"},
                        {"", 1000, "quit\n"}});
  const std::string out = afterBanner(console.output);
  EXPECT_EQ(countOf(out, "bestmove "), 2u) << out;
  EXPECT_EQ(countOf(out, "\n  3  "), 0u) << out;
  EXPECT_GE(countOf(out, "\n  2  "), 2u) << out;
  EXPECT_EQ(console.status, 0);

  const EngineRun uci = runEngineSession({{"", 0, "uci\nposition startpos\ngo depth 5\n"},
                                          {"bestmove", 0, "go infinite\n"},
                                          {"info depth 7 ", 0, "stop\n"},
                                          {"", 500, "quit\n"}},
                                         {}, 60);
  const std::string analysis = afterBanner(uci.output);
  EXPECT_EQ(countOf(analysis, "bestmove "), 2u) << analysis;
  EXPECT_EQ(uci.status, 0);
}

TEST(Go, NoLegalMoveAnswersA1A1) {
  for (const char* fen : {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1"}) {
    const EngineRun run = runEngineSession(
        {{"", 0, std::string("uci\nposition fen ") + fen + "\ngo wtime 100000 btime 100000 depth 3\n"},
         {"bestmove", 0, "quit\n"}});
    const std::string out = afterBanner(run.output);
    EXPECT_NE(out.find("bestmove a1a1 \n"), std::string::npos) << fen << "\n" << out;
    EXPECT_EQ(run.status, 0);
  }
}

// The ponder move is the best line's reply and legal after the best move.
TEST(Go, PonderMoveIsALegalReply) {
  Position& pos = testEngine().pos;
  const char* fens[] = {START, "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7",
                        "8/8/8/3K1P2/2p4p/k2p3P/3Br3/1R6 w - - 0 67"};
  for (const char* fen : fens) {
    const EngineRun run = runEngineSession(
        {{"", 0, std::string("uci\nposition fen ") + fen + "\ngo wtime 10000000 btime 10000000 depth 5\n"},
         {"bestmove", 0, "quit\n"}});
    const std::string out = afterBanner(run.output);
    const std::size_t at = out.find("bestmove ");
    ASSERT_NE(at, std::string::npos) << out;
    const std::string answer = out.substr(at, out.find('\n', at) - at);
    char best[8] = {}, reply[8] = {};
    ASSERT_EQ(std::sscanf(answer.c_str(), "bestmove %7s ponder %7s", best, reply), 2) << answer;
    loadFen(fen);
    EXPECT_NE(playGameMove(pos, best), 0u) << answer;
    EXPECT_NE(playGameMove(pos, reply), 0u) << answer;
  }
}

}  // namespace

namespace {

// Nodes and elapsed time of the last progress line.
struct LastInfo {
  long long nodes = -1;
  long long time = -1;
};
LastInfo lastInfo(const std::string& out) {
  LastInfo info;
  for (std::size_t at = out.find("info depth "); at != std::string::npos;
       at = out.find("info depth ", at + 1)) {
    const std::size_t t = out.find(" time ", at), n = out.find(" nodes ", at);
    if (t == std::string::npos || n == std::string::npos) break;
    info.time = std::atoll(out.c_str() + t + 6);
    info.nodes = std::atoll(out.c_str() + n + 7);
  }
  return info;
}

std::string uciSearch(const std::string& go, int timeoutSeconds = 60) {
  const EngineRun run = runEngineSession(
      {{"", 0, "uci\nposition startpos moves e2e4\n" + go + "\n"}, {"bestmove", 0, "quit\n"}}, {},
      timeoutSeconds);
  EXPECT_EQ(run.status, 0) << go;
  return afterBanner(run.output);
}

}  // namespace

// Analysis limits as front ends send them, without a clock for the side to move.
TEST(Go, DepthNodesAndMoveTimeWithoutAClock) {
  // A depth alone searches the same tree as with a clock that never runs out.
  EXPECT_EQ(withoutTimes(uciSearch("go depth 7")),
            withoutTimes(uciSearch("go wtime 100000000 btime 100000000 depth 7")));
  // The node limit is met at the first poll at or past it; polls come every
  // 8192 nodes.
  for (const long long limit : {1LL, 100000LL, 250000LL}) {
    const LastInfo info = lastInfo(uciSearch("go nodes " + std::to_string(limit)));
    EXPECT_GE(info.nodes, limit);
    EXPECT_LT(info.nodes, limit + 2 * 8192) << limit;
  }
  // A fixed move time replaces the clock budget, larger or smaller.
  struct Case {
    const char* go;
    long long ms;
  } cases[] = {{"go movetime 600", 600}, {"go wtime 100000 btime 100000 movetime 300", 300}};
  for (const Case& c : cases) {
    const LastInfo info = lastInfo(uciSearch(c.go));
    EXPECT_GE(info.time, c.ms - 1) << c.go;
    EXPECT_LT(info.time, c.ms + 400) << c.go;
  }
}

namespace {

// The moves after "pv " in a progress line.
std::vector<std::string> pvOf(const std::string& line) {
  std::vector<std::string> moves;
  const std::size_t at = line.find(" pv ");
  if (at == std::string::npos) return moves;
  std::size_t p = at + 4;
  while (p < line.size()) {
    const std::size_t end = line.find(' ', p);
    if (end == std::string::npos || end == p) break;
    moves.push_back(line.substr(p, end - p));
    p = end + 1;
  }
  return moves;
}

// The last line of out that starts with prefix.
std::string lastLineWith(const std::string& out, const std::string& prefix) {
  std::string found;
  for (std::size_t at = out.find(prefix); at != std::string::npos; at = out.find(prefix, at + 1))
    if (at == 0 || out[at - 1] == '\n') found = out.substr(at, out.find('\n', at) - at);
  return found;
}

}  // namespace

// Lines that a client may believe: a stop inside a failed aspiration window
// keeps the last completed result, and a second search of the same position
// prints its whole line (completed from the table) and a ponder move.
TEST(Go, LinesThatHold) {
  // White mates in 5; the node limit falls in the re-search of iteration 5,
  // before any root move has completed.
  const EngineRun stopped =
      runEngineProcess("", {"uci", "position fen 4k3/1P6/8/3pP3/8/7R/3K4/4r3 w - - 2 3", "go nodes 8192"});
  const std::string out = afterBanner(stopped.output);
  EXPECT_EQ(out.find("score mate 0"), std::string::npos) << out;
  const std::string last = lastLineWith(out, "info depth ");
  EXPECT_TRUE(
      matchesPattern(last, "info depth 6 seldepth # score cp 1709 time # nodes # pv b7b8q e8f7 d2e1 d5d4 *"))
      << out;
  EXPECT_EQ(lastLineWith(out, "bestmove"), "bestmove b7b8q ponder e8f7") << out;

  // Before the completion both second lines held one move and no ponder
  // move; how far the table still reaches after the first search is what
  // each position shows.
  struct Case {
    const char* fen;
    std::size_t moves;
  };
  const Case cases[] = {{START, 9}, {"r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", 6}};
  for (const auto& [fen, moves] : cases) {
    const std::string position = std::string("position fen ") + fen;
    const EngineRun run = runEngineProcess(
        "", {"uci", position.c_str(), "go depth 9", "isready", position.c_str(), "go depth 9"});
    const std::string both = afterBanner(run.output);
    const std::size_t split = both.find("readyok\n");
    ASSERT_NE(split, std::string::npos) << both;
    const std::string second = both.substr(split);
    const std::vector<std::string> line = pvOf(lastLineWith(second, "info depth "));
    ASSERT_EQ(line.size(), moves) << second;
    EXPECT_EQ(lastLineWith(second, "bestmove"), "bestmove " + line[0] + " ponder " + line[1]) << second;
    // Every move of the completed line is legal in turn.
    Position& pos = loadFen(fen);
    for (const std::string& m : line) ASSERT_NE(playGameMove(pos, m.c_str()), 0u) << m << "\n" << second;
  }
}
