// The evaluation driver: clearing, the passes, the phase blend and the
// draw rule for bare minor pieces.
#include <cstring>

#include "eval/eval.h"

void clearEvaluation(const Position& pos, EvalData& ev) {
  // The pawn pass sets the pawn entry and the pawn counts and writes the
  // board squares of both maps whole (the cleared maps with the pawn marks in), so
  // they need no clearing here; marks off the board are never read.
  pointAttackMaps(ev, pos.searchPly);

  ev.mgScore = {0, 0};
  ev.egScore = {0, 0};
}

int blendPhase(std::int32_t material, std::int32_t mg, std::int32_t eg) {
  if (material <= ENDGAME_MATERIAL) return eg;
  constexpr std::int32_t span = FULL_MATERIAL - ENDGAME_MATERIAL;
  if (material <= FULL_MATERIAL)
    return ((material - ENDGAME_MATERIAL) * mg + (FULL_MATERIAL - material) * eg) / span;
  // Promotions can push material past FULL_MATERIAL; the blend then
  // extrapolates, in 64 bits, since set-up positions with dozens of queens
  // would overflow 32, and is clamped short of the mate scores.
  const std::int64_t blend = (static_cast<std::int64_t>(material - ENDGAME_MATERIAL) * mg +
                              static_cast<std::int64_t>(FULL_MATERIAL - material) * eg) /
                             span;
  return static_cast<int>(blend > MAX_EVAL ? MAX_EVAL : blend < -MAX_EVAL ? -MAX_EVAL : blend);
}

namespace {

// After a null move: the maps of the ply below copied up, a rank at a time
// (the indices between and beyond the ranks are never read).
void takeOverEvaluation(const Position& pos, EvalData& ev) {
  ev.takeOverPly = -1;
  pointAttackMaps(ev, pos.searchPly);
  for (int c = WHITE; c <= BLACK; ++c) {
    const AttackWord* from = ev.attackMaps[pos.searchPly - 1][c].data() + 64;
    for (int r = 0; r < 8; ++r)
      std::memcpy(ev.currentAttackMap[c] + 16 * r, from + 16 * r, 8 * sizeof(AttackWord));
  }
}

}  // namespace

int evaluate(const Position& pos, EvalData& ev) {
  if (ev.takeOverPly == pos.searchPly) {
    takeOverEvaluation(pos, ev);
    return pos.side == BLACK ? -ev.whiteScore : ev.whiteScore;
  }
  clearEvaluation(pos, ev);
  evalPawns(pos, ev);  // first: the later passes read its pawn marks and entry
  evalPieces(pos, ev);
  evalKingSafety(pos, ev);  // these two read the finished maps
  evalDevelopment(pos, ev);

  int score =
      blendPhase(pos.material, ev.mgScore[WHITE] - ev.mgScore[BLACK], ev.egScore[WHITE] - ev.egScore[BLACK]);

  // At most one minor piece each and no pawns cannot be won.
  if (ev.pawnCount[WHITE] + ev.pawnCount[BLACK] == 0 && ev.pieceCount[WHITE] <= 1 &&
      ev.pieceCount[BLACK] <= 1 && ev.rookCount[WHITE] + ev.queenCount[WHITE] == 0 &&
      ev.rookCount[BLACK] + ev.queenCount[BLACK] == 0)
    score = 0;

  ev.whiteScore = score;
  evalCacheEntry(ev, pos.key) = {pos.key, score};
  return pos.side == BLACK ? -score : score;
}

void recallEvaluation(const Position& pos, EvalData& ev, int score) {
  pointAttackMaps(ev, pos.searchPly);
  markPawns(pos, ev);  // first: it writes the board squares of both maps whole, the piece pass adds to them
  markPieces(pos, ev);
  ev.whiteScore = pos.side == BLACK ? -score : score;
}
