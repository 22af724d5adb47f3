// The evaluation driver: clearing, the passes, the phase blend and the
// draw rule for bare minor pieces.
#include <cstring>

#include "eval/eval.h"

void clearEvaluation() {
  for (auto& files : pawnsOnFile) files.fill(0);
  whiteRearmost.fill(6);
  blackRearmost.fill(1);

  pointAttackMaps(searchPly);
  // Only the 0x88 indices; marks beyond them are never read.
  std::memset(currentAttackMap[WHITE], 0, 128);
  std::memset(currentAttackMap[BLACK], 0, 128);

  evalRecord = &Ply[searchPly];
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

int evaluate() {
  clearEvaluation();
  evalPawns();  // first: the later passes read its pawn marks and file arrays
  evalPieces();
  evalKingSafety();  // these two read the finished maps
  evalDevelopment();

  const PlyRecord& r = *evalRecord;
  int score = blendPhase(r.material, mgScore[WHITE] - mgScore[BLACK], egScore[WHITE] - egScore[BLACK]);

  // At most one minor piece each and no pawns cannot be won.
  if (r.pawnCount[WHITE] + r.pawnCount[BLACK] == 0 && r.pieceCount[WHITE] <= 1 && r.pieceCount[BLACK] <= 1 &&
      r.rookCount[WHITE] + r.queenCount[WHITE] == 0 && r.rookCount[BLACK] + r.queenCount[BLACK] == 0)
    score = 0;

  return Pos.side == BLACK ? -score : score;
}

std::int32_t boardMaterial() {
  std::int32_t sum = 0;
  for (int s = 0; s < 128; ++s) {
    const int code = Board[s];  // off-board indices read OFFBOARD
    if (code < EMPTY && kindOf(code) != KING) sum += PieceValue[code];
  }
  return sum;
}
