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

void evalPawns(const Position& pos, EvalData& ev) {
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
    std::uint8_t* map = ev.currentAttackMap[c];
    const int left = c == WHITE ? 15 : -17;
    const int right = c == WHITE ? 17 : -15;
    for (int s = firstOfList(pos, pieceCode(c, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int f = fileOf(s);
      const int r = rankOf(s);
      ev.mgScore[c] += KindValue[PAWN] + (*table[c])[s];
      ev.egScore[c] += KindValue[PAWN] + PawnSquareEg[c][s];
      ev.pawnCount[c] += 1;
      ev.pawnsOnFile[c][f + 1] += 1;
      if (c == WHITE)
        ev.whiteRearmost[f + 1] = static_cast<std::int16_t>(std::min<int>(ev.whiteRearmost[f + 1], r));
      else
        ev.blackRearmost[f + 1] = static_cast<std::int16_t>(std::max<int>(ev.blackRearmost[f + 1], r));
      recordAttack(map, s + left, ATTACK_PAWN);
      recordAttack(map, s + right, ATTACK_PAWN);
    }
  }

  for (int c = WHITE; c <= BLACK; ++c) {
    for (int s = firstOfList(pos, pieceCode(c, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int f = fileOf(s);
      const int r = rankOf(s);
      if (ev.pawnsOnFile[c][f + 1] > 1) {
        ev.mgScore[c] -= 4;
        ev.egScore[c] -= 7;
      }
      bool unsupported, passed;
      if (c == WHITE) {
        unsupported = ev.whiteRearmost[f] > r && ev.whiteRearmost[f + 2] > r;
        passed = r >= ev.blackRearmost[f] && r >= ev.blackRearmost[f + 1] && r >= ev.blackRearmost[f + 2];
      } else {
        unsupported = ev.blackRearmost[f] < r && ev.blackRearmost[f + 2] < r;
        passed = r <= ev.whiteRearmost[f] && r <= ev.whiteRearmost[f + 1] && r <= ev.whiteRearmost[f + 2];
      }
      if (unsupported) {
        ev.mgScore[c] -= 7;
        ev.egScore[c] -= 14;
      }
      if (passed) {
        const int v = passedPawnValue(pos, s, r, c);
        ev.mgScore[c] += v / 2;
        ev.egScore[c] += v;
      }
    }
  }
}
