// Line splitting, the UCI command words, the Hash option, the position
// command and the command loop.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "diag/diag.h"
#include "driver/driver.h"
#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"

namespace {

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool isWordChar(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// Advances over at most n characters, never past the end of the text.
const char* skipChars(const char* p, int n) {
  while (n-- > 0 && *p) ++p;
  return p;
}

// Splits lineBuffer into its first word and the rest, as "%s %[^\n]" would:
// the word goes to word (cut to fit), the rest replaces lineBuffer when the
// line has one. Returns false for a line without any word.
bool splitLine(std::array<char, LINE_CAPACITY>& lineBuffer, std::array<char, COMMAND_CAPACITY>& word) {
  char* line = lineBuffer.data();
  const char* p = line;
  while (isBlank(*p)) ++p;
  if (*p == 0) return false;
  std::size_t n = 0;
  for (; *p && !isBlank(*p); ++p)
    if (n + 1 < word.size()) word[n++] = *p;
  word[n] = 0;
  while (isBlank(*p)) ++p;
  if (*p) std::memmove(line, p, std::strlen(p) + 1);
  return true;
}

void printUciIdentification() {
  std::printf("id name %s %s \n", ENGINE_NAME, ENGINE_VERSION);
  std::printf("id author Olvenhart\n");
  std::printf("option name Hash type spin default %d min %d max %d\n", HASH_ADVERTISED_MB, HASH_MIN_MB,
              HASH_MAX_MB);
  std::printf("option name Ponder type check default true\n");
  std::printf("option name Threads type spin default 1 min 1 max %d\n", MAX_THREADS);
  std::printf("option name MultiPV type spin default 1 min 1 max %d\n", MAX_ROOT_MOVES);
  std::printf("option name Clear Hash type button\n");
  std::printf("option name OwnBook type check default false\n");
  std::printf("option name Book File type string default <empty>\n");
  std::printf("option name UCI_Chess960 type check default false\n");
  std::printf("option name UCI_LimitStrength type check default false\n");
  std::printf("option name UCI_Elo type spin default %d min %d max %d\n", SKILL_ELO_DEFAULT, SKILL_ELO_MIN,
              SKILL_ELO_MAX);
  std::printf("uciok\n");
}

// The search threads of the Threads setting zero the table together.
int tableWorkers(const Engine& e) { return static_cast<int>(e.search.helpers.size()) + 1; }

// A table of the given size; where the memory cannot be had, the old size
// with a message, and only when not even that is left, the error and the
// end of the session.
bool allocateHashTable(Engine& e, int megabytes) {
  const std::int64_t oldMegabytes = e.search.hashTable.hashEntryCount / ENTRIES_PER_MB;
  switch (resizeHashTable(e.search.hashTable, megabytes, tableWorkers(e))) {
    case HashResize::Resized: return true;
    case HashResize::KeptOldSize:
      std::printf("info string Hash %d MB could not be allocated; keeping %lld MB\n", megabytes,
                  static_cast<long long>(oldMegabytes));
      return true;
    case HashResize::NoTable: break;
  }
  std::printf("ERROR: Couldn't allocate memory for hash table\n");
  e.session.exitStatus = 1;
  return false;
}

// The name at the start of text, in any case, as a whole word.
bool optionNamed(const char* text, const char* name) {
  const int n = static_cast<int>(std::strlen(name));
  return strEqualNoCaseN(n, text, name) && static_cast<int>(std::strlen(text)) >= n &&
         (text[n] == 0 || isBlank(text[n]));
}

// The first word after "value" in the rest of a check option's line; null
// when the line has no value.
const char* optionValueWord(const char* rest) {
  while (isBlank(*rest)) ++rest;
  if (!optionNamed(rest, "value")) return nullptr;
  rest += 5;
  while (isBlank(*rest)) ++rest;
  return rest;
}

// The number after "value" in the rest of a spin option's line; false
// when the line has no value.
bool optionValue(const char* rest, int& value) {
  while (isBlank(*rest)) ++rest;
  if (!optionNamed(rest, "value")) return false;
  value = parseInt(rest + 5);
  return true;
}

int clampInt(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

}  // namespace

void setOption(Engine& e, const char* text) {
  const char* p = text;
  while (isBlank(*p)) ++p;
  int value = 0;
  // Search threads: between searches only, which is when options arrive.
  if (optionNamed(p, "threads")) {
    if (optionValue(p + 7, value)) setThreadCount(e.search, clampInt(value, 1, MAX_THREADS));
    return;
  }
  if (optionNamed(p, "multipv")) {
    if (optionValue(p + 7, value)) e.search.multiPv = clampInt(value, 1, MAX_ROOT_MOVES);
    return;
  }
  // Strength levels; "Skill Seed" (not advertised) makes their choices repeatable.
  if (optionNamed(p, "uci_limitstrength")) {
    if (const char* v = optionValueWord(p + 17)) e.search.skill.limitStrength = optionNamed(v, "true");
    return;
  }
  if (optionNamed(p, "uci_elo")) {
    if (optionValue(p + 7, value)) e.search.skill.elo = clampInt(value, SKILL_ELO_MIN, SKILL_ELO_MAX);
    return;
  }
  if (optionNamed(p, "skill")) {
    const char* q = p + 5;
    while (isBlank(*q)) ++q;
    if (optionNamed(q, "seed")) {
      if (optionValue(q + 4, value)) seedSkill(e.search.skill, static_cast<std::uint32_t>(value));
      return;
    }
  }
  // A fresh start for analysis: the table, the killers and the history.
  if (optionNamed(p, "clear")) {
    const char* q = p + 5;
    while (isBlank(*q)) ++q;
    if (optionNamed(q, "hash")) {
      clearHashTable(e.search.hashTable, tableWorkers(e));
      clearLearning(e.thread);
      for (auto& h : e.search.helpers) clearLearning(h->thread);
      return;
    }
  }
  // Chess960 castling fields and notation, from the next set-up on.
  if (optionNamed(p, "uci_chess960")) {
    if (const char* v = optionValueWord(p + 12)) {
      if (optionNamed(v, "true")) e.pos.chess960 = true;
      if (optionNamed(v, "false")) e.pos.chess960 = false;
    }
    return;
  }
  // Pondering is the interface's choice (it sends "go ponder" or not); the
  // advertised option is accepted so that interfaces may set it.
  if (strEqualNoCaseN(6, p, "ponder") && (p[6] == 0 || isBlank(p[6]))) return;
  if (setBookOption(e, p)) return;
  if (!strEqualNoCaseN(4, p, "hash")) {
    std::printf("unsupported option: %s\n", p);
    return;
  }
  p = skipChars(p, 5);
  if (!strEqualNoCaseN(5, p, "value")) return;
  p = skipChars(p, 6);
  int n = parseInt(p);
  if (n == 1)
    n = 16;
  else if (n < HASH_MIN_MB)
    n = HASH_MIN_MB;
  else if (n > HASH_MAX_MB)
    n = HASH_MAX_MB;
  std::printf("setting hash size to %d\n", n);
  allocateHashTable(e, n);
}

bool dispatchCommand(Engine& e) {
  char* rest = e.session.lineBuffer.data();
  std::array<char, COMMAND_CAPACITY> word{};
  if (!splitLine(e.session.lineBuffer, word)) return true;  // an empty or blank line does nothing
  const char* w = word.data();
  if (strEqualNoCase(w, "uci")) {
    e.search.uciMode = true;
    printUciIdentification();
  } else if (strEqualNoCase(w, "isready")) {
    std::printf("readyok\n");
  } else if (strEqualNoCase(w, "debug")) {
  } else if (strEqualNoCase(w, "setoption")) {
    std::array<char, COMMAND_CAPACITY> sub{};
    if (splitLine(e.session.lineBuffer, sub) && strEqualNoCase(sub.data(), "name")) setOption(e, rest);
  } else if (strEqualNoCase(w, "position")) {
    positionCommand(e.pos, rest);
  } else if (strEqualNoCase(w, "ucinewgame")) {
  } else if (strEqualNoCase(w, "go")) {
    handleGo(e, rest);
  } else if (strEqualNoCase(w, "stop")) {
  } else if (strEqualNoCase(w, "ponderhit")) {
  } else if (strEqualNoCase(w, "quit")) {
    std::printf("Bye\n");
    e.session.exitStatus = 0;
  } else {
    handleDebugCommand(e.pos, e.thread, w, rest);
  }
  return e.session.exitStatus < 0;
}

void positionCommand(Position& pos, const char* args) {
  const char* p = args;
  if (strEqualNoCaseN(8, p, "startpos")) {
    setupFen(pos, START_FEN);
    p += 8;
  } else if (strEqualNoCaseN(3, p, "fen")) {
    const char* fen = p[3] ? p + 4 : p + 3;
    if (!setupFen(pos, fen)) {  // the old position stays; its moves do not apply
      std::printf("FEN error \n");
      return;
    }
    p = std::strchr(fen, 'm');
    if (p == nullptr) return;
  }
  while (isBlank(*p)) ++p;
  if (!strEqualNoCaseN(5, p, "moves")) return;
  p += 5;
  while (isBlank(*p)) ++p;
  while (*p) {
    pos.searchPly = 0;
    if (playGameMove(pos, p) == 0) {
      std::printf("Error, Invalid move: %s \n", p);
      return;
    }
    while (isWordChar(*p)) ++p;
    while (isBlank(*p)) ++p;
  }
}

bool initEngine(Position& pos, SearchThread& t) {
  SearchState& s = t.shared;
  pos.searchPly = 0;
  s.uciMode = false;
  t.moveListStart[0] = 0;
  t.moveListStart[1] = 0;
  s.maxDepth = DEFAULT_MAX_DEPTH;
  s.report = standardOutputReport(s);
  resetPosition(pos);
  s.hashTable.memory = {allocateLargeBlock, releaseLargeBlock};
  if (resizeHashTable(s.hashTable, DEFAULT_HASH_MB) != HashResize::Resized) return false;
  buildSeeTable();
  setupFen(pos, START_FEN);
  // Unseeded, the levels' choices differ from run to run.
  seedSkill(s.skill, currentTimeMs());
  return true;
}

int runEngine(Engine& e, int lineCount, const char* const* lines) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // every line reaches the interface at once
  std::printf("\n\t %s %s \n\n", ENGINE_NAME, ENGINE_VERSION);
  if (!initEngine(e.pos, e.thread)) {
    std::printf("ERROR: Couldn't allocate memory for hash table\n");
    return 1;
  }
  e.search.input = searchInputOf(e);
  Session& session = e.session;
  if (lineCount > 0) {
    session.input.fromArguments = true;
    for (int i = 0; i < lineCount; ++i) {
      std::snprintf(session.lineBuffer.data(), session.lineBuffer.size(), "%s", lines[i]);
      if (!dispatchCommand(e)) return session.exitStatus;
    }
    return 0;
  }
  static LineQueue queue;  // static: the reader thread may outlive this call
  session.input.queue = &queue;
  queue.searchStop = &e.search.stopSearch;
  startInputReader(queue);
  for (;;) {
    if (!readLine(session)) return 1;
    if (!dispatchCommand(e)) return session.exitStatus;
  }
}
