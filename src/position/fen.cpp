// FEN set-up, the from-scratch key and material, and the consistency check.
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

int listLength(const Position& pos, int code) {
  int n = 0;
  for (int s = firstOfList(pos, code); s < LIST_END && n <= 64; s = pos.lists[s].next) ++n;
  return n;
}

// Reads the placement field; false for a text the board cannot hold.
bool readPlacement(Position& pos, const char*& p) {
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
    pos.board[base + file] = static_cast<std::uint8_t>(code);
    insertAtHead(pos.lists, base + file, LIST_HEAD + code);
    ++file;
    ++p;
  }
}

// A castling right needs its king and rook on their home squares.
void dropImpossibleRights(Position& pos) {
  constexpr int WK = pieceCode(WHITE, KING), WR = pieceCode(WHITE, ROOK);
  constexpr int BK = pieceCode(BLACK, KING), BR = pieceCode(BLACK, ROOK);
  const Board& board = pos.board;
  if (board[SQ_E1] != WK || board[SQ_H1] != WR) pos.castleRights &= ~CASTLE_WK;
  if (board[SQ_E1] != WK || board[SQ_A1] != WR) pos.castleRights &= ~CASTLE_WQ;
  if (board[SQ_E8] != BK || board[SQ_H8] != BR) pos.castleRights &= ~CASTLE_BK;
  if (board[SQ_E8] != BK || board[SQ_A8] != BR) pos.castleRights &= ~CASTLE_BQ;
}

// The file of colour's king on its back rank, or -1.
int backRankKingFile(const Position& pos, int colour) {
  const int back = colour == WHITE ? 0 : 0x70;
  for (int f = 0; f < 8; ++f)
    if (pos.board[back + f] == pieceCode(colour, KING)) return f;
  return -1;
}

// The Chess960 castling field: "-", or up to four rights, each K/Q (k/q)
// for the outermost rook on that side of the king or a rook's file letter,
// upper case for WHITE. False when a right names no rook of its colour on
// the back rank beside a king there, or names a right twice.
bool readChess960Castling(Position& pos, const char*& p) {
  constexpr int MAX_RIGHTS = 4;
  int count = 0;
  for (; *p && *p != ' '; ++p) {
    const char c = *p;
    if (c == '-') continue;
    if (++count > MAX_RIGHTS) return false;
    const int colour = (c >= 'A' && c <= 'Z') ? WHITE : BLACK;
    const char letter = colour == WHITE ? static_cast<char>(c - 'A' + 'a') : c;
    const int back = colour == WHITE ? 0 : 0x70;
    const int rook = pieceCode(colour, ROOK);
    const int kingFile = backRankKingFile(pos, colour);
    if (kingFile < 0) return false;
    int rookFile = -1;
    if (letter == 'k') {
      for (int f = 7; f > kingFile && rookFile < 0; --f)
        if (pos.board[back + f] == rook) rookFile = f;
    } else if (letter == 'q') {
      for (int f = 0; f < kingFile && rookFile < 0; ++f)
        if (pos.board[back + f] == rook) rookFile = f;
    } else if (letter >= 'a' && letter <= 'h' && letter - 'a' != kingFile &&
               pos.board[back + letter - 'a'] == rook) {
      rookFile = letter - 'a';
    }
    if (rookFile < 0) return false;
    const int right = 1 << castleRightIndex(colour, back + kingFile, back + rookFile);
    if (pos.castleRights & right) return false;
    pos.castleRights |= right;
    pos.castle[castleRightIndex(colour, back + kingFile, back + rookFile)].rookFrom =
        static_cast<std::int8_t>(back + rookFile);
  }
  return true;
}

