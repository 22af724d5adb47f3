#include "test_util.h"

#include <gtest/gtest.h>

#include <cctype>

#include "driver/driver.h"

void ensureEngine() {
  static bool done = false;
  if (!done) {
    initEngine();
    done = true;
  }
}

void loadFen(const char* fen) {
  ensureEngine();
  searchPly = 0;
  ASSERT_EQ(setupFen(fen), 0) << fen;
}

std::uint64_t legalWalk(int depth, bool checkConsistency) {
  if (depth == 0) return 1;
  generateMoves();
  const int p = searchPly;
  std::uint64_t total = 0;
  for (const MoveEntry* e = listBegin(p); e != listEnd(p); ++e) {
    const Move m = e->move;
    makeMove(m);
    if (checkConsistency && !positionIsConsistent()) {
      ADD_FAILURE() << "inconsistent after " << moveToText(m);
    }
    if (!kingInCheck(Pos.xside)) total += legalWalk(depth - 1, checkConsistency);
    unmakeMove(m);
  }
  return total;
}

std::vector<std::string> listTexts() {
  std::vector<std::string> out;
  for (const MoveEntry* e = listBegin(searchPly); e != listEnd(searchPly); ++e)
    out.emplace_back(moveToText(e->move));
  return out;
}

std::string squareName(int s) {
  return {static_cast<char>('a' + fileOf(s)), static_cast<char>('1' + rankOf(s))};
}

int squareFromName(const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); }

std::vector<std::string> listSquares(int code) {
  std::vector<std::string> out;
  for (int s = firstOfList(code); s < LIST_END && out.size() < 70; s = Lists[s].next)
    out.push_back(squareName(s));
  return out;
}

std::string currentFen() {
  static const char letters[] = " PNBRQK  pnbrqk ";
  std::string fen;
  for (int rank = 7; rank >= 0; --rank) {
    int empty = 0;
    for (int file = 0; file < 8; ++file) {
      const int code = Board[makeSquare(file, rank)];
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
  fen += Pos.side == WHITE ? " w " : " b ";
  std::string rights;
  if (Pos.castleRights & CASTLE_WK) rights += 'K';
  if (Pos.castleRights & CASTLE_WQ) rights += 'Q';
  if (Pos.castleRights & CASTLE_BK) rights += 'k';
  if (Pos.castleRights & CASTLE_BQ) rights += 'q';
  fen += rights.empty() ? "-" : rights;
  fen += ' ';
  fen += Pos.epSquare == EP_NONE ? "-" : squareName(Pos.epSquare);
  fen += " 0 1";
  return fen;
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

std::string withoutTimes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
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
