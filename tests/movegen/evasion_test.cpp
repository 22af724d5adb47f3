// Check analysis and evasion candidates, including the deliberately loose cases.
#include <gtest/gtest.h>

#include "eval/eval.h"
#include "positions.h"
#include "test_util.h"

namespace {

using Texts = std::vector<std::string>;

// The evasions of the position with the king filter of the evaluation's
// attack map; the filter by the attack test must give the same list.
Texts evasions(const Position& pos) {
  EvalData& ev = testEval();
  evaluate(pos, ev);
  MoveList list;
  std::vector<Move> moves;
  for (const MoveEntry *e = list.data(), *end = generateEvasions(pos, ev.currentAttackMap[pos.xside],
                                                                 ev.currentAttackMap[pos.side], list.data());
       e != end; ++e)
    moves.push_back(e->move);
  const Texts withMap = moveTexts(moves);
  const Texts withAttackTest = moveTexts(generatedMoves(pos, generateEvasions));
  EXPECT_EQ(withMap, withAttackTest) << currentFen(pos);
  return withMap;
}

TEST(Evasions, CandidateLists) {
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    int checkers;
    Texts moves;
  };
  const Case cases[] = {
      // Rook a8 checks a4: the step to a5 is filtered, the step to a3 along the
      // rook's line passes the map (its ray ends at the king) and is produced.
      {"r3k3/8/8/8/K7/8/8/8 w - - 0 1", 1, {"a4b4", "a4a3", "a4b5", "a4b3"}},
      // Double check by rook and knight: king moves only, no capture by the bishop.
      {"k3r3/8/8/8/8/3n4/2B5/4K3 w - - 0 1", 2, {"e1d1", "e1f1", "e1d2"}},
      // Knight check: besides king steps, only captures of the knight.
      {"4k3/8/8/8/8/3n4/2B2N2/4K1R1 w - - 0 1", 1, {"e1d1", "e1f1", "e1e2", "e1d2", "f2d3", "c2d3"}},
      {"4k3/8/8/8/8/3n4/2P5/4K3 w - - 0 1", 1, {"e1d1", "e1f1", "e1e2", "e1d2", "c2d3"}},
      // Bishop check with one square between: interposition and capture.
      {"4k3/8/8/8/8/2b5/8/1N2K3 w - - 0 1", 1, {"e1d1", "e1f1", "e1e2", "e1f2", "b1c3", "b1d2"}},
      // Pawn blocks: a push onto a marked square, a double push only when its target is marked.
      {"4k3/8/8/q7/8/8/2P5/4K3 w - - 0 1", 1, {"e1d1", "e1f1", "e1e2", "e1f2", "c2c3"}},
      {"4k3/8/8/q7/8/8/1P6/4K3 w - - 0 1", 1, {"e1d1", "e1f1", "e1e2", "e1f2", "b2b4"}},
      {"4k3/8/8/q7/8/1n6/1P6/4K3 w - - 0 1", 1, {"e1d1", "e1f1", "e1e2", "e1f2"}},
      // Promotion capture of the checker: four moves, queen first.
      {"1r5k/P7/8/8/8/8/8/1K6 w - - 0 1",
       1,
       {"b1a1", "b1c1", "b1a2", "b1c2", "a7b8q", "a7b8n", "a7b8r", "a7b8b"}},
      // Not in check: only king steps to unattacked squares.
      {"4k3/8/8/8/8/8/8/4K2R w K - 0 1", 0, {"e1d1", "e1f1", "e1e2", "e1d2", "e1f2"}},
  };
  for (const Case& c : cases) {
    const Texts got = evasions(loadFen(c.fen));
    CheckMarks marks;
    EXPECT_EQ(findCheckers(pos, marks), c.checkers) << c.fen;
    EXPECT_EQ(got, c.moves) << c.fen;
  }
}

