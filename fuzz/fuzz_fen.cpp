// FEN texts through the set-up, then generation, make/unmake and evaluation.
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "movegen/movegen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Position& pos = startFuzzEngine();
  const std::string fen(reinterpret_cast<const char*>(data), size);
  if (!setupFen(pos, fen.c_str())) return 0;
  if (!positionIsConsistent(pos)) __builtin_trap();
  pos.searchPly = 0;
  evaluate(pos);
  if (kingInCheck(pos, pos.side))
    generateEvasions(pos);
  else
    generateCaptures(pos);
  generateMoves(pos);
  for (const MoveEntry* e = listBegin(0); e != listEnd(0); ++e) {
    makeMove(pos, e->move);
    if (!kingInCheck(pos, pos.xside)) {
      evaluate(pos);
      generateMoves(pos);
    }
    unmakeMove(pos, e->move);
    if (!positionIsConsistent(pos)) __builtin_trap();
  }
  return 0;
}
