// Move text both ways and the UCI position command.
#include <cstdio>
#include <cstring>

#include "driver/driver.h"
#include "movegen/movegen.h"
#include "position/position.h"

namespace {
std::array<char, 6> MoveText{};

bool isFileChar(char c) { return c >= 'a' && c <= 'h'; }
bool isRankChar(char c) { return c >= '1' && c <= '8'; }
bool isWordChar(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
}  // namespace

const char* moveToText(Move m) {
  const int o = moveOrigin(m);
  const int t = moveTarget(m);
  MoveText[0] = static_cast<char>('a' + (o & 15));
  MoveText[1] = static_cast<char>('1' + (o >> 4));
  MoveText[2] = static_cast<char>('a' + (t & 15));
  MoveText[3] = static_cast<char>('1' + (t >> 4));
  MoveText[4] = (m & MOVE_PROMO_QUEEN)    ? 'q'
                : (m & MOVE_PROMO_ROOK)   ? 'r'
                : (m & MOVE_PROMO_BISHOP) ? 'b'
                : (m & MOVE_PROMO_KNIGHT) ? 'n'
                                          : '\0';
  MoveText[5] = '\0';
  return MoveText.data();
}

Move textToMove(const char* text) {
  if (!isFileChar(text[0]) || !isRankChar(text[1]) || !isFileChar(text[2]) || !isRankChar(text[3])) return 0;
  const int origin = (text[1] - '1') * 16 + (text[0] - 'a');
  const int target = (text[3] - '1') * 16 + (text[2] - 'a');
  Move key = makeMoveValue(origin, target, 0);
  switch (text[4]) {
    case 'q':
    case 'Q': key |= MOVE_PROMO_QUEEN; break;
    case 'r':
    case 'R': key |= MOVE_PROMO_ROOK; break;
    case 'b':
    case 'B': key |= MOVE_PROMO_BISHOP; break;
    case 'n':
    case 'N': key |= MOVE_PROMO_KNIGHT; break;
    default: break;
  }
  generateMoves();
  for (const MoveEntry* e = listBegin(searchPly); e != listEnd(searchPly); ++e)
    if ((e->move & MOVE_IDENTITY_MASK) == key) return e->move;
  return 0;
}

Move playGameMove(const char* text) {
  // Full history or ply records: refuse rather than write past them.
  if (Pos.gamePly + 1 >= MAX_GAME_PLY || searchPly >= MAX_CONSOLE_PLY) return 0;
  const Move m = textToMove(text);
  if (m == 0) return 0;
  makeMove(m);
  if (kingInCheck(Pos.xside)) {  // would leave a king that can be captured
    unmakeMove(m);
    return 0;
  }
  return m;
}

void positionCommand(const char* args) {
  const char* p = args;
  if (strEqualNoCaseN(8, p, "startpos") == 0) {
    setupFen(START_FEN);
    p += 8;
  } else if (strEqualNoCaseN(3, p, "fen") == 0) {
    const char* fen = p[3] ? p + 4 : p + 3;
    if (setupFen(fen) != 0) return;  // the old position stays; its moves do not apply
    p = std::strchr(fen, 'm');
    if (p == nullptr) return;
  }
  while (isBlank(*p)) ++p;
  if (strEqualNoCaseN(5, p, "moves") != 0) return;
  p += 5;
  while (isBlank(*p)) ++p;
  while (*p) {
    searchPly = 0;
    if (playGameMove(p) == 0) {
      std::printf("Error, Invalid move: %s \n", p);
      return;
    }
    while (isWordChar(*p)) ++p;
    while (isBlank(*p)) ++p;
  }
}
