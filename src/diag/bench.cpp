// The fixed ten-position benchmark.
#include <array>
#include <cstdio>

#include "diag/diag.h"
#include "search/search.h"

namespace {

constexpr std::array<const char*, 10> BenchPositions = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "rnbqk1nr/pp4b1/2p1p1B1/3pP2p/3P4/8/PPP2PPP/RNBQK2R b KQkq - 0 8",
    "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7",
    "rnbqkb1r/ppp2p1p/3p1n2/8/4PpNP/8/PPPP2P1/RNBQKB1R w KQkq - 0 7",
    "r3k2r/2q1bppp/p1b1pn2/1p2P3/8/P1N2B2/1PP3PP/R1BQ1R1K b kq - 0 14",
    "1n1b1kr1/r4p1p/pp1q4/2pNN2Q/8/6P1/PPP2PBP/2KR4 w - - 0 19",
    "3rr1k1/pp2bppp/1qp1n1b1/3n4/2BP4/P4NNP/1P1B1PP1/2RQR1K1 w - - 0 19",
    "4rbk1/2pb1qpp/p2p1p2/3P4/n1NQNB2/RP1P1P1P/6P1/6K1 b - - 0 26",
    "2rr2k1/pp2Bnq1/4R1p1/5p1p/B2P1P2/2P5/P5P1/4Q1K1 w - - 0 33",
    "8/8/8/3K1P2/2p4p/k2p3P/3Br3/1R6 w - - 0 67",
};

constexpr std::uint32_t BENCH_TIME_MS = 5000;
constexpr int BENCH_SECONDS = 5;
// Iterations before this one print no progress line.
constexpr int BENCH_FIRST_REPORTED = 5;

}  // namespace

void benchmark(Position& pos, SearchThread& t) {
  SearchState& s = t.shared;
  int depthSum = 0;
  // Node rates are summed in 64 bits so that fast machines cannot overflow them.
  std::int64_t npsSum = 0;
  int prevScore = 0;
  for (const char* fen : BenchPositions) {
    std::printf("position   %s\n", fen);
    setupFen(pos, fen);
    setTimedSearch(s, clockMs(s) + BENCH_TIME_MS);
    initSearch(pos, t);
    int score = prevScore;
    int i = 1;
    // Always the full window: the benchmark measures plain deepening.
    for (; i <= s.maxDepth; ++i) {
      t.iterationDepth = i;
      score = rootSearch(pos, t, i * ONE_PLY, -MATE_SCORE, MATE_SCORE);
      if (stopped(s)) {
        if (t.rootMoveCount < 2) score = prevScore;
        break;
      }
      if (i >= BENCH_FIRST_REPORTED) reportLine(pos, t, score);
      prevScore = score;
    }
    reportLine(pos, t, score);
    reportStatistics(t);
    if (s.abandoned) return;  // the session ends
    depthSum += i;
    npsSum += totalNodes(t) / BENCH_SECONDS;
  }
  std::printf("Averages: \n");
  std::printf("  depth: %d.%02d \n", depthSum / 10, (depthSum % 10) * 10);
  std::printf("  nps: %lld \n", static_cast<long long>(npsSum / 10));
}
