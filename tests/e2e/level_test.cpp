// Strength levels as an interface uses them, and what an interface is shown
// of a search: bounds, the current move.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

// Quiet and sharp middlegames and endings, a mate in one, a queen to take.
const char* const LEVEL_FENS[] = {
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1b1kb1r/1pqppppp/p4n2/1Bp5/3nP3/2N2N2/PPPP1PPP/R1BQR1K1 w kq - 0 7",
    "2rr2k1/pp2Bnq1/4R1p1/5p1p/B2P1P2/2P5/P5P1/4Q1K1 w - - 0 33",
    "8/8/8/3K1P2/2p4p/k2p3P/3Br3/1R6 w - - 0 67",
    "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1",
    "rnb1kbnr/pppp1ppp/8/4p1q1/4P3/3P4/PPP2PPP/RNBQKBNR w KQkq - 1 3",
    "r2q1rk1/ppp2ppp/2np1n2/2b1p1B1/2B1P1b1/2NP1N2/PPP2PPP/R2Q1RK1 w - - 6 8",
    "4r1k1/pp3ppp/2p5/8/3Pn3/2P1B3/PP3PPP/R5K1 b - - 0 20",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "8/5pk1/6p1/8/1P6/P4KP1/5P2/8 w - - 0 40",
    "2kr3r/ppp2ppp/2n5/2b1p3/4P1q1/2NP4/PPP1BPPP/R1BQ1RK1 b - - 3 11",
};
constexpr int MATE_IN_ONE = 5;  // index of the mate in one above

bool legalIn(const char* fen, const std::string& move) {
  Position& pos = loadFen(fen);
  return playGameMove(pos, move.c_str()) != 0;
}

std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::vector<std::string> linesOf(const std::string& out, const std::string& prefix) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  return lines;
}

// The answers to one go per position (the given go line) at a level
// (0: full strength) with a seed, in one process, one output per position.
std::vector<std::string> searchEach(int elo, int seed, const std::string& go) {
  std::vector<std::string> args = {"uci"};
  if (elo > 0) {
    args.push_back("setoption name UCI_LimitStrength value true");
    args.push_back("setoption name UCI_Elo value " + std::to_string(elo));
    args.push_back("setoption name Skill Seed value " + std::to_string(seed));
  }
  for (const char* fen : LEVEL_FENS) {
    args.push_back(std::string("position fen ") + fen);
    args.push_back(go);
    args.push_back("isready");  // marks the end of each search's output
  }
  const EngineRun run = runEngineProcess("", args, 120);
  EXPECT_EQ(run.status, 0);
  std::vector<std::string> outputs;
  std::string out = afterBanner(run.output);
  for (std::size_t at; (at = out.find("readyok\n")) != std::string::npos; out.erase(0, at + 8))
    outputs.push_back(out.substr(0, at));
  EXPECT_EQ(outputs.size(), std::size(LEVEL_FENS));
  return outputs;
}

std::string answerOf(const std::string& out) {
  const std::vector<std::string> lines = linesOf(out, "bestmove ");
  return lines.empty() ? "" : wordsOf(lines.back()).at(1);
}

// Of the last iteration's lines, the score of the best one and of the one
// the answer plays (cp; a mate counts as far beyond any cp score).
struct Choice {
  int best = 0;
  int played = 0;
  bool found = false;
};
Choice choiceOf(const std::string& out) {
  Choice c;
  const std::string answer = answerOf(out);
  const std::vector<std::string> lines = linesOf(out, "info depth ");
  if (lines.empty()) return c;
  const std::string depth = wordsOf(lines.back()).at(2);
  for (const std::string& line : lines) {
    const std::vector<std::string> w = wordsOf(line);
    if (w.at(2) != depth || w.at(5) != "multipv") continue;
    const int value = std::stoi(w.at(9));
    const int score = w.at(8) == "mate" ? (value > 0 ? 100000 - value : -100000 - value) : value;
    const std::size_t pv = line.find(" pv ");
    if (w.at(6) == "1") c.best = score;
    if (pv != std::string::npos && line.compare(pv + 4, answer.size(), answer) == 0) {
      c.played = score;
      c.found = true;
    }
  }
  return c;
}

