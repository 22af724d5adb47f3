// Iterative deepening, the root search and progress reporting.
#include <array>
#include <cstdio>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tuning.h"

namespace {

constexpr int CONSOLE_PV_MOVES = 10;

inline std::uint32_t elapsedMs(const SearchState& s) { return clockMs(s) - s.searchStartTime; }

// Root moves go through s.pvTable row 0; remember its length for the printer
// and the ponder move, since an interrupted iteration resets s.pvLength[0].
inline void updateRootPv(SearchState& s, Move m) {
  updatePv(s, 0, m);
  s.rootLineLength = s.pvLength[0];
}

// The table's move for the position, when it is legal there (0 otherwise).
Move legalTableMove(Position& pos, const HashTable& table) {
  const HashEntry& e = hashEntryFor(table, pos.key);
  if (e.keyLow != static_cast<std::uint32_t>(pos.key) ||
      e.keyHigh != static_cast<std::uint32_t>(pos.key >> 32))
    return 0;
  const Move m = e.info & 0xFFFFFF;
  if (m == 0) return 0;
  MoveList list;
  const MoveEntry* end = generateMoves(pos, list.data());
  for (const MoveEntry* x = list.data(); x != end; ++x) {
    if (x->move != m) continue;
    makeMove(pos, m);
    const bool legal = !kingInCheck(pos, pos.xside);
    unmakeMove(pos, m);
    return legal ? m : 0;
  }
  return 0;
}

bool repeated(const Position& pos) {
  for (int i = pos.gamePly - pos.fifty; i < pos.gamePly; ++i)
    if (pos.history[i].key == pos.key) return true;
  return false;
}

// The root's line as printed: row 0 as the search left it, then, where a
// table cutoff ended it early, the table's moves after it, each legal and
// none into a repetition, up to limit moves. The moves are played on a
// copy: make and unmake may reorder the piece lists, and with them the
// search's move order.
void buildShownLine(const Position& root, SearchState& s, int limit) {
  Position& pos = s.linePosition;
  pos = root;
  int n = 0;
  const int known = s.rootLineLength < limit ? s.rootLineLength : limit;
  while (n < known && s.pvTable[0][n] != 0) {
    s.shownLine[n] = s.pvTable[0][n];
    makeMove(pos, s.shownLine[n++]);
  }
  if (n > 0) {
    while (n < limit) {
      const Move m = legalTableMove(pos, s.hashTable);
      if (m == 0) break;
      makeMove(pos, m);
      if (repeated(pos)) {
        unmakeMove(pos, m);
        break;
      }
      s.shownLine[n++] = m;
    }
  }
  s.shownLength = n;
}

}  // namespace

void initSearch(Position& pos, SearchState& s) {
  s.hashTable.hashGeneration = (s.hashTable.hashGeneration + 1) & 63;
  s.stopSearch = false;
  pos.searchPly = 0;
  s.maxply = 0;
  s.nodeCount = 0;
  s.iterationDepth = 0;
  s.extensionCount = {};
  for (auto& row : s.pvTable) row.fill(0);
  s.pvLength.fill(0);
  s.rootLineLength = 0;
  s.shownLength = 0;
  clearHistory(s);
  s.searchStartTime = clockMs(s);
}

int rootSearch(Position& pos, SearchState& s, int depth, int alpha, int beta) {
  // Count the root, build its attack maps, order by the last best move.
  ++s.nodeCount;
  s.rootMoveCount = 0;
  s.pvLength[0] = 0;
  evaluate(pos, s.eval);
  setListEnd(s, 0, generateMoves(pos, listBegin(s, 0)));
  MoveEntry* first = scoreMoves(pos, s, s.pvTable[0][0]);

  // Every legal move, the first with the full window.
  int best = -MATE_SCORE;
  while (const Move m = pickMove(s, 0, first)) {
    makeMove(pos, m);
    if (kingInCheck(pos, pos.xside)) {
      unmakeMove(pos, m);
      continue;
    }
    ++s.rootMoveCount;
    // A checking root move is searched a full ply deeper.
    const int d = depth - ONE_PLY + (kingInCheck(pos, pos.side) ? ONE_PLY : 0);
    int score;
    if (s.rootMoveCount == 1) {
      score = -search(pos, s, d, -beta, -alpha, true);
    } else {
      score = -search(pos, s, d, -alpha - 1, -alpha, true);
      if (alpha < score && score < beta && !s.stopSearch) score = -search(pos, s, d, -beta, -alpha, true);
    }
    unmakeMove(pos, m);
    // The interrupted move's score is not used.
    if (s.stopSearch) return best;
    if (score > best) {
      best = score;
      if (score > alpha) {
        // A new best move from iteration 3 on is worth a progress line.
        const bool changed = m != s.pvTable[0][0] && s.iterationDepth > 2;
        updateRootPv(s, m);
        if (changed) printInfo(pos, s, score);
        if (score >= beta) return best;
        alpha = score;
      }
    }
  }
  return best;
}

