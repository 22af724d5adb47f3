// Incremental make and unmake of a generated move.
#include <cstdio>
#include <cstdlib>

#include "position/position.h"

namespace {

// A list index that is no square, where the king's link waits while the
// rook moves: in Chess960 each may land on the other's square.
constexpr int CASTLE_PARKING = 0x08;
static_assert(!isSquare(CASTLE_PARKING));

// What unmake copies back, saved before a move changes it.
inline void saveUndo(const Position& pos, UndoRecord& rec) {
  rec.savedCastleRights = pos.castleRights;
  rec.savedFifty = pos.fifty;
  rec.savedKey = pos.key;
  rec.savedEp = pos.epSquare;
  rec.savedMaterial = pos.material;
  rec.savedPawns = pos.pawns;
}

// A castling move, made whole: it captures nothing and moves no pawn, and
// its target may hold the own rook, so it keeps off the common path.
[[gnu::noinline]] void makeCastling(Position& pos, Move m) {
  const int o = moveOrigin(m);
  const int mover = pos.side;
  const CastleRoute& r = pos.castle[castleRightIndex(mover, o, moveTarget(m))];
  Board& board = pos.board;
  PieceLists& lists = pos.lists;
  const int king = pieceCode(mover, KING);
  const int rook = pieceCode(mover, ROOK);
  UndoRecord& rec = pos.undo[pos.searchPly];
  saveUndo(pos, rec);
  rec.captured = EMPTY;
  pos.epSquare = EP_NONE;
  ++pos.searchPly;
  ++pos.fifty;

  transferLink(lists, o, CASTLE_PARKING);
  if (r.rookFrom != r.rookTo) transferLink(lists, r.rookFrom, r.rookTo);
  transferLink(lists, CASTLE_PARKING, r.kingTo);
  board[o] = EMPTY;
  board[r.rookFrom] = EMPTY;
  board[r.kingTo] = static_cast<std::uint8_t>(king);
  board[r.rookTo] = static_cast<std::uint8_t>(rook);

  pos.castleRights &= pos.castleKeep[o];
  pos.key ^= SideKey ^ PieceKey[king][o] ^ PieceKey[king][r.kingTo] ^ PieceKey[rook][r.rookFrom] ^
             PieceKey[rook][r.rookTo] ^ CastleKey[rec.savedCastleRights] ^ CastleKey[pos.castleRights];
  ++pos.gamePly;
  pos.side = mover ^ 1;
  pos.xside = mover;
  pos.history[pos.gamePly] = {m, pos.key};
}

// The board and lists of a castling backwards.
[[gnu::noinline]] void unmakeCastling(Position& pos, int king, int kingFrom, const CastleRoute& r) {
  Board& board = pos.board;
  PieceLists& lists = pos.lists;
  transferLink(lists, r.kingTo, CASTLE_PARKING);
  if (r.rookFrom != r.rookTo) transferLink(lists, r.rookTo, r.rookFrom);
  transferLink(lists, CASTLE_PARKING, kingFrom);
  board[r.kingTo] = EMPTY;
  board[r.rookTo] = EMPTY;
  board[r.rookFrom] = static_cast<std::uint8_t>(pieceCode(colourOf(king), ROOK));
  board[kingFrom] = static_cast<std::uint8_t>(king);
}

#ifdef TARNIC_CHECKS
// Checked builds stop at the first make or unmake that breaks the position,
// whatever NDEBUG says.
void checkConsistency(const Position& pos) {
  if (positionIsConsistent(pos)) return;
  std::fprintf(stderr, "position inconsistent after make or unmake\n");
  std::abort();
}
#endif

}  // namespace

