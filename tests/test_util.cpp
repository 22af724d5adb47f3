#include "test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "driver/driver.h"
#include "search/search.h"

TestEngine& testEngine() {
  static TestEngine engine;  // static: far too large for the stack
  static const bool started = [] {
    EXPECT_TRUE(initEngine(engine.pos, engine.thread));
    engine.search.input.context = &engine;
    engine.search.input.clock = [](void* e) {
      return currentTimeMs() + static_cast<TestEngine*>(e)->clockOffset;
    };
    engine.search.input.poll = [](void*, SearchState&) {};
    return true;
  }();
  (void)started;
  return engine;
}

EvalData& testEval() { return testEngine().thread.eval; }

Position& loadFen(const char* fen) {
  Position& pos = testEngine().pos;
  pos.searchPly = 0;
  EXPECT_TRUE(setupFen(pos, fen)) << fen;
  return pos;
}

std::uint64_t legalWalk(Position& pos, int depth, bool checkConsistency) {
  if (depth == 0) return 1;
  std::uint64_t total = 0;
  for (const Move m : generatedMoves(pos, generateMoves)) {
    makeMove(pos, m);
    if (checkConsistency && !positionIsConsistent(pos)) {
      ADD_FAILURE() << "inconsistent after " << moveToText(m).text;
    }
    if (!kingInCheck(pos, pos.xside)) total += legalWalk(pos, depth - 1, checkConsistency);
    unmakeMove(pos, m);
  }
  return total;
}

bool playRandomLegalMove(Position& pos, std::uint32_t& seed) {
  std::vector<Move> legal;
  for (const Move m : generatedMoves(pos, generateMoves)) {
    makeMove(pos, m);
    if (!kingInCheck(pos, pos.xside)) legal.push_back(m);
    unmakeMove(pos, m);
  }
  if (legal.empty()) return false;
  seed = seed * 1664525u + 1013904223u;
  makeMove(pos, legal[(seed >> 8) % legal.size()]);
  return true;
}

std::vector<Move> generatedMoves(const Position& pos, Generator gen) {
  static MoveList list;  // static: one list is all a test needs at a time
  std::vector<Move> out;
  for (const MoveEntry *e = list.data(), *end = gen(pos, list.data()); e != end; ++e) out.push_back(e->move);
  return out;
}

std::vector<std::string> moveTexts(const std::vector<Move>& moves) {
  std::vector<std::string> out;
  for (const Move m : moves) out.emplace_back(moveToText(m).text);
  return out;
}

std::string squareName(int s) {
  return {static_cast<char>('a' + fileOf(s)), static_cast<char>('1' + rankOf(s))};
}

int squareFromName(const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); }

std::vector<std::string> listSquares(const Position& pos, int code) {
  std::vector<std::string> out;
  for (int s = firstOfList(pos, code); s < LIST_END && out.size() < 70; s = pos.lists[s].next)
    out.push_back(squareName(s));
  return out;
}

std::string currentFen(const Position& pos) {
  static const char letters[] = " PNBRQK  pnbrqk ";
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const int code = pos.board[makeSquare(file, rank)];
      if (code == EMPTY) {
        ++empty;
        continue;
      }
      if (empty) fen += static_cast<char>('0' + empty);
      empty = 0;
      fen += letters[code];
    }
    if (empty) fen += static_cast<char>('0' + empty);
    if (rank) fen += '/';
  }
  fen += pos.side == WHITE ? " w " : " b ";
  std::string rights;
  if (pos.castleRights & CASTLE_WK) rights += 'K';
  if (pos.castleRights & CASTLE_WQ) rights += 'Q';
  if (pos.castleRights & CASTLE_BK) rights += 'k';
  if (pos.castleRights & CASTLE_BQ) rights += 'q';
  fen += rights.empty() ? "-" : rights;
  fen += ' ';
  fen += pos.epSquare == EP_NONE ? "-" : squareName(pos.epSquare);
  fen += " 0 1";
  return fen;
}

bool sameState(const Position& a, const Position& b, bool sortedLists) {
  bool lists = a.lists == b.lists;
  if (sortedLists) {
    lists = true;
    for (int code = 0; code < 16; ++code) {
      std::vector<std::string> x = listSquares(a, code), y = listSquares(b, code);
      std::sort(x.begin(), x.end());
      std::sort(y.begin(), y.end());
      lists = lists && x == y;
    }
  }
  return lists && a.board == b.board && a.key == b.key && a.castleRights == b.castleRights &&
         a.side == b.side && a.xside == b.xside && a.epSquare == b.epSquare && a.fifty == b.fifty &&
         a.gamePly == b.gamePly && a.material == b.material && a.searchPly == b.searchPly &&
         a.pawns == b.pawns;
}

static bool matchFrom(const char* t, const char* p) {
  for (; *p; ++p) {
    if (*p == '*') {
      for (const char* s = t;; ++s) {
        if (matchFrom(s, p + 1)) return true;
        if (!*s) return false;
      }
    }
    if (*p == '#') {
      if (!std::isdigit(static_cast<unsigned char>(*t))) return false;
      while (std::isdigit(static_cast<unsigned char>(*t))) ++t;
      continue;
    }
    if (*t != *p) return false;
    ++t;
  }
  return *t == 0;
}

bool matchesPattern(const std::string& text, const std::string& pattern) {
  return matchFrom(text.c_str(), pattern.c_str());
}

std::string withoutSeldepth(const std::string& line) {
  const std::size_t at = line.find(" seldepth ");
  if (at == std::string::npos) return line;
  std::size_t end = at + 10;
  while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
  return line.substr(0, at) + line.substr(end);
}

std::string withoutTimes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    // The once-a-second progress lines and the current move of a long
    // search come as the clock says: left out whole.
    if ((i == 0 || text[i - 1] == '\n') &&
        (text.compare(i, 10, "info time ") == 0 || text.compare(i, 14, "info currmove ") == 0)) {
      const std::size_t end = text.find('\n', i);
      i = end == std::string::npos ? text.size() : end + 1;
      continue;
    }
    if (text.compare(i, 6, " time ") == 0 && i + 6 < text.size() &&
        std::isdigit(static_cast<unsigned char>(text[i + 6]))) {
      i += 6;
      while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
      continue;
    }
    out += text[i++];
  }
  return out;
}

std::size_t countOf(const std::string& text, const std::string& word) {
  std::size_t n = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}
