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

// The terms a pawn's square decides, by colour and bit index (rank * 8 + file).
struct PawnSquareTerms {
  std::int32_t squareDefault, squareKingWing, squareQueenWing, eg;
};
constexpr std::array<std::array<PawnSquareTerms, 64>, 2> PawnTerms = [] {
  std::array<std::array<PawnSquareTerms, 64>, 2> t{};
  for (int c = WHITE; c <= BLACK; ++c)
    for (int i = 0; i < 64; ++i) {
      const int s = bitSquare(i);
      t[c][i] = {PawnSquareDefault[c][s], PawnSquareKingWing[c][s], PawnSquareQueenWing[c][s],
                 KindValue[PAWN] + PawnSquareEg[c][s]};
    }
  return t;
}();

constexpr std::uint64_t FILE_A_BITS = 0x0101010101010101ULL;
constexpr std::uint64_t FILE_H_BITS = FILE_A_BITS << 7;

// Adds one pawn attack to the word of each set bit.
inline void markBits(AttackWord* marks, std::uint64_t bits) {
  for (; bits; bits &= bits - 1) marks[std::countr_zero(bits)] += WORD_PAWN;
}

// By a byte: eight bytes of 1 for its set bits and 0 for the others, as one
// integer, so that three of them add in one step (no byte exceeds 3).
constexpr std::array<std::uint64_t, 256> ByteBits = [] {
  std::array<std::uint64_t, 256> t{};
  for (int b = 0; b < 256; ++b) {
    std::array<std::int8_t, 8> bytes{};
    for (int f = 0; f < 8; ++f) bytes[f] = static_cast<std::int8_t>((b >> f) & 1);
    t[b] = std::bit_cast<std::uint64_t>(bytes);
  }
  return t;
}();

// Each bit copied to every higher (lower) square of its file.
constexpr std::uint64_t northFill(std::uint64_t b) {
  b |= b << 8;
  b |= b << 16;
  return b | b << 32;
}
constexpr std::uint64_t southFill(std::uint64_t b) {
  b |= b >> 8;
  b |= b >> 16;
  return b | b >> 32;
}
// The squares beside the set ones on the same rank.
constexpr std::uint64_t besideFiles(std::uint64_t b) {
  return (b & ~FILE_H_BITS) << 1 | (b & ~FILE_A_BITS) >> 1;
}
// Few bits set: one step per bit.
inline int bitCount(std::uint64_t b) {
  int n = 0;
  for (; b; b &= b - 1) ++n;
  return n;
}

// Everything about the current pawns that no other piece changes. The pawns
// are walked by their bits, so a refill reads nothing but Position::pawns
// and the kings play no part.
void fillPawnEntry(const Position& pos, PawnEntry& e) {
  e = PawnEntry{};
  e.pawns = pos.pawns;
  e.filled = true;
  e.whiteRearmost.fill(6);
  e.blackRearmost.fill(1);

  for (int c = WHITE; c <= BLACK; ++c) {
    const std::uint64_t pawns = pos.pawns[c];
    std::int32_t count = 0, square0 = 0, square1 = 0, square2 = 0, eg = 0;
    auto& onFile = e.pawnsOnFile[c];
    for (std::uint64_t bits = pawns; bits; bits &= bits - 1) {
      const int i = std::countr_zero(bits);
      const int f = i & 7;
      const int r = i >> 3;
      const PawnSquareTerms& t = PawnTerms[c][i];
      square0 += t.squareDefault;
      square1 += t.squareKingWing;
      square2 += t.squareQueenWing;
      eg += t.eg;
      count += 1;
      onFile[f + 1] = static_cast<std::int16_t>(onFile[f + 1] + 1);
      if (c == WHITE)
        e.whiteRearmost[f + 1] = static_cast<std::int16_t>(std::min<int>(e.whiteRearmost[f + 1], r));
      else
        e.blackRearmost[f + 1] = static_cast<std::int16_t>(std::max<int>(e.blackRearmost[f + 1], r));
    }
    e.pawnCount[c] = count;
    e.mg[c] = count * KindValue[PAWN];
    e.eg[c] = eg;
    e.squares[c] = {square0, square1, square2};
    // Captures toward the a-file and toward the h-file; the shifts drop the
    // marks beyond the first and last ranks, the masks those across the edge.
    AttackWord* marks = e.marks[c].data();
    const std::uint64_t notA = pawns & ~FILE_A_BITS, notH = pawns & ~FILE_H_BITS;
    markBits(marks, c == WHITE ? notA << 7 : notA >> 9);
    markBits(marks, c == WHITE ? notH << 9 : notH >> 7);
  }

  // Doubled, unsupported and passed pawns as sets. A white pawn on rank r
  // is unsupported below rank 7 when no white pawn stands on a neighbour
  // file at rank r or lower, and passed from rank 2 up when no black pawn
  // stands above rank r on its own or a neighbour file; BLACK mirrored.
  const std::uint64_t white = pos.pawns[WHITE], black = pos.pawns[BLACK];
  const std::uint64_t whiteUp = northFill(white), whiteDown = southFill(white);
  const std::uint64_t blackUp = northFill(black), blackDown = southFill(black);
  const std::array<std::uint64_t, 2> doubled = {white & (whiteUp << 8 | whiteDown >> 8),
                                                black & (blackUp << 8 | blackDown >> 8)};
  const std::array<std::uint64_t, 2> unsupported = {white & ~besideFiles(whiteUp) & 0x0000FFFFFFFFFFFFULL,
                                                    black & ~besideFiles(blackDown) & 0xFFFFFFFFFFFF0000ULL};
  e.passed[WHITE] = white & ~(besideFiles(blackDown >> 8) | blackDown >> 8) & ~0xFFULL;
  e.passed[BLACK] = black & ~(besideFiles(whiteUp << 8) | whiteUp << 8) & ~(0xFFULL << 56);
  for (int c = WHITE; c <= BLACK; ++c) {
    const int d = bitCount(doubled[c]), u = bitCount(unsupported[c]);
    e.mg[c] -= 4 * d + 7 * u;
    e.eg[c] -= 7 * d + 14 * u;
  }

  // Pawn control of the enemy half's four central squares (c5-f5, c4-f4).
  for (int f = 2; f <= 5; ++f) {
    if (e.marks[WHITE][4 * 8 + f] != 0) e.centre[WHITE] += 5;
    if (e.marks[BLACK][3 * 8 + f] != 0) e.centre[BLACK] += 5;
  }
  // Open files at and beside each king file; the guard entries count as
  // open. Bit f + 1 of open is file f, bits 0 and 9 the guards.
  static_assert([] {
    for (int n = 1; n < static_cast<int>(OpenFileDanger.size()); ++n)
      if (OpenFileDanger[n] != 0) return false;
    return OpenFileDanger[0] == 1;
  }());
  for (int c = WHITE; c <= BLACK; ++c) {
    std::uint64_t files = pos.pawns[c];
    files |= files >> 32;
    files |= files >> 16;
    files |= files >> 8;
    const unsigned open = ((~static_cast<unsigned>(files) & 0xFF) << 1) | 0x201;
    e.fileDanger[c] = std::bit_cast<std::array<std::int8_t, 8>>(
        ByteBits[open & 0xFF] + ByteBits[(open >> 1) & 0xFF] + ByteBits[open >> 2]);
  }
}

