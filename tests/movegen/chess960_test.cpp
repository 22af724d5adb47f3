// Chess960: castling fields, castling text, and perft against counts made
// by a reference engine.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "diag/diag.h"
#include "test_util.h"

namespace {

// The test engine's position in Chess960 mode for one test, whatever its end.
struct Chess960Mode {
  Chess960Mode() { testEngine().pos.chess960 = true; }
  ~Chess960Mode() { testEngine().pos.chess960 = false; }
};

struct PerftLine {
  std::string fen;
  int depth;
  std::uint64_t leaves;
};

std::vector<PerftLine> perftLines(int depth) {
  std::ifstream in(std::string(TARNIC_SOURCE_DIR) + "/tests/movegen/chess960_perft.txt");
  std::vector<PerftLine> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t a = line.find(" ; "), b = line.find(" ; ", a + 3);
    PerftLine p{line.substr(0, a), std::stoi(line.substr(a + 3, b - a - 3)), std::stoull(line.substr(b + 3))};
    if (p.depth == depth) out.push_back(p);
  }
  return out;
}

// Leaf count with the engine's perft (which counts the moves of every level).
std::uint64_t leafCount(Position& pos, int depth) {
  MoveEntry* list = testEngine().thread.moveStack.data();
  return perft(pos, depth, list) - perft(pos, depth - 1, list);
}

void checkPerftLines(int depth, std::size_t atLeast) {
  const Chess960Mode mode;
  const std::vector<PerftLine> lines = perftLines(depth);
  ASSERT_GE(lines.size(), atLeast);
  for (const PerftLine& p : lines) {
    Position& pos = loadFen(p.fen.c_str());
    const Position before = pos;
    EXPECT_EQ(leafCount(pos, depth), p.leaves) << p.fen;
    EXPECT_TRUE(sameState(pos, before, true)) << p.fen;
  }
}

TEST(Chess960, PerftDepthFour) { checkPerftLines(4, 100); }

TEST(Chess960Slow, PerftDepthSix) { checkPerftLines(6, 10); }

// Castling fields in both forms; a refused one leaves the position as it was.
TEST(Chess960, CastlingFields) {
  const Chess960Mode mode;
  struct Case {
    const char* fen;
    int rights;         // -1: refused
    const char* rooks;  // rook squares of the rights held, in the order WK WQ BK BQ
    bool general;       // some right off the standard squares
  };
  const Case cases[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 15, "h1a1h8a8", false},
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1", 15, "h1a1h8a8", false},
      {"bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w KQkq - 0 1", 15, "g1e1g8e8", true},
      {"bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w GEge - 0 1", 15, "g1e1g8e8", true},
      // KQkq names the outermost rook; a file names an inner one.
      {"rr2k1rr/8/8/8/8/8/8/RR2K1RR w KQkq - 0 1", 15, "h1a1h8a8", false},
      {"rr2k1rr/8/8/8/8/8/8/RR2K1RR w GBgb - 0 1", 15, "g1b1g8b8", true},
      {"rr2k1rr/8/8/8/8/8/8/RR2K1RR w Kb - 0 1", CASTLE_WK | CASTLE_BQ, "h1b8", true},
      {"4k3/8/8/8/8/8/8/RK5R w H - 0 1", CASTLE_WK, "h1", true},
      {"4k3/8/8/8/8/8/8/RK5R w HA - 0 1", CASTLE_WK | CASTLE_WQ, "h1a1", true},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, "", false},
      // No rook there, no rook on that side, the king's own file, the
      // king off its back rank, a right named twice, letters that are none.
      {"4k3/8/8/8/8/8/8/R3K3 w K - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/8/R3K3 w G - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/8/4KR2 w Q - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/8/4KR2 w E - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/4K3/R6R w KQ - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/8/R3K1RR w GH - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/8/R3K2R w KQx - 0 1", -1, "", false},
      {"4k3/8/8/8/8/8/8/R3K2R w KQkq - 0 1", -1, "", false},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkqK - 0 1", -1, "", false},
  };
  for (const Case& c : cases) {
    Position& pos = loadFen("1r2k1r1/8/8/8/8/8/8/1R2K1R1 b GBgb - 0 1");
    const Position before = pos;
    const bool accepted = setupFen(pos, c.fen);
    EXPECT_EQ(accepted, c.rights >= 0) << c.fen;
    if (!accepted) {
      EXPECT_TRUE(pos == before) << c.fen;
      continue;
    }
    EXPECT_EQ(pos.castleRights, c.rights) << c.fen;
    EXPECT_EQ(pos.castle960, c.general) << c.fen;
    std::string rooks;
    for (int i = 0; i < 4; ++i)
      if (pos.castleRights & (1 << i)) rooks += squareName(pos.castle[i].rookFrom);
    EXPECT_EQ(rooks, c.rooks) << c.fen;
    EXPECT_EQ(pos.key, computeKey(pos)) << c.fen;
  }
  // Without Chess960 the field is read as always: file letters mean nothing.
  testEngine().pos.chess960 = false;
  EXPECT_EQ(loadFen("4k3/8/8/8/8/8/8/R3K2R w HAx - 0 1").castleRights, 0);
}

