// Generation order and the special moves of each generator.
#include <gtest/gtest.h>

#include "eval/eval.h"
#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

using Texts = std::vector<std::string>;

Texts generated(const char* fen, Generator gen) { return moveTexts(generatedMoves(loadFen(fen), gen)); }

bool contains(const Texts& t, const char* m) { return std::find(t.begin(), t.end(), m) != t.end(); }

TEST(Generate, StartPositionOrder) {
  const Texts moves = generated(START, generateMoves);
  EXPECT_EQ(moves, (Texts{"h2h3", "h2h4", "g2g3", "g2g4", "f2f3", "f2f4", "e2e3", "e2e4", "d2d3", "d2d4",
                          "c2c3", "c2c4", "b2b3", "b2b4", "a2a3", "a2a4", "g1f3", "g1h3", "b1a3", "b1c3"}));
  EXPECT_TRUE(generated(START, generateCaptures).empty());
}

TEST(Generate, PromotionsInOrder) {
  const char* fen = "n1r1k3/1P6/8/8/8/8/8/4K3 w - - 0 1";
  const Texts all = generated(fen, generateMoves);
  const Texts pawn(all.begin() + 5, all.begin() + 17);  // after five king steps
  EXPECT_EQ(pawn, (Texts{"b7a8q", "b7a8n", "b7a8r", "b7a8b", "b7c8q", "b7c8n", "b7c8r", "b7c8b", "b7b8q",
                         "b7b8n", "b7b8r", "b7b8b"}));
  EXPECT_EQ(generated(fen, generateCaptures), (Texts{"b7a8q", "b7c8q", "b7b8q"}));
}

TEST(Generate, CastlingConditions) {
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    bool shortCastle;
    bool longCastle;
  };
  const Case cases[] = {
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", true, true}, {"4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", true, true},
      {"4k3/8/8/8/8/8/5r2/R3K2R w KQ - 0 1", false, true},   // f1 attacked... by the rook on f2
      {"4k3/8/8/8/8/8/6r1/R3K2R w KQ - 0 1", true, true},    // only g1 attacked: produced, illegal later
      {"4k3/8/8/8/8/8/8/RN2K2R w KQ - 0 1", true, false},    // b1 occupied
      {"4k3/8/8/8/8/8/1r6/R3K2R w KQ - 0 1", true, true},    // b1 attacked does not matter
      {"4k3/8/8/8/8/8/3r4/R3K2R w KQ - 0 1", true, false},   // d1 attacked
      {"4k3/8/8/8/8/8/4r3/R3K2R w KQ - 0 1", false, false},  // in check
      {"4k3/8/8/8/8/8/8/R3K2R w - - 0 1", false, false},    {"r3k2r/8/8/8/8/8/8/4K3 b kq - 0 1", true, true},
      {"r3k2r/5B2/8/8/8/8/8/4K3 b kq - 0 1", false, false},  // bishop checks e8
  };
  for (const Case& c : cases) {
    const Texts moves = generated(c.fen, generateMoves);
    const bool white = pos.side == WHITE;
    EXPECT_EQ(contains(moves, white ? "e1g1" : "e8g8"), c.shortCastle) << c.fen;
    EXPECT_EQ(contains(moves, white ? "e1c1" : "e8c8"), c.longCastle) << c.fen;
  }
}

TEST(Generate, PawnPushesAndEnPassant) {
  Position& pos = testEngine().pos;
  EXPECT_EQ(generated("4k3/8/8/8/8/4n3/4P3/4K3 w - - 0 1", generateMoves),
            (Texts{"e1d1", "e1f1", "e1d2", "e1f2"}));
  const Texts one = generated("4k3/8/8/8/4n3/8/4P3/4K3 w - - 0 1", generateMoves);
  EXPECT_TRUE(contains(one, "e2e3"));
  EXPECT_FALSE(contains(one, "e2e4"));

  loadFen("4k3/3p4/8/4P3/8/8/8/4K3 b - - 0 1");
  makeMove(pos, textToMove(pos, "d7d5"));
  pos.searchPly = 0;
  const std::vector<Move> all = generatedMoves(pos, generateMoves);
  const Move ep = makeMoveValue(0x44, 0x53, MOVE_PAWN | MOVE_CAPTURE | MOVE_EN_PASSANT);
  EXPECT_NE(std::find(all.begin(), all.end(), ep), all.end());
  EXPECT_EQ(generatedMoves(pos, generateCaptures), (std::vector<Move>{ep}));
}

