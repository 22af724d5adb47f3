// FEN texts through the set-up, then generation, make/unmake and evaluation.
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "movegen/movegen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  startFuzzEngine();
  const std::string fen(reinterpret_cast<const char*>(data), size);
  if (setupFen(fen.c_str()) != 0) return 0;
  if (!positionIsConsistent()) __builtin_trap();
  searchPly = 0;
  Ply[0].material = boardMaterial();
  evaluate();
  if (kingInCheck(Pos.side))
    generateEvasions();
  else
    generateCaptures();
  generateMoves();
  for (const MoveEntry* e = listBegin(0); e != listEnd(0); ++e) {
    makeMove(e->move);
    if (!kingInCheck(Pos.xside)) {
      evaluate();
      generateMoves();
    }
    unmakeMove(e->move);
    if (!positionIsConsistent()) __builtin_trap();
  }
  return 0;
}
