// Move ordering: scoring schemes, selection, killers, history and the
// principal-variation table.
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/search.h"
#include "search/tuning.h"

namespace {

// Value of what a capture takes; an en-passant target square is empty.
inline int victimValue(const Position& pos, Move m) {
  return (m & MOVE_EN_PASSANT) ? 0 : PieceValue[pos.board[moveTarget(m)]];
}

// Keeps e if it beats the best so far: strictly greater, so that ties go to
// the move generated first. The scoring passes and pickMove share the rule.
inline void keepBest(MoveEntry* e, MoveEntry*& best, std::int32_t& bestScore) {
  if (e->score > bestScore) {
    bestScore = e->score;
    best = e;
  }
}

}  // namespace

MoveEntry* scoreMoves(const Position& pos, SearchThread& s, Move hashMove) {
  const int ply = pos.searchPly;
  const Killers& rec = s.killers[ply];
  const auto& history = s.history[pos.side];
  // The ratio is taken in 64 bits: history times 1000 outgrows 32 bits in long searches.
  const std::int64_t divisor = static_cast<std::int64_t>(s.historyMax) + 1;
  // The low six bits of the hash move and the killers, one bit each: a
  // move whose bit is clear is none of them, which one test tells.
  const auto bitOf = [](Move m) { return m == 0 ? 0 : std::uint64_t{1} << (m & 63); };
  const std::uint64_t special =
      bitOf(hashMove) | bitOf(rec.mateKiller) | bitOf(rec.killer1) | bitOf(rec.killer2);
  // Divided even when the entry is empty: a test for zero, taken at random,
  // mispredicts more often than the division costs.
  const auto historyScore = [&](Move m) {
    const std::int64_t h = history[moveOrigin(m)][moveTarget(m)];
    return static_cast<std::int32_t>(h * ORDER_HISTORY_SCALE / divisor);
  };
  MoveEntry* first = nullptr;
  std::int32_t firstScore = -1;
  const auto captureScore = [&](Move m) {
    const int v = victimValue(pos, m);
    const int a = PieceValue[pos.board[moveOrigin(m)]];
    if (v > a) return ORDER_WINNING_CAPTURE + v - a;
    if (v == a) return ORDER_EVEN_CAPTURE + v;
    return (exchangeValue(pos, s.eval, m) > 0 ? ORDER_SAFE_CAPTURE : ORDER_LOSING_CAPTURE) + v - a;
  };
  for (MoveEntry *e = listBegin(s, ply), *end = listEnd(s, ply); e != end; ++e) {
    const Move m = e->move;
    if ((special >> (m & 63)) & 1) {
      e->score = m == hashMove         ? ORDER_HASH
                 : (m & MOVE_CAPTURE)  ? captureScore(m)
                 : m == rec.mateKiller ? ORDER_MATE_KILLER
                 : m == rec.killer1    ? ORDER_KILLER_1
                 : m == rec.killer2    ? ORDER_KILLER_2
                                       : historyScore(m);
    } else if (m & MOVE_CAPTURE) {
      e->score = captureScore(m);
    } else {
      e->score = historyScore(m);
    }
    keepBest(e, first, firstScore);
  }
  return first;
}

MoveEntry* scoreCaptures(const Position& pos, SearchThread& s) {
  const int ply = pos.searchPly;
  MoveEntry* first = nullptr;
  std::int32_t firstScore = -1;
  for (MoveEntry *e = listBegin(s, ply), *end = listEnd(s, ply); e != end; ++e) {
    const Move m = e->move;
    if (m & MOVE_CAPTURE) {
      const int v = victimValue(pos, m);
      const int a = PieceValue[pos.board[moveOrigin(m)]];
      // A capture that loses material by exchange is not worth resolving.
      e->score = (a > v && exchangeValue(pos, s.eval, m) < 0) ? -1 : ORDER_QUIESCE_CAPTURE + v - a;
    } else {
      e->score = 0;  // a quiet queen promotion, after the captures
    }
    keepBest(e, first, firstScore);
  }
  return first;
}

Move pickMove(SearchThread& s, int ply) {
  MoveEntry* best = nullptr;
  std::int32_t bestScore = -1;
  for (MoveEntry *e = listBegin(s, ply), *end = listEnd(s, ply); e != end; ++e) keepBest(e, best, bestScore);
  if (best == nullptr) return 0;
  best->score = -1;
  return best->move;
}

MoveEntry* nextEntry(SearchThread& s, int ply, MovePicker& p) {
  MoveEntry* const begin = listBegin(s, ply);
  MoveEntry* const end = listEnd(s, ply);
  // Nothing taken yet: the best, as pickMove finds it.
  if (p.last == nullptr) {
    MoveEntry* best = nullptr;
    std::int32_t bestScore = -1;
    for (MoveEntry* e = begin; e != end; ++e) keepBest(e, best, bestScore);
    return best;
  }
  // Stable, by falling score. Scores are -1 (taken), 0 (most quiet moves) or
  // positive; only the positive ones are insertion-sorted, in place at the
  // front, while the zeros and the taken are set aside in list order and put
  // back behind them, so no entry passes a run of zeros.
  std::array<MoveEntry, MAX_MOVES_PER_PLY> aside;  // zeros from the front, taken from the back
  MoveEntry* w = begin;
  MoveEntry* zero = aside.data();
  MoveEntry* taken = aside.data() + aside.size();
  for (MoveEntry* i = begin; i != end; ++i) {
    const MoveEntry x = *i;
    if (x.score > 0) {
      MoveEntry* j = w++;
      for (; j != begin && (j - 1)->score < x.score; --j) *j = *(j - 1);
      *j = x;
    } else if (x.score == 0) {
      *zero++ = x;
    } else {
      *--taken = x;
    }
  }
  for (const MoveEntry* z = aside.data(); z != zero; ++z) *w++ = *z;
  for (const MoveEntry* t = aside.data() + aside.size(); t != taken;) *w++ = *--t;
  p.end = end;
  p.sorted = true;
  return begin != end && begin->score > -1 ? begin : nullptr;
}

void recordCutoff(const Position& pos, SearchThread& s, Move m, int score, int depth) {
  Killers& rec = s.killers[pos.searchPly];
  if (score > MATE_KILLER_BOUND) {
    rec.mateKiller = m;
  } else {
    rec.killer2 = rec.killer1;
    rec.killer1 = m;
  }
  std::int32_t& h = s.history[pos.side][moveOrigin(m)][moveTarget(m)];
  h += depth / ONE_PLY;
  if (h > s.historyMax) s.historyMax = h;
}

void clearHistory(SearchThread& s) {
  for (auto& side : s.history)
    for (auto& row : side) row.fill(0);
  s.historyMax = 0;
}

void clearLearning(SearchThread& s) {
  s.killers.fill({});
  clearHistory(s);
}

void updatePv(SearchThread& s, int p, Move m) {
  const int len = s.pvLength[p + 1];
  for (int i = p + 1; i < len; ++i) s.pvTable[p][i] = s.pvTable[p + 1][i];
  s.pvLength[p] = len;
  s.pvTable[p][p] = m;
}
