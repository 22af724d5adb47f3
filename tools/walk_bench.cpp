// Legal-walk benchmark: generate, make, test legality, recurse, unmake.
// Usage: walk_bench [depth] [fen]; prints leaf count, time and leaves per second.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "movegen/movegen.h"
#include "position/position.h"

static std::uint64_t walk(Position& pos, int depth) {
  if (depth == 0) return 1;
  static std::array<MoveEntry, MOVE_STACK_SIZE> stack;  // static: too large for the stack
  MoveEntry* const list = stack.data() + pos.searchPly * MAX_MOVES_PER_PLY;
  MoveEntry* const end = generateMoves(pos, list);
  std::uint64_t total = 0;
  for (const MoveEntry* e = list; e != end; ++e) {
    makeMove(pos, e->move);
    if (!kingInCheck(pos, pos.xside)) total += walk(pos, depth - 1);
    unmakeMove(pos, e->move);
  }
  return total;
}

int main(int argc, char** argv) {
  const int depth = argc > 1 ? std::atoi(argv[1]) : 5;
  static Position pos;  // static: far too large for the stack
  if (!setupFen(pos, argc > 2 ? argv[2] : START_FEN)) return 1;
  pos.searchPly = 0;
  const auto t0 = std::chrono::steady_clock::now();
  const std::uint64_t leaves = walk(pos, depth);
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("depth %d leaves %llu time %.3f s rate %.0f leaves/s\n", depth,
              static_cast<unsigned long long>(leaves), s, s > 0 ? leaves / s : 0.0);
  return 0;
}
