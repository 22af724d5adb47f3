// Searches on several threads through a pipe: every printed move legal,
// nothing a client sends lost, options changed between searches. These are
// the tests the ThreadSanitizer build runs (make tsan).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

using positions::KIWIPETE;
using positions::START;

std::vector<std::string> wordsAfter(const std::string& line, const std::string& marker) {
  std::vector<std::string> words;
  const std::size_t at = line.find(marker);
  if (at == std::string::npos) return words;
  std::istringstream in(line.substr(at + marker.size()));
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Every line of a search's output: each progress line's moves are legal in
// turn from fen, and so are the answer and its ponder move. Returns the
// number of progress lines.
int checkLines(const char* fen, const std::string& out) {
  int lines = 0;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> moves;
    if (line.rfind("info depth ", 0) == 0) {
      moves = wordsAfter(line, " pv ");
      ++lines;
      EXPECT_FALSE(moves.empty()) << line;
    } else if (line.rfind("bestmove ", 0) == 0) {
      moves = wordsAfter(line, "bestmove ");
      if (moves.size() == 3 && moves[1] == "ponder") moves.erase(moves.begin() + 1);
      EXPECT_LE(moves.size(), 2u) << line;
    } else {
      continue;
    }
    Position& pos = loadFen(fen);
    for (const std::string& m : moves) {
      const bool legal = playGameMove(pos, m.c_str()) != 0;
      EXPECT_TRUE(legal) << m << " in " << line;
      if (!legal) break;
    }
  }
  return lines;
}

TEST(Threads, EveryPrintedMoveIsLegal) {
  const char* fens[] = {START, KIWIPETE, "8/8/8/3K1P2/2p4p/k2p3P/3Br3/1R6 w - - 0 67"};
  for (const char* threads : {"2", "4"}) {
    for (const char* fen : fens) {
      const std::string position = std::string("position fen ") + fen;
      const std::string option = std::string("setoption name Threads value ") + threads;
      const EngineRun run =
          runEngineProcess("", {"uci", option.c_str(), position.c_str(), "go depth 7"}, 120);
      EXPECT_EQ(run.status, 0);
      const std::string out = afterBanner(run.output);
      EXPECT_GE(checkLines(fen, out), 2) << threads << " threads\n" << out;
      EXPECT_NE(out.find("\nbestmove "), std::string::npos) << out;
    }
  }
}

// Options between searches: more threads, a new table, fewer threads; each
// search answers with a legal line and the helpers end with the program.
TEST(Threads, OptionsChangeBetweenSearches) {
  const EngineRun run =
      runEngineProcess("",
                       {"uci", "setoption name threads value 4", "position startpos", "go depth 7",
                        "setoption name Hash value 16", "setoption name THREADS value 2", "go depth 7",
                        "setoption name Threads value 1", "go depth 7"},
                       120);
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  std::size_t answers = 0;
  for (std::size_t at = out.find("bestmove "); at != std::string::npos; at = out.find("bestmove ", at + 1))
    ++answers;
  EXPECT_EQ(answers, 3u) << out;
  EXPECT_NE(out.find("setting hash size to 16\n"), std::string::npos) << out;
  checkLines(START, out);
}

// A burst during a four-thread infinite search: the stop, the next position
// and go all reach the command loop.
TEST(Threads, BurstDuringInfiniteSearch) {
  const char* afterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
  const EngineRun run = runEngineSession(
      {{"", 0, "uci\nsetoption name Threads value 4\nposition startpos moves d2d4\ngo infinite\n"},
       {"uciok", 300, "stop\nisready\nposition startpos moves e2e4\ngo wtime 2000 btime 2000\n"},
       {"bestmove", 1500, "quit\n"}},
      {}, 30);
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  const std::size_t first = out.find("bestmove ");
  ASSERT_NE(first, std::string::npos) << out;
  const std::size_t second = out.find("bestmove ", first + 1);
  ASSERT_NE(second, std::string::npos) << out;
  const std::size_t ready = out.find("readyok\n");
  EXPECT_TRUE(ready > first && ready < second) << out;
  EXPECT_EQ(out.find("Unexpected"), std::string::npos) << out;
  checkLines(afterE4, out.substr(second));
}

}  // namespace
