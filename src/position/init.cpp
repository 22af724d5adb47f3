// Start-up sequence and the tables computed at start-up.
#include <cstdlib>
#include <cstring>

#include "driver/driver.h"
#include "eval/eval.h"
#include "position/position.h"
#include "search/search.h"

void resetPosition() {
  BoardStore.fill(OFFBOARD);
  for (int s = 0; s < 128; ++s)
    if (isSquare(s)) Board[s] = EMPTY;
  ListStore.fill(ListLink{0, 0});
  for (int code = 0; code < 16; ++code) Lists[LIST_HEAD + code].next = LIST_END;
  Pos.castleRights = 0;
  Pos.side = WHITE;
  Pos.xside = BLACK;
  Pos.epSquare = EP_NONE;
  Pos.fifty = 0;
  Pos.gamePly = 0;
  Pos.key = 0;
}

static int absInt(int v) { return v < 0 ? -v : v; }

static void addRelation(int a, int b, int flags, int step) {
  SquareRelation[a][b].flags = static_cast<std::uint16_t>(SquareRelation[a][b].flags | flags);
  if (step != 0) SquareRelation[a][b].step = static_cast<std::int16_t>(step);
}

void initTables() {
  for (int a = 0; a < 128; ++a) {
    for (int b = 0; b < 128; ++b) {
      KingDistance[a][b] = 0;
      SquareRelation[a][b] = {0, 0};
      if (isSquare(a) && isSquare(b)) {
        int dr = absInt(rankOf(a) - rankOf(b));
        int df = absInt(fileOf(a) - fileOf(b));
        KingDistance[a][b] = static_cast<std::uint16_t>(dr > df ? dr : df);
      }
    }
  }
  for (int a = 0; a < 128; ++a) {
    if (!isSquare(a)) continue;
    for (const std::int32_t* d = KnightOffsets.data(); *d; ++d)
      if (isSquare(a + *d)) addRelation(a, a + *d, REL_KNIGHT, 0);
    for (const std::int32_t* d = KingDirections.data(); *d; ++d)
      if (isSquare(a + *d)) addRelation(a, a + *d, REL_KING, 0);
    for (const std::int32_t* d = BishopDirections.data(); *d; ++d)
      for (int b = a + *d; isSquare(b); b += *d) addRelation(a, b, REL_DIAG | REL_LINE, *d);
    for (const std::int32_t* d = RookDirections.data(); *d; ++d)
      for (int b = a + *d; isSquare(b); b += *d) addRelation(a, b, REL_ORTH | REL_LINE, *d);
    if (isSquare(a + 17)) addRelation(a, a + 17, REL_WPAWN, 0);
    if (isSquare(a + 15)) addRelation(a, a + 15, REL_WPAWN, 0);
    if (isSquare(a - 17)) addRelation(a, a - 17, REL_BPAWN, 0);
    if (isSquare(a - 15)) addRelation(a, a - 15, REL_BPAWN, 0);
  }
}

void initEngine() {
  searchPly = 0;
  engineFlags = 0;
  Ply[0].moveListStart = 0;
  Ply[1].moveListStart = 0;
  maxDepth = 50;
  resetPosition();
  allocateDefaultHashTable();
  initTables();
  buildSeeTable();
  setupFen(START_FEN);
}
