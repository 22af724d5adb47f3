// Iterative deepening, the root search and progress reporting.
#include <algorithm>
#include <array>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tuning.h"

// The table's move for the position, when it is legal there (0 otherwise).
Move legalTableMove(Position& pos, const HashTable& table) {
  HashData e;
  if (!readHash(table, pos.key, e)) return 0;
  const Move m = e.move;
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

namespace {

inline std::uint32_t elapsedMs(const SearchState& s) { return clockMs(s) - s.searchStartTime; }

// Root moves go through s.pvTable row 0; remember its length for the printer
// and the ponder move, since an interrupted iteration resets s.pvLength[0].
inline void updateRootPv(SearchThread& s, Move m) {
  updatePv(s, 0, m);
  s.rootLineLength = s.pvLength[0];
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

bool listed(const Move* moves, int count, Move m) {
  for (int i = 0; i < count; ++i)
    if (moves[i] == m) return true;
  return false;
}

// Marks the root moves not to search as searched: those outside
// "searchmoves" and those MultiPV has already placed. Returns no first pick.
MoveEntry* restrictRoot(SearchThread& s) {
  const SearchState& shared = s.shared;
  for (MoveEntry *e = listBegin(s, 0), *end = listEnd(s, 0); e != end; ++e) {
    const bool outside =
        shared.searchMoveCount > 0 && !listed(shared.searchMoves.data(), shared.searchMoveCount, e->move);
    if (outside || listed(s.excludedMoves.data(), s.excludedCount, e->move)) e->score = -1;
  }
  return nullptr;
}

// Interfaces show the root move under search: in a search of more than
// CURRENT_MOVE_AFTER_MS, when it changes, at most every CURRENT_MOVE_EVERY_MS.
constexpr std::uint32_t CURRENT_MOVE_AFTER_MS = 1000;
constexpr std::uint32_t CURRENT_MOVE_EVERY_MS = 250;

void reportCurrentMove(SearchThread& s, Move m) {
  SearchState& shared = s.shared;
  if (s.id != 0 || shared.abandoned || shared.report.currentMove == nullptr) return;
  const std::uint32_t elapsed = elapsedMs(shared);
  if (elapsed < CURRENT_MOVE_AFTER_MS || elapsed - shared.lastCurrentMove < CURRENT_MOVE_EVERY_MS) return;
  shared.lastCurrentMove = elapsed;
  shared.report.currentMove(shared.report.context, m, s.rootMoveCount);
}

}  // namespace

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
  s.completedDepth = 0;
  s.completedScore = 0;
  s.completedLength = 0;
  s.excludedCount = 0;
  s.rootLineCount = 0;
  clearHistory(s);
}

void initSearch(Position& pos, SearchThread& s) {
  SearchState& shared = s.shared;
  shared.hashTable.hashGeneration = (shared.hashTable.hashGeneration + 1) & 63;
  shared.stopSearch = false;
  shared.lastProgress = 0;
  shared.lastCurrentMove = 0;
  shared.mainDepth.store(0, std::memory_order_relaxed);
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
  MovePicker picker{scoreMoves(pos, s, s.pvTable[0][0])};
  if (s.shared.searchMoveCount > 0 || s.excludedCount > 0) picker.first = restrictRoot(s);

  // Every legal move, the first with the full window.
  int best = -MATE_SCORE;
  while (const Move m = pickMove(s, 0, picker)) {
    makeMove(pos, m);
    if (kingInCheck(pos, pos.xside)) {
      unmakeMove(pos, m);
      continue;
    }
    ++s.rootMoveCount;
    reportCurrentMove(s, m);
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
        const bool changed = m != s.pvTable[0][0] && s.iterationDepth > 2 && s.shared.multiPv == 1;
        updateRootPv(s, m);
        if (changed) reportLine(pos, s, score, 0, score >= beta ? BOUND_LOWER : BOUND_EXACT);
        if (score >= beta) return best;
        alpha = score;
      }
    }
  }
  return best;
}

