// FEN set-up, including texts that must be refused without harm.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "positions.h"
#include "test_util.h"

namespace {

using positions::KIWIPETE;
using positions::START;

TEST(Fen, StartPositionFields) {
  Position& pos = testEngine().pos;
  loadFen(START);
  EXPECT_EQ(pos.side, WHITE);
  EXPECT_EQ(pos.xside, BLACK);
  EXPECT_EQ(pos.castleRights, 15);
  EXPECT_EQ(pos.epSquare, EP_NONE);
  EXPECT_EQ(pos.fifty, 0);
  EXPECT_EQ(pos.gamePly, 0);
  std::uint64_t expected = CastleKey[15];
  for (int s = 0; s < 128; ++s)
    if (isSquare(s) && pos.board[s] != EMPTY) expected ^= PieceKey[pos.board[s]][s];
  EXPECT_EQ(pos.key, expected);
}

TEST(Fen, FieldsAreReadAsWritten) {
  Position& pos = testEngine().pos;
  struct Case {
    const char* fen;
    int side;
    int rights;
    int ep;
  };
  const Case cases[] = {
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", WHITE, 0, EP_NONE},
      {"r3k2r/8/8/8/8/8/8/R3K2R w Kq - 0 1", WHITE, CASTLE_WK | CASTLE_BQ, EP_NONE},
      {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 37 80", BLACK, 15, EP_NONE},
      {"4k3/8/8/8/3pP3/8/8/4K3 b - e3 0 1", BLACK, 0, 0x24},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", WHITE, 0, 0x53},
      // Text that ends before the castling or en-passant field.
      {"4k3/8/8/8/8/8/8/4K3 b", BLACK, 0, EP_NONE},
      {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", WHITE, 15, EP_NONE},
      // Rights whose king or rook is away from home are dropped.
      {"r3k3/8/8/8/8/8/8/R4K1R w KQkq - 0 1", WHITE, CASTLE_BQ, EP_NONE},
      {"1r2k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1", WHITE, CASTLE_WQ | CASTLE_BK, EP_NONE},
      // En-passant squares that cannot be real.
      {"4k3/8/8/3pP3/8/8/8/4K3 w - d3 0 1", WHITE, 0, EP_NONE},
      {"4k3/8/8/4P3/8/8/8/4K3 w - d6 0 1", WHITE, 0, EP_NONE},
      {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1", WHITE, 0, EP_NONE},
      {"4k3/8/8/3pP3/8/8/8/4K3 w - z9 0 1", WHITE, 0, EP_NONE},
  };
  for (const Case& c : cases) {
    loadFen(c.fen);
    EXPECT_EQ(pos.side, c.side) << c.fen;
    EXPECT_EQ(pos.xside, c.side ^ 1) << c.fen;
    EXPECT_EQ(pos.castleRights, c.rights) << c.fen;
    EXPECT_EQ(pos.epSquare, c.ep) << c.fen;
    EXPECT_EQ(pos.fifty, 0) << c.fen;
    EXPECT_EQ(pos.gamePly, 0) << c.fen;
    EXPECT_TRUE(positionIsConsistent(pos)) << c.fen;
  }
}

// Set-up counts the material itself, as the board has it.
TEST(Fen, MaterialOfTheSetUp) {
  struct Case {
    const char* fen;
    int material;
  };
  const Case cases[] = {
      {START, 8460},
      {"4k3/8/8/8/8/8/4P3/4K3 w - - 0 1", 100},
      {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0},
      {KIWIPETE, 8460},
      {"rnbqkbnr/pppppppp/8/8/8/QQQ5/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 8460 + 3 * 1050},
  };
  for (const Case& c : cases) {
    const Position& pos = loadFen(c.fen);
    EXPECT_EQ(pos.material, c.material) << c.fen;
    EXPECT_EQ(boardMaterial(pos), c.material) << c.fen;
  }
}

TEST(Fen, SideToMoveEntersTheKey) {
  Position& pos = testEngine().pos;
  loadFen("4k3/8/8/8/8/8/8/4K3 w - - 0 1");
  const std::uint64_t white = pos.key;
  loadFen("4k3/8/8/8/8/8/8/4K3 b - - 0 1");
  EXPECT_EQ(pos.key, white ^ SideKey);
  // The en-passant square does not enter the key.
  loadFen("4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1");
  const std::uint64_t withEp = pos.key;
  loadFen("4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
  EXPECT_EQ(pos.key, withEp);
}

// A refused text leaves the previous position alone, to the last byte.
TEST(Fen, BadTextsAreRefusedWithoutChange) {
  const char* bad[] = {
      "rnbqkbnr/pppppppp/8/8/4x3/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",  // bad letter
      "rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // digit 9
      "rnbqkbnr/pppppppp/0/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",    // digit 0
      "rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",   // nine files
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN7 w KQkq - 0 1",    // fourteen files
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1",             // seven ranks
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",                 // no side field
      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR ",                // no side letter
      "",                                                            // nothing
      "8/8/8/8/8/8/8/8 w - - 0 1",                                   // no kings
      "4k3/8/8/8/8/8/8/8 w - - 0 1",                                 // no white king
      "4k3/8/8/8/8/8/8/3KK3 w - - 0 1",                              // two white kings
      "4k2R/8/8/8/8/8/8/4K3 w - - 0 1",                              // side not to move in check
      "4k3/4Q3/8/8/8/8/8/4K3 w - - 0 1",                             // side not to move in check
  };
  for (const char* fen : bad) {
    Position& pos = loadFen(KIWIPETE);
    const Position before = pos;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(setupFen(pos, fen)) << fen;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << fen;  // the caller reports it
    EXPECT_TRUE(pos == before) << fen;
  }
}

// Whatever the text, set-up never reads past its end (checked by the
// sanitizer build): every prefix of real FENs is tried in an exact-size buffer.
TEST(Fen, EveryPrefixIsHandledSafely) {
  Position& pos = testEngine().pos;
  const char* fens[] = {START, KIWIPETE, "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1"};
  for (const char* fen : fens) {
    const std::size_t n = std::strlen(fen);
    for (std::size_t len = 0; len <= n; ++len) {
      std::unique_ptr<char[]> text(new char[len + 1]);
      std::memcpy(text.get(), fen, len);
      text[len] = 0;
      setupFen(pos, text.get());
      EXPECT_TRUE(positionIsConsistent(pos)) << text.get();
    }
  }
}

}  // namespace
