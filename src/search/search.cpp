// The main alpha-beta search and the capture search below it.
#include "search/search.h"

#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "search/tuning.h"

namespace {

// One earlier occurrence since the last irreversible move is a draw.
inline bool isRepetition() {
  const std::uint64_t key = Pos.key;
  for (int i = Pos.gamePly - Pos.fifty; i < Pos.gamePly; ++i)
    if (GameHistory[i].key == key) return true;
  return false;
}

inline bool sideToMoveInCheck() { return currentAttackMap[Pos.xside][kingSquare(Pos.side)] != 0; }

inline void countNode(int ply) {
  ++nodeCount;
  if (ply > maxply) maxply = ply;
}

// Passes the move; the saved state lives in the ply's own record as for makeMove.
inline void makeNullMove() {
  const int p = searchPly;
  PlyRecord& rec = Ply[p];
  rec.savedEp = Pos.epSquare;
  rec.savedCastleRights = Pos.castleRights;
  rec.savedFifty = Pos.fifty;
  rec.savedKey = Pos.key;
  rec.captured = 0;
  Ply[p + 1].moveListStart = rec.moveListStart;
  Ply[p + 1].material = rec.material;
  ++Pos.fifty;
  Pos.xside = Pos.side;
  Pos.side ^= 1;
  Pos.key ^= SideKey;
  ++Pos.gamePly;
  GameHistory[Pos.gamePly] = {0, Pos.key};
  searchPly = p + 1;
  Pos.epSquare = EP_NONE;
}

inline void unmakeNullMove() {
  --Pos.gamePly;
  const int p = --searchPly;
  Pos.xside = Pos.side;
  Pos.side ^= 1;
  const PlyRecord& rec = Ply[p];
  Pos.epSquare = rec.savedEp;
  Pos.castleRights = rec.savedCastleRights;
  Pos.fifty = rec.savedFifty;
  Pos.key = rec.savedKey;
}

constexpr Move NOT_QUIET = MOVE_PROMO_ANY | MOVE_CAPTURE;

}  // namespace

int quiesce(int alpha, int beta) {
  const int ply = searchPly;
  // Every node starts with an empty line, also those that return early.
  pvLength[ply] = ply;

  // 1-2: poll input and clock; unwind once stopped.
  if (nodeCount % POLL_INTERVAL == 0) pollInput();
  if (stopSearch) return 0;
  // 3: count the node.
  countNode(ply);
  // 4: too deep for the per-ply arrays: trust the evaluation.
  if (ply > MAX_SEARCH_PLY) return evaluate();
  // 5: a repeated position is a draw.
  if (isRepetition()) return 0;
  // 6: evaluation; it also builds this ply's attack maps.
  const int eval = evaluate();
  // 7: stand pat, also in check.
  if (eval >= beta) return eval;
  if (eval > alpha) alpha = eval;
  // 8: in check every evasion, else captures that do not lose material.
  const bool inCheck = sideToMoveInCheck();
  if (inCheck) {
    generateEvasions();
    if (listBegin(ply) == listEnd(ply)) return ply - MATE_SCORE;
    scoreMoves(0);
  } else {
    generateCaptures();
    scoreCaptures();
  }
  // 9: best first; a cutoff returns the cutting score.
  while (const Move m = pickMove()) {
    makeMove(m);
    if (moverLeftInCheck(m, inCheck)) {
      unmakeMove(m);
      continue;
    }
    const int score = -quiesce(-beta, -alpha);
    unmakeMove(m);
    if (score > alpha) {
      alpha = score;
      updatePv(m);
      if (score >= beta) return score;
    }
  }
  // 10: fail hard at the low end.
  return alpha;
}

