// The main alpha-beta search and the capture search below it.
#include "search/search.h"

#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/tuning.h"

namespace {

// One earlier occurrence since the last irreversible move is a draw.
inline bool isRepetition(const Position& pos) {
  const std::uint64_t key = pos.key;
  for (int i = pos.gamePly - pos.fifty; i < pos.gamePly; ++i)
    if (pos.history[i].key == key) return true;
  return false;
}

inline bool sideToMoveInCheck(const Position& pos) {
  return Eval.currentAttackMap[pos.xside][kingSquare(pos, pos.side)] != 0;
}

inline void countNode(int ply) {
  ++nodeCount;
  if (ply > maxply) maxply = ply;
}

constexpr Move NOT_QUIET = MOVE_PROMO_ANY | MOVE_CAPTURE;

}  // namespace

int quiesce(Position& pos, int alpha, int beta) {
  const int ply = pos.searchPly;
  // Every node starts with an empty line, also those that return early.
  pvLength[ply] = ply;

  // 1-2: poll input and clock; unwind once stopped.
  if (nodeCount % POLL_INTERVAL == 0) pollInput();
  if (stopSearch) return 0;
  // 3: count the node.
  countNode(ply);
  // 4: too deep for the per-ply arrays: trust the evaluation.
  if (ply > MAX_SEARCH_PLY) return evaluate(pos, Eval);
  // 5: a repeated position is a draw.
  if (isRepetition(pos)) return 0;
  // 6: evaluation; it also builds this ply's attack maps.
  const int eval = evaluate(pos, Eval);
  // 7: stand pat, also in check.
  if (eval >= beta) return eval;
  if (eval > alpha) alpha = eval;
  // 8: in check every evasion, else captures that do not lose material.
  const bool inCheck = sideToMoveInCheck(pos);
  if (inCheck) {
    setListEnd(ply, generateEvasions(pos, Eval.currentAttackMap[pos.xside], listBegin(ply)));
    if (listBegin(ply) == listEnd(ply)) return ply - MATE_SCORE;
    scoreMoves(pos, 0);
  } else {
    setListEnd(ply, generateCaptures(pos, listBegin(ply)));
    scoreCaptures(pos);
  }
  // 9: best first; a cutoff returns the cutting score.
  while (const Move m = pickMove(pos)) {
    makeMove(pos, m);
    if (moverLeftInCheck(pos, m, inCheck)) {
      unmakeMove(pos, m);
      continue;
    }
    const int score = -quiesce(pos, -beta, -alpha);
    unmakeMove(pos, m);
    if (score > alpha) {
      alpha = score;
      updatePv(pos, m);
      if (score >= beta) return score;
    }
  }
  // 10: fail hard at the low end.
  return alpha;
}

int search(Position& pos, int depth, int alpha, int beta, int allowNull) {
  const int ply = pos.searchPly;
  // Every node starts with an empty line, also those that return early.
  pvLength[ply] = ply;

  // 1-2: poll input and clock; unwind once stopped.
  if (nodeCount % POLL_INTERVAL == 0) pollInput();
  if (stopSearch) return 0;
  // 3: too deep for the per-ply arrays: trust the evaluation.
  if (ply > MAX_SEARCH_PLY) return evaluate(pos, Eval);
  // 4: a repeated position is a draw.
  if (isRepetition(pos)) return 0;
  // 5: below one ply only captures are resolved.
  if (depth < ONE_PLY) return quiesce(pos, alpha, beta);

  // 6: count the node.
  countNode(ply);

  // 7: a deep enough stored result ends the node; any entry gives a move to try first.
  const ProbeResult probe = probeHash(pos, depth, alpha, beta);
  if (probe.cutoff) return probe.score;
  if (probe.forbidNull) allowNull = 0;

  // 8: evaluation builds this ply's attack maps, which the check test and ordering read.
  const int eval = evaluate(pos, Eval);
  const bool inCheck = sideToMoveInCheck(pos);
  const int nodePieces = Eval.pieceCount[WHITE] + Eval.pieceCount[BLACK];
  bool mateThreat = false;

  // 9: null move: if passing still fails high, a real move will too.
  if (allowNull && !inCheck && Eval.pieceCount[pos.side] != 0 && eval >= beta && depth >= NULL_MIN_DEPTH) {
    const int reduction = pos.material <= NULL_ENDGAME_MATERIAL ? NULL_REDUCTION_ENDGAME : NULL_REDUCTION;
    makeNullMove(pos);
    moveListStart[ply + 1] = moveListStart[ply];
    const int score = -search(pos, depth - reduction, -beta, -beta + 1, 0);
    unmakeNullMove(pos);
    if (score >= beta) return score;
    // Passing gets us mated: the opponent threatens something; look deeper.
    if (score < -MATE_THRESHOLD) mateThreat = true;
    // The child's evaluation moved the maps to the next ply.
    pointAttackMaps(Eval, ply);
  }

  // 10-11: generate and order.
  if (inCheck)
    setListEnd(ply, generateEvasions(pos, Eval.currentAttackMap[pos.xside], listBegin(ply)));
  else
    setListEnd(ply, generateMoves(pos, listBegin(ply)));
  scoreMoves(pos, probe.hashMove);

  // 12: the move loop.
  int best = -MATE_SCORE;
  Move bestMove = 0;
  std::uint32_t bound = BOUND_UPPER;
  int legal = 0;
  while (const Move m = pickMove(pos)) {
    // a: predicted before the move changes the board.
    const bool gc = givesCheck(pos, m);
    // b: pseudo-legal moves that leave the king attacked are skipped.
    makeMove(pos, m);
    if (moverLeftInCheck(pos, m, inCheck)) {
      unmakeMove(pos, m);
      continue;
    }
    // c-d: count it and extend it.
    ++legal;
    const int e = extensionFor(pos, m, gc, mateThreat, nodePieces);
    // e: futility: a quiet move near the horizon cannot repair a large deficit.
    if (depth < FUTILITY_DEPTH_2 && e == 0 && !inCheck && !(m & NOT_QUIET) &&
        (eval < alpha - FUTILITY_MARGIN_2 ||
         (depth < FUTILITY_DEPTH_1 && eval < alpha - FUTILITY_MARGIN_1))) {
      unmakeMove(pos, m);
      continue;
    }
    // f: principal-variation search: later moves first with a null window.
    const int d = depth - ONE_PLY + e;
    int score;
    if (legal == 1) {
      score = -search(pos, d, -beta, -alpha, 1);
    } else {
      score = -search(pos, d, -alpha - 1, -alpha, 1);
      if (alpha < score && score < beta) score = -search(pos, d, -beta, -alpha, 1);
    }
    // g-h: an interrupted child's score is meaningless.
    unmakeMove(pos, m);
    if (stopSearch) return best;
    // i: new best, new alpha, or a cutoff that teaches killers, history and the table.
    if (score > best) {
      best = score;
      bestMove = m;
      if (score > alpha) {
        alpha = score;
        updatePv(pos, m);
        if (score < beta) {
          bound = BOUND_EXACT;
        } else {
          if (!(m & MOVE_CAPTURE)) recordCutoff(pos, m, score, depth);
          storeHash(pos, depth, score, BOUND_LOWER, m);
          return score;
        }
      }
    }
  }

  // 13: no legal move: mated or stalemated; not stored.
  if (legal == 0) return inCheck ? ply - MATE_SCORE : 0;
  // 14: store the node's result.
  storeHash(pos, depth, best, bound, bestMove);
  return best;
}