namespace {

// "go mate N": a mate in N moves or fewer is proved.
bool mateFound(SearchState& s, int score) {
  if (s.mateLimit <= 0 || score <= MATE_THRESHOLD || (MATE_SCORE + 1 - score) / 2 > s.mateLimit) return false;
  s.stopSearch = true;
  return true;
}

// Puts a found line into row 0 of the line table, where the printer and
// the answer read it.
void useLine(SearchThread& s, const SearchThread::RootLine& line) {
  s.pvTable[0] = line.moves;
  s.rootLineLength = line.length;
}

// Iterations with several lines (MultiPV): each finds the best root move
// not yet placed, with the full window, until MultiPV lines or the legal
// moves run out; the lines are then reported best first. A stop keeps
// the last completed iteration's lines.
int deepenLines(Position& pos, SearchThread& s) {
  SearchState& shared = s.shared;
  for (int i = 1; i <= shared.maxDepth; ++i) {
    s.iterationDepth = i;
    s.excludedCount = 0;
    int found = 0;
    std::array<SearchThread::RootLine, MAX_ROOT_MOVES>& lines = s.rootLines;
    // The new lines go after the completed ones until the iteration ends.
    const int base = s.rootLineCount;
    while (found < shared.multiPv && base + found < MAX_ROOT_MOVES) {
      const int score = rootSearch(pos, s, i * ONE_PLY, -MATE_SCORE, MATE_SCORE);
      if (stopped(shared) || s.rootMoveCount == 0 || s.pvLength[0] == 0) break;
      SearchThread::RootLine& line = lines[base + found];
      line.score = score;
      line.length = s.rootLineLength;
      line.moves = s.pvTable[0];
      s.excludedMoves[s.excludedCount++] = line.moves[0];
      ++found;
    }
    s.excludedCount = 0;
    if (stopped(shared) && i > 1) break;
    // Best first; equal scores keep the order found.
    std::stable_sort(lines.begin() + base, lines.begin() + base + found,
                     [](const auto& a, const auto& b) { return a.score > b.score; });
    std::copy(lines.begin() + base, lines.begin() + base + found, lines.begin());
    s.rootLineCount = found;
    if (found == 0) break;
    s.completedDepth = i;
    s.completedScore = lines[0].score;
    for (int k = 0; k < found; ++k) {
      useLine(s, lines[k]);
      reportLine(pos, s, lines[k].score, k + 1);
    }
    useLine(s, lines[0]);
    buildShownLine(pos, s, i);  // for the ponder move
    if (stopped(shared) || mateFound(shared, lines[0].score)) break;
  }
  if (s.rootLineCount > 0) useLine(s, s.rootLines[0]);
  return s.completedScore;
}

// The iterations of one thread; returns the score of the final line. The
// main thread reports as it goes; helpers search silently, the odd ones a
// ply deeper than the even ones, so that they spread over two depths.
int deepen(Position& pos, SearchThread& s) {
  const bool main = s.id == 0;
  const int offset = s.id & 1;
  int alpha = -MATE_SCORE;
  int beta = MATE_SCORE;
  // A re-search stopped before any root move completed has no result of
  // its own (its score would read as mated): the last completed one stands.
  const auto keepCompleted = [&](int& score) {
    if (!stopped(s.shared) || s.rootMoveCount >= 2) return;
    score = s.completedScore;
    s.pvTable[0] = s.completedLine;
    s.rootLineLength = s.completedLength;
  };
  // Nothing to search.
  if (s.shared.maxDepth < 1) return 0;
  if (main && s.shared.multiPv > 1) return deepenLines(pos, s);
  // One ply deeper each time, inside an aspiration window.
  for (int i = 1 + offset; i <= s.shared.maxDepth; ++i) {
    // The main thread publishes its iteration; a helper that has fallen to
    // it (or, for the odd ones, below the next) jumps ahead: an iteration
    // the main thread has finished or is in is of little use to repeat.
    if (main)
      s.shared.mainDepth.store(i, std::memory_order_relaxed);
    else
      i = std::min(std::max(i, s.shared.mainDepth.load(std::memory_order_relaxed) + offset),
                   s.shared.maxDepth);
    // Search the iteration.
    s.iterationDepth = i;
    int score = rootSearch(pos, s, i * ONE_PLY, alpha, beta);
    // Interrupted: keep the last completed result unless a root move completed.
    if (stopped(s.shared)) return s.rootMoveCount < 2 ? s.completedScore : score;
    // Fail low: open the window downwards.
    if (score <= alpha) {
      reportLine(pos, s, score, 0, BOUND_UPPER);
      alpha = -MATE_SCORE;
      score = rootSearch(pos, s, i * ONE_PLY, -MATE_SCORE, beta);
      keepCompleted(score);
    }
    // Fail high: open it upwards; a second failure is accepted.
    if (score >= beta) {
      reportLine(pos, s, score, 0, BOUND_LOWER);
      score = rootSearch(pos, s, i * ONE_PLY, alpha, MATE_SCORE);
      keepCompleted(score);
    }
    // A forced move needs no deep search.
    if (main && s.rootMoveCount == 1 && i == 3 && s.shared.searchMoveCount == 0 &&
        !(s.shared.searchFlags & (GO_INFINITE | GO_PONDER)))
      return score;
    // Centre the next window on this score.
    {
      // The main thread reads a helper's result while it may still run.
      std::unique_lock lock(s.shared.poolMutex, std::defer_lock);
      if (!main) lock.lock();
      if (!stopped(s.shared)) s.completedDepth = i;
      s.completedScore = score;
      s.completedLine = s.pvTable[0];
      s.completedLength = s.rootLineLength;
    }
    alpha = score - ASPIRATION_WINDOW;
    beta = score + ASPIRATION_WINDOW;
    if (i > 2) reportLine(pos, s, score);
    if (mateFound(s.shared, score)) break;
  }
  return s.completedScore;
}

void helperLoop(SearchHelper& h, std::uint64_t seen) {
  SearchState& s = h.thread.shared;
  for (;;) {
    {
      std::unique_lock lock(s.poolMutex);
      s.poolWake.wait(lock, [&] { return s.poolQuit || s.poolGeneration != seen; });
      if (s.poolQuit) return;
      seen = s.poolGeneration;
    }
    deepen(h.pos, h.thread);
    {
      std::lock_guard lock(s.poolMutex);
      if (--s.poolRunning == 0) s.poolDone.notify_all();
    }
  }
}

// The helpers take a copy of the root and start; they are idle, so their
// state may be written here.
void startHelpers(const Position& root, SearchState& s) {
  if (s.helpers.empty()) return;
  for (auto& h : s.helpers) {
    h->pos = root;
    resetThread(h->pos, h->thread);
    h->thread.shareWork = true;
    h->thread.pollMask = s.oversubscribed ? POLL_INTERVAL / HELPER_POLL_DIVISOR - 1 : POLL_INTERVAL - 1;
  }
  std::lock_guard lock(s.poolMutex);
  s.poolRunning = static_cast<int>(s.helpers.size());
  ++s.poolGeneration;
  s.poolWake.notify_all();
}

// The answer comes from the deepest finished iteration of any thread.
int adoptDeepest(SearchThread& main, int score) {
  std::lock_guard lock(main.shared.poolMutex);
  const SearchThread* deepest = &main;
  for (const auto& h : main.shared.helpers)
    if (h->thread.completedDepth > deepest->completedDepth) deepest = &h->thread;
  if (deepest == &main) return score;
  main.iterationDepth = deepest->completedDepth;
  main.pvTable[0] = deepest->completedLine;
  main.rootLineLength = deepest->completedLength;
  return deepest->completedScore;
}

}  // namespace

