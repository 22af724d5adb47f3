// The engine through a pipe: exact replies to scripted input.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>

#include "e2e/engine_process.h"

namespace {

struct ScriptCase {
  const char* name;
  std::string input;
  std::string expected;  // everything after the banner
  int status;
};

TEST(Protocol, ScriptedSessions) {
  const std::string uciBlock =
      "id name Tarnic 0.4 \nid author Olvenhart\noption name Hash type spin default 8 min 4 max 65536\n"
      "option name Ponder type check default true\n"
      "option name Threads type spin default 1 min 1 max 256\n"
      "option name MultiPV type spin default 1 min 1 max 256\n"
      "option name Clear Hash type button\n"
      "option name OwnBook type check default false\n"
      "option name Book File type string default <empty>\n"
      "option name UCI_Chess960 type check default false\n"

      "option name UCI_LimitStrength type check default false\n"
      "option name UCI_Elo type spin default 1500 min 600 max 1900\nuciok\n";
  const ScriptCase cases[] = {
      {"banner only, end of input", "", "", 1},
      {"uci", "uci\nquit\n", uciBlock + "Bye\n", 0},
      {"mixed case", "UcI\nIsReady\nQUIT\n", uciBlock + "readyok\nBye\n", 0},
      {"isready at once", "isready\n", "readyok\n", 1},
      {"silent words", "debug on\nucinewgame\nstop\nponderhit\nquit\n", "Bye\n", 0},
      {"hash clamps",
       "setoption name Hash value 1\nsetoption name Hash value 0\nsetoption name Hash value 3\n"
       "setoption name Hash value 129\nsetoption name Hash value 100\nsetoption name Hash value 64\n"
       "setoption name hash value -5\nsetoption name Hash value abc\nsetoption name HASH value 5\nsetoption "
       "name HashX value 6\nquit\n",
       "setting hash size to 16\nsetting hash size to 4\nsetting hash size to 4\nsetting hash size to 129\n"
       "setting hash size to 100\nsetting hash size to 64\nsetting hash size to 4\nsetting hash size to 4\n"
       "setting hash size to 5\nBye\n",
       0},
      {"hash without value in place",
       "setoption name Hash  value 64\nsetoption name Hash\nsetoption name Hash v\nsetoption Hash value "
       "8\nquit\n",
       "Bye\n", 0},
      {"ponder option accepted, others unsupported",
       "setoption name Ponder value true\nsetoption name ponder value false\nsetoption name PonderX value 1\n"
       "setoption name  Contempt value 2\nsetoption name uci_limitstrength value TRUE\n"
       "setoption name UCI_Elo value 99999\nsetoption name Skill Seed value 7\nsetoption name Skill Level "
       "value "
       "5\nquit\n",
       "unsupported option: PonderX value 1\nunsupported option: Contempt value 2\n"
       "unsupported option: Skill Level value 5\nBye\n",
       0},
      {"end of input inside a line", "isready\nuci", "readyok\n", 1},
      {"blank lines", "\n   \n\t\nisready\n", "readyok\n", 1},
      {"carriage return line ends", "isready\r\nquit\r\n", "readyok\nBye\n", 0},
      {"unknown command", "foo bar baz\nfoo\nquit\n", "illegal command: bar baz\nillegal command: foo\nBye\n",
       0},
      {"position error line",
       "position startpos moves e2e4 e7e5 g1g3 b8c6\nposition startpos moves e2e4 e7e5 e1e2 e8e7 e2e3 e7e5\n"
       "quit\n",
       "Error, Invalid move: g1g3 b8c6 \nError, Invalid move: e7e5 \nBye\n", 0},
      {"move leaving own king in check is refused",
       "position fen 4k3/8/8/8/8/8/4r3/4K3 w - - 0 1 moves e1e2 e1d1\nposition fen 4k3/4r3/8/8/8/8/4B3/4K3 w "
       "- - "
       "0 1 moves e2d3\nquit\n",
       "Error, Invalid move: e1d1 \nError, Invalid move: e2d3 \nBye\n", 0},
      {"bad fen keeps the old position",
       "position fen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w KQkq - 0 1 moves e2e4\ne2e4\nquit\n",
       "FEN error \nBye\n", 0},
      {"lone console moves", "e2e4\ne7e5\ne2e4\ne1e3\nquit\n",
       "illegal command: e2e4\nillegal command: e1e3\nBye\n", 0},
  };
  for (const ScriptCase& c : cases) {
    const EngineRun run = runEngineProcess(c.input);
    EXPECT_EQ(afterBanner(run.output), c.expected) << c.name;
    EXPECT_EQ(run.status, c.status) << c.name;
  }
}

// A size the system refuses keeps the table of the old size, with a message,
// and the session goes on. The engine runs under an address-space limit of
// 2 GB (inherited from this process), so that no machine hands it 64 GB.
TEST(Protocol, RefusedHashSizeKeepsTheOldTable) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory needs more address space than the limit";
#endif
  const char* command = std::getenv("TARNIC_ENGINE");
  if (command != nullptr && *command != 0) GTEST_SKIP() << "no address-space limit through " << command;
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
  rlimit limited = old;
  limited.rlim_cur = rlim_t{2} << 30;
  if (old.rlim_cur != RLIM_INFINITY && old.rlim_cur < limited.rlim_cur) limited.rlim_cur = old.rlim_cur;
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
  const EngineRun run = runEngineProcess(
      "setoption name Hash value 64\nsetoption name Hash value 100000\nisready\nsetoption name Hash value "
      "65536\nsetoption name Hash value 5\nisready\nquit\n");
  setrlimit(RLIMIT_AS, &old);
  EXPECT_EQ(afterBanner(run.output),
            "setting hash size to 64\nsetting hash size to 65536\n"
            "info string Hash 65536 MB could not be allocated; keeping 64 MB\nreadyok\n"
            "setting hash size to 65536\ninfo string Hash 65536 MB could not be allocated; keeping 64 MB\n"
            "setting hash size to 5\nreadyok\nBye\n");
  EXPECT_EQ(run.status, 0);
}