// The routes of the rights held and the squares that clear them; the
// rook of a right read in the standard form stands in its corner.
void setCastleRoutes(Position& pos) {
  pos.castleKeep.fill(15);
  pos.castle960 = false;
  for (int index = 0; index < 4; ++index) {
    const int right = 1 << index;
    if (!(pos.castleRights & right)) continue;
    const int colour = index >> 1;
    const bool kingSide = (index & 1) == 0;
    const int back = colour == WHITE ? 0 : 0x70;
    const int king = kingSquare(pos, colour);
    CastleRoute& r = pos.castle[index];
    if (!pos.chess960) r.rookFrom = static_cast<std::int8_t>(back + (kingSide ? 7 : 0));
    r.kingTo = static_cast<std::int8_t>(back + (kingSide ? 6 : 2));
    r.rookTo = static_cast<std::int8_t>(back + (kingSide ? 5 : 3));
    const bool standard = king == back + 4 && r.rookFrom == back + (kingSide ? 7 : 0);
    r.target = standard ? r.kingTo : r.rookFrom;
    pos.castle960 = pos.castle960 || !standard;
    pos.castleKeep[king] &= static_cast<std::uint8_t>(~((CASTLE_WK | CASTLE_WQ) << (2 * colour)));
    pos.castleKeep[r.rookFrom] &= static_cast<std::uint8_t>(~right);
  }
}

// An en-passant square must lie behind an enemy pawn that can just have
// made its double step; anything else would let make remove a missing pawn.
int checkedEpSquare(const Position& pos, char fileChar, char rankChar) {
  if (fileChar < 'a' || fileChar > 'h' || rankChar < '1' || rankChar > '8') return EP_NONE;
  int ep = (rankChar - '1') * 16 + (fileChar - 'a');
  int forward = pos.side == WHITE ? -16 : 16;  // towards the pawn that moved
  int wantedRank = pos.side == WHITE ? 5 : 2;
  if (rankOf(ep) != wantedRank) return EP_NONE;
  if (pos.board[ep] != EMPTY || pos.board[ep - forward] != EMPTY) return EP_NONE;
  if (pos.board[ep + forward] != pieceCode(pos.xside, PAWN)) return EP_NONE;
  return ep;
}

// The fields a refused text must leave as they were.
struct SetupState {
  Board board;
  PieceLists lists;
  std::uint64_t key;
  std::array<std::uint64_t, 2> pawns;
  std::array<CastleRoute, 4> castle;
  std::array<std::uint8_t, 128> castleKeep;
  bool castle960;
  std::int32_t castleRights, side, xside, epSquare, fifty, gamePly, material;
};

SetupState saveSetupState(const Position& p) {
  return {p.board,        p.lists, p.key,   p.pawns,    p.castle, p.castleKeep, p.castle960,
          p.castleRights, p.side,  p.xside, p.epSquare, p.fifty,  p.gamePly,    p.material};
}

void restoreSetupState(Position& p, const SetupState& s) {
  p.board = s.board;
  p.lists = s.lists;
  p.key = s.key;
  p.pawns = s.pawns;
  p.castle = s.castle;
  p.castleKeep = s.castleKeep;
  p.castle960 = s.castle960;
  p.castleRights = s.castleRights;
  p.side = s.side;
  p.xside = s.xside;
  p.epSquare = s.epSquare;
  p.fifty = s.fifty;
  p.gamePly = s.gamePly;
  p.material = s.material;
}

}  // namespace

void resetPosition(Position& pos) {
  pos.board.cells.fill(OFFBOARD);
  for (int s = 0; s < 128; ++s)
    if (isSquare(s)) pos.board[s] = EMPTY;
  pos.lists.links.fill(ListLink{0, 0});
  for (int code = 0; code < 16; ++code) pos.lists[LIST_HEAD + code].next = LIST_END;
  pos.castleRights = 0;
  pos.castle = {};
  pos.castleKeep.fill(15);
  pos.castle960 = false;
  pos.side = WHITE;
  pos.xside = BLACK;
  pos.epSquare = EP_NONE;
  pos.fifty = 0;
  pos.gamePly = 0;
  pos.key = 0;
  pos.pawns = {0, 0};
  pos.material = 0;
}

