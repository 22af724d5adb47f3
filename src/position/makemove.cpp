// Incremental make and unmake of a generated move.
#include <cstdio>
#include <cstdlib>

#include "position/position.h"

namespace {

struct CastleRook {
  int from;
  int to;
  int code;
};

// The rook of a castling move, found from the king's target square.
inline CastleRook castleRook(int kingTarget) {
  switch (kingTarget) {
    case SQ_G1: return {SQ_H1, SQ_F1, pieceCode(WHITE, ROOK)};
    case SQ_C1: return {SQ_A1, SQ_D1, pieceCode(WHITE, ROOK)};
    case SQ_G8: return {SQ_H8, SQ_F8, pieceCode(BLACK, ROOK)};
    default: return {SQ_A8, SQ_D8, pieceCode(BLACK, ROOK)};
  }
}

// Rights kept when a move leaves a square (king or rook homes) ...
constexpr std::array<std::uint8_t, 128> KeepFrom = [] {
  std::array<std::uint8_t, 128> t{};
  t.fill(15);
  t[SQ_E1] = 15 & ~(CASTLE_WK | CASTLE_WQ);
  t[SQ_E8] = 15 & ~(CASTLE_BK | CASTLE_BQ);
  t[SQ_A1] = 15 & ~CASTLE_WQ;
  t[SQ_H1] = 15 & ~CASTLE_WK;
  t[SQ_A8] = 15 & ~CASTLE_BQ;
  t[SQ_H8] = 15 & ~CASTLE_BK;
  return t;
}();
// ... and when a move lands on one (capturing a rook at home).
constexpr std::array<std::uint8_t, 128> KeepTo = [] {
  std::array<std::uint8_t, 128> t = KeepFrom;
  t[SQ_E1] = 15;
  t[SQ_E8] = 15;
  return t;
}();

#ifdef TARNIC_CHECKS
// Checked builds stop at the first make or unmake that breaks the position,
// whatever NDEBUG says.
void checkConsistency() {
  if (positionIsConsistent()) return;
  std::fprintf(stderr, "position inconsistent after make or unmake\n");
  std::abort();
}
#endif

}  // namespace

void makeMove(Move m) {
  const int p = searchPly;
  const int o = moveOrigin(m);
  const int t = moveTarget(m);
  const int mover = Pos.side;
  const int piece = Board[o];
  PlyRecord& rec = Ply[p];

  // 1-3: save what unmake copies back.
  rec.savedCastleRights = Pos.castleRights;
  rec.savedFifty = Pos.fifty;
  rec.savedKey = Pos.key;
  rec.savedEp = Pos.epSquare;
  rec.captured = Board[t];
  std::int32_t material = rec.material;
  Pos.epSquare = EP_NONE;
  searchPly = p + 1;
  Pos.fifty = (m & (MOVE_CAPTURE | MOVE_PAWN)) ? 0 : Pos.fifty + 1;

  std::uint64_t key = Pos.key ^ SideKey ^ PieceKey[piece][o];

  // 4: the captured piece leaves its list.
  if (m & MOVE_CAPTURE) {
    if (m & MOVE_EN_PASSANT) {
      const int victimSquare = mover == WHITE ? t - 16 : t + 16;
      const int victim = pieceCode(mover ^ 1, PAWN);
      removeFromList(victimSquare);
      rec.captured = victim;
      Board[victimSquare] = EMPTY;
      key ^= PieceKey[victim][victimSquare];
    } else {
      removeFromList(t);
      key ^= PieceKey[rec.captured][t];
    }
    material -= PieceValue[rec.captured];
  }

  // 5-6: the moving piece.
  int newPiece = piece;
  if (m & MOVE_PROMO_ANY) {
    newPiece = pieceCode(mover, promotionKind(m));
    Board[t] = static_cast<std::uint8_t>(newPiece);
    removeFromList(o);
    insertAtHead(t, LIST_HEAD + newPiece);
    material += PieceValue[newPiece] - PieceValue[PAWN];
  } else {
    Board[t] = static_cast<std::uint8_t>(piece);
    transferLink(o, t);
  }
  Board[o] = EMPTY;
  key ^= PieceKey[newPiece][t];

  // 7: the castling rook.
  if (m & MOVE_CASTLE) {
    const CastleRook r = castleRook(t);
    Board[r.from] = EMPTY;
    Board[r.to] = static_cast<std::uint8_t>(r.code);
    transferLink(r.from, r.to);
    key ^= PieceKey[r.code][r.from] ^ PieceKey[r.code][r.to];
  }

  // 8: every double step leaves an en-passant square.
  if (piece == pieceCode(WHITE, PAWN) && t == o + 32)
    Pos.epSquare = o + 16;
  else if (piece == pieceCode(BLACK, PAWN) && t == o - 32)
    Pos.epSquare = o - 16;

  // 9: castling rights.
  if (Pos.castleRights) {
    Pos.castleRights &= KeepFrom[o] & KeepTo[t];
    if (Pos.castleRights != rec.savedCastleRights)
      key ^= CastleKey[rec.savedCastleRights] ^ CastleKey[Pos.castleRights];
  }

  // 10-12: key, material, game history.
  Pos.key = key;
  Ply[p + 1].material = material;
  ++Pos.gamePly;
  Pos.side = mover ^ 1;
  Pos.xside = mover;
  GameHistory[Pos.gamePly] = {m, key};
#ifdef TARNIC_CHECKS
  checkConsistency();
#endif
}

void unmakeMove(Move m) {
  const int o = moveOrigin(m);
  const int t = moveTarget(m);
  Pos.xside = Pos.side;
  Pos.side ^= 1;
  --Pos.gamePly;
  const int p = --searchPly;
  const PlyRecord& rec = Ply[p];
  Pos.epSquare = rec.savedEp;
  Pos.castleRights = rec.savedCastleRights;
  Pos.fifty = rec.savedFifty;
  Pos.key = rec.savedKey;

  int piece = Board[t];
  Board[t] = EMPTY;
  if (m & MOVE_PROMO_ANY) {
    removeFromList(t);
    piece = pieceCode(Pos.side, PAWN);
    insertAtHead(o, LIST_HEAD + piece);
  } else {
    transferLink(t, o);
  }
  Board[o] = static_cast<std::uint8_t>(piece);

  if (m & MOVE_CAPTURE) {
    if (m & MOVE_EN_PASSANT) {
      const int victimSquare = Pos.side == WHITE ? t - 16 : t + 16;
      const int victim = pieceCode(Pos.xside, PAWN);
      Board[victimSquare] = static_cast<std::uint8_t>(victim);
      insertAtHead(victimSquare, LIST_HEAD + victim);
    } else {
      Board[t] = static_cast<std::uint8_t>(rec.captured);
      insertAtHead(t, LIST_HEAD + rec.captured);
    }
  }

  if (m & MOVE_CASTLE) {
    const CastleRook r = castleRook(t);
    Board[r.to] = EMPTY;
    Board[r.from] = static_cast<std::uint8_t>(r.code);
    transferLink(r.to, r.from);
  }
#ifdef TARNIC_CHECKS
  checkConsistency();
#endif
}
