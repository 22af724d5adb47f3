// Shared set-up for the evaluation tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "test_util.h"

namespace evaltest {

// Sets up fen at ply 0 with its material, or the given value in its place
// (to look at the other end of the phase blend).
inline bool load(const char* fen, int material = -1) {
  Position& pos = testEngine().pos;
  if (!setupFen(pos, fen)) return false;
  pos.searchPly = 0;
  if (material >= 0) pos.material = material;
  return true;
}

inline int evalFen(const char* fen, int material = -1) {
  EXPECT_TRUE(load(fen, material)) << fen;
  return evaluate(testEngine().pos, testEval());
}

// The first two passes only, so that a test can watch the later ones.
inline void runPawnsAndPieces() {
  const Position& pos = testEngine().pos;
  EvalData& ev = testEval();
  clearEvaluation(pos, ev);
  evalPawns(pos, ev);
  evalPieces(pos, ev);
}

// The same position with colours exchanged: ranks reversed, piece letters
// and castling letters swapped in case, the other side to move, the
// en-passant rank mirrored.
inline std::string flipFen(const std::string& fen) {
  auto swapCase = [](char ch) {
    if (ch >= 'a' && ch <= 'z') return static_cast<char>(ch - 'a' + 'A');
    if (ch >= 'A' && ch <= 'Z') return static_cast<char>(ch - 'A' + 'a');
    return ch;
  };
  const std::size_t space = fen.find(' ');
  std::array<std::string, 8> ranks;
  std::size_t r = 0;
  for (std::size_t i = 0; i < space; ++i) {
    if (fen[i] == '/')
      ++r;
    else
      ranks[r].push_back(swapCase(fen[i]));
  }
  std::string out;
  for (std::size_t i = 8; i-- > 0;) {
    out.append(ranks[i]);
    out.push_back(i ? '/' : ' ');
  }
  std::size_t p = space + 1;
  out.push_back(fen[p] == 'w' ? 'b' : 'w');
  out.push_back(' ');
  p += 2;
  const std::size_t castleEnd = fen.find(' ', p);
  bool any = false;
  for (char want : {'K', 'Q', 'k', 'q'})
    for (std::size_t i = p; i < castleEnd; ++i)
      if (swapCase(fen[i]) == want) {
        out.push_back(want);
        any = true;
      }
  if (!any) out.push_back('-');
  out.push_back(' ');
  p = castleEnd + 1;
  if (fen[p] == '-') {
    out.push_back('-');
    p += 1;
  } else {
    out.push_back(fen[p]);
    out.push_back(static_cast<char>('1' + '8' - fen[p + 1]));
    p += 2;
  }
  for (; p < fen.size(); ++p) out.push_back(fen[p]);
  return out;
}

}  // namespace evaltest
