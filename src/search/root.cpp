// Iterative deepening, the root search and progress reporting.
#include <array>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tuning.h"

namespace {

inline std::uint32_t elapsedMs(const SearchState& s) { return clockMs(s) - s.searchStartTime; }

// Root moves go through s.pvTable row 0; remember its length for the printer
// and the ponder move, since an interrupted iteration resets s.pvLength[0].
inline void updateRootPv(SearchThread& s, Move m) {
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
void buildShownLine(const Position& root, SearchThread& s, int limit) {
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
      const Move m = legalTableMove(pos, s.shared.hashTable);
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

std::int64_t totalNodes(const SearchThread& main) { return nodesOf(main); }

void resetThread(Position& pos, SearchThread& s) {
  pos.searchPly = 0;
  s.moveListStart[0] = 0;
  s.maxply = 0;
  s.nodeCount = 0;
  s.iterationDepth = 0;
  s.extensionCount = {};
  for (auto& row : s.pvTable) row.fill(0);
  s.pvLength.fill(0);
  s.rootLineLength = 0;
  s.shownLength = 0;
  clearHistory(s);
}

void initSearch(Position& pos, SearchThread& s) {
  SearchState& shared = s.shared;
  shared.hashTable.hashGeneration = (shared.hashTable.hashGeneration + 1) & 63;
  shared.stopSearch = false;
  resetThread(pos, s);
  shared.searchStartTime = clockMs(shared);
}

int rootSearch(Position& pos, SearchThread& s, int depth, int alpha, int beta) {
  // Count the root, build its attack maps, order by the last best move.
  addNode(s);
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
      if (alpha < score && score < beta && !stopped(s.shared))
        score = -search(pos, s, d, -beta, -alpha, true);
    }
    unmakeMove(pos, m);
    // The interrupted move's score is not used.
    if (stopped(s.shared)) return best;
    if (score > best) {
      best = score;
      if (score > alpha) {
        // A new best move from iteration 3 on is worth a progress line.
        const bool changed = m != s.pvTable[0][0] && s.iterationDepth > 2;
        updateRootPv(s, m);
        if (changed) reportLine(pos, s, score);
        if (score >= beta) return best;
        alpha = score;
      }
    }
  }
  return best;
}

void iterativeDeepening(Position& pos, SearchThread& s) {
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
    if (!stopped(s.shared) || s.rootMoveCount >= 2) return;
    score = lastScore;
    s.pvTable[0] = lastLine;
    s.rootLineLength = lastLineLength;
  };
  // Nothing to search.
  if (s.shared.maxDepth < 1) {
    reportLine(pos, s, 0);
    reportStatistics(s);
    return;
  }
  // One ply deeper each time, inside an aspiration window.
  for (int i = 1; i <= s.shared.maxDepth; ++i) {
    // Search the iteration.
    s.iterationDepth = i;
    int score = rootSearch(pos, s, i * ONE_PLY, alpha, beta);
    // Interrupted: keep the last completed result unless a root move completed.
    if (stopped(s.shared)) {
      if (s.rootMoveCount < 2) score = lastScore;
      reportLine(pos, s, score);
      reportStatistics(s);
      return;
    }
    // Fail low: open the window downwards.
    if (score <= alpha) {
      reportLine(pos, s, score);
      alpha = -MATE_SCORE;
      score = rootSearch(pos, s, i * ONE_PLY, -MATE_SCORE, beta);
      keepCompleted(score);
    }
    // Fail high: open it upwards; a second failure is accepted.
    if (score >= beta) {
      reportLine(pos, s, score);
      score = rootSearch(pos, s, i * ONE_PLY, alpha, MATE_SCORE);
      keepCompleted(score);
    }
    // A forced move needs no deep search.
    if (s.rootMoveCount == 1 && i == 3 && !(s.shared.searchFlags & (GO_INFINITE | GO_PONDER))) {
      reportLine(pos, s, score);
      reportStatistics(s);
      return;
    }
    // Centre the next window on this score.
    lastScore = score;
    lastLine = s.pvTable[0];
    lastLineLength = s.rootLineLength;
    alpha = score - ASPIRATION_WINDOW;
    beta = score + ASPIRATION_WINDOW;
    if (i > 2) reportLine(pos, s, score);
  }
  // The final line.
  reportLine(pos, s, lastScore);
  reportStatistics(s);
}

void reportLine(const Position& pos, SearchThread& s, int score) {
  const SearchState& shared = s.shared;
  if (shared.abandoned || shared.report.line == nullptr) return;
  buildShownLine(pos, s, s.iterationDepth);
  const SearchLine line{s.iterationDepth,   score,        elapsedMs(shared), totalNodes(s),
                        s.shownLine.data(), s.shownLength};
  shared.report.line(shared.report.context, line);
}

void reportStatistics(const SearchThread& s) {
  const SearchState& shared = s.shared;
  if (shared.abandoned || shared.report.statistics == nullptr) return;
  const SearchStatistics stats{elapsedMs(shared), totalNodes(s), s.maxply, s.extensionCount};
  shared.report.statistics(shared.report.context, stats);
}
