// Analysis as a front end drives it: several lines, a restricted root,
// a mate search and a cleared table.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

std::vector<std::string> lineWords(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::vector<std::string> linesStartingWith(const std::string& out, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

// The moves after "pv", legal in turn from fen.
std::vector<std::string> legalPv(const char* fen, const std::string& line) {
  const std::vector<std::string> w = lineWords(line);
  std::vector<std::string> moves;
  bool inPv = false;
  Position& pos = loadFen(fen);
  for (const std::string& x : w) {
    if (inPv) {
      EXPECT_NE(playGameMove(pos, x.c_str()), 0u) << x << " in " << line;
      moves.push_back(x);
    }
    if (x == "pv") inPv = true;
  }
  return moves;
}

std::string run(const std::vector<std::string>& args) {
  const EngineRun r = runEngineProcess("", args, 120);
  EXPECT_EQ(r.status, 0);
  return afterBanner(r.output);
}

TEST(Analysis, MultiPvLinesAreDistinctOrderedAndLegal) {
  const char* fens[] = {START, positions::KIWIPETE};
  for (const char* fen : fens) {
    const std::string out =
        run({"uci", "setoption name MultiPv value 3", std::string("position fen ") + fen, "go depth 6"});
    for (int depth = 4; depth <= 6; ++depth) {
      const std::vector<std::string> lines =
          linesStartingWith(out, "info depth " + std::to_string(depth) + " ");
      ASSERT_EQ(lines.size(), 3u) << out;
      std::set<std::string> first;
      int previous = 1 << 20;
      for (int i = 0; i < 3; ++i) {
        const std::vector<std::string> w = lineWords(lines[i]);
        ASSERT_GE(w.size(), 10u) << lines[i];
        EXPECT_EQ(w[5], "multipv") << lines[i];
        EXPECT_EQ(w[6], std::to_string(i + 1)) << lines[i];
        ASSERT_EQ(w[7], "score") << lines[i];
        const int score = std::stoi(w[9]);
        if (w[8] == "cp") {
          EXPECT_LE(score, previous) << out;
          previous = score;
        }
        const std::vector<std::string> pv = legalPv(fen, lines[i]);
        ASSERT_FALSE(pv.empty()) << lines[i];
        first.insert(pv[0]);
        if (depth == 6 && i == 0) {
          // The answer is line 1's move, the ponder move its reply.
          ASSERT_GE(pv.size(), 2u);
          EXPECT_EQ(linesStartingWith(out, "bestmove").at(0), "bestmove " + pv[0] + " ponder " + pv[1])
              << out;
        }
      }
      EXPECT_EQ(first.size(), 3u) << out;
    }
  }
}

TEST(Analysis, SearchMovesAndMateLimits) {
  struct Case {
    const char* fen;
    const char* go;
    std::set<std::string> allowed;  // root moves the lines may start with; empty: any
    const char* lastScore;          // the final line's score, or "" for any
  };
  const Case cases[] = {
      // e7e5 is not legal here and zz no move: only the two white moves count.
      {START, "go depth 5 searchmoves a2a3 h2h4 e7e5 zz", {"a2a3", "h2h4"}, ""},
      // A move list cannot be taken for keywords: "depth" after the moves still counts.
      {START, "go searchmoves g1f3 depth 4", {"g1f3"}, ""},
      // No listed move is legal: the whole list.
      {START, "go depth 4 searchmoves e7e5", {}, ""},
      // Mate in three is found and ends the search without a depth limit.
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", "go mate 3", {}, "score mate 3"},
      {"k7/8/8/8/8/8/8/KQ6 w - - 0 1", "go mate 7", {}, "score mate 7"},
  };
  for (const Case& c : cases) {
    const std::string out = run({"uci", std::string("position fen ") + c.fen, c.go});
    const std::vector<std::string> lines = linesStartingWith(out, "info depth ");
    ASSERT_FALSE(lines.empty()) << c.go << "\n" << out;
    for (const std::string& line : lines) {
      const std::vector<std::string> pv = legalPv(c.fen, line);
      ASSERT_FALSE(pv.empty()) << line;
      if (!c.allowed.empty()) {
        EXPECT_TRUE(c.allowed.count(pv[0])) << c.go << "\n" << line;
      }
    }
    EXPECT_NE(lines.back().find(c.lastScore), std::string::npos) << c.go << "\n" << out;
    if (std::string(c.go).find("depth 4") != std::string::npos) {
      EXPECT_EQ(lines.back().rfind("info depth 4 ", 0), 0u) << out;
    }
    const std::vector<std::string> answer = lineWords(linesStartingWith(out, "bestmove").at(0));
    if (!c.allowed.empty()) {
      EXPECT_TRUE(c.allowed.count(answer.at(1))) << out;
    }
  }
}

// Clear Hash forgets the table and the killers: the same search again
// counts exactly the nodes of the first in a fresh engine, where without
// it the table saves most of them.
TEST(Analysis, ClearHashRepeatsAFreshSearch) {
  const std::string out = run({"uci", "position startpos", "go depth 8", "setoption name Clear Hash",
                               "position startpos", "go depth 8", "position startpos", "go depth 8"});
  std::vector<std::string> nodes;  // of each search's final line
  std::istringstream in(out);
  std::string last;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("info depth 8 ", 0) == 0) last = line.substr(line.find(" nodes "));
    if (line.rfind("bestmove", 0) == 0) nodes.push_back(last.substr(0, last.find(" pv ")));
  }
  ASSERT_EQ(nodes.size(), 3u) << out;
  EXPECT_EQ(nodes[0], nodes[1]) << out;
  EXPECT_NE(nodes[1], nodes[2]) << out;
}

