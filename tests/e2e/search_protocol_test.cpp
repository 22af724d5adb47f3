// Searches through a pipe: stop, ponderhit, quit, isready and end of input
// while thinking, and the exact forms of the answer.
#include <gtest/gtest.h>

#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

using positions::START;

// The move named after "bestmove " in the output, or "".
std::string bestMove(const std::string& out) {
  const std::size_t at = out.find("bestmove ");
  if (at == std::string::npos) return "";
  const std::size_t end = out.find_first_of(" \n", at + 9);
  return out.substr(at + 9, end - at - 9);
}

bool legalIn(const char* fen, const std::string& move) {
  Position& pos = loadFen(fen);
  return playGameMove(pos, move.c_str()) != 0;
}

TEST(SearchProtocol, StopDuringInfiniteAnswersWithALegalMove) {
  const EngineRun run = runEngineSession({{"", 0, "uci\nposition startpos\ngo infinite\n"},
                                          {"uciok", 300, "stop\n"},
                                          {"bestmove", 0, "quit\n"}});
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  EXPECT_TRUE(legalIn(START, bestMove(out))) << out;
  EXPECT_EQ(out.find("Unexpected"), std::string::npos) << out;
  EXPECT_TRUE(matchesPattern(out.substr(out.find("bestmove")), "bestmove * ponder *\nBye\n")) << out;
}

// After a ponder miss an interface sends "stop", the real position and the
// real go in one write: none of it may be lost to the unwinding search.
TEST(SearchProtocol, LinesAfterStopReachTheCommandLoop) {
  const char* afterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
  for (const char* go : {"go ponder wtime 2000 btime 2000", "go infinite"}) {
    for (const char* between : {"", "isready\n"}) {
      const std::string burst =
          std::string("stop\n") + between + "position startpos moves e2e4\ngo wtime 2000 btime 2000\n";
      const EngineRun run =
          runEngineSession({{"", 0, std::string("uci\nposition startpos moves d2d4\n") + go + "\n"},
                            {"uciok", 300, burst},
                            // The second search has a 50 ms budget.
                            {"bestmove", 1500, "quit\n"}},
                           {}, 20);
      const std::string out = afterBanner(run.output);
      const std::size_t first = out.find("bestmove ");
      ASSERT_NE(first, std::string::npos) << go << "\n" << out;
      const std::size_t second = out.find("bestmove ", first + 1);
      ASSERT_NE(second, std::string::npos) << go << "\n" << out;
      EXPECT_TRUE(legalIn(afterE4, bestMove(out.substr(second)))) << go << "\n" << out;
      EXPECT_EQ(out.find("Unexpected"), std::string::npos) << go << "\n" << out;
      EXPECT_EQ(run.status, 0);
      if (*between) {
        const std::size_t ready = out.find("readyok\n");
        EXPECT_TRUE(ready > first && ready < second) << out;
      }
    }
  }
}

TEST(SearchProtocol, PonderhitTurnsPonderingIntoATimedSearch) {
  Position& pos = testEngine().pos;
  // The budget (50 ms plus a little) has passed by the ponderhit, so the
  // search ends at its next poll without any "stop".
  const EngineRun run =
      runEngineSession({{"", 0, "uci\nposition startpos moves e2e4\ngo ponder wtime 2000 btime 2000\n"},
                        {"uciok", 300, "ponderhit\n"},
                        {"bestmove", 0, "quit\n"}},
                       {}, 20);
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  loadFen(START);
  playGameMove(pos, "e2e4");
  EXPECT_NE(playGameMove(pos, bestMove(out).c_str()), 0u) << out;
}

TEST(SearchProtocol, QuitDuringSearch) {
  const EngineRun run = runEngineSession({{"", 0, "position startpos\ngo infinite\n"}, {"", 300, "quit\n"}});
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  ASSERT_GE(out.size(), 27u);
  EXPECT_EQ(out.substr(out.size() - 27), "Quitting during think, bye\n");
  EXPECT_EQ(out.find("bestmove"), std::string::npos);
}

TEST(SearchProtocol, IsreadyDuringSearchIsAnsweredAtOnce) {
  const EngineRun run = runEngineSession({{"", 0, "uci\nposition startpos\ngo infinite\n"},
                                          {"uciok", 200, "isready\n"},
                                          {"readyok", 200, "stop\n"},
                                          {"bestmove", 0, "quit\n"}});
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  const std::size_t ready = out.find("readyok\n");
  ASSERT_NE(ready, std::string::npos) << out;
  EXPECT_LT(ready, out.find("bestmove")) << out;
  EXPECT_EQ(out.find("Unexpected"), std::string::npos) << out;
}

TEST(SearchProtocol, EndOfInputDuringSearchExitsWithStatusOne) {
  const EngineRun run = runEngineSession({{"", 0, "position startpos\ngo infinite\n"}, {"", 300, "", true}});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.find("bestmove"), std::string::npos);
}

