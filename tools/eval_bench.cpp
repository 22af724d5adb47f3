// Repeats evaluate on a few fixed positions; run under callgrind to count
// instructions per call (evaluate's inclusive cost divided by its calls).
#include <cstdio>
#include <cstdlib>

#include "eval/eval.h"
#include "position/position.h"

int main(int argc, char** argv) {
  static const char* const fens[] = {
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
      "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
  };
  const int which = argc > 1 ? std::atoi(argv[1]) : 0;
  const int repeats = argc > 2 ? std::atoi(argv[2]) : 100000;
  if (which < 0 || which > 1 || repeats <= 0) {
    std::printf("usage: eval_bench [0 start | 1 kiwipete] [repeats]\n");
    return 1;
  }
  static Position pos;  // static: far too large for the stack
  static EvalData ev;
  if (!setupFen(pos, fens[which])) return 1;
  pos.searchPly = 0;
  long long sum = 0;
  for (int i = 0; i < repeats; ++i) sum += evaluate(pos, ev);
  std::printf("%s: %d evaluations, score %d, sum %lld\n", fens[which], repeats, evaluate(pos, ev), sum);
  return 0;
}
