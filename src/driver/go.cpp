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

constexpr std::array<const char*, 12> GoKeywords = {"searchmoves", "ponder", "wtime",     "btime",
                                                    "winc",        "binc",   "movestogo", "depth",
                                                    "nodes",       "mate",   "movetime",  "infinite"};

bool isBlankChar(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The go line as words: each keyword found, and the text after it (its
// value, or the moves of "searchmoves"), so that a move cannot be taken
// for a keyword or a keyword inside another word be found.
struct GoArguments {
  std::array<const char*, GoKeywords.size()> after{};  // the text after the keyword's blank; null when absent
};

const char* nextWord(const char* p) {
  while (*p && !isBlankChar(*p)) ++p;
  while (isBlankChar(*p)) ++p;
  return p;
}

int keywordIndex(const char* word) {
  for (std::size_t k = 0; k < GoKeywords.size(); ++k) {
    const std::size_t n = std::strlen(GoKeywords[k]);
    if (std::strncmp(word, GoKeywords[k], n) == 0 && (word[n] == 0 || isBlankChar(word[n])))
      return static_cast<int>(k);
  }
  return -1;
}

GoArguments parseGo(const char* args) {
  GoArguments g;
  const char* p = args;
  while (isBlankChar(*p)) ++p;
  while (*p) {
    const int k = keywordIndex(p);
    p = nextWord(p);
    if (k >= 0 && g.after[k] == nullptr) g.after[k] = p;
  }
  return g;
}

const char* goValue(const GoArguments& g, const char* keyword) {
  for (std::size_t k = 0; k < GoKeywords.size(); ++k)
    if (std::strcmp(GoKeywords[k], keyword) == 0) return g.after[k];
  return nullptr;
}

// "searchmoves": the legal moves named up to the next keyword; none left
// means no restriction.
void readSearchMoves(Engine& e, const char* p) {
  SearchState& s = e.search;
  s.searchMoveCount = 0;
  if (p == nullptr) return;
  Position& scratch = e.thread.linePosition;  // make and unmake may reorder the real position's lists
  scratch = e.pos;
  scratch.searchPly = 0;
  std::array<char, 8> word{};
  while (*p && keywordIndex(p) < 0 && s.searchMoveCount < MAX_ROOT_MOVES) {
    std::size_t n = 0;
    for (const char* q = p; *q && !isBlankChar(*q) && n + 1 < word.size(); ++q) word[n++] = *q;
    word[n] = 0;
    p = nextWord(p);
    const Move m = textToMove(scratch, word.data());
    if (m == 0) continue;
    makeMove(scratch, m);
    const bool legal = !kingInCheck(scratch, scratch.xside);
    unmakeMove(scratch, m);
    if (legal) s.searchMoves[s.searchMoveCount++] = m;
  }
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

// A strength level limits a search played for a move (by clock, move
// time, depth or nodes), never analysis ("infinite", "mate"): fewer plies
// and nodes, a shorter think, and several root lines to choose among.
// The depth and the number of lines are the interface's again afterwards.
struct SkillSearch {
  bool limited = false;
  std::int32_t maxDepth = 0;
  std::int32_t multiPv = 1;
};

SkillSearch limitSearch(SearchState& s) {
  SkillSearch saved{false, s.maxDepth, s.multiPv};
  if (!s.skill.limitStrength || (s.searchFlags & GO_INFINITE) || s.mateLimit > 0) return saved;
  saved.limited = true;
  const SkillLimits l = skillLimits(s.skill.elo);
  if (s.maxDepth > l.depth) s.maxDepth = l.depth;
  if (s.nodeLimit == NO_NODE_LIMIT || s.nodeLimit > l.nodes) s.nodeLimit = l.nodes;
  if (s.multiPv < l.lines) s.multiPv = l.lines;
  // Never longer than the clock's budget, and often much shorter.
  const std::uint32_t latest = clockMs(s) + l.thinkMs;
  if (!s.clockLimited || clockReached(s.stopTime, latest)) s.stopTime = latest;
  s.clockLimited = true;
  return saved;
}

void restoreSearch(SearchState& s, const SkillSearch& saved) {
  s.maxDepth = saved.maxDepth;
  s.multiPv = saved.multiPv;
}

// The level's choice among the root lines becomes the answer and its
// ponder move.
void playSkillLine(Position& pos, SearchThread& t) {
  if (t.rootLineCount < 2) return;
  const int k = chooseSkillLine(t.shared.skill, t.rootLines.data(), t.rootLineCount);
  const SearchThread::RootLine& line = t.rootLines[k];
  t.pvTable[0] = line.moves;
  t.rootLineLength = line.length;
  t.shownLine = line.moves;
  t.shownLength = line.length;
  // A line cut after its first move (a table hit, or depth 1) still has the
  // reply the table keeps for the position after it, to ponder on.
  if (line.length != 1) return;
  pos.searchPly = 0;
  makeMove(pos, line.moves[0]);
  if (const Move reply = legalTableMove(pos, t.shared.hashTable)) {
    t.shownLine[1] = reply;
    t.shownLength = 2;
  }
  unmakeMove(pos, line.moves[0]);
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
  const GoArguments g = parseGo(args);
  if (goValue(g, "ponder")) s.searchFlags |= GO_PONDER;
  if (goValue(g, "infinite")) s.searchFlags |= GO_INFINITE;
  const char* ownClock = goValue(g, pos.side == WHITE ? "wtime" : "btime");
  if (ownClock) session.ownTime = parseInt(ownClock);
  if (const char* v = goValue(g, "movestogo")) {
    session.movesToGo = parseInt(v);
    std::printf("got %d from line %s\n", session.movesToGo, v);
  }
  const char* depth = goValue(g, "depth");
  // An interface's "go depth" for a hint must not limit its later searches;
  // the console keeps the depth until another is given.
  if (depth)
    s.maxDepth = parseInt(depth);
  else if (s.uciMode)
    s.maxDepth = DEFAULT_MAX_DEPTH;
  const char* nodes = goValue(g, "nodes");
  s.nodeLimit = nodes ? parseInt(nodes) : NO_NODE_LIMIT;
  if (nodes && s.nodeLimit < 0) s.nodeLimit = 0;
  const char* mate = goValue(g, "mate");
  s.mateLimit = mate ? parseInt(mate) : 0;
  if (mate && s.mateLimit <= 0) s.mateLimit = 1;
  const char* moveTime = goValue(g, "movetime");
  readSearchMoves(e, goValue(g, "searchmoves"));
  if (answerFromBook(e)) return;

  // A depth, node or mate limit without our clock is analysis: only that
  // limit (or "stop") ends it. A fixed move time replaces the clock budget.
  s.clockLimited =
      ownClock != nullptr || moveTime != nullptr || (depth == nullptr && nodes == nullptr && mate == nullptr);
  if (moveTime) {
    const int t = parseInt(moveTime);
    allocateTime(e, t < 0 ? 0 : t);
  } else if (s.clockLimited) {
    allocateTime(e);
  }
  const SkillSearch level = limitSearch(s);
  iterativeDeepening(pos, e.thread);
  // The helpers may still read the limits while they unwind: the level's
  // are undone only once they have finished.
  if (s.abandoned) {  // "quit" or end of input: no answer
    finishSearch(s);
    return restoreSearch(s, level);
  }

  // After a ponder or infinite search the answer waits for "stop" or
  // "ponderhit"; the read blocks instead of spinning. Lines given as
  // arguments have no one to send either: the answer comes at once.
  if (session.input.fromArguments) s.searchFlags &= ~(GO_INFINITE | GO_PONDER);
  while (s.searchFlags & (GO_INFINITE | GO_PONDER)) {
    handleSearchCommand(e, true);
    if (s.abandoned) {
      finishSearch(s);
      return restoreSearch(s, level);
    }
  }

  if (level.limited) playSkillLine(pos, e.thread);
  const Move best = e.thread.pvTable[0][0];
  std::printf("bestmove %s ", moveToText(pos, best).text);
  const Move reply = ponderMove(pos, e.thread, best);
  if (reply != 0)
    std::printf("ponder %s\n", moveToText(pos, reply).text);
  else
    std::printf("\n");
  // The helpers finish unwinding after the answer, before the next command.
  finishSearch(s);
  restoreSearch(s, level);
}