// Lines other than the ones that steer a search wait for its answer and then
// run in order: a new position and go sent during a timed search, a script
// piped in whole, and after them the end of input.
TEST(SearchProtocol, LinesDuringASearchRunAfterItsAnswer) {
  const char* afterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1";
  const EngineRun timed = runEngineSession({{"", 0, "uci\nposition startpos\ngo movetime 400\n"},
                                            {"uciok", 100, "position startpos moves e2e4\ngo movetime 100\n"},
                                            {"bestmove", 1000, "quit\n"}},
                                           {}, 20);
  const EngineRun piped = runEngineProcess(
      "uci\nposition startpos\ngo movetime 200\nposition startpos moves e2e4\ngo depth 3\nisready\n", {}, 20);
  for (const EngineRun& run : {timed, piped}) {
    const std::string out = afterBanner(run.output);
    EXPECT_EQ(countOf(out, "bestmove "), 2u) << out;
    EXPECT_EQ(out.find("Unexpected"), std::string::npos) << out;
    const std::size_t second = out.find("bestmove ", out.find("bestmove ") + 1);
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_TRUE(legalIn(afterE4, bestMove(out.substr(second)))) << out;
  }
  EXPECT_EQ(timed.status, 0);
  EXPECT_EQ(piped.status, 1);
  // The piped "isready" stood behind a queued go: answered at once, before both answers.
  EXPECT_LT(piped.output.find("readyok"), piped.output.find("bestmove")) << piped.output;
}

// A line counts once its line end has arrived: a half-written "isready"
// holds up neither the search nor its answer.
TEST(SearchProtocol, HalfWrittenLineDoesNotHoldUpTheSearch) {
  const EngineRun run = runEngineSession({{"", 0, "uci\nposition startpos\ngo movetime 300\nisre"},
                                          {"uciok", 2000, "ady\r\n"},
                                          {"readyok", 0, "quit\n"}},
                                         {}, 20);
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  const std::size_t best = out.find("bestmove ");
  ASSERT_NE(best, std::string::npos) << out;
  EXPECT_LT(best, out.find("readyok\n")) << out;
  // The last line of the search tells its length: the move time, not the 2 s wait.
  const std::size_t time = out.rfind(" time ", best);
  ASSERT_NE(time, std::string::npos) << out;
  EXPECT_LT(std::stoi(out.substr(time + 6)), 1000) << out;
  EXPECT_TRUE(matchesPattern(out.substr(best), "bestmove * ponder *\nreadyok\nBye\n")) << out;
}

// "STOPPED" begins with the four letters of "stop" and stops the search too.
TEST(SearchProtocol, BurstOfIsreadyDuringInfiniteSearch) {
  std::string burst;
  for (int i = 0; i < 1000; ++i) burst += "isready\n";
  const EngineRun run = runEngineSession({{"", 0, "uci\nposition startpos\ngo infinite\n"},
                                          {"uciok", 200, burst + "STOPPED\n"},
                                          {"bestmove", 0, "quit\n"}},
                                         {}, 30);
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  EXPECT_EQ(countOf(out, "readyok\n"), 1000u);
  EXPECT_LT(out.rfind("readyok\n"), out.find("bestmove ")) << out.substr(out.size() - 300);
  EXPECT_TRUE(legalIn(START, bestMove(out)));
}

// Two fresh processes given the same input print the same lines but for times.
TEST(SearchProtocol, SameInputGivesSameSearch) {
  const char* fen = "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7";
  std::string outputs[2];
  for (std::string& out : outputs) {
    const EngineRun run = runEngineSession(
        {{"", 0, std::string("uci\nposition fen ") + fen + "\ngo wtime 10000000 btime 10000000 depth 7\n"},
         {"bestmove", 0, "quit\n"}},
        {}, 120);
    EXPECT_EQ(run.status, 0);
    out = withoutTimes(run.output);
  }
  EXPECT_EQ(outputs[0], outputs[1]);
  EXPECT_NE(outputs[0].find("info depth 7 seldepth "), std::string::npos) << outputs[0];
}

TEST(SearchProtocol, ConsoleSearchLines) {
  // Without "uci": the time budget lines, the console table and statistics.
  const EngineRun run =
      runEngineSession({{"", 0, "position startpos\ngo wtime 10000000 btime 10000000 depth 3 movestogo 40\n"},
                        {"bestmove", 0, "quit\n"}});
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  EXPECT_TRUE(matchesPattern(out,
                             "got 40 from line 40\n"
                             "cur_time: *    stop_time: * \n"
                             "Using 200.0  secs out of 9800.0 time left\n"
                             "  3  *\n*"
                             "Time: #.#  Nodes: #  Nps: #  maxply #\n"
                             "check #  prom #  p7 #  single #  mt #  kt 0 simple # \n"
                             "bestmove * *\nBye\n"))
      << out;
}

}  // namespace
