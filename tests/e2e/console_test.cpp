// Console commands through a pipe: exact output formats.
#include <gtest/gtest.h>

#include <cstdio>

#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

std::string keyText(const char* fen) {
  const Position& pos = loadFen(fen);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%08x%08x", static_cast<unsigned>(pos.key >> 32),
                static_cast<unsigned>(pos.key));
  return buf;
}

std::string run(const std::string& input) {
  const EngineRun r = runEngineProcess(input + "quit\n");
  EXPECT_EQ(r.status, 0) << input;
  const std::string out = afterBanner(r.output);
  EXPECT_GE(out.size(), 4u);
  EXPECT_EQ(out.substr(out.size() - 4), "Bye\n") << input;
  return out.substr(0, out.size() - 4);
}

TEST(Console, BoardInStartPosition) {
  const std::string expected =
      "The Board ...\n"
      "\n  r   n   b   q   k   b   n   r "
      "\n  p   p   p   p   p   p   p   p "
      "\n  .   .   .   .   .   .   .   . "
      "\n  .   .   .   .   .   .   .   . "
      "\n  .   .   .   .   .   .   .   . "
      "\n  .   .   .   .   .   .   .   . "
      "\n  P   P   P   P   P   P   P   P "
      "\n  R   N   B   Q   K   B   N   R "
      "\nCastle: f\nfifty: 0\nenpassant: c0\nside: 0\ntotal ply: 0\nhash key: " +
      keyText(START) + " \n\n\n";
  EXPECT_EQ(run("board\n"), expected);
  EXPECT_EQ(run("BOARD\n"), expected);
}

TEST(Console, BoardAfterMovesShowsState) {
  const std::string out = run("position startpos moves e2e4 e7e5 g1f3\nboard\n");
  EXPECT_NE(out.find("\nCastle: f\nfifty: 1\nenpassant: c0\nside: 1\ntotal ply: 3\nhash key: "),
            std::string::npos)
      << out;
  const std::string ep = run("position startpos moves e2e4\nboard\n");
  EXPECT_NE(ep.find("\nenpassant: 24\nside: 1\ntotal ply: 1\n"), std::string::npos) << ep;
}

TEST(Console, ListsDump) {
  const std::string out = run("setboard 4k3/8/8/8/8/8/8/4K3 w - - 0 1\nlists\n");
  // Row 1 holds the heads: only the two king lists are non-empty.
  std::string heads = "\n";
  for (int code = 0; code < 16; ++code) {
    char buf[8];
    const int next = code == 6 ? 0x04 : code == 14 ? 0x74 : 0x80;
    std::snprintf(buf, sizeof buf, "%3x ", next);
    heads += buf;
  }
  ASSERT_EQ(out.rfind("Next List ...\n", 0), 0u) << out;
  EXPECT_EQ(out.substr(14, heads.size()), heads);
  EXPECT_NE(out.find("\nPrev List ...\n"), std::string::npos);
  // Sixteen rows of sixteen cells for each direction.
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1 + 16 + 1 + 1 + 16 + 1);
}

TEST(Console, MoveUndoAndSetboard) {
  EXPECT_EQ(run("move e2e4\nundo\nboard\n"), "unmaking move: 0x401434\n" + run("board\n"));
  EXPECT_EQ(run("move e2e5\nmove e1e2\n"), "illegal move: e2e5\nillegal move: e1e2\n");
  // Nothing to take back: neither at the start nor after a position command reset.
  EXPECT_EQ(run("undo\n"), "nothing to undo\n");
  EXPECT_EQ(run("e2e4\nundo\nundo\n"), "unmaking move: 0x401434\nnothing to undo\n");
  EXPECT_EQ(run("setboard 8/8/8/8/8/8/8/8 w - - 0 1\nboard\n"), "FEN error \n" + run("board\n"));
  const std::string set = run("setboard 4k3/8/8/8/8/8/8/4K3 b - - 0 1\nboard\n");
  EXPECT_NE(set.find("side: 1\n"), std::string::npos) << set;
  // A console move that would leave the own king attacked is refused.
  EXPECT_EQ(run("setboard 4k3/4r3/8/8/8/8/4B3/4K3 w - - 0 1\ne2d3\nmove e2d3\n"),
            "illegal command: e2d3\nillegal move: e2d3\n");
}

