// Check prediction and the extension rules.
#include "search_fixture.h"

class ExtensionTest : public SearchTest {
 protected:
  void TearDown() override { setPosition(START_FEN); }
};

TEST_F(ExtensionTest, GivesCheckPrediction) {
  Position& pos = testEngine().pos;
  struct Case {
    const char* name;
    const char* fen;
    const char* move;
    bool check;
  };
  const Case cases[] = {
      {"pinned knight still predicts check", "4r3/8/2k5/8/8/8/4N3/4K3 w - - 0 1", "e2d4", true},
      {"rook behind own pawn", "4k3/4p3/8/8/8/8/8/4RK2 w - - 0 1", "e1e4", false},
      {"bishop off the file discovers the queen", "4k3/8/8/8/8/8/4B3/4Q1K1 w - - 0 1", "e2d3", true},
      {"bishop off the file with nothing behind", "4k3/8/8/8/8/8/4B3/6K1 w - - 0 1", "e2d3", false},
      {"rook off a diagonal discovers the bishop", "7k/8/8/8/3R4/8/1B6/K7 w - - 0 1", "d4d1", true},
      {"promoted queen checks through the square it left", "8/3P4/8/8/8/8/8/K2k4 w - - 0 1", "d7d8q", true},
      {"bishop diagonal check", "4k3/8/8/8/8/8/4B3/4K3 w - - 0 1", "e2b5", true},
      {"bishop check blocked", "4k3/3p4/8/8/8/8/4B3/4K3 w - - 0 1", "e2b5", false},
      {"queen promotion checks along the rank", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8q", true},
      {"knight promotion does not", "4k3/P7/8/8/8/8/8/4K3 w - - 0 1", "a7a8n", false},
      {"white pawn check", "4k3/8/3P4/8/8/8/8/4K3 w - - 0 1", "d6d7", true},
      {"black pawn check", "4k3/8/8/8/8/3p4/8/4K3 b - - 0 1", "d3d2", true},
      {"king uncovers its rook", "4k3/8/8/8/8/8/4K3/4R3 w - - 0 1", "e2d2", true},
      {"king stays on the line", "4k3/8/8/8/8/8/4K3/4R3 w - - 0 1", "e2e3", false},
      {"castling rook check is not seen", "5k2/8/8/8/8/8/8/4K2R w K - 0 1", "e1g1", false},
      {"bishop discovers through a diagonal", "7k/8/8/8/3N4/8/1B6/K7 w - - 0 1", "d4f5", true},
  };
  for (const Case& c : cases) {
    setPosition(c.fen);
    const Move m = moveFromText(c.move);
    EXPECT_EQ(givesCheck(pos, m), c.check) << c.name;
    // The prediction must agree with the board where it claims to see anything.
    if (c.check) {
      makeMove(pos, m);
      EXPECT_TRUE(kingInCheck(pos, pos.side)) << c.name;
      unmakeMove(pos, m);
    }
  }
}

TEST_F(ExtensionTest, ExtensionRules) {
  SearchThread& ss = testEngine().thread;
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  struct Case {
    const char* name;
    const char* fen;
    const char* move;
    bool mateThreat;
    int extension;
    ExtensionCounters counted;  // check, prom, p7, single, mt, kt, simple
  };
  const Case cases[] = {
      {"check plus queen promotion is capped",
       "4k3/P7/8/8/8/8/8/4K3 w - - 0 1",
       "a7a8q",
       false,
       10,
       {1, 1, 0, 0, 0, 0, 0}},
      {"white pawn to the seventh",
       "4k3/8/P7/8/8/8/8/4K3 w - - 0 1",
       "a6a7",
       false,
       8,
       {0, 0, 1, 0, 0, 0, 0}},
      {"white pawn to the sixth", "4k3/8/8/P7/8/8/8/4K3 w - - 0 1", "a5a6", false, 5, {0, 0, 1, 0, 0, 0, 0}},
      {"black pawn to the second", "4k3/8/8/8/8/p7/8/4K3 b - - 0 1", "a3a2", false, 8, {0, 0, 1, 0, 0, 0, 0}},
      {"mate threat", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "e1f1", true, 8, {0, 0, 0, 0, 1, 0, 0}},
      {"quiet move", "4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "e1f1", false, 0, {0, 0, 0, 0, 0, 0, 0}},
      {"king takes the last piece",
       "4k3/8/8/8/8/8/3n4/4K3 w - - 0 1",
       "e1d2",
       false,
       10,
       {0, 0, 0, 0, 0, 0, 1}},
      {"pawn takes the last piece",
       "4k3/8/8/8/8/2n5/1P6/4K3 w - - 0 1",
       "b2c3",
       false,
       10,
       {0, 0, 0, 0, 0, 0, 1}},
      {"rook takes a knight: two pieces",
       "4k3/8/8/8/8/8/3n4/3RK3 w - - 0 1",
       "d1d2",
       false,
       0,
       {0, 0, 0, 0, 0, 0, 0}},
      {"capture of a pawn", "4k3/8/8/8/8/8/3p4/2N1K3 w - - 0 1", "e1d2", false, 0, {0, 0, 0, 0, 0, 0, 0}},
      {"single evasion", "k7/8/8/8/8/6n1/6PP/6RK w - - 0 1", "h2g3", false, 7, {0, 0, 0, 1, 0, 0, 0}},
      {"single evasion that checks",
       "8/8/8/8/7k/6n1/6PP/6RK w - - 0 1",
       "h2g3",
       false,
       10,
       {1, 0, 0, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    setPosition(c.fen);
    const Move m = moveFromText(c.move);
    evaluate(pos, ev);
    if (ev.currentAttackMap[pos.xside][kingSquare(pos, pos.side)] != 0)
      setListEnd(ss, 0,
                 generateEvasions(pos, ev.currentAttackMap[pos.xside], ev.currentAttackMap[pos.side],
                                  listBegin(ss, 0)));
    else
      setListEnd(ss, 0, generateMoves(pos, listBegin(ss, 0)));
    const bool gc = givesCheck(pos, m);
    const int pieces = ev.pieceCount[WHITE] + ev.pieceCount[BLACK];
    ss.extensionCount = {};
    makeMove(pos, m);
    const int e = extensionFor(pos, ss, m, gc, c.mateThreat, pieces);
    unmakeMove(pos, m);
    EXPECT_EQ(e, c.extension) << c.name;
    const ExtensionCounters& n = ss.extensionCount;
    const ExtensionCounters& x = c.counted;
    EXPECT_EQ(n.check, x.check) << c.name;
    EXPECT_EQ(n.prom, x.prom) << c.name;
    EXPECT_EQ(n.p7, x.p7) << c.name;
    EXPECT_EQ(n.single, x.single) << c.name;
    EXPECT_EQ(n.mt, x.mt) << c.name;
    EXPECT_EQ(n.kt, 0) << c.name;
    EXPECT_EQ(n.simple, x.simple) << c.name;
  }
}
