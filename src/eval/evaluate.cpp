// The evaluation driver: clearing, the passes, the phase blend and the
// draw rule for bare minor pieces.
#include <cstring>

#include "eval/eval.h"

void clearEvaluation(const Position& pos) {
  for (auto& files : pawnsOnFile) files.fill(0);
  whiteRearmost.fill(6);
  blackRearmost.fill(1);

  pointAttackMaps(pos.searchPly);
  // Only the 0x88 indices; marks beyond them are never read.
  std::memset(currentAttackMap[WHITE], 0, 128);
  std::memset(currentAttackMap[BLACK], 0, 128);

  evalRecord = &Ply[pos.searchPly];
  evalRecord->pawnCount = {0, 0};
  evalRecord->knightCount = {0, 0};
  evalRecord->bishopCount = {0, 0};
  evalRecord->rookCount = {0, 0};
  evalRecord->queenCount = {0, 0};

  mgScore = {0, 0};
  egScore = {0, 0};
}

int blendPhase(std::int32_t material, std::int32_t mg, std::int32_t eg) {
  if (material <= ENDGAME_MATERIAL) return eg;
  // Promotions can push material past FULL_MATERIAL; the blend then extrapolates.
  return ((material - ENDGAME_MATERIAL) * mg + (FULL_MATERIAL - material) * eg) /
         (FULL_MATERIAL - ENDGAME_MATERIAL);
}

int evaluate(const Position& pos) {
  clearEvaluation(pos);
  evalPawns(pos);  // first: the later passes read its pawn marks and file arrays
  evalPieces(pos);
  evalKingSafety(pos);  // these two read the finished maps
  evalDevelopment(pos);

  const PlyRecord& r = *evalRecord;
  int score = blendPhase(pos.material, mgScore[WHITE] - mgScore[BLACK], egScore[WHITE] - egScore[BLACK]);

  // At most one minor piece each and no pawns cannot be won.
  if (r.pawnCount[WHITE] + r.pawnCount[BLACK] == 0 && r.pieceCount[WHITE] <= 1 && r.pieceCount[BLACK] <= 1 &&
      r.rookCount[WHITE] + r.queenCount[WHITE] == 0 && r.rookCount[BLACK] + r.queenCount[BLACK] == 0)
    score = 0;

  return pos.side == BLACK ? -score : score;
}
