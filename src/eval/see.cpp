// The static exchange table, built once at start-up.
#include "eval/eval.h"

int swapGain(int capturer, int owner, int w) {
  if ((owner & ATTACK_COUNT) == 0) return w;     // nothing can recapture
  if ((capturer & ATTACK_COUNT) == 0) return 0;  // nothing can capture
  const int g = w - swapGain(owner, NextAttackByte[capturer], LeastAttackerValue[capturer]);
  return g > 0 ? g : 0;  // a side may decline to capture
}

void buildSeeTable() {
  for (int k = 0; k < 6; ++k)
    for (int i = 0; i < 65536; ++i)
      SeeTable[k][i] = static_cast<std::int8_t>(swapGain(i >> 8, i & 0xFF, KindExchangeValue[PAWN + k]));
}

int exchangeValue(const Position& pos, const EvalData& ev, Move m) {
  const int from = moveOrigin(m);
  const int to = moveTarget(m);
  const int piece = pos.board[from];
  const int c = colourOf(piece);
  const int k = kindOf(piece);
  const int gain = SeeValue[pos.board[to]];
  const AttackWord oppWord = ev.currentAttackMap[c ^ 1][to];
  if (oppWord == 0) return gain;
  const int opp = attackByte(oppWord);
  // The moving piece no longer defends the square it now stands on.
  const int own = ((attackByte(ev.currentAttackMap[c][to]) - 1) & ~AttackClassBit[k]) & 0xFF;
  return gain - seeEntry(k, own, opp);
}