void iterativeDeepening(Position& pos, SearchState& s) {
  // Fresh per-search state and a full window.
  initSearch(pos, s);
  int alpha = -MATE_SCORE;
  int beta = MATE_SCORE;
  int lastScore = 0;
  // The last completed iteration's line, for a stop inside a re-search.
  std::array<Move, MAX_PLY> lastLine{};
  int lastLineLength = 0;
  // A re-search stopped before any root move completed has no result of
  // its own (its score would read as mated): the last completed one stands.
  const auto keepCompleted = [&](int& score) {
    if (!s.stopSearch || s.rootMoveCount >= 2) return;
    score = lastScore;
    s.pvTable[0] = lastLine;
    s.rootLineLength = lastLineLength;
  };
  // Nothing to search.
  if (s.maxDepth < 1) {
    printInfo(pos, s, 0);
    printStatistics(s);
    return;
  }
  // One ply deeper each time, inside an aspiration window.
  for (int i = 1; i <= s.maxDepth; ++i) {
    // Search the iteration.
    s.iterationDepth = i;
    int score = rootSearch(pos, s, i * ONE_PLY, alpha, beta);
    // Interrupted: keep the last completed result unless a root move completed.
    if (s.stopSearch) {
      if (s.rootMoveCount < 2) score = lastScore;
      printInfo(pos, s, score);
      printStatistics(s);
      return;
    }
    // Fail low: open the window downwards.
    if (score <= alpha) {
      printInfo(pos, s, score);
      alpha = -MATE_SCORE;
      score = rootSearch(pos, s, i * ONE_PLY, -MATE_SCORE, beta);
      keepCompleted(score);
    }
    // Fail high: open it upwards; a second failure is accepted.
    if (score >= beta) {
      printInfo(pos, s, score);
      score = rootSearch(pos, s, i * ONE_PLY, alpha, MATE_SCORE);
      keepCompleted(score);
    }
    // A forced move needs no deep search.
    if (s.rootMoveCount == 1 && i == 3 && !(s.searchFlags & (GO_INFINITE | GO_PONDER))) {
      printInfo(pos, s, score);
      printStatistics(s);
      return;
    }
    // Centre the next window on this score.
    lastScore = score;
    lastLine = s.pvTable[0];
    lastLineLength = s.rootLineLength;
    alpha = score - ASPIRATION_WINDOW;
    beta = score + ASPIRATION_WINDOW;
    if (i > 2) printInfo(pos, s, score);
  }
  // The final line.
  printInfo(pos, s, lastScore);
  printStatistics(s);
}

void printInfo(const Position& pos, SearchState& s, int score) {
  if (s.abandoned) return;
  // One write per line: the line is assembled first.
  std::array<char, 1024> text;
  char* out = text.data();
  const char* const stop = text.data() + text.size();
  const int elapsed = static_cast<int>(elapsedMs(s));
  const long long nodes = static_cast<long long>(s.nodeCount);
  int shown = s.iterationDepth;
  if (s.uciMode) {
    if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) {
      const int distance = score > 0 ? (MATE_SCORE + 1 - score) / 2 : -((MATE_SCORE + 1 + score) / 2);
      out += std::snprintf(out, stop - out, "info depth %d score mate %d time %d nodes %lld pv ",
                           s.iterationDepth, distance, elapsed, nodes);
    } else {
      out += std::snprintf(out, stop - out, "info depth %d score cp %d time %d nodes %lld pv ",
                           s.iterationDepth, score, elapsed, nodes);
    }
  } else {
    out +=
        std::snprintf(out, stop - out, "%3d  %6d    %6d  %8lld    ", s.iterationDepth, score, elapsed, nodes);
    if (shown > CONSOLE_PV_MOVES) shown = CONSOLE_PV_MOVES;
  }
  buildShownLine(pos, s, s.iterationDepth);
  if (shown > s.shownLength) shown = s.shownLength;
  for (int i = 0; i < shown; ++i)
    out += std::snprintf(out, stop - out, "%s ", moveToText(s.shownLine[i]).text);
  std::printf("%s\n", text.data());
}

void printStatistics(const SearchState& s) {
  if (s.abandoned || s.uciMode) return;
  std::uint32_t elapsed = elapsedMs(s);
  if (elapsed == 0) elapsed = 1;
  const long long nodes = static_cast<long long>(s.nodeCount);
  std::printf("Time: %d.%03d  Nodes: %lld  Nps: %lld  maxply %d\n", static_cast<int>(elapsed / 1000),
              static_cast<int>(elapsed % 1000), nodes, nodes / elapsed * 1000, s.maxply);
  const ExtensionCounters& c = s.extensionCount;
  std::printf("check %d  prom %d  p7 %d  single %d  mt %d  kt %d simple %d \n", c.check, c.prom, c.p7,
              c.single, c.mt, c.kt, c.simple);
}