TEST(Generate, PseudoLegalMovesIncluded) {
  // The pinned bishop's moves and a king step into check are in the list.
  const Texts moves = generated("4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1", generateMoves);
  EXPECT_TRUE(contains(moves, "e2d3"));
  EXPECT_TRUE(contains(moves, "e1d2"));
}

TEST(Attack, Samples) {
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    const char* square;
    int colour;
    int expected;
  };
  const Case cases[] = {
      {"4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", "d5", WHITE, 1},
      {"4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", "f5", WHITE, 1},
      {"4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", "e5", WHITE, 0},
      {"4k3/8/8/8/4P3/8/8/4K3 w - - 0 1", "d3", WHITE, 0},
      {"4k3/8/8/4p3/8/8/8/4K3 w - - 0 1", "d4", BLACK, 1},
      {"4k3/8/8/4p3/8/8/8/4K3 w - - 0 1", "f4", BLACK, 1},
      {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "a8", WHITE, 1},
      {"4k3/8/8/8/n7/8/8/R3K3 w - - 0 1", "a4", WHITE, 1},
      {"4k3/8/8/8/n7/8/8/R3K3 w - - 0 1", "a5", WHITE, 0},
      {"4k3/8/8/8/3Q4/8/8/4K3 w - - 0 1", "h8", WHITE, 1},
      {"4k3/8/8/8/3Q4/8/8/4K3 w - - 0 1", "d8", WHITE, 1},
      {"4k3/8/8/8/3B4/8/8/4K3 w - - 0 1", "d8", WHITE, 0},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "e1", WHITE, 1},   // own king's square: distance 0
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", "d7", BLACK, 1},   // next to the enemy king
      {"N3k3/8/8/8/8/8/8/4K3 w - - 0 1", "b6", WHITE, 1},  // knight in the corner
      {"N3k3/8/8/8/8/8/8/4K3 w - - 0 1", "c7", WHITE, 1},
      {"N3k3/8/8/8/8/8/8/4K3 w - - 0 1", "b7", WHITE, 0},
  };
  for (const Case& c : cases) {
    loadFen(c.fen);
    EXPECT_EQ(isAttacked(pos, squareFromName(c.square), c.colour), c.expected) << c.fen << " " << c.square;
  }
  // Moving a piece off a line exposes the mover's king.
  loadFen("4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1");
  makeMove(pos, textToMove(pos, "e2d3"));
  EXPECT_EQ(kingInCheck(pos, WHITE), 1);
}

}  // namespace

// The quiescence capture list, which skips piece kinds by the attack map,
// is the full capture list, in the same order, at every node of
// pseudo-random games.
TEST(Generate, CapturesFromMapsAlongRandomGames) {
  const char* fens[] = {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1"};
  EvalData& ev = testEval();
  std::vector<MoveEntry> list(MAX_MOVES_PER_PLY);
  std::uint32_t seed = 2024;
  int withCaptures = 0;
  for (const char* fen : fens) {
    for (int game = 0; game < 10; ++game) {
      Position& pos = loadFen(fen);
      for (int ply = 0; ply < 40; ++ply) {
        evaluate(pos, ev);
        const std::vector<Move> all = generatedMoves(pos, generateCaptures);
        const MoveEntry* end = generateCapturesFromMaps(pos, ev.currentAttackMap[pos.side], list.data());
        std::vector<Move> fromMaps;
        for (const MoveEntry* e = list.data(); e != end; ++e) fromMaps.push_back(e->move);
        ASSERT_EQ(fromMaps, all) << fen << " ply " << ply;
        withCaptures += !all.empty();
        if (!playRandomLegalMove(pos, seed)) break;
      }
    }
  }
  EXPECT_GT(withCaptures, 500);
}