void makeMove(Position& pos, Move m) {
  if (m & MOVE_CASTLE) {
    makeCastling(pos, m);
#ifdef TARNIC_CHECKS
    checkConsistency(pos);
#endif
    return;
  }
  const int p = pos.searchPly;
  const int o = moveOrigin(m);
  const int t = moveTarget(m);
  const int mover = pos.side;
  Board& board = pos.board;
  PieceLists& lists = pos.lists;
  const int piece = board[o];
  UndoRecord& rec = pos.undo[p];

  saveUndo(pos, rec);
  rec.captured = board[t];
  std::int32_t material = pos.material;
  pos.epSquare = EP_NONE;
  pos.searchPly = p + 1;
  pos.fifty = (m & (MOVE_CAPTURE | MOVE_PAWN)) ? 0 : pos.fifty + 1;

  std::uint64_t key = pos.key ^ SideKey ^ PieceKey[piece][o];

  // The captured piece leaves its list.
  if (m & MOVE_CAPTURE) {
    if (m & MOVE_EN_PASSANT) {
      const int victimSquare = mover == WHITE ? t - 16 : t + 16;
      const int victim = pieceCode(mover ^ 1, PAWN);
      removeFromList(lists, victimSquare);
      rec.captured = victim;
      board[victimSquare] = EMPTY;
      key ^= PieceKey[victim][victimSquare];
      pos.pawns[mover ^ 1] &= ~squareBit(victimSquare);
    } else {
      removeFromList(lists, t);
      key ^= PieceKey[rec.captured][t];
      if (kindOf(rec.captured) == PAWN) pos.pawns[mover ^ 1] &= ~squareBit(t);
    }
    material -= PieceValue[rec.captured];
  }

  // The moving piece, promoted or not.
  int newPiece = piece;
  if (m & MOVE_PROMO_ANY) {
    newPiece = pieceCode(mover, promotionKind(m));
    board[t] = static_cast<std::uint8_t>(newPiece);
    removeFromList(lists, o);
    insertAtHead(lists, t, LIST_HEAD + newPiece);
    material += PieceValue[newPiece] - PieceValue[PAWN];
  } else {
    board[t] = static_cast<std::uint8_t>(piece);
    transferLink(lists, o, t);
  }
  board[o] = EMPTY;
  key ^= PieceKey[newPiece][t];
  if (kindOf(piece) == PAWN) pos.pawns[mover] ^= squareBit(o) | (newPiece == piece ? squareBit(t) : 0);

  // Every double step leaves an en-passant square.
  if (piece == pieceCode(WHITE, PAWN) && t == o + 32)
    pos.epSquare = o + 16;
  else if (piece == pieceCode(BLACK, PAWN) && t == o - 32)
    pos.epSquare = o - 16;

  // Castling rights lost by leaving or taking a home square.
  if (pos.castleRights) {
    pos.castleRights &= pos.castleKeep[o] & pos.castleKeep[t];
    if (pos.castleRights != rec.savedCastleRights)
      key ^= CastleKey[rec.savedCastleRights] ^ CastleKey[pos.castleRights];
  }

  // Key, material, side and the game history.
  pos.key = key;
  pos.material = material;
  ++pos.gamePly;
  pos.side = mover ^ 1;
  pos.xside = mover;
  pos.history[pos.gamePly] = {m, key};
#ifdef TARNIC_CHECKS
  checkConsistency(pos);
#endif
}

void unmakeMove(Position& pos, Move m) {
  const int o = moveOrigin(m);
  const int t = moveTarget(m);
  Board& board = pos.board;
  PieceLists& lists = pos.lists;
  pos.xside = pos.side;
  pos.side ^= 1;
  --pos.gamePly;
  const UndoRecord& rec = pos.undo[--pos.searchPly];
  pos.epSquare = rec.savedEp;
  pos.castleRights = rec.savedCastleRights;
  pos.fifty = rec.savedFifty;
  pos.key = rec.savedKey;
  pos.material = rec.savedMaterial;
  pos.pawns = rec.savedPawns;

  if (m & MOVE_CASTLE) {
    const int king = pieceCode(pos.side, KING);
    unmakeCastling(pos, king, o, pos.castle[castleRightIndex(pos.side, o, t)]);
#ifdef TARNIC_CHECKS
    checkConsistency(pos);
#endif
    return;
  }

  int piece = board[t];
  board[t] = EMPTY;
  if (m & MOVE_PROMO_ANY) {
    removeFromList(lists, t);
    piece = pieceCode(pos.side, PAWN);
    insertAtHead(lists, o, LIST_HEAD + piece);
  } else {
    transferLink(lists, t, o);
  }
  board[o] = static_cast<std::uint8_t>(piece);

  if (m & MOVE_CAPTURE) {
    if (m & MOVE_EN_PASSANT) {
      const int victimSquare = pos.side == WHITE ? t - 16 : t + 16;
      const int victim = pieceCode(pos.xside, PAWN);
      board[victimSquare] = static_cast<std::uint8_t>(victim);
      insertAtHead(lists, victimSquare, LIST_HEAD + victim);
    } else {
      board[t] = static_cast<std::uint8_t>(rec.captured);
      insertAtHead(lists, t, LIST_HEAD + rec.captured);
    }
  }
#ifdef TARNIC_CHECKS
  checkConsistency(pos);
#endif
}

void makeNullMove(Position& pos) {
  UndoRecord& rec = pos.undo[pos.searchPly];
  rec.savedEp = pos.epSquare;
  rec.savedCastleRights = pos.castleRights;
  rec.savedFifty = pos.fifty;
  rec.savedKey = pos.key;
  rec.savedMaterial = pos.material;
  rec.captured = 0;
  ++pos.fifty;
  pos.xside = pos.side;
  pos.side ^= 1;
  pos.key ^= SideKey;
  ++pos.gamePly;
  pos.history[pos.gamePly] = {0, pos.key};
  ++pos.searchPly;
  pos.epSquare = EP_NONE;
}

void unmakeNullMove(Position& pos) {
  --pos.gamePly;
  const UndoRecord& rec = pos.undo[--pos.searchPly];
  pos.xside = pos.side;
  pos.side ^= 1;
  pos.epSquare = rec.savedEp;
  pos.castleRights = rec.savedCastleRights;
  pos.fifty = rec.savedFifty;
  pos.key = rec.savedKey;
}