// The castling moves of a position as text, in and out: king takes own rook
// with Chess960, the king's move without; played, the pieces stand where
// Chess960 puts them.
TEST(Chess960, CastlingText) {
  struct Case {
    const char* fen;
    bool chess960;
    const char* castlings;  // the texts of the generated castlings, in order
    const char* after;      // back rank after the first, a to h
    bool lastRefused;       // the last one leaves the king attacked
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", false, "e1g1 e1c1", "R....RK.", false},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, "e1h1 e1a1", "R....RK.", false},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", true, "e8h8 e8a8", "r....rk.", false},
      {"4k3/8/8/8/8/8/8/1R4KR w KQ - 0 1", true, "g1h1 g1b1", ".R...RK.", false},
      {"4k3/8/8/8/8/8/8/2RK3R w KQ - 0 1", true, "d1h1 d1c1", "..R..RK.", false},
      {"4k3/8/8/8/8/8/8/R4KR1 w KQ - 0 1", true, "f1g1 f1a1", "R....RK.", false},
      {"4k3/8/8/8/8/8/8/1KR4R w C - 0 1", true, "b1c1", ".....RKR", false},
      {"4k3/8/8/8/8/8/8/R1K4R w KQ - 0 1", true, "c1h1 c1a1", "R....RK.", false},
      // c1 comes under the a1 rook once the b1 rook has left.
      {"4k3/8/8/8/8/8/8/rR1K3R w KQ - 0 1", true, "d1h1 d1b1", "rR...RK.", true},
      // A bishop on the king's path, a knight on its target.
      {"4k3/8/8/8/8/7b/8/1R2K2R w KQ - 0 1", true, "e1b1", "..KR...R", false},
      {"4k3/8/8/8/8/7n/8/R1K4R w KQ - 0 1", true, "c1a1", "..KR...R", false},
  };
  const Chess960Mode mode;
  for (const Case& c : cases) {
    Position& pos = testEngine().pos;
    pos.chess960 = c.chess960;
    loadFen(c.fen);
    std::string texts;
    std::vector<Move> castlings;
    for (const Move m : generatedMoves(pos, generateMoves))
      if (m & MOVE_CASTLE) {
        const std::string text = moveToText(pos, m).text;
        texts += (texts.empty() ? "" : " ") + text;
        EXPECT_EQ(textToMove(pos, text.c_str()), m) << c.fen << " " << text;
        castlings.push_back(m);
      }
    EXPECT_EQ(texts, c.castlings) << c.fen;
    if (castlings.empty()) continue;
    const Position before = pos;
    for (const Move m : castlings) {
      EXPECT_EQ(castleLeavesKingAttacked(pos, m), c.lastRefused && m == castlings.back()) << c.fen;
      makeMove(pos, m);
      EXPECT_EQ(kingInCheck(pos, pos.xside), c.lastRefused && m == castlings.back()) << c.fen;
      EXPECT_TRUE(positionIsConsistent(pos)) << c.fen;
      EXPECT_EQ(pos.castleRights & ((CASTLE_WK | CASTLE_WQ) << (2 * pos.xside)), 0) << c.fen;
      if (m == castlings[0]) {
        std::string rank;
        const int back = pos.xside == WHITE ? 0 : 0x70;
        for (int f = 0; f < 8; ++f) rank += ".PNBRQK..pnbrqk."[pos.board[back + f] & 15];
        EXPECT_EQ(rank, c.after) << c.fen;
      }
      unmakeMove(pos, m);
      EXPECT_TRUE(sameState(pos, before, true)) << c.fen;
    }
  }
  // The standard text names no castling in Chess960, the rook's square none without it.
  testEngine().pos.chess960 = false;
  loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_EQ(textToMove(testEngine().pos, "e1h1"), 0u);
  testEngine().pos.chess960 = true;
  loadFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  EXPECT_EQ(textToMove(testEngine().pos, "e1g1"), 0u);
}

}  // namespace