TEST(Evasions, MarksCoverTheCheckingLine) {
  Position& pos = testEngine().pos;
  loadFen("4k3/8/8/8/8/2b5/8/4K3 w - - 0 1");
  CheckMarks marks;
  EXPECT_EQ(findCheckers(pos, marks), 1);
  for (int s = 0; s < 128; ++s) {
    const bool onLine = s == squareFromName("d2") || s == squareFromName("c3");
    EXPECT_EQ(marks[s] != 0, onLine) << squareName(s);
  }
  // Two checkers on one square would count twice; here two lines share none.
  loadFen("k3r3/8/8/8/8/3n4/8/4K3 w - - 0 1");
  EXPECT_EQ(findCheckers(pos, marks), 2);
  EXPECT_EQ(marks[squareFromName("d3")], 1);
  EXPECT_EQ(marks[squareFromName("e5")], 1);
}

TEST(Evasions, EnPassantOfTheCheckingPawn) {
  Position& pos = testEngine().pos;
  loadFen("4k3/4p3/8/3P4/3K4/8/8/8 b - - 0 1");
  makeMove(pos, textToMove(pos, "e7e5"));
  pos.searchPly = 0;
  CheckMarks marks;
  EXPECT_EQ(findCheckers(pos, marks), 1);
  const Texts got = evasions(pos);
  EXPECT_NE(std::find(got.begin(), got.end(), "d5e6"), got.end());
  EXPECT_NE(std::find(got.begin(), got.end(), "d4e5"), got.end());  // the king takes it too
  // En passant is also produced on an unmarked square when nothing checks.
  const Texts quiet = evasions(loadFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"));
  EXPECT_NE(std::find(quiet.begin(), quiet.end(), "e5d6"), quiet.end());
}

// Along the trees of the perft positions, every position in check gets the
// same list in the same order from the maps, which let the kinds of classes
// attacking no marked square go unscanned, as from the attack test.
int compareEvasionsBelow(Position& pos, int depth) {
  int checked = 0;
  if (kingInCheck(pos, pos.side)) {
    evasions(pos);
    ++checked;
  }
  if (depth == 0) return checked;
  for (const Move m : generatedMoves(pos, generateMoves)) {
    makeMove(pos, m);
    if (!kingInCheck(pos, pos.xside)) checked += compareEvasionsBelow(pos, depth - 1);
    unmakeMove(pos, m);
  }
  return checked;
}

TEST(Evasions, MapsAndAttackTestAgreeAlongPerftTrees) {
  Position& pos = testEngine().pos;
  int checked = 0;
  for (const positions::PerftCase& c : positions::perftCases()) {
    loadFen(c.fen);
    checked += compareEvasionsBelow(pos, 3);
  }
  EXPECT_GT(checked, 1000);
}

// Every legal evasion is a candidate: the legal subsets of both generators agree.
TEST(Evasions, LegalSubsetEqualsFullGenerator) {
  Position& pos = testEngine().pos;
  const char* fens[] = {
      "r3k3/8/8/8/K7/8/8/8 w - - 0 1",         "k3r3/8/8/8/8/3n4/2B5/4K3 w - - 0 1",
      "4k3/8/8/8/8/3n4/1B3N2/4K1R1 w - - 0 1", "rnb1kbnr/pppp1ppp/8/4p3/5PPq/8/PPPPP2P/RNBQKBNR w KQkq - 1 3",
      "8/8/8/2k5/3Pp3/8/8/4K3 b - d3 0 1",     "4k3/8/8/8/1b6/8/8/3QK3 w - - 0 1",
  };
  for (const char* fen : fens) {
    auto legal = [&pos](Generator gen) {
      Texts out;
      for (const Move m : generatedMoves(pos, gen)) {
        makeMove(pos, m);
        if (!kingInCheck(pos, pos.xside)) out.emplace_back(moveToText(m).text);
        unmakeMove(pos, m);
      }
      std::sort(out.begin(), out.end());
      return out;
    };
    loadFen(fen);
    const Texts fromEvasions = legal(generateEvasions);
    const Texts fromAll = legal(generateMoves);
    EXPECT_TRUE(kingInCheck(pos, pos.side)) << fen;
    EXPECT_EQ(fromEvasions, fromAll) << fen;
  }
}

}  // namespace
