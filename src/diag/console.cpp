// Developers' console commands.
#include <cstdio>

#include "diag/diag.h"
#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"

namespace {

constexpr std::array<char, 16> PieceLetters = {' ', 'P', 'N', 'B', 'R', 'Q', 'K', ' ',
                                               ' ', 'p', 'n', 'b', 'r', 'q', 'k', ' '};

void printMove(Move m) { std::printf("%s ", moveToText(m)); }

void dumpBoard() {
  std::printf("The Board ...\n");
  for (int rank = 7; rank >= 0; --rank) {
    std::printf("\n");
    for (int file = 0; file < 8; ++file) {
      const int c = Board[makeSquare(file, rank)];
      if (c < 15)
        std::printf("%3c ", PieceLetters[c]);
      else
        std::printf("  . ");
    }
  }
  std::printf("\n");
  std::printf("Castle: %x\n", static_cast<unsigned>(Pos.castleRights));
  std::printf("fifty: %x\n", static_cast<unsigned>(Pos.fifty));
  std::printf("enpassant: %x\n", static_cast<unsigned>(Pos.epSquare));
  std::printf("side: %d\n", Pos.side);
  std::printf("total ply: %d\n", Pos.gamePly);
  std::printf("hash key: %08x%08x \n", static_cast<unsigned>(Pos.key >> 32), static_cast<unsigned>(Pos.key));
  std::printf("\n\n");
}

// Sixteen rows of sixteen links, from the list heads (176..191) down to -64.
void dumpLinkRows(bool next) {
  for (int row = 0; row < 16; ++row) {
    std::printf("\n");
    for (int i = 176 - 16 * row; i < 192 - 16 * row; ++i)
      std::printf("%3x ", next ? Lists[i].next : Lists[i].prev);
  }
}

void dumpLists() {
  std::printf("Next List ...\n");
  dumpLinkRows(true);
  std::printf("\n");
  std::printf("Prev List ...\n");
  dumpLinkRows(false);
  std::printf("\n");
}

void dumpAttackMap(int colour) {
  for (int rank = 7; rank >= 0; --rank) {
    for (int file = 0; file < 8; ++file)
      std::printf("%02x ", currentAttackMap[colour][makeSquare(file, rank)]);
    std::printf("\n");
  }
}

// What the opponent wins by starting an exchange against the most valuable
// piece of colour that the exchange table marks as losing, in centipawns.
int hungValue(int colour) {
  const std::uint8_t* own = currentAttackMap[colour];
  const std::uint8_t* opp = currentAttackMap[colour ^ 1];
  for (int kind : {QUEEN, ROOK, BISHOP, KNIGHT, PAWN}) {
    const int block = kind == KNIGHT ? BISHOP : kind;
    for (int s = firstOfList(pieceCode(colour, kind)); s < LIST_END; s = Lists[s].next) {
      const int entry = seeEntry(block, own[s], opp[s]);
      if (entry > 0) return entry * 100;
    }
  }
  return 0;
}

void timedSearch(std::uint32_t milliseconds) {
  const std::uint32_t t = currentTimeMs();
  searchStartTime = t;
  setTimedSearch(t + milliseconds);
  iterativeDeepening();
}

}  // namespace

void handleDebugCommand(const char* word) {
  const char* rest = lineBuffer.data();
  if (strEqualNoCase(word, "board") == 0) {
    dumpBoard();
  } else if (strEqualNoCase(word, "lists") == 0) {
    dumpLists();
  } else if (strEqualNoCase(word, "eval") == 0) {
    initSearch();
    evaluate();
  } else if (strEqualNoCase(word, "hint") == 0) {
    timedSearch(5000);
  } else if (strEqualNoCase(word, "think") == 0) {
    int seconds = parseInt(rest);
    if (seconds < 0) seconds = 0;
    if (seconds > 2000000) seconds = 2000000;  // keeps the stop time inside the clock's range
    timedSearch(static_cast<std::uint32_t>(seconds) * 1000u);
  } else if (strEqualNoCase(word, "bench") == 0) {
    benchmark();
  } else if (strEqualNoCase(word, "perft") == 0) {
    perftCommand(rest);
  } else if (strEqualNoCase(word, "attacks") == 0) {
    evaluate();
    std::printf("white attacks\n");
    dumpAttackMap(WHITE);
    std::printf("\n");
    std::printf("black attacks\n");
    dumpAttackMap(BLACK);
  } else if (strEqualNoCase(word, "hung") == 0) {
    evaluate();
    std::printf("hung value: %d\n", hungValue(Pos.side));
  } else if (strEqualNoCase(word, "moves") == 0) {
    Ply[searchPly].moveListStart = 0;
    generateMoves();
    for (const MoveEntry* e = listBegin(searchPly); e != listEnd(searchPly); ++e) {
      printMove(e->move);
      if (givesCheck(e->move)) std::printf("+");
      std::printf("\n");
    }
  } else if (strEqualNoCase(word, "evasions") == 0) {
    searchPly = 0;
    std::printf("generating evasions ... \n");
    generateEvasions();
    for (const MoveEntry* e = listBegin(0); e != listEnd(0); ++e) {
      printMove(e->move);
      std::printf("\n");
    }
  } else if (strEqualNoCase(word, "captures") == 0) {
    Ply[searchPly].moveListStart = 0;
    std::printf("generating captures ... \n");
    evaluate();
    generateCaptures();
    for (const MoveEntry* e = listBegin(searchPly); e != listEnd(searchPly); ++e) {
      const int v = exchangeValue(e->move);
      std::printf(" %s (%d)\n", moveToText(e->move), v);
    }
  } else if (strEqualNoCase(word, "move") == 0) {
    Ply[searchPly].moveListStart = 0;
    if (playGameMove(rest) == 0) std::printf("illegal move: %s\n", rest);
  } else if (strEqualNoCase(word, "setboard") == 0) {
    setupFen(rest);
  } else if (strEqualNoCase(word, "undo") == 0) {
    // Only a console move still on its PlyRecord can be taken back.
    if (Pos.gamePly == 0 || searchPly == 0) {
      std::printf("nothing to undo\n");
      return;
    }
    const Move m = GameHistory[Pos.gamePly].move;
    std::printf("unmaking move: 0x%x\n", m);
    unmakeMove(m);
  } else if (playGameMove(rest) == 0) {
    // A line that is no command is played as a move when it names one.
    std::printf("illegal command: %s\n", rest);
  }
}
