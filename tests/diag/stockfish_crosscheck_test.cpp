// Perft totals against a reference engine on positions reached by random
// legal moves (seeded, so every run walks the same positions).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "diag/diag.h"
#include "driver/driver.h"
#include "positions.h"
#include "search/search.h"
#include "test_util.h"

namespace {

constexpr const char* STOCKFISH = "/usr/games/stockfish";

std::vector<Move> legalMoves(Position& pos) {
  std::vector<Move> out;
  for (const Move m : generatedMoves(pos, generateMoves)) {
    makeMove(pos, m);
    if (!kingInCheck(pos, pos.xside)) out.push_back(m);
    unmakeMove(pos, m);
  }
  return out;
}

// Positions from random games; a move that gives check is taken more often
// so that evasions get their share.
std::vector<std::string> randomPositions(Position& pos, int count) {
  std::mt19937 rng(20261207);
  std::vector<std::string> out;
  while (static_cast<int>(out.size()) < count) {
    const auto& roots = positions::perftCases();
    loadFen(roots[out.size() % roots.size()].fen);
    const int length = static_cast<int>(rng() % 40);
    for (int ply = 0; ply < length; ++ply) {
      pos.searchPly = 0;
      std::vector<Move> moves = legalMoves(pos);
      if (moves.empty()) break;
      std::vector<Move> checks;
      for (Move m : moves) {
        makeMove(pos, m);
        if (kingInCheck(pos, pos.side)) checks.push_back(m);
        unmakeMove(pos, m);
      }
      const bool preferCheck = !checks.empty() && rng() % 2 == 0;
      const std::vector<Move>& pool = preferCheck ? checks : moves;
      pos.searchPly = 0;
      makeMove(pos, pool[rng() % pool.size()]);
      if (ply + 1 == length || (kingInCheck(pos, pos.side) && rng() % 3 == 0)) break;
    }
    out.push_back(currentFen(pos));
  }
  return out;
}

struct Reference {
  std::vector<std::uint64_t> totals;                         // "Nodes searched" per request
  std::vector<std::map<std::string, std::uint64_t>> divide;  // move lists per request
};

Reference askStockfish(const std::vector<std::string>& fens, int maxDepth) {
  const std::string inputPath = testing::TempDir() + "tarnic_sf_in.txt";
  const std::string outputPath = testing::TempDir() + "tarnic_sf_out.txt";
  {
    std::ofstream in(inputPath);
    for (const std::string& fen : fens)
      for (int d = 1; d <= maxDepth; ++d) in << "position fen " << fen << "\ngo perft " << d << "\n";
    in << "quit\n";
  }
  const std::string cmd = std::string(STOCKFISH) + " < " + inputPath + " > " + outputPath;
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  Reference ref;
  std::ifstream out(outputPath);
  std::string line;
  std::map<std::string, std::uint64_t> current;
  while (std::getline(out, line)) {
    if (line.rfind("Nodes searched: ", 0) == 0) {
      ref.totals.push_back(std::stoull(line.substr(16)));
      ref.divide.push_back(current);
      current.clear();
    } else if (line.size() >= 6 && line[4] == ':' && line.find(": ") != std::string::npos) {
      current[line.substr(0, 4)] = std::stoull(line.substr(6));
    } else if (line.size() >= 7 && line[5] == ':') {
      current[line.substr(0, 5)] = std::stoull(line.substr(7));
    }
  }
  return ref;
}

std::uint64_t enginePerft(Position& pos, int depth) {
  pos.searchPly = 0;
  return perft(pos, depth, testEngine().thread.moveStack.data());
}

TEST(StockfishCrossCheck, PerftTotalsOfRandomPositions) {
  Position& pos = testEngine().pos;
  struct stat st {};
  if (stat(STOCKFISH, &st) != 0) {
    // CI installs the reference engine, so there its absence is a failure.
    const char* ci = std::getenv("CI");
    ASSERT_FALSE(ci && std::string(ci) == "true") << "CI without the reference engine " << STOCKFISH;
    GTEST_SKIP() << "the reference engine is not installed (apt-get install stockfish)";
  }
  constexpr int kPositions = 240;
  constexpr int kDepth = 3;
  const std::vector<std::string> fens = randomPositions(pos, kPositions);
  int inCheck = 0;
  for (const std::string& fen : fens) {
    loadFen(fen.c_str());
    inCheck += kingInCheck(pos, pos.side);
  }
  EXPECT_GE(inCheck, kPositions / 10) << "too few positions in check";

  const Reference ref = askStockfish(fens, kDepth);
  ASSERT_EQ(ref.totals.size(), fens.size() * kDepth);
  int mismatches = 0;
  for (std::size_t i = 0; i < fens.size() && mismatches < 5; ++i) {
    std::uint64_t sum = 0;
    for (int d = 1; d <= kDepth; ++d) {
      sum += ref.totals[i * kDepth + d - 1];
      loadFen(fens[i].c_str());
      const std::uint64_t ours = enginePerft(pos, d);
      if (ours == sum) continue;
      ++mismatches;
      loadFen(fens[i].c_str());
      std::ostringstream ourMoves;
      for (Move m : legalMoves(pos)) ourMoves << moveToText(m).text << ' ';
      std::ostringstream theirMoves;
      for (const auto& [move, n] : ref.divide[i * kDepth]) theirMoves << move << ' ';
      ADD_FAILURE() << fens[i] << " depth " << d << ": ours " << ours << ", reference " << sum
                    << "\n ours:      " << ourMoves.str() << "\n reference: " << theirMoves.str();
      break;
    }
  }
}

}  // namespace
