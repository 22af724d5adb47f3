// Static evaluation, attack maps and the static exchange table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "movegen/movegen.h"
#include "position/position.h"

// ---------------------------------------------------------------------------
// Attack maps: per ply and colour one word per square, a counter per
// attacking class (AttackWord in movegen.h); the byte of a square, attacker
// count in bits 0-2 and one bit per attacking class, is read through attackByte.
// ---------------------------------------------------------------------------

inline constexpr std::array<std::uint8_t, 8> AttackClassBit = {
    0, ATTACK_PAWN, ATTACK_MINOR, ATTACK_MINOR, ATTACK_ROOK, ATTACK_QUEEN, ATTACK_KING, 0};

// Records one attack of the class whose counter unit is u: one addition.
inline void recordAttack(AttackWord* map, std::ptrdiff_t square, AttackWord u) {
  map[square] = static_cast<AttackWord>(map[square] + u);
}

// ---------------------------------------------------------------------------
// The evaluation's working data
// ---------------------------------------------------------------------------

// What the pawns alone decide, kept per pawn placement: the pawn pass
// copies it and adds only the terms that read other pieces.
struct PawnEntry {
  std::array<std::uint64_t, 2> pawns;  // the placement described (Position::pawns)
  bool filled;
  std::array<std::int32_t, 2> pawnCount;
  std::array<std::int32_t, 2> mg;  // pawn values and structure, without the square table
  std::array<std::int32_t, 2> eg;
  std::array<std::array<std::int32_t, 3>, 2>
      squares;                          // middle-game square sums: default, king wing, queen wing
  std::array<std::uint64_t, 2> passed;  // passed pawns, as in Position::pawns
  // Per-file data indexed by file + 1; entries 0 and 9 are guards.
  std::array<std::array<std::int16_t, 10>, 2> pawnsOnFile;  // pawns of a colour on the file
  std::array<std::int16_t, 10> whiteRearmost;               // lowest white pawn rank, 6 if none
  std::array<std::int16_t, 10> blackRearmost;               // highest black pawn rank, 1 if none
  // Pawn words of both maps by square, rank * 8 + file (the bits of Position::pawns).
  std::array<std::array<AttackWord, 64>, 2> marks;
  std::array<std::int32_t, 2> centre;  // 5 per central square of the enemy half a pawn attacks
  std::array<std::array<std::int8_t, 8>, 2>
      fileDanger;  // king danger of the pawnless files at and beside a file
};

// 2048 entries (about 0.9 MB): 4096 save a few refills but search slower,
// the table no longer fitting the caches.
constexpr int PAWN_TABLE_BITS = 11;
inline std::size_t pawnTableIndex(const std::array<std::uint64_t, 2>& pawns) {
  return (pawns[WHITE] * 0x9E3779B97F4A7C15ULL ^ pawns[BLACK] * 0xC2B2AE3D27D4EB4FULL) >>
         (64 - PAWN_TABLE_BITS);
}

// The score of a recent evaluation of a position, by its key: a node whose
// score is known needs only the maps built (recallEvaluation), and a
// quiescence node that stands pat on it not even those.
struct EvalCacheEntry {
  std::uint64_t key;  // 0 in an entry never written
  std::int32_t whiteScore;
};
constexpr int EVAL_CACHE_BITS = 14;  // 16,384 entries, 256 KB: 1 MB searched slower for its cache misses

struct EvalData {
  // Maps of all plies, so that a node still has its own after its children
  // have been evaluated; square s of a map lives at s + 64, so any index
  // from -64 to 191 (every mark a piece on the board can make) is addressable.
  std::array<std::array<std::array<AttackWord, 256>, 2>, MAX_PLY> attackMaps{};
  // Square 0 of the WHITE and BLACK maps of the node evaluated last.
  std::array<AttackWord*, 2> currentAttackMap = {attackMaps[0][WHITE].data() + 64,
                                                 attackMaps[0][BLACK].data() + 64};

  std::array<std::int32_t, 2> mgScore{};  // middle-game sums [WHITE, BLACK]
  std::array<std::int32_t, 2> egScore{};  // end-game sums

  // Pieces of the position evaluated last, [WHITE, BLACK].
  std::array<std::int32_t, 2> pawnCount{};
  std::array<std::int32_t, 2> knightCount{};
  std::array<std::int32_t, 2> bishopCount{};
  std::array<std::int32_t, 2> rookCount{};
  std::array<std::int32_t, 2> queenCount{};
  std::array<std::int32_t, 2> pieceCount{};  // knights, bishops, rooks and queens

