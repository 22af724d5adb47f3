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
Move ponderMove(Position& pos, const SearchState& s, Move best) {
  const Move reply = s.pvTable[0][1];
  if (best == 0 || reply == 0 || s.rootLineLength < 2) return 0;
  pos.searchPly = 0;
  makeMove(pos, best);
  bool legal = false;
  MoveList list;
  const MoveEntry* end = generateMoves(pos, list.data());
  for (const MoveEntry* e = list.data(); e != end; ++e) {
    if (e->move != reply) continue;
    makeMove(pos, reply);
    legal = !kingInCheck(pos, pos.xside);
    unmakeMove(pos, reply);
    break;
  }
  unmakeMove(pos, best);
  return legal ? reply : 0;
}

int clampToInt(std::int64_t v) {
  return v > 2147483647 ? 2147483647 : v < -2147483647 ? -2147483647 : static_cast<int>(v);
}

}  // namespace

void allocateTime(const Position& pos, SearchState& s) {
  // 64-bit arithmetic: hostile clock values must not overflow.
  const std::int64_t t = ownTime;
  std::int64_t budget;
  if (movesToGo != 0)
    budget = (t / movesToGo) * 8 / 10;
  else if (pos.gamePly < 40)
    budget = t / 40;
  else if (pos.gamePly < 60)
    budget = t / 28;
  else if (pos.gamePly < 80)
    budget = t / 23;
  else
    budget = t / 18;
  std::int64_t left = t - budget;
  if (s.searchFlags & GO_PONDER) {
    const std::int64_t extra = left / 100;
    budget += extra;
    left -= extra;
  }
  ownTime = clampToInt(left);
  const std::uint32_t now = clockMs(s);
  const int shown = clampToInt(budget);
  s.stopTime = now + static_cast<std::uint32_t>(shown);
  if (!s.uciMode) {
    std::printf("cur_time: %d    stop_time: %d \n", static_cast<int>(now), static_cast<int>(s.stopTime));
    std::printf("Using %d.%d  secs out of %d.%d time left\n", shown / 1000, shown % 1000, ownTime / 1000,
                ownTime % 1000);
  }
}

void handleGo(Position& pos, SearchState& s, const char* args) {
  s.searchFlags = 0;
  movesToGo = 0;
  if (std::strstr(args, "ponder")) s.searchFlags |= GO_PONDER;
  if (std::strstr(args, "infinite")) s.searchFlags |= GO_INFINITE;
  if (const char* v = keywordValue(args, "wtime", 6); v && pos.side == WHITE) ownTime = parseInt(v);
  if (const char* v = keywordValue(args, "btime", 6); v && pos.side == BLACK) ownTime = parseInt(v);
  if (const char* v = keywordValue(args, "movestogo", 10)) {
    movesToGo = parseInt(v);
    std::printf("got %d from line %s\n", movesToGo, v);
  }
  if (const char* v = keywordValue(args, "depth", 6)) s.maxDepth = parseInt(v);

  allocateTime(pos, s);
  iterativeDeepening(pos, s);

  // After a ponder or infinite search the answer waits for "stop" or
  // "ponderhit"; the read blocks instead of spinning.
  while (s.searchFlags & (GO_INFINITE | GO_PONDER)) handleSearchCommand(s);

  const Move best = s.pvTable[0][0];
  std::printf("bestmove %s ", moveToText(best).text);
  const Move reply = ponderMove(pos, s, best);
  if (reply != 0)
    std::printf("ponder %s\n", moveToText(reply).text);
  else
    std::printf("\n");
}
