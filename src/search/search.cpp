// The main alpha-beta search and the capture search below it.
#include "search/search.h"

#include <thread>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/tuning.h"

namespace {

// One earlier occurrence since the last irreversible move is a draw. Every
// move and null move passes the turn and the key includes the side to move,
// so only every second position back can match.
inline bool isRepetition(const Position& pos) {
  const std::uint64_t key = pos.key;
  for (int i = pos.gamePly - 2; i >= pos.gamePly - pos.fifty; i -= 2)
    if (pos.history[i].key == key) return true;
  return false;
}

inline bool sideToMoveInCheck(const Position& pos, const EvalData& ev) {
  return ev.currentAttackMap[pos.xside][kingSquare(pos, pos.side)] != 0;
}

inline void countNode(SearchThread& s, int ply) {
  addNode(s);
  if (ply > s.maxply) s.maxply = ply;
}

constexpr Move NOT_QUIET = MOVE_PROMO_ANY | MOVE_CAPTURE;

static_assert(EXTEND_CHECK > 0 && EXTEND_MATE_THREAT > 0 && EXTEND_PAWN_7TH > 0 && EXTEND_PAWN_6TH > 0 &&
              EXTEND_SINGLE_REPLY > 0 && EXTEND_MAX > 0);

// Before a pawn move of the side to move: whether it reaches its sixth or
// seventh rank, which is extended.
inline bool pushesToSixthOrSeventh(const Position& pos, Move m) {
  if (!(m & MOVE_PAWN)) return false;
  const int rank = RelativeRank[pos.side][moveTarget(m)];
  return rank == 5 || rank == 6;
}

// Before a move, out of check: whether it leaves the mover's king
// attacked. A king move (castling too) onto a square the opponent's map
// marks does; any other only when a pinned piece leaves its line. A
// Chess960 castling may not name the king's target; its path is safe, as
// the generator tested, unless the rook uncovers the target.
inline bool leavesKingAttacked(const Position& pos, Move m, const AttackWord* enemyAttacks) {
  if (moveOrigin(m) == kingSquare(pos, pos.side)) {
    if ((m & MOVE_CASTLE) && pos.castle960) return castleLeavesKingAttacked(pos, m);
    return enemyAttacks[moveTarget(m)] != 0;
  }
  return movesPinnedPiece(pos, m);
}

constexpr std::uint32_t PROGRESS_INTERVAL_MS = 1000;

// Once a second after the first, the time, nodes, rate and table use.
void reportProgress(SearchThread& t) {
  SearchState& s = t.shared;
  if (s.report.progress == nullptr || s.abandoned) return;
  const std::uint32_t elapsed = clockMs(s) - s.searchStartTime;
  if (elapsed < s.lastProgress + PROGRESS_INTERVAL_MS) return;
  s.lastProgress = elapsed - elapsed % PROGRESS_INTERVAL_MS;
  s.report.progress(s.report.context, {elapsed, totalNodes(t), hashFull(s.hashTable)});
}

}  // namespace

void pollInput(SearchThread& t) {
  SearchState& s = t.shared;
  // With more search threads than cores a yield at every poll gets the
  // input reader (and so "stop") a core within a poll, not a scheduler
  // slice of several milliseconds.
  if (s.oversubscribed) std::this_thread::yield();
  // Only the main thread reads input and the clock. The nodes that unwind
  // after a stop keep polling; they must not eat the lines a client sends
  // after "stop" (the next position and go).
  if (t.id != 0 || stopped(s)) return;
  s.input.poll(s.input.context, s);
  reportProgress(t);
  if (s.searchFlags & (GO_INFINITE | GO_PONDER)) return;
  if (s.nodeLimit != NO_NODE_LIMIT && totalNodes(t) >= s.nodeLimit) s.stopSearch = true;
  if (s.clockLimited && clockReached(clockMs(s), s.stopTime)) s.stopSearch = true;
}

