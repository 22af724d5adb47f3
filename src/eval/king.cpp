// Middle-game king terms: shelter, the king-danger charge and development.
#include <bit>
#include <cstring>

#include "eval/eval.h"

namespace {

// Half of each shelter value (truncated), for the squares two ranks ahead,
// so that the per-node sum needs no division.
constexpr std::array<std::array<std::int32_t, OFFBOARD + 1>, 2> ShieldHalf = [] {
  std::array<std::array<std::int32_t, OFFBOARD + 1>, 2> t{};
  for (int c = WHITE; c <= BLACK; ++c)
    for (int code = 0; code <= OFFBOARD; ++code) t[c][code] = ShieldValue[c][code] / 2;
  return t;
}();

// Shelter of the king on k: three squares in front count in full, the
// three beyond them half each. Off-board squares hold OFFBOARD and count 0.
template <int c>
int shelter(const Position& pos, int k) {
  constexpr int fwd = c == WHITE ? 1 : -1;
  const auto& v = ShieldValue[c];
  const auto& h = ShieldHalf[c];
  return v[pos.board[k + fwd * 15]] + v[pos.board[k + fwd * 16]] + v[pos.board[k + fwd * 17]] +
         h[pos.board[k + fwd * 31]] + h[pos.board[k + fwd * 32]] + h[pos.board[k + fwd * 33]];
}

// The king zone as three rows of the map, each read as four adjacent words
// in one 64-bit load: for WHITE the row below the king (k - 17 to k - 14),
// the king's row (k - 1 to k + 2) and the row above (k + 15 to k + 18), and
// the three squares two ranks ahead (k + 31 to k + 34; for BLACK k - 33 to
// k - 30). Per square, a mask of each row keeps the words of the zone's
// squares on the board (the king's own square and the fourth word never):
// a row masked to zero has no enemy attack to count, which is the common
// case, and the words off the board hold leftovers.
struct KingZoneRows {
  std::array<std::uint64_t, 3> rows;
  std::array<std::uint64_t, 2> ahead;  // [WHITE, BLACK]
};
constexpr std::array<int, 3> RowStart = {-17, -1, 15};
constexpr std::uint64_t wordsMask(int base, std::array<bool, 4> keep) {
  std::array<AttackWord, 4> w{};
  for (int i = 0; i < 4; ++i) w[i] = keep[i] && isSquare(base + i) ? 0xFFFF : 0;
  return std::bit_cast<std::uint64_t>(w);
}
constexpr std::array<KingZoneRows, 128> KingZoneRow = [] {
  std::array<KingZoneRows, 128> t{};
  for (int k = 0; k < 128; ++k) {
    if (!isSquare(k)) continue;
    t[k].rows[0] = wordsMask(k - 17, {true, true, true, false});
    t[k].rows[1] = wordsMask(k - 1, {true, false, true, false});
    t[k].rows[2] = wordsMask(k + 15, {true, true, true, false});
    t[k].ahead[WHITE] = wordsMask(k + 31, {true, true, true, false});
    t[k].ahead[BLACK] = wordsMask(k - 33, {true, true, true, false});
  }
  return t;
}();

inline std::uint64_t loadWords(const AttackWord* at) {
  std::uint64_t w;
  std::memcpy(&w, at, sizeof w);
  return w;
}
// The four words of a row or-ed together.
inline AttackWord foldWords(std::uint64_t w) {
  w |= w >> 32;
  w |= w >> 16;
  return static_cast<AttackWord>(w);
}

template <int c>
int dangerCount(const EvalData& ev, int k) {
  const AttackWord* enemy = ev.currentAttackMap[c ^ 1] + k;
  const AttackWord* own = ev.currentAttackMap[c] + k;
  const KingZoneRows& zone = KingZoneRow[k];
  int d = KingZoneBase[c][k];
  // The classes come from the words or-ed together, a counter of which is
  // non-zero when it is in one of them.
  AttackWord classes = 0;
  for (int r = 0; r < 3; ++r) {
    const std::uint64_t row = loadWords(enemy + RowStart[r]) & zone.rows[r];
    if (row == 0) continue;
    classes |= foldWords(row);
    const auto words = std::bit_cast<std::array<AttackWord, 4>>(row);
    for (int i = 0; i < 3; ++i) {
      const AttackWord w = words[i];
      if (w == 0) continue;
      d += attackByte(w) & ATTACK_COUNT;
      if (own[RowStart[r] + i] == WORD_KING) ++d;  // defended by the king alone
    }
  }
  d += ev.pawnEntry->fileDanger[c][fileOf(k)];
  classes |= foldWords(loadWords(enemy + (c == WHITE ? 31 : -33)) & zone.ahead[c]);
  return d + AttackerMixDanger[attackByte(classes) >> 3];
}

}  // namespace

