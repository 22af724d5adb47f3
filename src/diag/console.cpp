// Developers' console commands.
#include <cstdio>

#include "diag/diag.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"

namespace {

constexpr std::array<char, 16> PieceLetters = {' ', 'P', 'N', 'B', 'R', 'Q', 'K', ' ',
                                               ' ', 'p', 'n', 'b', 'r', 'q', 'k', ' '};

void printMove(const Position& pos, Move m) { std::printf("%s ", moveToText(pos, m).text); }

void dumpBoard(const Position& pos) {
  std::printf("The Board ...\n");
  for (int rank = 7; rank >= 0; --rank) {
    std::printf("\n");
    for (int file = 0; file < 8; ++file) {
      const int c = pos.board[makeSquare(file, rank)];
      if (c < 15)
        std::printf("%3c ", PieceLetters[c]);
      else
        std::printf("  . ");
    }
  }
  std::printf("\n");
  std::printf("Castle: %x\n", static_cast<unsigned>(pos.castleRights));
  std::printf("fifty: %x\n", static_cast<unsigned>(pos.fifty));
  std::printf("enpassant: %x\n", static_cast<unsigned>(pos.epSquare));
  std::printf("side: %d\n", pos.side);
  std::printf("total ply: %d\n", pos.gamePly);
  std::printf("hash key: %08x%08x \n", static_cast<unsigned>(pos.key >> 32), static_cast<unsigned>(pos.key));
  std::printf("\n\n");
}

// Sixteen rows of sixteen links, from the list heads (176..191) down to -64.
void dumpLinkRows(const Position& pos, bool next) {
  for (int row = 0; row < 16; ++row) {
    std::printf("\n");
    for (int i = 176 - 16 * row; i < 192 - 16 * row; ++i)
      std::printf("%3x ", next ? pos.lists[i].next : pos.lists[i].prev);
  }
}

void dumpLists(const Position& pos) {
  std::printf("Next List ...\n");
  dumpLinkRows(pos, true);
  std::printf("\n");
  std::printf("Prev List ...\n");
  dumpLinkRows(pos, false);
  std::printf("\n");
}

void dumpAttackMap(const EvalData& ev, int colour) {
  for (int rank = 7; rank >= 0; --rank) {
    for (int file = 0; file < 8; ++file)
      std::printf("%02x ", attackByte(ev.currentAttackMap[colour][makeSquare(file, rank)]));
    std::printf("\n");
  }
}

// What the opponent wins by starting an exchange against the most valuable
// piece of colour that the exchange table marks as losing, in centipawns.
int hungValue(const Position& pos, const EvalData& ev, int colour) {
  const AttackWord* own = ev.currentAttackMap[colour];
  const AttackWord* opp = ev.currentAttackMap[colour ^ 1];
  for (int kind : {QUEEN, ROOK, BISHOP, KNIGHT, PAWN}) {
    const int block = kind == KNIGHT ? BISHOP : kind;
    for (int s = firstOfList(pos, pieceCode(colour, kind)); s < LIST_END; s = pos.lists[s].next) {
      const int entry = seeEntry(block, attackByte(own[s]), attackByte(opp[s]));
      if (entry > 0) return entry * 100;
    }
  }
  return 0;
}

void timedSearch(Position& pos, SearchThread& t, std::uint32_t milliseconds) {
  SearchState& s = t.shared;
  const std::uint32_t now = clockMs(s);
  s.searchStartTime = now;
  setTimedSearch(s, now + milliseconds);
  iterativeDeepening(pos, t);
  finishSearch(s);
}

}  // namespace

void handleDebugCommand(Position& pos, SearchThread& s, const char* word, const char* rest) {
  if (strEqualNoCase(word, "board")) {
    dumpBoard(pos);
  } else if (strEqualNoCase(word, "lists")) {
    dumpLists(pos);
  } else if (strEqualNoCase(word, "eval")) {
    initSearch(pos, s);
    evaluate(pos, s.eval);
  } else if (strEqualNoCase(word, "hint")) {
    timedSearch(pos, s, 5000);
  } else if (strEqualNoCase(word, "think")) {
    int seconds = parseInt(rest);
    if (seconds < 0) seconds = 0;
    if (seconds > 2000000) seconds = 2000000;  // keeps the stop time inside the clock's range
    timedSearch(pos, s, static_cast<std::uint32_t>(seconds) * 1000u);
  } else if (strEqualNoCase(word, "bench")) {
    benchmark(pos, s);
  } else if (strEqualNoCase(word, "perft")) {
    perftCommand(pos, s, rest);
  } else if (strEqualNoCase(word, "attacks")) {
    evaluate(pos, s.eval);
    std::printf("white attacks\n");
    dumpAttackMap(s.eval, WHITE);
    std::printf("\n");
    std::printf("black attacks\n");
    dumpAttackMap(s.eval, BLACK);
  } else if (strEqualNoCase(word, "hung")) {
    evaluate(pos, s.eval);
    std::printf("hung value: %d\n", hungValue(pos, s.eval, pos.side));
  } else if (strEqualNoCase(word, "moves")) {
    MoveList list;
    const MoveEntry* end = generateMoves(pos, list.data());
    for (const MoveEntry* e = list.data(); e != end; ++e) {
      printMove(pos, e->move);
      if (givesCheck(pos, e->move)) std::printf("+");
      std::printf("\n");
    }
  } else if (strEqualNoCase(word, "evasions")) {
    pos.searchPly = 0;
    std::printf("generating evasions ... \n");
    MoveList list;
    const MoveEntry* end = generateEvasions(pos, s.eval.currentAttackMap[pos.xside],
                                            s.eval.currentAttackMap[pos.side], list.data());
    for (const MoveEntry* e = list.data(); e != end; ++e) {
      printMove(pos, e->move);
      std::printf("\n");
    }
  } else if (strEqualNoCase(word, "captures")) {
    std::printf("generating captures ... \n");
    evaluate(pos, s.eval);
    MoveList list;
    const MoveEntry* end = generateCaptures(pos, list.data());
    for (const MoveEntry* e = list.data(); e != end; ++e) {
      const int v = exchangeValue(pos, s.eval, e->move);
      std::printf(" %s (%d)\n", moveToText(pos, e->move).text, v);
    }
  } else if (strEqualNoCase(word, "move")) {
    if (playGameMove(pos, rest) == 0) std::printf("illegal move: %s\n", rest);
  } else if (strEqualNoCase(word, "setboard")) {
    if (!setupFen(pos, rest)) std::printf("FEN error \n");
  } else if (strEqualNoCase(word, "undo")) {
    // Only a console move whose undo record is still below searchPly can be taken back.
    if (pos.gamePly == 0 || pos.searchPly == 0) {
      std::printf("nothing to undo\n");
      return;
    }
    const Move m = pos.history[pos.gamePly].move;
    std::printf("unmaking move: 0x%x\n", m);
    unmakeMove(pos, m);
  } else if (playGameMove(pos, rest) == 0) {
    // A line that is no command is played as a move when it names one.
    std::printf("illegal command: %s\n", rest);
  }
}