int quiesce(Position& pos, SearchThread& s, int alpha, int beta) {
  const int ply = pos.searchPly;
  // Every node starts with an empty line, also those that return early.
  s.pvLength[ply] = ply;

  // Poll input and clock; unwind once stopped.
  if ((nodesOf(s) & s.pollMask) == 0) pollInput(s);
  if (stopped(s.shared)) return 0;
  // Count the node.
  countNode(s, ply);
  // Too deep for the per-ply arrays: trust the evaluation.
  if (ply > MAX_SEARCH_PLY) return evaluate(pos, s.eval);
  // A repeated position is a draw.
  if (isRepetition(pos)) return 0;
  // Evaluation; it also builds this ply's attack maps. A score the cache
  // knows is not computed again, and one that stands pat needs no maps.
  int eval;
  if (!cachedEvaluation(pos, s.eval, eval))
    eval = evaluate(pos, s.eval);
  else if (eval < beta)
    recallEvaluation(pos, s.eval, eval);
  // Stand pat, also in check.
  if (eval >= beta) return eval;
  if (eval > alpha) alpha = eval;
  // In check every evasion, else captures that do not lose material.
  const bool inCheck = sideToMoveInCheck(pos, s.eval);
  const AttackWord* enemyAttacks = s.eval.currentAttackMap[pos.xside];
  MovePicker picker{};
  if (inCheck) {
    setListEnd(s, ply,
               generateEvasions(pos, s.eval.currentAttackMap[pos.xside], s.eval.currentAttackMap[pos.side],
                                listBegin(s, ply)));
    if (listBegin(s, ply) == listEnd(s, ply)) return ply - MATE_SCORE;
    picker.first = scoreMoves(pos, s, 0);
  } else {
    // The maps of step 6 are current.
    setListEnd(s, ply, generateCapturesFromMaps(pos, s.eval.currentAttackMap[pos.side], listBegin(s, ply)));
    picker.first = scoreCaptures(pos, s);
    // No first pick: every capture loses material, none is searched.
    if (picker.first == nullptr) return alpha;
  }
  // Best first; a cutoff returns the cutting score.
  while (const Move m = pickMove(s, ply, picker)) {
    makeMove(pos, m);
    if (moverLeftInCheck(pos, m, inCheck, enemyAttacks)) {
      unmakeMove(pos, m);
      continue;
    }
    const int score = -quiesce(pos, s, -beta, -alpha);
    unmakeMove(pos, m);
    if (score > alpha) {
      alpha = score;
      updatePv(s, ply, m);
      if (score >= beta) return score;
    }
  }
  // Fail hard at the low end.
  return alpha;
}

