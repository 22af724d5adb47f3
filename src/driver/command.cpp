// Line splitting, the UCI command words and the Hash option.
#include <cctype>
#include <cstdio>
#include <cstdlib>
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
int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }

// Advances over at most n characters, never past the end of the text.
const char* skipChars(const char* p, int n) {
  while (n-- > 0 && *p) ++p;
  return p;
}

// Splits lineBuffer into its first word and the rest, as "%s %[^\n]" would:
// the word goes to word (cut to fit), the rest replaces lineBuffer when the
// line has one. Returns false for a line without any word.
bool splitLine(std::array<char, COMMAND_CAPACITY>& word) {
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
  std::printf("option name Hash type spin default 8 min 4 max 128\n");
  std::printf("option name Ponder type check default true\n");
  std::printf("uciok\n");
}

}  // namespace

int strEqualNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int d = lower(*a) - lower(*b);
    if (d != 0 || *a == 0) return d;
  }
}

int strEqualNoCaseN(int n, const char* s, const char* keyword) {
  for (int i = 0; i < n; ++i) {
    const int d = lower(s[i]) - lower(keyword[i]);
    if (d != 0 || s[i] == 0) return d;
  }
  return 0;
}

int parseInt(const char* text) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(v);
}

void setOption(SearchState& s, const char* text) {
  const char* p = text;
  while (isBlank(*p)) ++p;
  // Pondering is the interface's choice (it sends "go ponder" or not); the
  // advertised option is accepted so that interfaces may set it.
  if (strEqualNoCaseN(6, p, "ponder") == 0 && (p[6] == 0 || isBlank(p[6]))) return;
  if (strEqualNoCaseN(4, p, "hash") != 0) {
    std::printf("unsupported option: %s\n", p);
    return;
  }
  p = skipChars(p, 5);
  if (strEqualNoCaseN(5, p, "value") != 0) return;
  p = skipChars(p, 6);
  int n = parseInt(p);
  if (n == 1)
    n = 16;
  else if (n < 4)
    n = 4;
  else if (n > 128)
    n = 128;
  std::printf("setting hash size to %d\n", n);
  if (!resizeHashTable(s.hashTable, n)) {
    std::printf("ERROR: Couldn't allocate memory for hash table\n");
    engineExit(1);
  }
}

void dispatchCommand(Position& pos, SearchState& s) {
  std::array<char, COMMAND_CAPACITY> word{};
  if (!splitLine(word)) return;  // an empty or blank line does nothing
  const char* w = word.data();
  if (strEqualNoCase(w, "uci") == 0) {
    s.uciMode = true;
    printUciIdentification();
  } else if (strEqualNoCase(w, "isready") == 0) {
    std::printf("readyok\n");
  } else if (strEqualNoCase(w, "debug") == 0) {
  } else if (strEqualNoCase(w, "setoption") == 0) {
    std::array<char, COMMAND_CAPACITY> sub{};
    if (splitLine(sub) && strEqualNoCase(sub.data(), "name") == 0) setOption(s, lineBuffer.data());
  } else if (strEqualNoCase(w, "position") == 0) {
    positionCommand(pos, lineBuffer.data());
  } else if (strEqualNoCase(w, "ucinewgame") == 0) {
  } else if (strEqualNoCase(w, "go") == 0) {
    handleGo(pos, s, lineBuffer.data());
  } else if (strEqualNoCase(w, "stop") == 0) {
  } else if (strEqualNoCase(w, "ponderhit") == 0) {
  } else if (strEqualNoCase(w, "quit") == 0) {
    std::printf("Bye\n");
    engineExit(0);
  } else {
    handleDebugCommand(pos, s, w);
  }
}

void positionCommand(Position& pos, const char* args) {
  const char* p = args;
  if (strEqualNoCaseN(8, p, "startpos") == 0) {
    setupFen(pos, START_FEN);
    p += 8;
  } else if (strEqualNoCaseN(3, p, "fen") == 0) {
    const char* fen = p[3] ? p + 4 : p + 3;
    if (!setupFen(pos, fen)) {  // the old position stays; its moves do not apply
      std::printf("FEN error \n");
      return;
    }
    p = std::strchr(fen, 'm');
    if (p == nullptr) return;
  }
  while (isBlank(*p)) ++p;
  if (strEqualNoCaseN(5, p, "moves") != 0) return;
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

void engineExit(int status) {
#ifdef TARNIC_FUZZ
  throw EngineExit{status};
#else
  std::exit(status);
#endif
}

void initEngine(Position& pos, SearchState& s) {
  pos.searchPly = 0;
  s.uciMode = false;
  s.moveListStart[0] = 0;
  s.moveListStart[1] = 0;
  s.maxDepth = 50;
  s.input = driverSearchInput();
  resetPosition(pos);
  if (!resizeHashTable(s.hashTable, DEFAULT_HASH_MB)) {
    std::printf("ERROR: Couldn't allocate memory for hash table\n");
    engineExit(1);
  }
  buildSeeTable();
  setupFen(pos, START_FEN);
}

void runEngine(int lineCount, const char* const* lines) {
  std::printf("\n\t %s %s \n\n", ENGINE_NAME, ENGINE_VERSION);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  static Position pos;  // static: far too large for the stack
  static SearchState search;
  initEngine(pos, search);
  if (lineCount > 0) {
    inputFromArguments = true;
    for (int i = 0; i < lineCount; ++i) {
      std::snprintf(lineBuffer.data(), lineBuffer.size(), "%s", lines[i]);
      dispatchCommand(pos, search);
    }
    engineExit(0);
  }
  for (;;) {
    readLine();
    dispatchCommand(pos, search);
  }
}
