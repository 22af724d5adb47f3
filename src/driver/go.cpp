// The go command: clock parameters, time budget, search and the answer.
#include <cstdio>
#include <cstring>

#include "driver/driver.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"

namespace {

// The number that starts offset characters after the keyword, or nullptr
// when the keyword does not occur.
const char* keywordValue(const char* args, const char* keyword, int offset) {
  const char* at = std::strstr(args, keyword);
  if (at == nullptr) return nullptr;
  for (int i = 0; i < offset && *at; ++i) ++at;
  return at;
}

// The reply on the best move's line, when it is legal after the best move.
Move ponderMove(Move best) {
  const Move reply = pvTable[0][1];
  if (best == 0 || reply == 0 || rootLineLength < 2) return 0;
  searchPly = 0;
  makeMove(best);
  bool legal = false;
  generateMoves();
  for (const MoveEntry* e = listBegin(searchPly); e != listEnd(searchPly); ++e) {
    if (e->move != reply) continue;
    makeMove(reply);
    legal = !kingInCheck(Pos.xside);
    unmakeMove(reply);
    break;
  }
  unmakeMove(best);
  return legal ? reply : 0;
}

// Later in the game the remaining moves are fewer: a larger share per move.
int budgetDivisor(int gamePly) {
  if (gamePly < 40) return 40;
  if (gamePly < 60) return 28;
  if (gamePly < 80) return 23;
  return 18;
}

int clampToInt(std::int64_t v) {
  return v > 2147483647 ? 2147483647 : v < -2147483647 ? -2147483647 : static_cast<int>(v);
}

}  // namespace

void allocateTime(std::int32_t moveTime) {
  // 64-bit arithmetic: hostile clock values must not overflow.
  const std::int64_t t = ownTime;
  std::int64_t budget;
  std::int64_t left = t;
  if (moveTime >= 0) {
    budget = moveTime;  // a fixed time per move spends nothing of the clock
  } else {
    if (movesToGo != 0)
      budget = (t / movesToGo) * 8 / 10;
    else
      budget = t / budgetDivisor(Pos.gamePly);
    left = t - budget;
    if (searchFlags & GO_PONDER) {
      const std::int64_t extra = left / 100;
      budget += extra;
      left -= extra;
    }
  }
  ownTime = clampToInt(left);
  const std::uint32_t now = currentTimeMs();
  const int shown = clampToInt(budget);
  stopTime = now + static_cast<std::uint32_t>(shown);
  if (!uciMode()) {
    std::printf("cur_time: %d    stop_time: %d \n", static_cast<int>(now), static_cast<int>(stopTime));
    std::printf("Using %d.%d  secs out of %d.%d time left\n", shown / 1000, shown % 1000, ownTime / 1000,
                ownTime % 1000);
  }
}

void handleGo(const char* args) {
  searchFlags = 0;
  movesToGo = 0;
  if (std::strstr(args, "ponder")) searchFlags |= GO_PONDER;
  if (std::strstr(args, "infinite")) searchFlags |= GO_INFINITE;
  const char* ownClock = keywordValue(args, Pos.side == WHITE ? "wtime" : "btime", 6);
  if (ownClock) ownTime = parseInt(ownClock);
  if (const char* v = keywordValue(args, "movestogo", 10)) {
    movesToGo = parseInt(v);
    std::printf("got %d from line %s\n", movesToGo, v);
  }
  const char* depth = keywordValue(args, "depth", 6);
  if (depth) maxDepth = parseInt(depth);
  const char* nodes = keywordValue(args, "nodes", 6);
  nodeLimit = nodes ? parseInt(nodes) : NO_NODE_LIMIT;
  if (nodes && nodeLimit < 0) nodeLimit = 0;
  const char* moveTime = keywordValue(args, "movetime", 9);

  // A depth or node limit without our clock is analysis: only that limit
  // (or "stop") ends it. A fixed move time replaces the clock budget.
  clockLimited = ownClock != nullptr || moveTime != nullptr || (depth == nullptr && nodes == nullptr);
  if (moveTime) {
    const int t = parseInt(moveTime);
    allocateTime(t < 0 ? 0 : t);
  } else if (clockLimited) {
    allocateTime();
  }
  iterativeDeepening();

  // After a ponder or infinite search the answer waits for "stop" or
  // "ponderhit"; the read blocks instead of spinning. Lines given as
  // arguments have no one to send either: the answer comes at once.
  if (inputFromArguments) searchFlags &= ~(GO_INFINITE | GO_PONDER);
  while (searchFlags & (GO_INFINITE | GO_PONDER)) handleSearchCommand();

  const Move best = pvTable[0][0];
  std::printf("bestmove %s ", moveToText(best));
  const Move reply = ponderMove(best);
  if (reply != 0)
    std::printf("ponder %s\n", moveToText(reply));
  else
    std::printf("\n");
}
