// Chess960 through the pipe: the option, castling answered as king takes
// rook, and a standard game searched alike with the option on or off.
#include <gtest/gtest.h>

#include <string>

#include "e2e/engine_process.h"
#include "test_util.h"

namespace {

TEST(Chess960Session, CastlingMateAnsweredAsKingTakesRook) {
  // O-O-O with the king on b1 and the rook on a1 mates: Rd1, nothing blocks
  // the d-file and the king is walled in. Without Chess960 the field means
  // nothing and there is no castling.
  const std::string fen = "position fen 2rkr3/2p1p3/8/8/8/8/8/RK6 w A - 0 1\n";
  const EngineRun on =
      runEngineProcess("uci\nsetoption name UCI_Chess960 value TRUE\n" + fen + "go depth 3\nquit\n");
  EXPECT_NE(on.output.find("option name UCI_Chess960 type check default false\n"), std::string::npos);
  EXPECT_NE(on.output.find("score mate 1 time "), std::string::npos) << on.output;
  EXPECT_NE(on.output.find("pv b1a1 \n"), std::string::npos) << on.output;
  EXPECT_NE(on.output.find("\nbestmove b1a1 \n"), std::string::npos) << on.output;
  // Played as a game move, it is the same castling.
  const EngineRun played = runEngineProcess("setoption name UCI_Chess960 value true\n" +
                                            fen.substr(0, fen.size() - 1) + " moves b1a1\nboard\nquit\n");
  EXPECT_NE(played.output.find("\n  .   .   K   R   .   .   .   . \n"), std::string::npos) << played.output;
  const EngineRun off =
      runEngineProcess("uci\nsetoption name UCI_Chess960 value false\n" + fen + "go depth 3\nquit\n");
  EXPECT_EQ(off.output.find("b1a1"), std::string::npos) << off.output;
  EXPECT_EQ(off.output.find("score mate 1 "), std::string::npos) << off.output;
}

TEST(Chess960Session, StandardGameSearchesTheSameTree) {
  // Castling in the line: only its text differs.
  const std::string search =
      "position fen r3k2r/pppq1ppp/2npbn2/4p3/2B1P3/2NPBN2/PPPQ1PPP/R3K2R w KQkq - 0 1\ngo depth 6\nquit\n";
  const std::string off = withoutTimes(runEngineProcess("uci\n" + search).output);
  std::string on =
      withoutTimes(runEngineProcess("uci\nsetoption name uci_chess960 value true\n" + search).output);
  ASSERT_NE(on.find("e1h1"), std::string::npos) << on;
  for (const auto& [chess960, standard] :
       {std::pair{"e1h1", "e1g1"}, {"e1a1", "e1c1"}, {"e8h8", "e8g8"}, {"e8a8", "e8c8"}})
    for (std::size_t at = on.find(chess960); at != std::string::npos; at = on.find(chess960, at))
      on.replace(at, 4, standard);
  EXPECT_EQ(on, off);
}

}  // namespace
