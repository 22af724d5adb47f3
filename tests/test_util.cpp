#include "test_util.h"

#include <gtest/gtest.h>

#include "driver/driver.h"

void ensureEngine() {
  static bool done = false;
  if (!done) {
    initEngine();
    done = true;
  }
}

void loadFen(const char* fen) {
  ensureEngine();
  searchPly = 0;
  ASSERT_EQ(setupFen(fen), 0) << fen;
}

std::uint64_t legalWalk(int depth, bool checkConsistency) {
  if (depth == 0) return 1;
  generateMoves();
  const int p = searchPly;
  std::uint64_t total = 0;
  for (const MoveEntry* e = listBegin(p); e != listEnd(p); ++e) {
    const Move m = e->move;
    makeMove(m);
    if (checkConsistency && !positionIsConsistent()) {
      ADD_FAILURE() << "inconsistent after " << moveToText(m);
    }
    if (!kingInCheck(Pos.xside)) total += legalWalk(depth - 1, checkConsistency);
    unmakeMove(m);
  }
  return total;
}

std::vector<std::string> listTexts() {
  std::vector<std::string> out;
  for (const MoveEntry* e = listBegin(searchPly); e != listEnd(searchPly); ++e) out.emplace_back(moveToText(e->move));
  return out;
}

std::string squareName(int s) { return {static_cast<char>('a' + fileOf(s)), static_cast<char>('1' + rankOf(s))}; }

int squareFromName(const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); }

std::vector<std::string> listSquares(int code) {
  std::vector<std::string> out;
  for (int s = firstOfList(code); s < LIST_END && out.size() < 70; s = Lists[s].next) out.push_back(squareName(s));
  return out;
}
