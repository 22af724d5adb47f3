// The go command: clock parameters, time budget, search and the answer.
#include <cstdio>
#include <cstring>

#include "diag/diag.h"
#include "driver/driver.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"
#include "search/tuning.h"

namespace {

// The number that starts offset characters after the keyword, or nullptr
// when the keyword does not occur.
const char* keywordValue(const char* args, const char* keyword, int offset) {
  const char* at = std::strstr(args, keyword);
  if (at == nullptr) return nullptr;
  for (int i = 0; i < offset && *at; ++i) ++at;
  return at;
}

// The reply on the best move's line as last printed, when it is legal
// after the best move.
Move ponderMove(Position& pos, const SearchThread& s, Move best) {
  if (best == 0 || s.shownLength < 2 || s.shownLine[0] != best) return 0;
  const Move reply = s.shownLine[1];
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

int budgetDivisor(int gamePly) {
  for (const BudgetStep& step : BUDGET_DIVISORS)
    if (gamePly < step.gamePlyBelow) return step.divisor;
  return BUDGET_LATE_DIVISOR;
}

int clampToInt(std::int64_t v) {
  return v > 2147483647 ? 2147483647 : v < -2147483647 ? -2147483647 : static_cast<int>(v);
}

}  // namespace

void allocateTime(Engine& e, std::int32_t moveTime) {
  SearchState& s = e.search;
  Session& session = e.session;
  // 64-bit arithmetic: hostile clock values must not overflow.
  const std::int64_t t = session.ownTime;
  std::int64_t budget;
  std::int64_t left = t;
  if (moveTime >= 0) {
    budget = moveTime;  // a fixed time per move spends nothing of the clock
  } else {
    if (session.movesToGo != 0)
      budget = (t / session.movesToGo) * BUDGET_MOVES_TO_GO_NUMERATOR / BUDGET_MOVES_TO_GO_DENOMINATOR;
    else
      budget = t / budgetDivisor(e.pos.gamePly);
    left = t - budget;
    if (s.searchFlags & GO_PONDER) {
      const std::int64_t extra = left / BUDGET_PONDER_DIVISOR;
      budget += extra;
      left -= extra;
    }
  }
  session.ownTime = clampToInt(left);
  const std::uint32_t now = clockMs(s);
  const int shown = clampToInt(budget);
  s.stopTime = now + static_cast<std::uint32_t>(shown);
  if (!s.uciMode) {
    std::printf("cur_time: %d    stop_time: %d \n", static_cast<int>(now), static_cast<int>(s.stopTime));
    std::printf("Using %d.%d  secs out of %d.%d time left\n", shown / 1000, shown % 1000,
                session.ownTime / 1000, session.ownTime % 1000);
  }
}

void handleGo(Engine& e, const char* args) {
  Position& pos = e.pos;
  SearchState& s = e.search;
  Session& session = e.session;
  s.searchFlags = 0;
  session.movesToGo = 0;
  if (std::strstr(args, "ponder")) s.searchFlags |= GO_PONDER;
  if (std::strstr(args, "infinite")) s.searchFlags |= GO_INFINITE;
  const char* ownClock = keywordValue(args, pos.side == WHITE ? "wtime" : "btime", 6);
  if (ownClock) session.ownTime = parseInt(ownClock);
  if (const char* v = keywordValue(args, "movestogo", 10)) {
    session.movesToGo = parseInt(v);
    std::printf("got %d from line %s\n", session.movesToGo, v);
  }
  const char* depth = keywordValue(args, "depth", 6);
  if (depth) s.maxDepth = parseInt(depth);
  const char* nodes = keywordValue(args, "nodes", 6);
  s.nodeLimit = nodes ? parseInt(nodes) : NO_NODE_LIMIT;
  if (nodes && s.nodeLimit < 0) s.nodeLimit = 0;
  const char* moveTime = keywordValue(args, "movetime", 9);

  // A depth or node limit without our clock is analysis: only that limit
  // (or "stop") ends it. A fixed move time replaces the clock budget.
  s.clockLimited = ownClock != nullptr || moveTime != nullptr || (depth == nullptr && nodes == nullptr);
  if (moveTime) {
    const int t = parseInt(moveTime);
    allocateTime(e, t < 0 ? 0 : t);
  } else if (s.clockLimited) {
    allocateTime(e);
  }
  iterativeDeepening(pos, e.thread);
  if (s.abandoned) return;  // "quit" or end of input: no answer

  // After a ponder or infinite search the answer waits for "stop" or
  // "ponderhit"; the read blocks instead of spinning. Lines given as
  // arguments have no one to send either: the answer comes at once.
  if (session.input.fromArguments) s.searchFlags &= ~(GO_INFINITE | GO_PONDER);
  while (s.searchFlags & (GO_INFINITE | GO_PONDER)) {
    handleSearchCommand(e);
    if (s.abandoned) return;
  }

  const Move best = e.thread.pvTable[0][0];
  std::printf("bestmove %s ", moveToText(best).text);
  const Move reply = ponderMove(pos, e.thread, best);
  if (reply != 0)
    std::printf("ponder %s\n", moveToText(reply).text);
  else
    std::printf("\n");
}