  // Set by the search around a null move: the ply of the position after
  // it, the same board as the one below with the other side to move. An
  // evaluate at that ply takes over the one below (its maps, sums, counters
  // and pawn entry are all still in place) instead of computing it; -1 when
  // there is none.
  int takeOverPly = -1;
  std::int32_t whiteScore = 0;  // the last evaluation's score from WHITE's side

  // Written by every evaluate that computes a score; read only through
  // cachedEvaluation. The key decides the score, so entries never go stale.
  std::array<EvalCacheEntry, 1 << EVAL_CACHE_BITS> evalCache{};

  // Filled on demand; the key is the exact placement, so entries never go stale.
  std::array<PawnEntry, 1 << PAWN_TABLE_BITS> pawnTable{};
  // The entry of the evaluation in progress, set by evalPawns; the later
  // passes read the file arrays there.
  const PawnEntry* pawnEntry = &pawnTable[0];

  EvalData() = default;
  EvalData(const EvalData&) = delete;  // currentAttackMap points into this object
  EvalData& operator=(const EvalData&) = delete;
};

// Points currentAttackMap at the maps of ply p.
inline void pointAttackMaps(EvalData& ev, int p) {
  ev.currentAttackMap[WHITE] = ev.attackMaps[p][WHITE].data() + 64;
  ev.currentAttackMap[BLACK] = ev.attackMaps[p][BLACK].data() + 64;
}

// ---------------------------------------------------------------------------
// Evaluation
// ---------------------------------------------------------------------------

constexpr std::int32_t ENDGAME_MATERIAL = 2730;
constexpr std::int32_t FULL_MATERIAL = 8460;

// Score of the position for the side to move; builds the attack maps of its
// searchPly, points currentAttackMap at them and counts the pieces.
int evaluate(const Position& pos, EvalData& ev);

inline EvalCacheEntry& evalCacheEntry(EvalData& ev, std::uint64_t key) {
  return ev.evalCache[key & ((1 << EVAL_CACHE_BITS) - 1)];
}
// True, with the score for the side to move, when evaluate(pos) ran for
// this position not long ago; nothing else in ev is touched.
inline bool cachedEvaluation(const Position& pos, EvalData& ev, int& score) {
  const EvalCacheEntry& e = evalCacheEntry(ev, pos.key);
  if (e.key != pos.key || pos.key == 0) return false;  // 0 would match an unwritten entry
  score = pos.side == BLACK ? -e.whiteScore : e.whiteScore;
  return true;
}

// For a position whose score cachedEvaluation gave: what evaluate leaves
// for the search (the maps of searchPly with currentAttackMap at them, the
// piece and pawn counters, the pawn entry and whiteScore) without computing
// the score again; the middle- and end-game sums are not set.
void recallEvaluation(const Position& pos, EvalData& ev, int score);

// ---------------------------------------------------------------------------
// Static exchange table
// ---------------------------------------------------------------------------

// Exchange value by kind: P 1, N 3, B 3, R 5, Q 10, K 100.
inline constexpr std::array<std::int32_t, 8> KindExchangeValue = {0, 1, 3, 3, 5, 10, 100, 0};

// Exchange value by piece code, both colours; EMPTY is worth 0.
inline constexpr std::array<std::int32_t, EMPTY + 1> SeeValue = [] {
  std::array<std::int32_t, EMPTY + 1> t{};
  for (int code = 0; code < EMPTY; ++code) t[code] = KindExchangeValue[kindOf(code)];
  return t;
}();

// Exchange value of the cheapest class in an attack-map byte (a queen's with none).
inline constexpr std::array<std::uint8_t, 256> LeastAttackerValue = [] {
  std::array<std::uint8_t, 256> t{};
  for (int b = 0; b < 256; ++b)
    t[b] = static_cast<std::uint8_t>(KindExchangeValue[(b & ATTACK_PAWN)    ? PAWN
                                                       : (b & ATTACK_MINOR) ? KNIGHT
                                                       : (b & ATTACK_ROOK)  ? ROOK
                                                       : (b & ATTACK_QUEEN) ? QUEEN
                                                       : (b & ATTACK_KING)  ? KING
                                                                            : QUEEN]);
  return t;
}();

