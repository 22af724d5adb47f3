// Pawn material and squares, the per-file pawn arrays, pawn attacks,
// doubled, unsupported and passed pawns.
#include <algorithm>

#include "eval/eval.h"

int passedPawnValue(const Position& pos, int square, int rank, int colour) {
  const int b = PassedPawnBonus[colour][rank];
  const int ahead = colour == WHITE ? 16 : -16;
  const int ownPawn = pieceCode(colour, PAWN);

  int result = pos.board[square + ahead] == EMPTY ? b : b / 2;

  // Own pawns beside it or diagonally behind it.
  const int side1 = colour == WHITE ? square - 15 : square + 15;
  const int side2 = colour == WHITE ? square - 17 : square + 17;
  if (pos.board[side1] == ownPawn) result += 2 * b;
  if (pos.board[side2] == ownPawn) result += 2 * b;
  if (pos.board[square + 1] == ownPawn) result += 2 * b;
  if (pos.board[square - 1] == ownPawn) result += 2 * b;

  // A rook behind the pawn, with nothing between.
  int t = square - ahead;
  while (pos.board[t] == EMPTY) t -= ahead;
  if (pos.board[t] == pieceCode(colour, ROOK))
    result += 20;
  else if (pos.board[t] == pieceCode(colour ^ 1, ROOK))
    result -= 20;

  if (pos.material < ENDGAME_MATERIAL) {
    result += (KingDistance[square][kingSquare(pos, colour ^ 1)] * b) / 10;
    result -= (KingDistance[square][kingSquare(pos, colour)] * b) / 10;
  }
  return result;
}

void evalPawns(const Position& pos) {
  // On opposite wings each side uses the table of its own king's wing.
  const int wf = fileOf(kingSquare(pos, WHITE));
  const int bf = fileOf(kingSquare(pos, BLACK));
  const SquareTable* table[2] = {&PawnSquareDefault[WHITE], &PawnSquareDefault[BLACK]};
  if (wf > 4 && bf < 4) {
    table[WHITE] = &PawnSquareKingWing[WHITE];
    table[BLACK] = &PawnSquareQueenWing[BLACK];
  } else if (wf < 4 && bf > 4) {
    table[WHITE] = &PawnSquareQueenWing[WHITE];
    table[BLACK] = &PawnSquareKingWing[BLACK];
  }

  for (int c = WHITE; c <= BLACK; ++c) {
    std::uint8_t* map = currentAttackMap[c];
    const int left = c == WHITE ? 15 : -17;
    const int right = c == WHITE ? 17 : -15;
    for (int s = firstOfList(pos, pieceCode(c, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int f = fileOf(s);
      const int r = rankOf(s);
      mgScore[c] += 100 + (*table[c])[s];
      egScore[c] += 100 + PawnSquareEg[c][s];
      evalRecord->pawnCount[c] += 1;
      pawnsOnFile[c][f + 1] += 1;
      if (c == WHITE)
        whiteRearmost[f + 1] = static_cast<std::int16_t>(std::min<int>(whiteRearmost[f + 1], r));
      else
        blackRearmost[f + 1] = static_cast<std::int16_t>(std::max<int>(blackRearmost[f + 1], r));
      recordAttack(map, s + left, ATTACK_PAWN);
      recordAttack(map, s + right, ATTACK_PAWN);
    }
  }

  for (int c = WHITE; c <= BLACK; ++c) {
    for (int s = firstOfList(pos, pieceCode(c, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int f = fileOf(s);
      const int r = rankOf(s);
      if (pawnsOnFile[c][f + 1] > 1) {
        mgScore[c] -= 4;
        egScore[c] -= 7;
      }
      bool unsupported, passed;
      if (c == WHITE) {
        unsupported = whiteRearmost[f] > r && whiteRearmost[f + 2] > r;
        passed = r >= blackRearmost[f] && r >= blackRearmost[f + 1] && r >= blackRearmost[f + 2];
      } else {
        unsupported = blackRearmost[f] < r && blackRearmost[f + 2] < r;
        passed = r <= whiteRearmost[f] && r <= whiteRearmost[f + 1] && r <= whiteRearmost[f + 2];
      }
      if (unsupported) {
        mgScore[c] -= 7;
        egScore[c] -= 14;
      }
      if (passed) {
        const int v = passedPawnValue(pos, s, r, c);
        mgScore[c] += v / 2;
        egScore[c] += v;
      }
    }
  }
}
