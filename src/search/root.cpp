// Iterative deepening, the root search and progress reporting.
#include <array>
#include <cstdio>

#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tuning.h"

namespace {

constexpr int CONSOLE_PV_MOVES = 10;

inline std::uint32_t elapsedMs() { return currentTimeMs() - searchStartTime; }

// Root moves go through pvTable row 0; remember its length for the printer
// and the ponder move, since an interrupted iteration resets pvLength[0].
inline void updateRootPv(const Position& pos, Move m) {
  updatePv(pos, m);
  rootLineLength = pvLength[0];
}

}  // namespace

void initSearch(Position& pos) {
  hashGeneration = (hashGeneration + 1) & 63;
  stopSearch = 0;
  pos.searchPly = 0;
  maxply = 0;
  nodeCount = 0;
  iterationDepth = 0;
  extensionCount = {};
  for (auto& row : pvTable) row.fill(0);
  pvLength.fill(0);
  rootLineLength = 0;
  clearHistory();
  searchStartTime = currentTimeMs();
}

int rootSearch(Position& pos, int depth, int alpha, int beta) {
  // 1-4: count the root, build its attack maps, order by the last best move.
  ++nodeCount;
  rootMoveCount = 0;
  pvLength[0] = 0;
  evaluate(pos, Eval);
  setListEnd(0, generateMoves(pos, listBegin(0)));
  scoreMoves(pos, pvTable[0][0]);

  // 5: every legal move, the first with the full window.
  int best = -MATE_SCORE;
  while (const Move m = pickMove(pos)) {
    makeMove(pos, m);
    if (kingInCheck(pos, pos.xside)) {
      unmakeMove(pos, m);
      continue;
    }
    ++rootMoveCount;
    // A checking root move is searched a full ply deeper.
    const int d = depth - ONE_PLY + (kingInCheck(pos, pos.side) ? ONE_PLY : 0);
    int score;
    if (rootMoveCount == 1) {
      score = -search(pos, d, -beta, -alpha, 1);
    } else {
      score = -search(pos, d, -alpha - 1, -alpha, 1);
      if (alpha < score && score < beta && !stopSearch) score = -search(pos, d, -beta, -alpha, 1);
    }
    unmakeMove(pos, m);
    // The interrupted move's score is not used.
    if (stopSearch) return best;
    if (score > best) {
      best = score;
      if (score > alpha) {
        // A new best move from iteration 3 on is worth a progress line.
        const bool changed = m != pvTable[0][0] && iterationDepth > 2;
        updateRootPv(pos, m);
        if (changed) printInfo(score);
        if (score >= beta) return best;
        alpha = score;
      }
    }
  }
  return best;
}

void iterativeDeepening(Position& pos) {
  // 1: fresh per-search state and a full window.
  initSearch(pos);
  int alpha = -MATE_SCORE;
  int beta = MATE_SCORE;
  int lastScore = 0;
  // 2: nothing to search.
  if (maxDepth < 1) {
    printInfo(0);
    printStatistics();
    return;
  }
  // 3: one ply deeper each time, inside an aspiration window.
  for (int i = 1; i <= maxDepth; ++i) {
    // a: search the iteration.
    iterationDepth = i;
    int score = rootSearch(pos, i * ONE_PLY, alpha, beta);
    // b: interrupted: keep the last completed result unless a root move completed.
    if (stopSearch) {
      if (rootMoveCount < 2) score = lastScore;
      printInfo(score);
      printStatistics();
      return;
    }
    // c: fail low: open the window downwards.
    if (score <= alpha) {
      printInfo(score);
      alpha = -MATE_SCORE;
      score = rootSearch(pos, i * ONE_PLY, -MATE_SCORE, beta);
    }
    // d: fail high: open it upwards; a second failure is accepted.
    if (score >= beta) {
      printInfo(score);
      score = rootSearch(pos, i * ONE_PLY, alpha, MATE_SCORE);
    }
    // e: a forced move needs no deep search.
    if (rootMoveCount == 1 && i == 3 && !(searchFlags & (GO_INFINITE | GO_PONDER))) {
      printInfo(score);
      printStatistics();
      return;
    }
    // f: centre the next window on this score.
    lastScore = score;
    alpha = score - ASPIRATION_WINDOW;
    beta = score + ASPIRATION_WINDOW;
    if (i > 2) printInfo(score);
  }
  // 4: the final line.
  printInfo(lastScore);
  printStatistics();
}

void printInfo(int score) {
  // One write per line: the line is assembled first.
  std::array<char, 1024> text;
  char* out = text.data();
  const char* const stop = text.data() + text.size();
  const int elapsed = static_cast<int>(elapsedMs());
  const long long nodes = static_cast<long long>(nodeCount);
  int shown = iterationDepth;
  if (uciMode()) {
    if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) {
      const int distance = score > 0 ? (MATE_SCORE + 1 - score) / 2 : -((MATE_SCORE + 1 + score) / 2);
      out += std::snprintf(out, stop - out, "info depth %d score mate %d time %d nodes %lld pv ",
                           iterationDepth, distance, elapsed, nodes);
    } else {
      out += std::snprintf(out, stop - out, "info depth %d score cp %d time %d nodes %lld pv ",
                           iterationDepth, score, elapsed, nodes);
    }
  } else {
    out +=
        std::snprintf(out, stop - out, "%3d  %6d    %6d  %8lld    ", iterationDepth, score, elapsed, nodes);
    if (shown > CONSOLE_PV_MOVES) shown = CONSOLE_PV_MOVES;
  }
  // Cells past the root's current line may still hold an older line.
  if (shown > rootLineLength) shown = rootLineLength;
  for (int i = 0; i < shown && pvTable[0][i] != 0; ++i)
    out += std::snprintf(out, stop - out, "%s ", moveToText(pvTable[0][i]).text);
  std::printf("%s\n", text.data());
}

void printStatistics() {
  if (uciMode()) return;
  std::uint32_t elapsed = elapsedMs();
  if (elapsed == 0) elapsed = 1;
  const long long nodes = static_cast<long long>(nodeCount);
  std::printf("Time: %d.%03d  Nodes: %lld  Nps: %lld  maxply %d\n", static_cast<int>(elapsed / 1000),
              static_cast<int>(elapsed % 1000), nodes, nodes / elapsed * 1000, maxply);
  const ExtensionCounters& c = extensionCount;
  std::printf("check %d  prom %d  p7 %d  single %d  mt %d  kt %d simple %d \n", c.check, c.prom, c.p7,
              c.single, c.mt, c.kt, c.simple);
}