const PawnEntry& probePawnTable(const Position& pos, EvalData& ev) {
  PawnEntry& e = ev.pawnTable[pawnTableIndex(pos.pawns)];
  if (!e.filled || e.pawns != pos.pawns) fillPawnEntry(pos, e);
  return e;
}

// The pawn terms of one colour, its map's board squares and its passed
// pawns; a template so that the colour is a constant, the sums in locals.
template <int c>
ALWAYS_INLINE void evalPawnColour(const Position& pos, EvalData& ev, const PawnEntry& e, int table) {
  // The board squares of the map, a rank at a time; the indices between
  // the ranks and beyond them are never read and keep what they hold.
  AttackWord* map = ev.currentAttackMap[c];
  const AttackWord* marks = e.marks[c].data();
  for (int r = 0; r < 8; ++r) std::memcpy(map + 16 * r, marks + 8 * r, 8 * sizeof(AttackWord));
  std::int32_t mg = e.mg[c] + e.squares[c][table];
  std::int32_t eg = e.eg[c];
  // Passed pawns read the board around them and the kings.
  for (std::uint64_t bits = e.passed[c]; bits; bits &= bits - 1) {
    const int s = bitSquare(std::countr_zero(bits));
    const int v = passedPawnValue(pos, s, rankOf(s), c);
    mg += v / 2;
    eg += v;
  }
  ev.mgScore[c] += mg;
  ev.egScore[c] += eg;
  ev.pawnCount[c] = e.pawnCount[c];
}

}  // namespace

void markPawns(const Position& pos, EvalData& ev) {
  const PawnEntry& e = probePawnTable(pos, ev);
  ev.pawnEntry = &e;
  for (int c = WHITE; c <= BLACK; ++c) {
    AttackWord* map = ev.currentAttackMap[c];
    const AttackWord* marks = e.marks[c].data();
    for (int r = 0; r < 8; ++r) std::memcpy(map + 16 * r, marks + 8 * r, 8 * sizeof(AttackWord));
    ev.pawnCount[c] = e.pawnCount[c];
  }
}

void evalPawns(const Position& pos, EvalData& ev) {
  const PawnEntry& e = probePawnTable(pos, ev);
  ev.pawnEntry = &e;

  // On opposite wings each side uses the table of its own king's wing
  // (the index into PawnEntry::squares).
  const int wf = fileOf(kingSquare(pos, WHITE));
  const int bf = fileOf(kingSquare(pos, BLACK));
  int whiteTable = 0, blackTable = 0;
  if (wf > 4 && bf < 4) {
    whiteTable = 1;
    blackTable = 2;
  } else if (wf < 4 && bf > 4) {
    whiteTable = 2;
    blackTable = 1;
  }
  evalPawnColour<WHITE>(pos, ev, e, whiteTable);
  evalPawnColour<BLACK>(pos, ev, e, blackTable);
}