// A seeded level repeats its moves; another seed changes some, and the
// choice is the level's: the strongest level agrees with a deep search
// far more often than the weakest, and above 1200 a level never plays a
// line its own search scored a piece below the best, nor misses a mate in
// one. (Slow: the sanitizer build's searches would end by the clock.)
TEST(Level, SeededChoicesRepeatAndGrowWithTheLevelSlow) {
  const std::string go = "go wtime 60000 btime 60000 winc 600 binc 600";
  const std::vector<std::string> reference = searchEach(0, 0, "go depth 9");
  std::vector<std::string> deep;
  for (const std::string& out : reference) deep.push_back(answerOf(out));

  std::map<int, int> agree;
  std::map<int, std::vector<std::string>> firstSeedMoves;
  const int levels[] = {600, 1300, 1900};
  const int seeds[] = {1, 2, 3, 4};
  for (int elo : levels) {
    for (int seed : seeds) {
      const std::vector<std::string> outs = searchEach(elo, seed, go);
      std::vector<std::string> moves;
      for (std::size_t i = 0; i < outs.size(); ++i) {
        const std::string move = answerOf(outs[i]);
        ASSERT_TRUE(legalIn(LEVEL_FENS[i], move)) << elo << " " << move << "\n" << outs[i];
        moves.push_back(move);
        agree[elo] += move == deep[i];
        if (elo > 1200) {
          const Choice c = choiceOf(outs[i]);
          ASSERT_TRUE(c.found) << outs[i];
          EXPECT_LT(c.best - c.played, 250) << LEVEL_FENS[i] << "\n" << outs[i];
        }
        if (elo > 1200 && static_cast<int>(i) == MATE_IN_ONE) {
          EXPECT_EQ(move, "a1a8") << outs[i];
        }
      }
      if (seed == seeds[0]) firstSeedMoves[elo] = moves;
      if (seed == seeds[0] && elo == 600) {
        // The same seed, the same moves.
        std::vector<std::string> again;
        for (const std::string& out : searchEach(elo, seed, go)) again.push_back(answerOf(out));
        EXPECT_EQ(again, moves);
      }
      if (seed == seeds[1] && elo == 600) {
        EXPECT_NE(moves, firstSeedMoves[elo]) << "the seed changes nothing";
      }
    }
  }
  const int total = static_cast<int>(std::size(seeds) * std::size(LEVEL_FENS));
  // Seen: 1900 35 of 48, 600 13 of 48.
  EXPECT_GE(agree[1900] * 10, total * 6) << agree[1900] << " of " << total;
  EXPECT_LE(agree[600] * 10, total * 4) << agree[600] << " of " << total;
}

// A level at 1500 answers within about a second on a long clock, where
// full strength would think for seconds; "go infinite" is not weakened and
// shows the current root move once it runs past a second.
TEST(Level, QuickAnswersAndFullAnalysis) {
  const auto started = std::chrono::steady_clock::now();
  const EngineRun quick = runEngineProcess(
      "", {"uci", "setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 1500",
           std::string("position fen ") + LEVEL_FENS[2], "go wtime 300000 btime 300000"});
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  EXPECT_LT(ms.count(), 3000) << quick.output;
  EXPECT_TRUE(legalIn(LEVEL_FENS[2], answerOf(quick.output))) << quick.output;

  const EngineRun analysis = runEngineSession({{"", 0,
                                                "uci\nsetoption name UCI_LimitStrength value true\n"
                                                "setoption name UCI_Elo value 600\nposition startpos\n"
                                                "go infinite\n"},
                                               {"info currmove ", 0, "stop\n"},
                                               {"bestmove", 0, "quit\n"}},
                                              {}, 30);
  const std::string out = afterBanner(analysis.output);
  EXPECT_NE(out.find("info depth 6 "), std::string::npos) << out;
  EXPECT_EQ(out.find("multipv"), std::string::npos) << out;
  // Past a second the root move in hand is shown: "info currmove M currmovenumber N".
  const std::vector<std::string> current = linesOf(out, "info currmove ");
  ASSERT_FALSE(current.empty()) << out;
  for (const std::string& line : current) {
    const std::vector<std::string> w = wordsOf(line);
    ASSERT_EQ(w.size(), 5u) << line;
    EXPECT_EQ(w[3], "currmovenumber") << line;
    EXPECT_TRUE(legalIn("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", w[2])) << line;
    EXPECT_TRUE(std::stoi(w[4]) >= 1 && std::stoi(w[4]) <= 20) << line;
  }
  EXPECT_EQ(countOf(out, "bestmove "), 1u) << out;
  EXPECT_EQ(analysis.status, 0);
}

