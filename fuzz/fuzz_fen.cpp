// FEN texts through the set-up, then generation, make/unmake and evaluation.
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "movegen/movegen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Position& pos = startFuzzEngine().pos;
  const std::string fen(reinterpret_cast<const char*>(data), size);
  if (!setupFen(pos, fen.c_str())) return 0;
  if (!positionIsConsistent(pos)) __builtin_trap();
  pos.searchPly = 0;
  static EvalData ev;  // static: too large for the stack
  static MoveList list, replies;
  evaluate(pos, ev);
  if (kingInCheck(pos, pos.side)) {
    generateEvasions(pos, ev.currentAttackMap[pos.xside], ev.currentAttackMap[pos.side], list.data());
    generateEvasions(pos, list.data());
  } else {
    generateCaptures(pos, list.data());
  }
  const MoveEntry* end = generateMoves(pos, list.data());
  for (const MoveEntry* e = list.data(); e != end; ++e) {
    makeMove(pos, e->move);
    if (!kingInCheck(pos, pos.xside)) {
      evaluate(pos, ev);
      generateMoves(pos, replies.data());
    }
    unmakeMove(pos, e->move);
    if (!positionIsConsistent(pos)) __builtin_trap();
  }
  return 0;
}
