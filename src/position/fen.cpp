// FEN set-up, the from-scratch key and the consistency check.
#include <cstdio>

#include "movegen/movegen.h"
#include "position/position.h"

namespace {

int letterCode(char c) {
  switch (c) {
    case 'P': return pieceCode(WHITE, PAWN);
    case 'N': return pieceCode(WHITE, KNIGHT);
    case 'B': return pieceCode(WHITE, BISHOP);
    case 'R': return pieceCode(WHITE, ROOK);
    case 'Q': return pieceCode(WHITE, QUEEN);
    case 'K': return pieceCode(WHITE, KING);
    case 'p': return pieceCode(BLACK, PAWN);
    case 'n': return pieceCode(BLACK, KNIGHT);
    case 'b': return pieceCode(BLACK, BISHOP);
    case 'r': return pieceCode(BLACK, ROOK);
    case 'q': return pieceCode(BLACK, QUEEN);
    case 'k': return pieceCode(BLACK, KING);
    default: return 0;
  }
}

int listLength(int code) {
  int n = 0;
  for (int s = firstOfList(code); s < LIST_END && n <= 64; s = Lists[s].next) ++n;
  return n;
}

// Reads the placement field; false for a text the board cannot hold.
bool readPlacement(const char*& p) {
  int base = 0x70;
  int file = 0;
  for (;;) {
    char c = *p;
    if (c == 0) return false;  // fewer than eight ranks, or no side field
    if (c == ' ' || c == '/') {
      base -= 16;
      file = 0;
      ++p;
      if (base < 0) return true;
      continue;
    }
    if (c >= '1' && c <= '8') {
      file += c - '0';
      if (file > 8) return false;
      ++p;
      continue;
    }
    int code = letterCode(c);
    if (code == 0 || file >= 8) return false;
    Board[base + file] = static_cast<std::uint8_t>(code);
    insertAtHead(base + file, LIST_HEAD + code);
    ++file;
    ++p;
  }
}

// A castling right needs its king and rook on their home squares.
void dropImpossibleRights() {
  constexpr int WK = pieceCode(WHITE, KING), WR = pieceCode(WHITE, ROOK);
  constexpr int BK = pieceCode(BLACK, KING), BR = pieceCode(BLACK, ROOK);
  if (Board[SQ_E1] != WK || Board[SQ_H1] != WR) Pos.castleRights &= ~CASTLE_WK;
  if (Board[SQ_E1] != WK || Board[SQ_A1] != WR) Pos.castleRights &= ~CASTLE_WQ;
  if (Board[SQ_E8] != BK || Board[SQ_H8] != BR) Pos.castleRights &= ~CASTLE_BK;
  if (Board[SQ_E8] != BK || Board[SQ_A8] != BR) Pos.castleRights &= ~CASTLE_BQ;
}

// An en-passant square must lie behind an enemy pawn that can just have
// made its double step; anything else would let make remove a missing pawn.
int checkedEpSquare(char fileChar, char rankChar) {
  if (fileChar < 'a' || fileChar > 'h' || rankChar < '1' || rankChar > '8') return EP_NONE;
  int ep = (rankChar - '1') * 16 + (fileChar - 'a');
  int forward = Pos.side == WHITE ? -16 : 16;  // towards the pawn that moved
  int wantedRank = Pos.side == WHITE ? 5 : 2;
  if (rankOf(ep) != wantedRank) return EP_NONE;
  if (Board[ep] != EMPTY || Board[ep - forward] != EMPTY) return EP_NONE;
  if (Board[ep + forward] != pieceCode(Pos.xside, PAWN)) return EP_NONE;
  return ep;
}

}  // namespace

void computeKey() {
  std::uint64_t key = 0;
  for (int colour = WHITE; colour <= BLACK; ++colour)
    for (int kind = PAWN; kind <= KING; ++kind) {
      int code = pieceCode(colour, kind);
      for (int s = firstOfList(code); s < LIST_END; s = Lists[s].next) key ^= PieceKey[code][s];
    }
  key ^= CastleKey[Pos.castleRights];
  if (Pos.side == BLACK) key ^= SideKey;
  Pos.key = key;
}

int setupFen(const char* text) {
  // Keep the current position so that a rejected text changes nothing.
  const auto savedBoard = BoardStore;
  const auto savedLists = ListStore;
  const Position savedPos = Pos;

  resetPosition();
  const char* p = text;
  bool ok = readPlacement(p) && *p != 0;
  if (ok) {
    Pos.side = *p == 'b' ? BLACK : WHITE;
    Pos.xside = Pos.side ^ 1;
    Pos.castleRights = 0;
    ++p;
    if (*p) ++p;
    for (int i = 0; i < 4 && *p && *p != ' '; ++i, ++p) {
      switch (*p) {
        case '-': Pos.castleRights = 0; break;
        case 'K': Pos.castleRights |= CASTLE_WK; break;
        case 'Q': Pos.castleRights |= CASTLE_WQ; break;
        case 'k': Pos.castleRights |= CASTLE_BK; break;
        case 'q': Pos.castleRights |= CASTLE_BQ; break;
        default: break;
      }
    }
    if (*p) ++p;
    if (*p && *p != '-' && p[1]) Pos.epSquare = checkedEpSquare(p[0], p[1]);

    ok = listLength(pieceCode(WHITE, KING)) == 1 && listLength(pieceCode(BLACK, KING)) == 1 &&
         !kingInCheck(Pos.xside);
  }
  if (!ok) {
    std::printf("FEN error \n");
    BoardStore = savedBoard;
    ListStore = savedLists;
    Pos = savedPos;
    return -1;
  }
  dropImpossibleRights();
  computeKey();
  return 0;
}

bool positionIsConsistent() {
  int onBoard = 0;
  for (int s = 0; s < 128; ++s) {
    if (!isSquare(s)) {
      if (Board[s] != OFFBOARD) return false;
      continue;
    }
    int code = Board[s];
    if (code == EMPTY) {
      if (Lists[s].next != 0 || Lists[s].prev != 0) return false;
      continue;
    }
    if (code < 1 || code > 14 || kindOf(code) == 0 || kindOf(code) == 7) return false;
    ++onBoard;
  }
  int inLists = 0;
  for (int code = 0; code < 16; ++code) {
    int prev = LIST_HEAD + code;
    int steps = 0;
    for (int s = Lists[prev].next; s < LIST_END; s = Lists[s].next) {
      if (++steps > 64 || Board[s] != code || Lists[s].prev != prev) return false;
      prev = s;
      ++inLists;
    }
  }
  if (inLists != onBoard) return false;
  if (Pos.xside != (Pos.side ^ 1)) return false;
  const std::uint64_t key = Pos.key;
  computeKey();
  const bool keyOk = Pos.key == key;
  Pos.key = key;
  return keyOk;
}