std::uint64_t computeKey(const Position& pos) {
  std::uint64_t key = 0;
  for (int colour = WHITE; colour <= BLACK; ++colour)
    for (int kind = PAWN; kind <= KING; ++kind) {
      int code = pieceCode(colour, kind);
      for (int s = firstOfList(pos, code); s < LIST_END; s = pos.lists[s].next) key ^= PieceKey[code][s];
    }
  key ^= CastleKey[pos.castleRights];
  if (pos.side == BLACK) key ^= SideKey;
  return key;
}

std::array<std::uint64_t, 2> computePawns(const Position& pos) {
  std::array<std::uint64_t, 2> pawns = {0, 0};
  for (int colour = WHITE; colour <= BLACK; ++colour)
    for (int s = firstOfList(pos, pieceCode(colour, PAWN)); s < LIST_END; s = pos.lists[s].next)
      pawns[colour] |= squareBit(s);
  return pawns;
}

std::int32_t boardMaterial(const Position& pos) {
  std::int32_t sum = 0;
  for (int s = 0; s < 128; ++s) {
    const int code = pos.board[s];  // off-board indices read OFFBOARD
    if (code < EMPTY && kindOf(code) != KING) sum += PieceValue[code];
  }
  return sum;
}

bool setupFen(Position& pos, const char* text) {
  const SetupState saved = saveSetupState(pos);

  resetPosition(pos);
  const char* p = text;
  bool ok = readPlacement(pos, p) && *p != 0;
  if (ok) {
    pos.side = *p == 'b' ? BLACK : WHITE;
    pos.xside = pos.side ^ 1;
    pos.castleRights = 0;
    ++p;
    if (*p) ++p;
    if (pos.chess960) ok = readChess960Castling(pos, p);
    for (int i = 0; i < 4 && !pos.chess960 && *p && *p != ' '; ++i, ++p) {
      switch (*p) {
        case '-': pos.castleRights = 0; break;
        case 'K': pos.castleRights |= CASTLE_WK; break;
        case 'Q': pos.castleRights |= CASTLE_WQ; break;
        case 'k': pos.castleRights |= CASTLE_BK; break;
        case 'q': pos.castleRights |= CASTLE_BQ; break;
        default: break;
      }
    }
    if (*p) ++p;
    if (*p && *p != '-' && p[1]) pos.epSquare = checkedEpSquare(pos, p[0], p[1]);

    ok = ok && listLength(pos, pieceCode(WHITE, KING)) == 1 && listLength(pos, pieceCode(BLACK, KING)) == 1 &&
         !kingInCheck(pos, pos.xside);
  }
  if (!ok) {
    restoreSetupState(pos, saved);
    return false;
  }
  if (!pos.chess960) dropImpossibleRights(pos);
  setCastleRoutes(pos);
  pos.key = computeKey(pos);
  pos.pawns = computePawns(pos);
  pos.material = boardMaterial(pos);
  return true;
}

bool positionIsConsistent(const Position& pos) {
  int onBoard = 0;
  for (int s = 0; s < 128; ++s) {
    if (!isSquare(s)) {
      if (pos.board[s] != OFFBOARD) return false;
      continue;
    }
    int code = pos.board[s];
    if (code == EMPTY) {
      if (pos.lists[s].next != 0 || pos.lists[s].prev != 0) return false;
      continue;
    }
    if (code < 1 || code > 14 || kindOf(code) == 0 || kindOf(code) == 7) return false;
    ++onBoard;
  }
  int inLists = 0;
  for (int code = 0; code < 16; ++code) {
    int prev = LIST_HEAD + code;
    int steps = 0;
    for (int s = pos.lists[prev].next; s < LIST_END; s = pos.lists[s].next) {
      if (++steps > 64 || pos.board[s] != code || pos.lists[s].prev != prev) return false;
      prev = s;
      ++inLists;
    }
  }
  return inLists == onBoard && pos.xside == (pos.side ^ 1) && pos.key == computeKey(pos) &&
         pos.pawns == computePawns(pos) && pos.material == boardMaterial(pos);
}
