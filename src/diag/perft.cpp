// Perft: the legal move tree counted with the search's own generators.
#include <cinttypes>
#include <cstdio>

#include "diag/diag.h"
#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"

void perft(Position& pos, int depth) {
  if (depth == 0) return;
  evaluate(pos);  // the evasion generator reads this ply's attack maps
  const bool inCheck = kingInCheck(pos, pos.side) != 0;
  if (inCheck)
    generateEvasions(pos);
  else
    generateMoves(pos);
  const int p = pos.searchPly;
  const int king = kingSquare(pos, pos.side);
  for (const MoveEntry* e = listBegin(p); e != listEnd(p); ++e) {
    // At the last level a move that cannot expose the king is counted
    // without being played: the count is the same, the work much smaller.
    if (depth == 1 && !inCheck && !(e->move & MOVE_EN_PASSANT) && moveOrigin(e->move) != king) {
      if (!movesPinnedPiece(pos, e->move)) ++nodeCount;
      continue;
    }
    makeMove(pos, e->move);
    if (!moverLeftInCheck(pos, e->move, inCheck)) {
      ++nodeCount;
      perft(pos, depth - 1);
    }
    unmakeMove(pos, e->move);
  }
}

void perftCommand(Position& pos, const char* args) {
  // Every level uses a PlyRecord and attack maps: keep the walk inside them.
  int depth = parseInt(args);
  if (depth < 0) depth = 0;
  if (depth > MAX_SEARCH_PLY) depth = MAX_SEARCH_PLY;
  std::printf("perft for depth %d\n", depth);
  const std::uint32_t t0 = currentTimeMs();
  pos.searchPly = 0;
  nodeCount = 0;
  perft(pos, depth);
  std::uint32_t ms = currentTimeMs() - t0;
  if (ms == 0) ms = 1;
  const std::uint64_t nodes = static_cast<std::uint64_t>(nodeCount);
  std::printf("Nodes: %" PRIu64 "   time: %u.%u   Nodes/sec: %" PRIu64 "\n", nodes, ms / 1000, ms % 1000,
              nodes / ms * 1000);
}