void iterativeDeepening(Position& pos, SearchThread& s) {
  finishSearch(s.shared);  // helpers still unwinding from the last search
  initSearch(pos, s);
  s.pollMask = s.shared.helpers.empty() ? POLL_INTERVAL - 1 : POLL_INTERVAL / HELPER_POLL_DIVISOR - 1;
  s.shareWork = !s.shared.helpers.empty();
  startHelpers(pos, s.shared);
  int score = deepen(pos, s);
  if (!s.shared.helpers.empty()) {
    // The helpers unwind while the answer is given; finishSearch waits for them.
    s.shared.stopSearch = true;
    if (s.shared.multiPv == 1) score = adoptDeepest(s, score);
  }
  // The final line; with several lines, they were all reported as their
  // iteration ended.
  if (s.shared.multiPv == 1) reportLine(pos, s, score);
  reportStatistics(s);
}

void finishSearch(SearchState& s) {
  if (s.helpers.empty()) return;
  s.stopSearch = true;
  std::unique_lock lock(s.poolMutex);
  s.poolDone.wait(lock, [&] { return s.poolRunning == 0; });
}

void setThreadCount(SearchState& s, int count) {
  {
    std::lock_guard lock(s.poolMutex);
    s.poolQuit = true;
    s.poolWake.notify_all();
  }
  for (auto& h : s.helpers) h->handle.join();
  s.helpers.clear();
  s.poolQuit = false;
  const unsigned cores = std::thread::hardware_concurrency();
  s.oversubscribed = cores != 0 && static_cast<unsigned>(count) > cores;
  for (int id = 1; id < count && id < MAX_THREADS; ++id) {
    s.helpers.push_back(std::make_unique<SearchHelper>(s, id));
    SearchHelper& h = *s.helpers.back();
    h.handle = std::thread(helperLoop, std::ref(h), s.poolGeneration);
  }
}

SearchState::~SearchState() { setThreadCount(*this, 1); }

std::int64_t totalNodes(const SearchThread& main) {
  std::int64_t n = nodesOf(main);
  for (const auto& h : main.shared.helpers) n += nodesOf(h->thread);
  return n;
}

void reportLine(const Position& pos, SearchThread& s, int score, int multipv, std::uint32_t bound) {
  const SearchState& shared = s.shared;
  if (s.id != 0 || shared.abandoned || shared.report.line == nullptr) return;
  buildShownLine(pos, s, s.iterationDepth);
  const SearchLine line{multipv,           s.iterationDepth, s.maxply,           score,         bound,
                        elapsedMs(shared), totalNodes(s),    s.shownLine.data(), s.shownLength, &pos};
  shared.report.line(shared.report.context, line);
}

void reportStatistics(const SearchThread& s) {
  const SearchState& shared = s.shared;
  if (shared.abandoned || shared.report.statistics == nullptr) return;
  const SearchStatistics stats{elapsedMs(shared), totalNodes(s), s.maxply, s.extensionCount};
  shared.report.statistics(shared.report.context, stats);
}
