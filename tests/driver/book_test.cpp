// The opening book: position keys, look-ups in books that Debian's polyglot
// builds, the weighted pick and files that are no book.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "positions.h"
#include "test_util.h"

namespace {

constexpr const char* POLYGLOT = "/usr/games/polyglot";
constexpr const char* DEBIAN_BOOK = "/usr/share/games/gnuchess/book.bin";

// A folder of its own for the files a test writes, removed at the end.
struct ScratchFolder {
  std::filesystem::path path;
  ScratchFolder() {
    path = std::filesystem::temp_directory_path() / ("tarnic-book-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path); }
  std::string file(const char* name) const { return (path / name).string(); }
};

// The start position and then the moves (coordinate texts), each legal.
Position& playMoves(const std::string& moves) {
  Position& pos = loadFen(positions::START);
  std::istringstream words(moves);
  std::string m;
  while (words >> m) {
    pos.searchPly = 0;
    EXPECT_NE(playGameMove(pos, m.c_str()), 0u) << m;
  }
  pos.searchPly = 0;
  return pos;
}

// The book's moves of a position as "e2e4:5" texts in move order.
std::vector<std::string> bookMoveTexts(Book& book, Position& pos) {
  BookMoves moves;
  EXPECT_TRUE(findBookMoves(book, pos, moves)) << book.error.data();
  std::vector<std::string> texts;
  for (int i = 0; i < moves.count; ++i)
    texts.push_back(std::string(moveToText(pos, moves.moves[i].move).text) + ":" +
                    std::to_string(moves.moves[i].weight));
  std::sort(texts.begin(), texts.end());
  return texts;
}

// An entry of a hand-made book: key, move fields, weight.
struct RawEntry {
  std::uint64_t key;
  int from, to, promotion;  // squares as rank * 8 + file
  int weight;
};
int sq(const char* name) { return (name[1] - '1') * 8 + (name[0] - 'a'); }
std::string entryBytes(const RawEntry& e, std::uint16_t extraMoveBits = 0) {
  const std::uint16_t move =
      static_cast<std::uint16_t>(e.to | e.from << 6 | e.promotion << 12 | extraMoveBits);
  std::string b;
  for (int i = 7; i >= 0; --i) b += static_cast<char>(e.key >> (8 * i));
  b += static_cast<char>(move >> 8);
  b += static_cast<char>(move);
  b += static_cast<char>(e.weight >> 8);
  b += static_cast<char>(e.weight);
  b += std::string(4, '\0');
  return b;
}
void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The format's published examples.
TEST(Book, PolyglotKeysOfPublishedPositions) {
  const struct {
    const char* moves;
    std::uint64_t key;
  } cases[] = {
      {"", 0x463b96181691fc9cULL},
      {"e2e4", 0x823c9b50fd114196ULL},
      {"e2e4 d7d5", 0x0756b94461c50fb0ULL},
      {"e2e4 d7d5 e4e5", 0x662fafb965db29d4ULL},
      {"e2e4 d7d5 e4e5 f7f5", 0x22a48b5a8e47ff78ULL},
      {"e2e4 d7d5 e4e5 f7f5 e1e2", 0x652a607ca3f242c1ULL},
      {"e2e4 d7d5 e4e5 f7f5 e1e2 e8f7", 0x00fdd303c946bdd9ULL},
      {"a2a4 b7b5 h2h4 b5b4 c2c4", 0x3c8123ea7b067637ULL},
      {"a2a4 b7b5 h2h4 b5b4 c2c4 b4c3 a1a3", 0x5c3f9b829b279560ULL},
  };
  for (const auto& c : cases)
    EXPECT_EQ(polyglotKey(playMoves(c.moves)), c.key) << "after '" << c.moves << "'";
}

// A book that polyglot builds from games: its weight of a move is two per
// game the mover won and one per draw, and moves of weight 0 are left out.
TEST(Book, LookupsInABookPolyglotBuilt) {
  struct stat st {};
  if (stat(POLYGLOT, &st) != 0) {
    // CI installs polyglot, so there its absence is a failure.
    const char* ci = std::getenv("CI");
    ASSERT_FALSE(ci && std::string(ci) == "true") << "CI without " << POLYGLOT;
    GTEST_SKIP() << "polyglot is not installed (apt-get install polyglot)";
  }
  ScratchFolder folder;
  const std::string pgn = folder.file("games.pgn"), bin = folder.file("book.bin");
  writeFile(pgn,
            "[Result \"1-0\"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O Nf6 1-0\n\n"
            "[Result \"1/2-1/2\"]\n\n1. e4 e5 2. Nf3 Nf6 1/2-1/2\n\n"
            "[Result \"0-1\"]\n\n1. e4 c5 2. Nf3 d6 0-1\n\n"
            "[Result \"1-0\"]\n\n1. d4 d5 2. c4 e6 1-0\n\n"
            "[Result \"1-0\"]\n\n1. e4 Nf6 2. e5 d5 3. exd6 1-0\n\n"
            "[Result \"1-0\"]\n\n1. a4 b5 2. axb5 a6 3. bxa6 Bb7 4. axb7 Nc6 5. bxa8=N 1-0\n");
  const std::string command =
      std::string(POLYGLOT) + " make-book -pgn '" + pgn + "' -bin '" + bin + "' -min-game 1 > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  Book book;
  ASSERT_TRUE(openBook(book, bin.c_str())) << book.error.data();
  const struct {
    const char* moves;
    std::vector<std::string> expected;
  } cases[] = {
      {"", {"a2a4:2", "d2d4:2", "e2e4:5"}},
      {"e2e4", {"c7c5:2", "e7e5:1"}},                            // the loser's 1... Nf6 is left out
      {"e2e4 e7e5 g1f3 b8c6 f1c4 f8c5", {"e1g1:2"}},             // castling, written e1h1 in the book
      {"e2e4 g8f6 e4e5 d7d5", {"e5d6:2"}},                       // en passant: the key counts the file
      {"e2e4 e7e5 g1f3 g8f6", {}},                               // the book ends where the games did
      {"a2a4", {}},                                              // the winner's moves only
      {"a2a4 b7b5 a4b5 a7a6 b5a6 c8b7 a6b7 b8c6", {"b7a8n:2"}},  // a promotion
  };
  for (const auto& c : cases)
    EXPECT_EQ(bookMoveTexts(book, playMoves(c.moves)), c.expected) << "after '" << c.moves << "'";
  closeBook(book);
}

// Entries written by hand: castling as the king taking its rook, promotions,
// and entries that are no legal move or have no weight, which are passed over.
TEST(Book, MoveDecodingAndWeightedPick) {
  ScratchFolder folder;
  Position& start = loadFen(positions::START);
  const std::uint64_t startKey = polyglotKey(start);
  Position& castling = loadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
  const std::uint64_t castlingKey = polyglotKey(castling);
  std::vector<RawEntry> entries = {
      {startKey, sq("e2"), sq("e4"), 0, 3},    {startKey, sq("d2"), sq("d4"), 0, 1},
      {startKey, sq("c2"), sq("c4"), 0, 1},    {startKey, sq("c2"), sq("c4"), 0, 1},  // counted together
      {startKey, sq("g1"), sq("f3"), 0, 0},  // weight 0: never played
      {startKey, sq("e2"), sq("e5"), 0, 9},  // no legal move
      {startKey, sq("e1"), sq("e2"), 0, 9},  // onto its own pawn
      {castlingKey, sq("e8"), sq("a8"), 0, 4}, {castlingKey, sq("e8"), sq("h8"), 0, 5},
      {castlingKey, sq("a8"), sq("b8"), 0, 6},
  };
  std::sort(entries.begin(), entries.end(),
            [](const RawEntry& a, const RawEntry& b) { return a.key < b.key; });
  std::string bytes;
  for (const RawEntry& e : entries) bytes += entryBytes(e);
  // A promotion field beyond the queen and the unused top bit make no move.
  bytes +=
      entryBytes({~0ULL, sq("e2"), sq("e4"), 5, 1}) + entryBytes({~0ULL, sq("e2"), sq("e4"), 0, 1}, 0x8000);
  const std::string bin = folder.file("hand.bin");
  writeFile(bin, bytes);
  Book book;
  ASSERT_TRUE(openBook(book, bin.c_str())) << book.error.data();
  EXPECT_EQ(book.entryCount, static_cast<std::int64_t>(entries.size() + 2));
  EXPECT_EQ(bookMoveTexts(book, loadFen(positions::START)),
            (std::vector<std::string>{"c2c4:2", "d2d4:1", "e2e4:3"}));
  EXPECT_EQ(bookMoveTexts(book, loadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1")),
            (std::vector<std::string>{"a8b8:6", "e8c8:4", "e8g8:5"}));
  // In Chess960 mode the book's own castling form is the move's text.
  Position& chess960 = loadFen("r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1");
  chess960.chess960 = true;
  EXPECT_EQ(bookMoveTexts(book, chess960), (std::vector<std::string>{"a8b8:6", "e8a8:4", "e8h8:5"}));
  chess960.chess960 = false;

  // The picks follow the weights 3 : 2 : 1, and a seed repeats them.
  BookMoves moves;
  ASSERT_TRUE(findBookMoves(book, loadFen(positions::START), moves));
  ASSERT_EQ(moves.totalWeight, 6u);
  constexpr int kPicks = 6000;
  seedBook(book, 12345);
  std::vector<int> first, counts(moves.count);
  for (int i = 0; i < kPicks; ++i) {
    const int k = pickBookMove(book, moves);
    ++counts[k];
    if (i < 100) first.push_back(k);
  }
  for (int k = 0; k < moves.count; ++k)
    EXPECT_NEAR(counts[k], kPicks * static_cast<double>(moves.moves[k].weight) / moves.totalWeight,
                kPicks * 0.03)
        << moveToText(moves.moves[k].move).text;
  seedBook(book, 12345);
  std::vector<int> again;
  for (int i = 0; i < 100; ++i) again.push_back(pickBookMove(book, moves));
  EXPECT_EQ(again, first);
  seedBook(book, 54321);
  std::vector<int> other;
  for (int i = 0; i < 100; ++i) other.push_back(pickBookMove(book, moves));
  EXPECT_NE(other, first);
  closeBook(book);
}

// Files that are no book: the reason, and no book afterwards.
TEST(Book, BadFilesLeaveNoBook) {
  ScratchFolder folder;
  const std::uint64_t startKey = polyglotKey(loadFen(positions::START));
  const std::string e2e4 = entryBytes({startKey, sq("e2"), sq("e4"), 0, 1});
  const struct {
    const char* name;
    std::string bytes;  // written to the file unless the name says otherwise
    const char* reason;
  } cases[] = {
      {"missing", "", "cannot open: "},
      {"folder", "", "not a plain file"},
      {"empty", "", "the file is empty"},
      {"short", e2e4.substr(0, 15), "truncated: 15 bytes is no whole number of 16-byte entries"},
      {"long", e2e4 + e2e4.substr(0, 3), "truncated: 19 bytes is no whole number of 16-byte entries"},
      {"reversed", entryBytes({~0ULL, 0, 1, 0, 1}) + e2e4, "the entries are not sorted by key"},
  };
  for (const auto& c : cases) {
    const std::string path = folder.file(c.name);
    if (std::string(c.name) == "folder")
      std::filesystem::create_directory(path);
    else if (std::string(c.name) != "missing")
      writeFile(path, c.bytes);
    Book book;
    EXPECT_FALSE(openBook(book, path.c_str())) << c.name;
    EXPECT_EQ(std::string(book.error.data()).rfind(c.reason, 0), 0u) << c.name << ": " << book.error.data();
    EXPECT_EQ(book.file, nullptr) << c.name;
    EXPECT_EQ(book.path.data(), path) << c.name;
  }
  // No name means no book, and no complaint.
  for (const char* none : {"", "<empty>", "  <empty> \r"}) {
    Book book;
    EXPECT_TRUE(openBook(book, none)) << none;
    EXPECT_EQ(book.file, nullptr) << none;
  }
  // The order is checked where a look-up reads: ends in order, middle not.
  const std::string lazy = folder.file("lazy");
  writeFile(lazy, entryBytes({1, 0, 1, 0, 1}) + entryBytes({3, 0, 1, 0, 1}) + e2e4 +
                      entryBytes({2, 0, 1, 0, 1}) + entryBytes({~0ULL, 0, 1, 0, 1}));
  Book book;
  ASSERT_TRUE(openBook(book, lazy.c_str())) << book.error.data();
  BookMoves moves;
  EXPECT_FALSE(findBookMoves(book, loadFen(positions::START), moves));
  EXPECT_STREQ(book.error.data(), "the entries are not sorted by key");
  EXPECT_EQ(book.file, nullptr);
  EXPECT_TRUE(findBookMoves(book, loadFen(positions::START), moves));  // no book: no moves
  EXPECT_EQ(moves.count, 0);
}

// Debian's book (gnuchess-book), where installed, holds the start position.
TEST(Book, DebianBookHoldsTheStartPosition) {
  struct stat st {};
  if (stat(DEBIAN_BOOK, &st) != 0) GTEST_SKIP() << "no " << DEBIAN_BOOK << " (apt-get install gnuchess-book)";
  Book book;
  ASSERT_TRUE(openBook(book, DEBIAN_BOOK)) << book.error.data();
  const std::vector<std::string> start = bookMoveTexts(book, loadFen(positions::START));
  EXPECT_GE(start.size(), 2u);
  EXPECT_TRUE(
      std::any_of(start.begin(), start.end(), [](const std::string& t) { return t.rfind("e2e4:", 0) == 0; }));
  EXPECT_FALSE(bookMoveTexts(book, playMoves("e2e4")).empty());
  closeBook(book);
}

}  // namespace