// The byte left after the cheapest attacker has captured: one attacker
// fewer, and its class gone when no second attacker of it can remain.
inline constexpr std::array<std::uint8_t, 256> NextAttackByte = [] {
  std::array<std::uint8_t, 256> t{};
  for (int b = 0; b < 255; ++b) {
    const int count = b & ATTACK_COUNT;
    if (count == 0) continue;
    int classes = 0;
    for (int bit = 0x08; bit <= 0x80; bit <<= 1) classes += (b & bit) != 0;
    int next = b - 1;
    if (count <= classes) next &= ~(b & 0xF8 & -(b & 0xF8));
    t[b] = static_cast<std::uint8_t>(next);
  }
  return t;
}();

// Outcome of every exchange on a square, one block per kind PAWN..KING,
// indexed by the owner's byte + 256 * the capturing side's byte. Filled once
// by buildSeeTable and only read after.
inline std::array<std::array<std::int8_t, 65536>, 6> SeeTable{};
inline int seeEntry(int kind, int own, int opp) { return SeeTable[kind - 1][own + 256 * opp]; }

// Fills SeeTable; called once at start-up (far too much work for the compiler).
void buildSeeTable();
// The recursion behind the table.
int swapGain(int capturer, int owner, int w);
// Exchange estimate of a capture, in pawn units, from the mover's view;
// reads the current attack maps, those of the position before the move.
int exchangeValue(const Position& pos, const EvalData& ev, Move m);

// ---------------------------------------------------------------------------
// Evaluation tables
// ---------------------------------------------------------------------------

// A table as printed for WHITE: rank 8 first, files a to h.
using PrintedTable = std::array<std::int32_t, 64>;
// A table by colour and 0x88 square; off-board entries are 0.
using ColourSquareTable = std::array<std::array<std::int32_t, 128>, 2>;
using SquareTable = std::array<std::int32_t, 128>;

// The WHITE table laid out on the 0x88 board.
constexpr SquareTable whiteSquares(const PrintedTable& printed) {
  SquareTable t{};
  for (int rank = 0; rank < 8; ++rank)
    for (int file = 0; file < 8; ++file) t[makeSquare(file, rank)] = printed[(7 - rank) * 8 + file];
  return t;
}
// The same table seen from BLACK's side: the entry of s is WHITE's of s ^ 0x70.
constexpr SquareTable mirroredSquares(const SquareTable& white) {
  SquareTable t{};
  for (int s = 0; s < 128; ++s)
    if (isSquare(s)) t[s] = white[s ^ 0x70];
  return t;
}
constexpr ColourSquareTable bothColours(const PrintedTable& printed) {
  const SquareTable white = whiteSquares(printed);
  return {white, mirroredSquares(white)};
}

// clang-format off
inline constexpr ColourSquareTable KnightSquare = bothColours({
    -20, -15, -10, -10, -10, -10, -15, -20,
    -15,  -5,   2,   2,   2,   0,  -5, -15,
    -10,   0,   8,   8,   8,   8,   0, -10,
    -10,   0,   6,  10,  10,   6,   0, -10,
    -10,   0,   6,  10,  10,   6,   0, -10,
    -10,   0,   5,   5,   5,   5,   0, -10,
    -15,  -5,   0,   2,   2,   0,  -2, -15,
    -20, -15, -10, -10, -10, -10, -15, -20});

// Added when an own pawn guards the knight.
inline constexpr ColourSquareTable KnightOutpost = bothColours({
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 0,  6, 10, 10,  6, 0, 0,
    0, 0, 10, 18, 18, 10, 0, 0,
    0, 0, 10, 18, 18, 10, 0, 0,
    0, 0,  0,  8,  8,  0, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0,
    0, 0,  0,  0,  0,  0, 0, 0});

inline constexpr ColourSquareTable BishopSquare = bothColours({
    0,  2,  0,  0,  0,  0,  2, 0,
    0,  4,  3,  2,  2,  3,  4, 0,
    2,  5,  8,  8,  8,  8,  5, 2,
    2,  8,  8, 12, 12,  8,  8, 2,
    2,  6,  8, 10, 10,  8,  6, 2,
    2,  4,  8,  6,  6,  8,  4, 2,
    0,  7,  2,  2,  2,  2,  7, 0,
    2, -1, -2, -5, -5, -2, -1, 2});

