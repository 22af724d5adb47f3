// Positions the tests share: the start position and the six positions with
// published perft counts.
#pragma once

#include <cstdint>
#include <vector>

namespace positions {

inline constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
inline constexpr const char* KIWIPETE =
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

struct PerftCase {
  const char* fen;
  std::vector<std::uint64_t> leaves;  // leaf counts of the legal move tree, depth 1 first
};

// The published counts; the deepest of each takes seconds.
inline const std::vector<PerftCase>& perftCases() {
  static const std::vector<PerftCase> cases = {
      {START, {20, 400, 8902, 197281, 4865609}},
      {KIWIPETE, {48, 2039, 97862, 4085603}},
      {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1", {14, 191, 2812, 43238, 674624}},
      {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", {6, 264, 9467, 422333}},
      {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379, 2103487}},
      {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P3/P1NP1N1P/1PP1QPP1/R4RK1 w - - 0 10", {48, 1885, 84956, 3197465}},
  };
  return cases;
}

}  // namespace positions
