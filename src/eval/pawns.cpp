// Pawn material and squares, the per-file pawn arrays, pawn attacks,
// doubled, unsupported and passed pawns.
#include <algorithm>
#include <bit>
#include <cstring>

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

namespace {

// Everything about the current pawns that no other piece changes.
void fillPawnEntry(const Position& pos, PawnEntry& e) {
  e = PawnEntry{};
  e.pawns = pos.pawns;
  e.filled = true;
  e.whiteRearmost.fill(6);
  e.blackRearmost.fill(1);

  for (int c = WHITE; c <= BLACK; ++c) {
    AttackWord* map = e.marks[c].data();
    const int left = c == WHITE ? 15 : -17;
    const int right = c == WHITE ? 17 : -15;
    for (int s = firstOfList(pos, pieceCode(c, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int f = fileOf(s);
      const int r = rankOf(s);
      e.mg[c] += KindValue[PAWN];
      e.squares[c][0] += PawnSquareDefault[c][s];
      e.squares[c][1] += PawnSquareKingWing[c][s];
      e.squares[c][2] += PawnSquareQueenWing[c][s];
      e.eg[c] += KindValue[PAWN] + PawnSquareEg[c][s];
      e.pawnCount[c] += 1;
      e.pawnsOnFile[c][f + 1] += 1;
      if (c == WHITE)
        e.whiteRearmost[f + 1] = static_cast<std::int16_t>(std::min<int>(e.whiteRearmost[f + 1], r));
      else
        e.blackRearmost[f + 1] = static_cast<std::int16_t>(std::max<int>(e.blackRearmost[f + 1], r));
      // Marks off the board are never read; the entry keeps only the board.
      for (const int t : {s + left, s + right})
        if (isSquare(t)) map[squareIndex(t)] += WORD_PAWN;
    }
  }

  for (int c = WHITE; c <= BLACK; ++c) {
    for (int s = firstOfList(pos, pieceCode(c, PAWN)); s < LIST_END; s = pos.lists[s].next) {
      const int f = fileOf(s);
      const int r = rankOf(s);
      if (e.pawnsOnFile[c][f + 1] > 1) {
        e.mg[c] -= 4;
        e.eg[c] -= 7;
      }
      bool unsupported, passed;
      if (c == WHITE) {
        unsupported = e.whiteRearmost[f] > r && e.whiteRearmost[f + 2] > r;
        passed = r >= e.blackRearmost[f] && r >= e.blackRearmost[f + 1] && r >= e.blackRearmost[f + 2];
      } else {
        unsupported = e.blackRearmost[f] < r && e.blackRearmost[f + 2] < r;
        passed = r <= e.whiteRearmost[f] && r <= e.whiteRearmost[f + 1] && r <= e.whiteRearmost[f + 2];
      }
      if (unsupported) {
        e.mg[c] -= 7;
        e.eg[c] -= 14;
      }
      if (passed) e.passed[c] |= squareBit(s);
    }
  }

  // Pawn control of the enemy half's four central squares (c5-f5, c4-f4).
  for (int f = 2; f <= 5; ++f) {
    if (e.marks[WHITE][4 * 8 + f] != 0) e.centre[WHITE] += 5;
    if (e.marks[BLACK][3 * 8 + f] != 0) e.centre[BLACK] += 5;
  }
  // Open files at and beside each king file; the guard entries count as open.
  for (int c = WHITE; c <= BLACK; ++c)
    for (int f = 0; f < 8; ++f)
      e.fileDanger[c][f] = static_cast<std::int8_t>(OpenFileDanger[e.pawnsOnFile[c][f]] +
                                                    OpenFileDanger[e.pawnsOnFile[c][f + 2]] +
                                                    OpenFileDanger[e.pawnsOnFile[c][f + 1]]);
}

const PawnEntry& probePawnTable(const Position& pos, EvalData& ev) {
  PawnEntry& e = ev.pawnTable[pawnTableIndex(pos.pawns)];
  if (!e.filled || e.pawns != pos.pawns) fillPawnEntry(pos, e);
  return e;
}

}  // namespace

void evalPawns(const Position& pos, EvalData& ev) {
  const PawnEntry& e = probePawnTable(pos, ev);
  ev.pawnEntry = &e;

  // On opposite wings each side uses the table of its own king's wing.
  const int wf = fileOf(kingSquare(pos, WHITE));
  const int bf = fileOf(kingSquare(pos, BLACK));
  int table[2] = {0, 0};  // index into PawnEntry::squares
  if (wf > 4 && bf < 4) {
    table[WHITE] = 1;
    table[BLACK] = 2;
  } else if (wf < 4 && bf > 4) {
    table[WHITE] = 2;
    table[BLACK] = 1;
  }

  for (int c = WHITE; c <= BLACK; ++c) {
    ev.mgScore[c] += e.mg[c] + e.squares[c][table[c]];
    ev.egScore[c] += e.eg[c];
    ev.pawnCount[c] = e.pawnCount[c];
    // The board squares of the map, a rank at a time; the indices between
    // the ranks and beyond them are never read and keep what they hold.
    AttackWord* map = ev.currentAttackMap[c];
    const AttackWord* marks = e.marks[c].data();
    for (int r = 0; r < 8; ++r) std::memcpy(map + 16 * r, marks + 8 * r, 8 * sizeof(AttackWord));
    // Passed pawns read the board around them and the kings.
    for (std::uint64_t bits = e.passed[c]; bits; bits &= bits - 1) {
      const int s = bitSquare(std::countr_zero(bits));
      const int v = passedPawnValue(pos, s, rankOf(s), c);
      ev.mgScore[c] += v / 2;
      ev.egScore[c] += v;
    }
  }
}