// A search of more than a second reports once a second in UCI mode; the
// console form has no such line.
TEST(Analysis, ProgressOnceASecond) {
  const std::string out = run({"uci", "position startpos", "go movetime 2300"});
  const std::vector<std::string> lines = linesStartingWith(out, "info time ");
  ASSERT_GE(lines.size(), 1u) << out;
  ASSERT_LE(lines.size(), 2u) << out;
  long long previous = 0;
  for (const std::string& line : lines) {
    EXPECT_TRUE(matchesPattern(line, "info time # nodes # nps # hashfull #")) << line;
    const std::vector<std::string> w = lineWords(line);
    EXPECT_GE(std::stoll(w[2]), 1000 * (&line - &lines[0] + 1)) << line;
    EXPECT_GT(std::stoll(w[4]), previous) << line;
    previous = std::stoll(w[4]);
    EXPECT_GT(std::stoi(w[8]), 0) << line;
    EXPECT_LE(std::stoi(w[8]), 1000) << line;
  }
  EXPECT_EQ(run({"position startpos", "go movetime 1300"}).find("info time"), std::string::npos);
}

// Mate distances as stockfish gives them (at depths 22 and 34): the final
// line at the given depth names the true distance, and no line on the way
// claims a shorter mate than there is (a mate score is a bound it proves).
// Before mate scores were stored relative to their node, the mate in 7
// printed mate 11 at depth 11.
TEST(Analysis, MateDistancesAreTrue) {
  struct Case {
    const char* fen;
    int depth;
    int mate;  // moves; negative when the side to move is mated
  };
  const Case cases[] = {
      {"6rk/6pp/8/6N1/8/8/8/1Q4K1 w - - 0 1", 4, 1},   {"7k/8/5K2/8/8/8/8/6R1 w - - 0 1", 6, 2},
      {"r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1", 8, 3}, {"4k3/1P6/8/3pP3/8/7R/3K4/4r3 w - - 2 3", 8, 5},
      {"k7/8/8/8/2K5/8/8/7R w - - 0 1", 11, 5},        {"k7/8/8/8/8/8/8/KQ6 w - - 0 1", 11, 7},
      {"2k5/8/1K6/8/8/8/8/3R4 b - - 0 1", 4, -1},      {"2k5/8/2K5/8/8/8/8/7R b - - 0 1", 8, -2},
  };
  for (const Case& c : cases) {
    const std::string out =
        run({"uci", std::string("position fen ") + c.fen, "go depth " + std::to_string(c.depth)});
    const std::vector<std::string> lines = linesStartingWith(out, "info depth ");
    ASSERT_FALSE(lines.empty()) << c.fen;
    for (const std::string& line : lines) {
      const std::vector<std::string> w = lineWords(line);
      if (w.at(6) != "mate") continue;
      const int m = std::stoi(w.at(7));
      EXPECT_EQ(m > 0, c.mate > 0) << c.fen << "\n" << line;
      EXPECT_GE(m > 0 ? m : -m, c.mate > 0 ? c.mate : -c.mate) << c.fen << "\n" << line;
    }
    EXPECT_TRUE(matchesPattern(lines.back(),
                               "info depth # seldepth # score mate " + std::to_string(c.mate) + " time *"))
        << c.fen << "\n"
        << lines.back();
  }
}

}  // namespace