namespace {

// The slot of a child position's claim: a thread about to search the
// child stores its key there, and takes it out after unless another
// thread's claim has replaced it.
inline std::atomic<std::uint64_t>& busySlot(SearchState& s, std::uint64_t key) {
  return s.busyChildren[key >> (64 - BUSY_SLOT_BITS)];
}
inline bool childIsBusy(SearchState& s, std::uint64_t key) {
  return busySlot(s, key).load(std::memory_order_relaxed) == key;
}

// At most this many children a node puts last; more are searched in turn.
constexpr int MAX_DEFERRED = 32;

// Shared: other threads search beside this one (SearchThread::shareWork);
// one thread alone runs the instance without any of it.
template <bool Shared>
int searchNode(Position& pos, SearchThread& s, int depth, int alpha, int beta, bool allowNull) {
  const int ply = pos.searchPly;
  // Every node starts with an empty line, also those that return early.
  s.pvLength[ply] = ply;

  // Poll input and clock; unwind once stopped.
  if ((nodesOf(s) & s.pollMask) == 0) pollInput(s);
  if (stopped(s.shared)) return 0;
  // Too deep for the per-ply arrays: trust the evaluation.
  if (ply > MAX_SEARCH_PLY) return evaluate(pos, s.eval);
  // A repeated position is a draw.
  if (isRepetition(pos)) return 0;
  // Below one ply only captures are resolved.
  if (depth < ONE_PLY) return quiesce(pos, s, alpha, beta);

  // Count the node.
  countNode(s, ply);

  // Evaluation builds this ply's attack maps, which the check test and
  // ordering read; a score the cache knows is not computed again. After a
  // null move the evaluation below is taken over instead.
  int eval;
  if (s.eval.takeOverPly == ply || !cachedEvaluation(pos, s.eval, eval))
    eval = evaluate(pos, s.eval);
  else
    recallEvaluation(pos, s.eval, eval);

  // A deep enough stored result ends the node; any entry gives a move to try
  // first. Probed after the evaluation, which gives the entry's fetch time.
  const ProbeResult probe = probeHash(s.shared.hashTable, pos, depth, alpha, beta);
  if (probe.cutoff) return probe.score;
  if (probe.forbidNull) allowNull = false;

  const bool inCheck = sideToMoveInCheck(pos, s.eval);
  // This ply's map of the opponent; the children's evaluations leave it alone.
  const AttackWord* enemyAttacks = s.eval.currentAttackMap[pos.xside];
  const int nodePieces = s.eval.pieceCount[WHITE] + s.eval.pieceCount[BLACK];
  bool mateThreat = false;

  // Null move: if passing still fails high, a real move will too.
  if (allowNull && !inCheck && s.eval.pieceCount[pos.side] != 0 && eval >= beta && depth >= NULL_MIN_DEPTH) {
    const int reduction = pos.material <= NULL_ENDGAME_MATERIAL ? NULL_REDUCTION_ENDGAME : NULL_REDUCTION;
    makeNullMove(pos);
    s.moveListStart[ply + 1] = s.moveListStart[ply];
    // The same board: the child's evaluation is this node's.
    s.eval.takeOverPly = ply + 1;
    const int score = -searchNode<Shared>(pos, s, depth - reduction, -beta, -beta + 1, false);
    s.eval.takeOverPly = -1;
    unmakeNullMove(pos);
    if (score >= beta) return score;
    // Passing gets us mated: the opponent threatens something; look deeper.
    if (score < -MATE_THRESHOLD) mateThreat = true;
    // The child's evaluation moved the maps to the next ply.
    pointAttackMaps(s.eval, ply);
  }

  // Generate and order.
  if (inCheck)
    setListEnd(s, ply,
               generateEvasions(pos, s.eval.currentAttackMap[pos.xside], s.eval.currentAttackMap[pos.side],
                                listBegin(s, ply)));
  else
    setListEnd(s, ply, generateMoves(pos, listBegin(s, ply)));
  MovePicker picker{scoreMoves(pos, s, probe.hashMove)};

  // The move loop.
  int best = -MATE_SCORE;
  Move bestMove = 0;
  std::uint32_t bound = BOUND_UPPER;
  int legal = 0;
  const bool singleReply = listEnd(s, ply) - listBegin(s, ply) == 1;
  // Children put last because another thread is in them.
  [[maybe_unused]] std::array<Move, MAX_DEFERRED> deferred;
  [[maybe_unused]] int deferredCount = 0, deferredNext = 0;
  [[maybe_unused]] bool listDone = false;
  for (;;) {
    Move m = 0;
    if (!Shared || !listDone) m = pickMove(s, ply, picker);
    if constexpr (Shared) {
      if (m == 0) {
        listDone = true;
        if (deferredNext == deferredCount) break;
        m = deferred[deferredNext++];
      }
    } else if (m == 0) {
      break;
    }
    // Check prediction, before the move changes the board.
    const bool gc = givesCheck(pos, m);
    // Futility: a quiet move near the horizon without an extension cannot
    // repair a large deficit. Every extension rule adds a positive amount,
    // and for a quiet move only check, mate threat, a pawn reaching the
    // sixth or seventh rank and a single reply apply, so this is decided
    // before the move is made; a legal one still counts, and out of check
    // the map (king moves) and the pin test tell legality.
    if (depth < FUTILITY_DEPTH_2 && !inCheck && !(m & NOT_QUIET) &&
        (eval < alpha - FUTILITY_MARGIN_2 ||
         (depth < FUTILITY_DEPTH_1 && eval < alpha - FUTILITY_MARGIN_1)) &&
        !gc && !mateThreat && !singleReply && !pushesToSixthOrSeventh(pos, m)) {
      if (!leavesKingAttacked(pos, m, enemyAttacks)) ++legal;
      continue;
    }
    // Pseudo-legal moves that leave the king attacked are skipped.
    makeMove(pos, m);
    if (moverLeftInCheck(pos, m, inCheck, enemyAttacks)) {
      unmakeMove(pos, m);
      continue;
    }
    // A child with a ply or more to go probes the table first thing.
    if (depth >= 2 * ONE_PLY) prefetchHash(s.shared.hashTable, pos.key);
    // Another thread is in this child: search it after the others.
    [[maybe_unused]] std::atomic<std::uint64_t>* claimed = nullptr;
    if constexpr (Shared) {
      if (depth >= SHARE_MIN_DEPTH) {
        if (legal > 0 && !listDone && deferredCount < MAX_DEFERRED && childIsBusy(s.shared, pos.key)) {
          unmakeMove(pos, m);
          deferred[deferredCount++] = m;
          continue;
        }
        claimed = &busySlot(s.shared, pos.key);
        claimed->store(pos.key, std::memory_order_relaxed);
      }
    }
    // Count it and extend it.
    ++legal;
    const int e = extensionFor(pos, s, m, gc, mateThreat, nodePieces);
    // Principal-variation search: later moves first with a null window.
    const int d = depth - ONE_PLY + e;
    int score;
    if (legal == 1) {
      score = -searchNode<Shared>(pos, s, d, -beta, -alpha, true);
    } else {
      score = -searchNode<Shared>(pos, s, d, -alpha - 1, -alpha, true);
      if (alpha < score && score < beta) score = -searchNode<Shared>(pos, s, d, -beta, -alpha, true);
    }
    if constexpr (Shared) {
      if (claimed != nullptr) {
        std::uint64_t key = pos.key;
        claimed->compare_exchange_strong(key, 0, std::memory_order_relaxed);
      }
    }
    // An interrupted child's score is meaningless.
    unmakeMove(pos, m);
    if (stopped(s.shared)) return best;
    // New best, new alpha, or a cutoff that teaches killers, history and the table.
    if (score > best) {
      best = score;
      bestMove = m;
      if (score > alpha) {
        alpha = score;
        updatePv(s, ply, m);
        if (score < beta) {
          bound = BOUND_EXACT;
        } else {
          if (!(m & MOVE_CAPTURE)) recordCutoff(pos, s, m, score, depth);
          storeHash(s.shared.hashTable, pos, depth, score, BOUND_LOWER, m);
          return score;
        }
      }
    }
  }

  // No legal move: mated or stalemated; not stored.
  if (legal == 0) return inCheck ? ply - MATE_SCORE : 0;
  // Store the node's result.
  storeHash(s.shared.hashTable, pos, depth, best, bound, bestMove);
  return best;
}

}  // namespace

int search(Position& pos, SearchThread& s, int depth, int alpha, int beta, bool allowNull) {
  return s.shareWork ? searchNode<true>(pos, s, depth, alpha, beta, allowNull)
                     : searchNode<false>(pos, s, depth, alpha, beta, allowNull);
}