// A burst while a level ponders (its short search long finished, waiting
// for the interface): every isready is answered, ponderhit gives the
// answer, and the next position and go reach the command loop.
TEST(Level, BurstDuringLimitedPonder) {
  std::string burst;
  for (int i = 0; i < 300; ++i) burst += "isready\n";
  const EngineRun run = runEngineSession(
      {{"", 0,
        "uci\nsetoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 1000\n"
        "position startpos moves d2d4 d7d5\ngo ponder wtime 60000 btime 60000\n"},
       {"uciok", 300, burst + "ponderhit\nposition startpos moves e2e4\ngo wtime 2000 btime 2000\n"},
       {"bestmove", 500, burst + "quit\n"}},
      {}, 30);
  EXPECT_EQ(run.status, 0);
  const std::string out = afterBanner(run.output);
  EXPECT_EQ(countOf(out, "readyok\n"), 600u) << out;
  EXPECT_EQ(countOf(out, "bestmove "), 2u) << out;
  EXPECT_EQ(out.find("Unexpected"), std::string::npos) << out;
  const std::vector<std::string> answers = linesOf(out, "bestmove ");
  ASSERT_EQ(answers.size(), 2u) << out;
  EXPECT_TRUE(
      legalIn("rnbqkbnr/ppp1pppp/8/3p4/3P4/8/PPP1PPPP/RNBQKBNR w KQkq - 0 2", wordsOf(answers[0]).at(1)));
  EXPECT_TRUE(
      legalIn("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", wordsOf(answers[1]).at(1)));
}

// A line printed before its re-search says which bound it holds, and the
// re-search's result lies on that side of it.
TEST(Level, BoundLinesAreMarkedAndHold) {
  int bounds = 0;
  for (const char* fen : {"4k3/1P6/8/3pP3/8/7R/3K4/4r3 w - - 2 3", LEVEL_FENS[1], LEVEL_FENS[3]}) {
    const EngineRun run = runEngineProcess("", {"uci", std::string("position fen ") + fen, "go depth 9"});
    const std::vector<std::string> lines = linesOf(afterBanner(run.output), "info depth ");
    // "info depth D seldepth S score cp|mate V [lowerbound|upperbound] time ..."
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
      const std::vector<std::string> w = wordsOf(lines[i]);
      if (w.at(8) != "lowerbound" && w.at(8) != "upperbound") continue;
      ++bounds;
      // The next line without a bound is the re-search's result.
      std::size_t k = i + 1;
      while (k < lines.size() && wordsOf(lines[k]).at(8) != "time") ++k;
      ASSERT_LT(k, lines.size()) << fen;
      const std::vector<std::string> r = wordsOf(lines[k]);
      if (r.at(2) != w.at(2) || w.at(6) != "cp" || r.at(6) != "cp") continue;
      if (w.at(8) == "lowerbound")
        EXPECT_GE(std::stoi(r.at(7)), std::stoi(w.at(7))) << lines[i] << "\n" << lines[k];
      else
        EXPECT_LE(std::stoi(r.at(7)), std::stoi(w.at(7))) << lines[i] << "\n" << lines[k];
    }
  }
  EXPECT_GT(bounds, 0);
}

}  // namespace