inline constexpr ColourSquareTable RookSquare = bothColours({
     4,  6,  8, 10, 10,  8,  6,  4,
     8, 10, 12, 14, 14, 12, 10,  8,
     4,  6,  8, 10, 10,  8,  6,  6,
    -1,  1,  3,  5,  5,  3,  1, -1,
    -1,  1,  3,  5,  5,  3,  1, -1,
    -1,  1,  3,  5,  5,  3,  1, -1,
    -1,  1,  3,  5,  5,  3,  1, -1,
    -1,  1,  3,  5,  5,  3,  1, -1});

inline constexpr ColourSquareTable QueenSquare = bothColours({
    -2,  1,  2,  3,  3,  2,  1, -2,
     2,  4,  8, 12, 12,  8,  4,  2,
     1,  4,  6, 12, 12,  6,  4,  1,
     1,  3,  6, 10, 10,  6,  3,  1,
     0,  2,  4,  8,  8,  4,  2,  0,
     0,  1,  4,  4,  4,  4,  1,  0,
    -2,  0,  2,  3,  3,  2,  0, -2,
    -5, -4, -3,  0,  0, -3, -4, -5});

// BLACK's b8 holds 4, one less than the mirror of b1.
inline constexpr ColourSquareTable KingSquareMg = [] {
  ColourSquareTable t = bothColours({
      -20, -20, -20, -20, -20, -20, -20, -20,
      -20, -20, -20, -20, -20, -20, -20, -20,
      -20, -20, -20, -20, -20, -20, -20, -20,
      -20, -20, -20, -20, -20, -20, -20, -20,
      -20, -20, -20, -20, -20, -20, -20, -20,
      -10, -10, -10, -10, -10, -10, -10, -10,
       -1,   0, -10, -10, -10, -10,   0,  -1,
        3,   5,   4,  -5,  -5,  -2,   4,   2});
  t[BLACK][SQ_B8] = 4;
  return t;
}();

inline constexpr ColourSquareTable KingSquareEg = bothColours({
    -20, -15, -10, -10, -10, -10, -15, -20,
    -15,  -5,   0,   0,   0,   0,  -5, -11,
    -15,   0,   5,   5,   5,   5,   0, -15,
     -8,   0,   5,  12,  12,   5,   0,  -8,
     -8,   0,   5,  12,  12,   5,   0,  -8,
    -15,   0,   5,   5,   5,   5,   0, -15,
    -15,  -5,   0,   0,   0,   0,  -5, -11,
    -20, -15, -10, -10, -10, -10, -15, -20});

// By the number of empty squares a slider reaches.
inline constexpr std::array<std::int32_t, 16> BishopMobility = {-15, -5, 0, 5, 10, 15, 20, 24,
                                                               28,  32, 36, 38, 40, 42, 44, 46};
inline constexpr std::array<std::int32_t, 16> RookMobility = {-15, -5, -2, 0, 3, 6, 9, 12,
                                                             15,  18, 20, 22, 24, 25, 26, 27};

// Middle-game pawn squares: the default, and one for each wing a king
// stands on while the enemy king is on the other. The two wing tables are
// mirror images across the d/e line except for c2 and f2.
inline constexpr ColourSquareTable PawnSquareDefault = bothColours({
     0,  0,  0,   0,   0,  0,  0,  0,
     2,  5,  7,  10,  10,  7,  5,  2,
     0,  3,  5,   8,   8,  5,  3,  0,
    -1,  2,  4,   8,   8,  4,  2, -1,
    -3,  1,  9,  15,  15,  9,  1, -3,
    -4, -1,  1,   0,   0,  1, -1, -4,
    -4, -2, -2, -10, -10, -2, -2, -4,
     0,  0,  0,   0,   0,  0,  0,  0});

inline constexpr ColourSquareTable PawnSquareKingWing = bothColours({
      0,   0,   0,  0,  0, 0,  0,  0,
      0,   0,   0,  0,  0, 0,  0,  0,
      0,   0,   5,  0,  0, 0,  0,  0,
     -3,  -3,  -3, 10,  4, 0,  0,  0,
     -6,  -6,  -6,  6, 10, 4,  4,  4,
     -9,  -9,  -9,  0,  6, 8,  8,  8,
    -12, -12, -12,  0,  0, 9, 10, 10,
      0,   0,   0,  0,  0, 0,  0,  0});