TEST(Console, PerftTotalsAreCumulative) {
  // Every depth but the deepest of each position.
  for (const positions::PerftCase& c : positions::perftCases()) {
    const std::size_t depths = c.leaves.size() - 1;
    std::string input = std::string("position fen ") + c.fen + "\n";
    for (std::size_t d = 1; d <= depths; ++d) input += "perft " + std::to_string(d) + "\n";
    const std::string out = run(input);
    std::uint64_t sum = 0;
    std::size_t at = 0;
    for (std::size_t d = 1; d <= depths; ++d) {
      sum += c.leaves[d - 1];
      const std::string head =
          "perft for depth " + std::to_string(d) + "\nNodes: " + std::to_string(sum) + "   time: ";
      const std::size_t found = out.find(head, at);
      ASSERT_EQ(found, at) << c.fen << " depth " << d << "\n" << out;
      at = out.find('\n', found + head.size()) + 1;
    }
    EXPECT_EQ(at, out.size()) << out;
  }
  // The printed rate is whole nodes per millisecond; 0 and negative depths count nothing.
  const std::string zero = run("perft 0\nperft -3\nperft\n");
  EXPECT_TRUE(matchesPattern(zero,
                             "perft for depth 0\nNodes: 0   time: #.#   Nodes/sec: 0\n"
                             "perft for depth 0\nNodes: 0   time: #.#   Nodes/sec: 0\n"
                             "perft for depth 0\nNodes: 0   time: #.#   Nodes/sec: 0\n"))
      << zero;
  // A checkmated side has no moves at any depth.
  EXPECT_TRUE(matchesPattern(run("position startpos moves f2f3 e7e5 g2g4 d8h4\nperft 3\n"),
                             "perft for depth 3\nNodes: 0   time: #.#   Nodes/sec: 0\n"));
}

TEST(Console, AttackMapsInStartPosition) {
  const std::string empty = "00 00 00 00 00 00 00 00 \n";
  const std::string white = empty + empty + empty + empty + empty +
                            "1a 0a 1b 0a 0a 1b 0a 1a \n"
                            "21 11 41 d4 d4 81 11 21 \n"
                            "00 21 41 81 41 81 21 00 \n";
  const std::string black = std::string("00 21 41 81 41 81 21 00 \n") +
                            "21 11 41 d4 d4 81 11 21 \n"
                            "1a 0a 1b 0a 0a 1b 0a 1a \n" +
                            empty + empty + empty + empty + empty;
  EXPECT_EQ(run("attacks\n"), "white attacks\n" + white + "\nblack attacks\n" + black);
}

TEST(Console, EvaluationCommands) {
  // "eval" prints nothing; the rooks in the corners have no defender, so the
  // exchange table calls them hung.
  EXPECT_EQ(run("eval\nhung\n"), "hung value: 500\n");
  // A knight attacked by a pawn and defended by nothing is worth 300.
  EXPECT_EQ(run("setboard 4k3/8/8/3p4/4N3/8/8/4K3 w - - 0 1\nhung\n"), "hung value: 300\n");
  // Pawn takes knight, pawn retakes: 3 - 1.
  EXPECT_EQ(run("setboard 4k3/8/8/3p4/4N3/5P2/8/4K3 w - - 0 1\nhung\n"), "hung value: 200\n");
  EXPECT_EQ(run("setboard 4k3/8/8/8/4N3/5P2/4K3/8 w - - 0 1\nhung\n"), "hung value: 0\n");
}

TEST(Console, MoveListings) {
  const std::string moves = run("moves\n");
  EXPECT_EQ(std::count(moves.begin(), moves.end(), '\n'), 20);
  EXPECT_EQ(moves.substr(0, 12), "h2h3 \nh2h4 \n");
  EXPECT_EQ(moves.find('+'), std::string::npos);
  EXPECT_EQ(run("captures\n"), "generating captures ... \n");
  EXPECT_EQ(run("setboard 4k3/8/3p4/4n3/3P4/8/8/4K3 w - - 0 1\ncaptures\n"),
            "generating captures ... \n d4e5 (2)\n");
  // The evasion listing reads the maps of the last evaluation.
  EXPECT_EQ(run("setboard r3k3/8/8/8/K7/8/8/8 w - - 0 1\neval\nevasions\n"),
            "generating evasions ... \na4b4 \na4a3 \na4b5 \na4b3 \n");
  EXPECT_EQ(run("evasions\n"), "generating evasions ... \n");
}

}  // namespace
