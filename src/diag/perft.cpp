// Perft: the legal move tree counted with the search's own generators.
#include <cinttypes>
#include <cstdio>

#include "diag/diag.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"

std::uint64_t perft(Position& pos, int depth, MoveEntry* list) {
  if (depth == 0) return 0;
  const bool inCheck = kingInCheck(pos, pos.side);
  MoveEntry* const end = inCheck ? generateEvasions(pos, list) : generateMoves(pos, list);
  const int king = kingSquare(pos, pos.side);
  // At the last level a move that cannot expose the king is counted without
  // being played: the count is the same, the work much smaller. The pins are
  // found once for all the moves.
  PinSteps pins;
  if (depth == 1 && !inCheck) findPins(pos, pins);
  std::uint64_t count = 0;
  for (const MoveEntry* e = list; e != end; ++e) {
    if (depth == 1 && !inCheck && !(e->move & MOVE_EN_PASSANT) && moveOrigin(e->move) != king) {
      if (!leavesPinLine(pins, king, e->move)) ++count;
      continue;
    }
    makeMove(pos, e->move);
    if (!moverLeftInCheck(pos, e->move, inCheck)) count += 1 + perft(pos, depth - 1, end);
    unmakeMove(pos, e->move);
  }
  return count;
}

void perftCommand(Position& pos, SearchThread& s, const char* args) {
  // Every level uses an undo record and a move list: keep the walk inside them.
  int depth = parseInt(args);
  if (depth < 0) depth = 0;
  if (depth > MAX_SEARCH_PLY) depth = MAX_SEARCH_PLY;
  std::printf("perft for depth %d\n", depth);
  const std::uint32_t t0 = clockMs(s.shared);
  pos.searchPly = 0;
  const std::uint64_t nodes = perft(pos, depth, s.moveStack.data());
  std::uint32_t ms = clockMs(s.shared) - t0;
  if (ms == 0) ms = 1;
  std::printf("Nodes: %" PRIu64 "   time: %u.%u   Nodes/sec: %" PRIu64 "\n", nodes, ms / 1000, ms % 1000,
              nodes / ms * 1000);
}