inline constexpr ColourSquareTable PawnSquareQueenWing = bothColours({
     0,  0,  0,  0,  0,   0,   0,   0,
     0,  0,  0,  0,  0,   0,   0,   0,
     0,  0,  0,  0,  0,   5,   0,   0,
     0,  0,  0,  4, 10,  -3,  -3,  -3,
     4,  4,  4, 10,  6,  -6,  -6,  -6,
     8,  8,  8,  6,  0,  -9,  -9,  -9,
    10, 10, 10,  0,  0, -12, -12, -12,
     0,  0,  0,  0,  0,   0,   0,   0});

// Danger count a king starts with on each square.
inline constexpr ColourSquareTable KingZoneBase = bothColours({
    3, 3, 3, 3, 3, 3, 3, 3,
    3, 3, 3, 3, 3, 3, 3, 3,
    3, 3, 3, 3, 3, 3, 3, 3,
    3, 3, 3, 3, 3, 3, 3, 3,
    3, 3, 3, 3, 3, 3, 3, 3,
    2, 2, 2, 2, 2, 2, 2, 2,
    1, 1, 1, 1, 1, 1, 1, 1,
    1, 0, 0, 0, 0, 0, 0, 1});
// clang-format on

// End-game pawn squares by relative rank, the same on every file.
inline constexpr ColourSquareTable PawnSquareEg = [] {
  constexpr std::array<std::int32_t, 8> byRank = {0, -8, -4, 0, 4, 8, 12, 0};
  ColourSquareTable t{};
  for (int s = 0; s < 128; ++s)
    if (isSquare(s))
      for (int c = WHITE; c <= BLACK; ++c) t[c][s] = byRank[RelativeRank[c][s]];
  return t;
}();

// Passed-pawn base value by colour and absolute rank.
inline constexpr std::array<std::array<std::int32_t, 8>, 2> PassedPawnBonus = {
    {{0, 5, 10, 20, 35, 55, 90, 0}, {0, 90, 55, 35, 20, 10, 5, 0}}};

// Value of a piece code standing in front of a colour's king (codes up to OFFBOARD).
inline constexpr std::array<std::array<std::int32_t, OFFBOARD + 1>, 2> ShieldValue = [] {
  std::array<std::array<std::int32_t, OFFBOARD + 1>, 2> t{};
  for (int c = WHITE; c <= BLACK; ++c) {
    t[c][pieceCode(c, PAWN)] = 18;
    t[c][pieceCode(c, KNIGHT)] = 2;
    t[c][pieceCode(c, BISHOP)] = 6;
  }
  return t;
}();

// Danger by the number of own pawns on a file next to or at the king. Set-up
// positions can put a pawn on each of the eight squares of a file.
inline constexpr std::array<std::int32_t, 9> OpenFileDanger = {1, 0, 0, 0, 0, 0, 0, 0, 0};

// Danger by the set of enemy classes near the king (an AttackMap byte >> 3).
inline constexpr std::array<std::int8_t, 32> AttackerMixDanger = {
    0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 2, 2, 2, 3, 3, 3, 0, 0, 0, 0, 1, 1, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3};

// By the number of undeveloped minor pieces plus one for unused castling rights.
inline constexpr std::array<std::int32_t, 6> DevelopmentPenalty = {0, 10, 21, 41, 65, 100};

// The passes of evaluate, in calling order after clearEvaluation; evalPawns
// sets the pawn counts, pawnEntry and the board squares of both maps,
// evalPieces the piece counts.
void clearEvaluation(const Position& pos, EvalData& ev);
void evalPawns(const Position& pos, EvalData& ev);
void evalPieces(const Position& pos, EvalData& ev);
// The same two passes without any term: the pawn entry and counts, the
// maps and the piece counters only (recallEvaluation).
void markPawns(const Position& pos, EvalData& ev);
void markPieces(const Position& pos, EvalData& ev);
void evalKingSafety(const Position& pos, EvalData& ev);
void evalDevelopment(const Position& pos, EvalData& ev);

// Value of a passed pawn of colour on square (rank = square >> 4).
int passedPawnValue(const Position& pos, int square, int rank, int colour);

// Middle/end-game blend by material, truncating toward zero.
// Largest evaluation magnitude: anything beyond would read as a mate score.
constexpr std::int32_t MAX_EVAL = 32567;
int blendPhase(std::int32_t material, std::int32_t mg, std::int32_t eg);