void evalKingSafety(const Position& pos, EvalData& ev) {
  if (pos.material <= ENDGAME_MATERIAL) return;
  // One instance per colour, so that the forward steps are constants.
  const int wk = kingSquare(pos, WHITE);
  const int dw = dangerCount<WHITE>(ev, wk);
  ev.mgScore[WHITE] += shelter<WHITE>(pos, wk) - dw * dw;
  const int bk = kingSquare(pos, BLACK);
  const int db = dangerCount<BLACK>(ev, bk);
  ev.mgScore[BLACK] += shelter<BLACK>(pos, bk) - db * db;
}

namespace {

// The eight cells of a colour's back rank as one integer, in the byte
// order bytesOf gives its patterns.
template <int c>
std::uint64_t backRank(const Position& pos) {
  std::uint64_t rank;
  std::memcpy(&rank, pos.board.origin() + (c == WHITE ? SQ_A1 : SQ_A8), sizeof rank);
  return rank;
}
constexpr std::uint64_t bytesOf(std::array<std::uint8_t, 8> bytes) {
  return std::bit_cast<std::uint64_t>(bytes);
}

// Knights on b1 and g1 and bishops on c1 and f1 (b8, g8, c8, f8): the back
// rank xor-ed with those codes has a zero byte for each. Every byte is
// below 0x40, so adding 0x7F sets its top bit exactly when it is not zero.
template <int c>
int minorsAtHome(const Position& pos) {
  constexpr std::uint8_t N = pieceCode(c, KNIGHT), B = pieceCode(c, BISHOP);
  constexpr std::uint64_t home = bytesOf({0, N, B, 0, 0, B, N, 0});
  constexpr std::uint64_t lanes = bytesOf({0, 1, 1, 0, 0, 1, 1, 0});
  const std::uint64_t away = (((backRank<c>(pos) ^ home) + 0x7F7F7F7F7F7F7F7FULL) >> 7) & lanes;
  // The multiplication sums the bytes into the top one.
  return 4 - static_cast<int>((away * 0x0101010101010101ULL) >> 56);
}
static_assert(OFFBOARD < 0x40 && EMPTY < 0x40);

}  // namespace

void evalDevelopment(const Position& pos, EvalData& ev) {
  if (pos.material <= ENDGAME_MATERIAL) return;

  constexpr int WR = pieceCode(WHITE, ROOK), BR = pieceCode(BLACK, ROOK);
  const int rights = pos.castleRights;

  const int uWhite = minorsAtHome<WHITE>(pos) + ((rights & (CASTLE_WK | CASTLE_WQ)) != 0);
  const int uBlack = minorsAtHome<BLACK>(pos) + ((rights & (CASTLE_BK | CASTLE_BQ)) != 0);
  ev.mgScore[WHITE] -= DevelopmentPenalty[uWhite];
  ev.mgScore[BLACK] -= DevelopmentPenalty[uBlack];

  // Pawn control of the enemy half's four central squares (c5-f5, c4-f4),
  // a pawn-table term.
  ev.mgScore[WHITE] += ev.pawnEntry->centre[WHITE];
  ev.mgScore[BLACK] += ev.pawnEntry->centre[BLACK];

  // A rook shut in by its own king.
  const int wk = kingSquare(pos, WHITE);
  const int bk = kingSquare(pos, BLACK);
  if ((wk == SQ_F1 || wk == SQ_G1) && (pos.board[SQ_H1] == WR || pos.board[SQ_G1] == WR))
    ev.mgScore[WHITE] -= 60;
  if ((wk == SQ_C1 || wk == SQ_D1) && (pos.board[SQ_A1] == WR || pos.board[SQ_B1] == WR))
    ev.mgScore[WHITE] -= 60;
  if ((bk == SQ_F8 || bk == SQ_G8) && (pos.board[SQ_H8] == BR || pos.board[SQ_G8] == BR))
    ev.mgScore[BLACK] -= 60;
  if ((bk == SQ_C8 || bk == SQ_D8) && (pos.board[SQ_A8] == BR || pos.board[SQ_B8] == BR))
    ev.mgScore[BLACK] -= 60;
}
