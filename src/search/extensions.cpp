// The extension rules.
#include "search/search.h"
#include "search/tuning.h"

int extensionFor(const Position& pos, SearchThread& s, Move m, bool gc, bool mateThreat, int nodePieces) {
  ExtensionCounters& count = s.extensionCount;
  // Called after makeMove: the node is one ply up, the mover is xside.
  const int node = pos.searchPly - 1;
  int e = 0;
  if (gc) {
    e += EXTEND_CHECK;
    ++count.check;
  }
  if (mateThreat) {
    e += EXTEND_MATE_THREAT;
    ++count.mt;
  }
  if (m & MOVE_PROMO_QUEEN) {
    e += EXTEND_QUEEN_PROMOTION;
    ++count.prom;
  }
  if (m & MOVE_PAWN) {
    const int rank = RelativeRank[pos.xside][moveTarget(m)];
    if (rank == 6) {
      e += EXTEND_PAWN_7TH;
      ++count.p7;
    } else if (rank == 5) {
      e += EXTEND_PAWN_6TH;
      ++count.p7;
    }
  }
  if (listEnd(s, node) - listBegin(s, node) == 1) {
    e += EXTEND_SINGLE_REPLY;
    ++count.single;
  }
  if (pos.material < PAWN_ENDING_MATERIAL && (m & MOVE_CAPTURE) && nodePieces == 1 &&
      PieceValue[pos.undo[node].captured] > PieceValue[PAWN]) {
    e += EXTEND_PAWN_ENDING;
    ++count.simple;
  }
  return e > EXTEND_MAX ? EXTEND_MAX : e;
}
