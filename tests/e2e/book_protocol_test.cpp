// The opening book through the pipe: "go" answered from it at once, the
// searches it leaves alone, and book files that cannot be used.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "driver/driver.h"
#include "e2e/engine_process.h"
#include "positions.h"
#include "test_util.h"

namespace {

// A small book in a folder whose name has a blank: 1. e4 and 1. d4 alike,
// after 1. e4 the reply e5 weighs more than c5, after 1. d4 nothing.
struct SmallBook {
  std::filesystem::path folder;
  std::string path;
  SmallBook() {
    folder = std::filesystem::temp_directory_path() / ("tarnic book " + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    path = (folder / "small book.bin").string();
    Position& pos = loadFen(positions::START);
    const std::uint64_t start = polyglotKey(pos);
    playGameMove(pos, "e2e4");
    const std::uint64_t afterE4 = polyglotKey(pos);
    struct Entry {
      std::uint64_t key;
      std::uint16_t move;  // to | from << 6, squares as rank * 8 + file
      std::uint16_t weight;
    } entries[] = {{start, 28 | 12 << 6, 1},
                   {start, 27 | 11 << 6, 1},
                   {afterE4, 36 | 52 << 6, 5},
                   {afterE4, 34 | 50 << 6, 3}};
    if (afterE4 < start) std::swap(entries[0], entries[2]), std::swap(entries[1], entries[3]);
    std::ofstream out(path, std::ios::binary);
    for (const Entry& e : entries) {
      for (int i = 7; i >= 0; --i) out.put(static_cast<char>(e.key >> (8 * i)));
      out.put(static_cast<char>(e.move >> 8)).put(static_cast<char>(e.move));
      out.put(static_cast<char>(e.weight >> 8)).put(static_cast<char>(e.weight));
      for (int i = 0; i < 4; ++i) out.put(0);
    }
  }
  ~SmallBook() { std::filesystem::remove_all(folder); }
};

// "go depth 30" from a book position: without the book it would not answer
// within the time limit. Six answers, both first moves among them, each with
// its book line, and the same again with the same seed.
TEST(BookProtocol, GoAnswersFromTheBookAtOnce) {
  SmallBook book;
  std::string input = "uci\nsetoption name OwnBook value true\nsetoption name Book File value " + book.path +
                      "\nsetoption name Book Seed value 7\n";
  for (int i = 0; i < 6; ++i) input += "position startpos\ngo depth 30\n";
  input += "isready\nquit\n";
  const EngineRun run = runEngineProcess(input, {}, 20);
  const std::string out = afterBanner(run.output);
  ASSERT_EQ(run.status, 0) << out;
  const std::string head = "info string book file " + book.path + ": 4 entries\n";
  const std::size_t at = out.find(head);
  ASSERT_NE(at, std::string::npos) << out;
  const std::string e4 = "info string book move e2e4 weight 1 of 2\nbestmove e2e4 ponder e7e5\n";
  const std::string d4 = "info string book move d2d4 weight 1 of 2\nbestmove d2d4 \n";
  std::string answers = out.substr(at + head.size());
  int e4Count = 0, d4Count = 0;
  for (int i = 0; i < 6; ++i) {
    if (answers.rfind(e4, 0) == 0) {
      ++e4Count;
      answers.erase(0, e4.size());
    } else if (answers.rfind(d4, 0) == 0) {
      ++d4Count;
      answers.erase(0, d4.size());
    }
  }
  EXPECT_EQ(answers, "readyok\nBye\n") << out;
  EXPECT_GT(e4Count, 0) << out;
  EXPECT_GT(d4Count, 0) << out;
  EXPECT_EQ(runEngineProcess(input, {}, 20).output, run.output);
}

// Where the book must not answer, or cannot, the search does; every line
// is still answered.
TEST(BookProtocol, SearchesWhereTheBookDoesNotAnswer) {
  SmallBook book;
  const std::string on = "uci\nsetoption name ownBOOK value TRUE\nsetoption name BOOK file value " +
                         book.path + "  \nisready\n";  // trailing blanks are no part of the name
  const struct {
    const char* name;
    std::string input;
    std::string expected;  // '*' any text, '#' digits
  } cases[] = {
      {"not in the book", on + "position startpos moves g1f3\ngo depth 3\n", "*info depth 3 *\nbestmove *"},
      {"own book off", on + "setoption name OwnBook value false\nposition startpos\ngo depth 3\n",
       "*info depth 3 *\nbestmove *"},
      {"go infinite", on + "position startpos\ngo infinite\nstop\n", "*readyok\n*bestmove *"},
      {"go ponder", on + "position startpos\ngo ponder wtime 1000 btime 1000\nstop\n",
       "*readyok\n*bestmove *"},
      {"go mate", on + "position startpos\ngo mate 1 depth 3\n", "*info depth 3 *\nbestmove *"},
      {"go searchmoves", on + "position startpos\ngo depth 3 searchmoves e2e4\n",
       "*info depth 3 *pv e2e4 *\nbestmove e2e4 *"},
      {"book file set to none",
       on + "setoption name Book File value <empty>\nposition startpos\ngo depth 3\n",
       "*readyok\ninfo depth 3 *\nbestmove *"},
      {"missing book file",
       "uci\nsetoption name OwnBook value true\nsetoption name Book File value /nonexistent/b.bin\nposition "
       "startpos\ngo depth 3\n",
       "*uciok\ninfo string book file /nonexistent/b.bin: cannot open: No such file or directory; going on "
       "without a book\ninfo depth 3 *\nbestmove *"},
      {"console lines are plain",
       "setoption name OwnBook value true\nsetoption name Book File value " + book.path +
           "\nsetoption name Book Seed value 1\nposition startpos moves d2d4\ngo depth 3\nposition startpos "
           "moves e2e4\ngo\n",
       "book file " + book.path +
           ": 4 entries\n  3 *\nbestmove *book move e7e5 weight 5 of 8\nbestmove e7e5 \n"},
  };
  for (const auto& c : cases) {
    const EngineRun run = runEngineProcess(c.input + "isready\nquit\n", {}, 30);
    const std::string out = afterBanner(run.output);
    EXPECT_TRUE(matchesPattern(out, c.expected + "readyok\nBye\n")) << c.name << "\n" << out;
    EXPECT_EQ(countOf(out, "book move"), std::string(c.name).rfind("console", 0) == 0 ? 1u : 0u) << c.name;
    EXPECT_EQ(run.status, 0) << c.name;
  }
}

}  // namespace