int search(int depth, int alpha, int beta, int allowNull) {
  const int ply = searchPly;
  // Every node starts with an empty line, also those that return early.
  pvLength[ply] = ply;

  // 1-2: poll input and clock; unwind once stopped.
  if (nodeCount % POLL_INTERVAL == 0) pollInput();
  if (stopSearch) return 0;
  // 3: too deep for the per-ply arrays: trust the evaluation.
  if (ply > MAX_SEARCH_PLY) return evaluate();
  // 4: a repeated position is a draw.
  if (isRepetition()) return 0;
  // 5: below one ply only captures are resolved.
  if (depth < ONE_PLY) return quiesce(alpha, beta);

  // 6: count the node.
  countNode(ply);

  // 7: a deep enough stored result ends the node; any entry gives a move to try first.
  const ProbeResult probe = probeHash(depth, alpha, beta);
  if (probe.cutoff) return probe.score;
  if (probe.forbidNull) allowNull = 0;

  // 8: evaluation builds this ply's attack maps, which the check test and ordering read.
  const int eval = evaluate();
  const bool inCheck = sideToMoveInCheck();
  bool mateThreat = false;

  // 9: null move: if passing still fails high, a real move will too.
  if (allowNull && !inCheck && Ply[ply].pieceCount[Pos.side] != 0 && eval >= beta &&
      depth >= NULL_MIN_DEPTH) {
    const int reduction =
        Ply[ply].material <= NULL_ENDGAME_MATERIAL ? NULL_REDUCTION_ENDGAME : NULL_REDUCTION;
    makeNullMove();
    const int score = -search(depth - reduction, -beta, -beta + 1, 0);
    unmakeNullMove();
    if (score >= beta) return score;
    // Passing gets us mated: the opponent threatens something; look deeper.
    if (score < -MATE_THRESHOLD) mateThreat = true;
    // The child's evaluation moved the maps to the next ply.
    pointAttackMaps(ply);
  }

  // 10-11: generate and order.
  if (inCheck)
    generateEvasions();
  else
    generateMoves();
  scoreMoves(probe.hashMove);

  // 12: the move loop.
  int best = -MATE_SCORE;
  Move bestMove = 0;
  std::uint32_t bound = BOUND_UPPER;
  int legal = 0;
  while (const Move m = pickMove()) {
    // a: predicted before the move changes the board.
    const bool gc = givesCheck(m);
    // b: pseudo-legal moves that leave the king attacked are skipped.
    makeMove(m);
    if (moverLeftInCheck(m, inCheck)) {
      unmakeMove(m);
      continue;
    }
    // c-d: count it and extend it.
    ++legal;
    const int e = extensionFor(m, gc, mateThreat);
    // e: futility: a quiet move near the horizon cannot repair a large deficit.
    if (depth < FUTILITY_DEPTH_2 && e == 0 && !inCheck && !(m & NOT_QUIET) &&
        (eval < alpha - FUTILITY_MARGIN_2 ||
         (depth < FUTILITY_DEPTH_1 && eval < alpha - FUTILITY_MARGIN_1))) {
      unmakeMove(m);
      continue;
    }
    // f: principal-variation search: later moves first with a null window.
    const int d = depth - ONE_PLY + e;
    int score;
    if (legal == 1) {
      score = -search(d, -beta, -alpha, 1);
    } else {
      score = -search(d, -alpha - 1, -alpha, 1);
      if (alpha < score && score < beta) score = -search(d, -beta, -alpha, 1);
    }
    // g-h: an interrupted child's score is meaningless.
    unmakeMove(m);
    if (stopSearch) return best;
    // i: new best, new alpha, or a cutoff that teaches killers, history and the table.
    if (score > best) {
      best = score;
      bestMove = m;
      if (score > alpha) {
        alpha = score;
        updatePv(m);
        if (score < beta) {
          bound = BOUND_EXACT;
        } else {
          if (!(m & MOVE_CAPTURE)) recordCutoff(m, score, depth);
          storeHash(depth, score, BOUND_LOWER, m);
          return score;
        }
      }
    }
  }

  // 13: no legal move: mated or stalemated; not stored.
  if (legal == 0) return inCheck ? ply - MATE_SCORE : 0;
  // 14: store the node's result.
  storeHash(depth, best, bound, bestMove);
  return best;
}