TEST(Protocol, BannerIsExact) {
  const EngineRun run = runEngineProcess("quit\n");
  EXPECT_EQ(run.output, std::string("\n\t Tarnic 0.4 \n\nBye\n"));
  EXPECT_EQ(run.status, 0);
}

TEST(Protocol, LongLineIsCutAndNextLineRead) {
  std::string longLine = "foo ";
  while (longLine.size() < 5000) longLine += 'x';
  const EngineRun run = runEngineProcess(longLine + "\nisready\nquit\n");
  const std::string expected = "illegal command: " + longLine.substr(4, 4095 - 4) + "\nreadyok\nBye\n";
  EXPECT_EQ(afterBanner(run.output), expected);
  EXPECT_EQ(run.status, 0);

  // A first word longer than any command is cut without harm.
  const std::string word(3000, 'q');
  const EngineRun run2 = runEngineProcess(word + "\nisready\n");
  EXPECT_EQ(afterBanner(run2.output), "illegal command: " + word + "\nreadyok\n");
  EXPECT_EQ(run2.status, 1);
}

TEST(Protocol, FullGameHistoryRefusesFurtherMoves) {
  // "position moves" continues the current position. Game plies 1 to 2047
  // fit in the history; the move that would make ply 2048 is refused.
  std::string input = "position startpos\n";
  for (int i = 0; i < 600; ++i) input += "position moves g1f3 g8f6 f3g1 f6g8\n";
  input += "isready\nquit\n";
  std::string expected = "Error, Invalid move: f6g8 \n";
  for (int i = 512; i < 600; ++i) expected += "Error, Invalid move: g1f3 g8f6 f3g1 f6g8 \n";
  expected += "readyok\nBye\n";
  const EngineRun run = runEngineProcess(input);
  EXPECT_EQ(afterBanner(run.output), expected);
  EXPECT_EQ(run.status, 0);
}

TEST(Protocol, ArgumentsRunAsLines) {
  const EngineRun run =
      runEngineProcess("", {"isready", "position startpos moves e2e4", "e7e5", "undo", "undo", "undo"});
  // The last move of a position command can be taken back too: its state is in the first record.
  EXPECT_EQ(afterBanner(run.output),
            "readyok\nunmaking move: 0x406444\nunmaking move: 0x401434\nnothing to undo\n");
  EXPECT_EQ(run.status, 0);
  // Searches from arguments read no input, also not while pondering or
  // analysing: they end at their depth and answer at once.
  for (const char* go :
       {"go infinite depth 3", "go ponder depth 3", "go ponder wtime 1000 btime 1000 depth 2"}) {
    const EngineRun search = runEngineProcess("stop\n", {"uci", "position startpos", go}, 20);
    const std::string out = afterBanner(search.output);
    EXPECT_NE(out.find("\nbestmove "), std::string::npos) << go << "\n" << out;
    EXPECT_EQ(out.find("Unexpected"), std::string::npos) << go << "\n" << out;
    EXPECT_EQ(search.status, 0) << go;
  }
  const EngineRun quit = runEngineProcess("isready\n", {"quit", "isready"});
  EXPECT_EQ(afterBanner(quit.output), "Bye\n");
  EXPECT_EQ(quit.status, 0);
}

}  // namespace
