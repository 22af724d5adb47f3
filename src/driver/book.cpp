// The opening book: its file and options, the look-up of a position's
// moves, the weighted pick and the answer to "go" from it.
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "diag/diag.h"
#include "driver/driver.h"
#include "movegen/movegen.h"
#include "position/position.h"

namespace {

constexpr int ENTRY_BYTES = 16;  // key 8, move 2, weight 2, learn 4
// Entries of one key read at most: far more than a position has moves, so
// a longer run only means a broken file and is not read to its end.
constexpr int MAX_ENTRIES_PER_KEY = 4 * BOOK_MAX_MOVES;
// What interfaces send for a string option left empty.
constexpr const char* EMPTY_OPTION = "<empty>";

struct BookEntry {
  std::uint64_t key;
  std::uint16_t move;
  std::uint16_t weight;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
const char* skipBlanks(const char* p) {
  while (isBlank(*p)) ++p;
  return p;
}

std::uint64_t bigEndian(const unsigned char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = v << 8 | p[i];
  return v;
}

bool fail(Book& book, const char* reason, int error = 0) {
  if (error != 0)
    std::snprintf(book.error.data(), book.error.size(), "%s: %s", reason, std::strerror(error));
  else
    std::snprintf(book.error.data(), book.error.size(), "%s", reason);
  closeBook(book);
  return false;
}

bool readEntry(Book& book, std::int64_t index, BookEntry& entry) {
  unsigned char bytes[ENTRY_BYTES];
  // The offset fits a long: it is below the size ftell gave.
  if (std::fseek(book.file, static_cast<long>(index * ENTRY_BYTES), SEEK_SET) != 0 ||
      std::fread(bytes, 1, ENTRY_BYTES, book.file) != ENTRY_BYTES)
    return false;
  entry.key = bigEndian(bytes, 8);
  entry.move = static_cast<std::uint16_t>(bigEndian(bytes + 8, 2));
  entry.weight = static_cast<std::uint16_t>(bigEndian(bytes + 10, 2));
  return true;
}

// The legal move an entry names, or 0. The format writes to square in bits
// 0-5, from square in 6-11 (rank * 8 + file) and the promotion piece in
// 12-14 (knight 1 to queen 4); castling as the king taking its own rook.
Move legalBookMove(Position& pos, std::uint16_t code) {
  const int promotion = (code >> 12) & 7;
  if ((code & 0x8000) != 0 || promotion > 4) return 0;
  const int origin = bitSquare((code >> 6) & 63);
  int target = bitSquare(code & 63);
  // Chess960 reads castling as the king taking its rook, as the book has it.
  if (!pos.chess960 && pos.board[origin] == pieceCode(pos.side, KING) && fileOf(origin) == 4 &&
      rankOf(target) == rankOf(origin)) {
    if (fileOf(target) == 7) target = origin + 2;
    if (fileOf(target) == 0) target = origin - 2;
  }
  const char text[6] = {static_cast<char>('a' + fileOf(origin)),
                        static_cast<char>('1' + rankOf(origin)),
                        static_cast<char>('a' + fileOf(target)),
                        static_cast<char>('1' + rankOf(target)),
                        " nbrq"[promotion],
                        0};
  const Move m = textToMove(pos, text);
  if (m == 0) return 0;
  makeMove(pos, m);
  const bool legal = !kingInCheck(pos, pos.xside);
  unmakeMove(pos, m);
  return legal ? m : 0;
}

void addMove(BookMoves& out, Move m, std::uint32_t weight) {
  out.totalWeight += weight;
  for (int i = 0; i < out.count; ++i)
    if (out.moves[i].move == m) {
      out.moves[i].weight += weight;
      return;
    }
  if (out.count < BOOK_MAX_MOVES) {
    out.moves[out.count++] = {m, weight};
  } else {
    out.totalWeight -= weight;
  }
}

// splitmix64: one multiply-xorshift step per pick is plenty for openings.
std::uint64_t nextRandom(Book& book) {
  std::uint64_t z = (book.random += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// One line: "info string ..." in UCI mode, the plain text on the console.
void printBookLine(const Engine& e, const char* text) {
  std::printf("%s%s\n", e.search.uciMode ? "info string " : "", text);
}

void reportBookError(const Engine& e, const char* path) {
  std::array<char, LINE_CAPACITY + 256> line{};
  std::snprintf(line.data(), line.size(), "book file %s: %s; going on without a book", path,
                e.book.error.data());
  printBookLine(e, line.data());
}

// The word at the start of text, in any case, followed by a blank or the end.
bool wordAt(const char* text, const char* word) {
  const int n = static_cast<int>(std::strlen(word));
  return strEqualNoCaseN(n, text, word) && static_cast<int>(std::strlen(text)) >= n &&
         (text[n] == 0 || isBlank(text[n]));
}

// The text after "value" and its blanks in the rest of an option line; null
// when there is no "value".
const char* optionValueText(const char* rest) {
  rest = skipBlanks(rest);
  return wordAt(rest, "value") ? skipBlanks(rest + 5) : nullptr;
}

std::uint64_t parseSeed(const char* text) {
  std::uint64_t seed = 0;
  for (const char* p = skipBlanks(text); *p >= '0' && *p <= '9'; ++p) seed = seed * 10 + (*p - '0');
  return seed;
}

}  // namespace

void closeBook(Book& book) {
  if (book.file != nullptr) std::fclose(book.file);
  book.file = nullptr;
  book.entryCount = 0;
}

bool openBook(Book& book, const char* path) {
  closeBook(book);
  book.error[0] = 0;
  path = skipBlanks(path);
  std::size_t length = std::strlen(path);
  while (length > 0 && isBlank(path[length - 1])) --length;
  if (length >= book.path.size()) length = book.path.size() - 1;
  std::memcpy(book.path.data(), path, length);
  book.path[length] = 0;
  if (length == 0 || std::strcmp(book.path.data(), EMPTY_OPTION) == 0) return true;

  // Only a plain file: a folder cannot be read, and a FIFO or a terminal
  // would block the reads below. A missing or forbidden file is left to
  // fopen, which says why.
  std::error_code unknown;
  const std::filesystem::file_type type = std::filesystem::status(book.path.data(), unknown).type();
  if (type != std::filesystem::file_type::regular && type != std::filesystem::file_type::not_found &&
      type != std::filesystem::file_type::none)
    return fail(book, "not a plain file");
  book.file = std::fopen(book.path.data(), "rb");
  if (book.file == nullptr) return fail(book, "cannot open", errno);
  errno = 0;
  if (std::fseek(book.file, 0, SEEK_END) != 0) return fail(book, "cannot read", errno);
  const long size = std::ftell(book.file);
  if (size < 0) return fail(book, "cannot read", errno);
  if (size == 0) return fail(book, "the file is empty");
  if (size % ENTRY_BYTES != 0) {
    std::snprintf(book.error.data(), book.error.size(),
                  "truncated: %ld bytes is no whole number of %d-byte entries", size, ENTRY_BYTES);
    closeBook(book);
    return false;
  }
  book.entryCount = size / ENTRY_BYTES;
  // The order is checked here at the ends and by every look-up where it reads.
  BookEntry low{}, high{};
  if (!readEntry(book, 0, low) || !readEntry(book, book.entryCount - 1, high))
    return fail(book, "cannot read", errno);
  if (low.key > high.key) return fail(book, "the entries are not sorted by key");
  return true;
}

bool findBookMoves(Book& book, Position& pos, BookMoves& out) {
  out.count = 0;
  out.totalWeight = 0;
  if (book.file == nullptr) return true;
  const std::uint64_t key = polyglotKey(pos);
  // The first entry with a key not below the position's.
  std::int64_t low = 0, high = book.entryCount;
  BookEntry entry{};
  while (low < high) {
    const std::int64_t middle = low + (high - low) / 2;
    if (!readEntry(book, middle, entry)) return fail(book, "cannot read an entry");
    if (entry.key < key)
      low = middle + 1;
    else
      high = middle;
  }
  if (low > 0) {
    if (!readEntry(book, low - 1, entry)) return fail(book, "cannot read an entry");
    if (entry.key >= key) return fail(book, "the entries are not sorted by key");
  }
  for (std::int64_t i = low; i < book.entryCount && i < low + MAX_ENTRIES_PER_KEY; ++i) {
    if (!readEntry(book, i, entry)) return fail(book, "cannot read an entry");
    if (entry.key != key) {
      if (entry.key < key) return fail(book, "the entries are not sorted by key");
      break;
    }
    if (entry.weight == 0) continue;  // the format's way of saying "never play"
    const Move m = legalBookMove(pos, entry.move);
    if (m != 0) addMove(out, m, entry.weight);
  }
  return true;
}

void seedBook(Book& book, std::uint64_t seed) {
  book.random = seed;
  book.seeded = true;
}

int pickBookMove(Book& book, const BookMoves& moves) {
  if (!book.seeded)
    seedBook(book,
             static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) ^
                 static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  if (moves.totalWeight == 0) return 0;
  std::uint64_t r = nextRandom(book) % moves.totalWeight;
  for (int i = 0; i < moves.count; ++i) {
    if (r < moves.moves[i].weight) return i;
    r -= moves.moves[i].weight;
  }
  return moves.count - 1;
}

bool setBookOption(Engine& e, const char* text) {
  const char* p = skipBlanks(text);
  if (wordAt(p, "ownbook")) {
    const char* v = optionValueText(p + 7);
    if (v != nullptr) e.book.own = wordAt(v, "true");
    return true;
  }
  if (!wordAt(p, "book")) return false;
  const char* q = skipBlanks(p + 4);
  if (wordAt(q, "file")) {
    const char* v = optionValueText(q + 4);
    if (!openBook(e.book, v != nullptr ? v : "")) {
      reportBookError(e, e.book.path.data());
    } else if (e.book.file != nullptr) {
      std::array<char, LINE_CAPACITY + 64> line{};
      std::snprintf(line.data(), line.size(), "book file %s: %lld entries", e.book.path.data(),
                    static_cast<long long>(e.book.entryCount));
      printBookLine(e, line.data());
    }
    return true;
  }
  // Not advertised: makes the picks repeat, for tests and matches.
  if (wordAt(q, "seed")) {
    const char* v = optionValueText(q + 4);
    if (v != nullptr) seedBook(e.book, parseSeed(v));
    return true;
  }
  return false;
}

bool answerFromBook(Engine& e) {
  Book& book = e.book;
  const SearchState& s = e.search;
  // Analysis, a ponder search (whose answer must wait for "ponderhit" or
  // "stop"), a mate search and a choice of root moves all want a search.
  if (!book.own || book.file == nullptr || (s.searchFlags & (GO_INFINITE | GO_PONDER)) != 0 ||
      s.mateLimit != 0 || s.searchMoveCount != 0)
    return false;
  Position& pos = e.thread.linePosition;  // make and unmake may reorder the real position's lists
  pos = e.pos;
  pos.searchPly = 0;
  BookMoves moves;
  if (!findBookMoves(book, pos, moves)) {
    reportBookError(e, book.path.data());
    return false;
  }
  if (moves.count == 0) return false;
  const BookMove chosen = moves.moves[pickBookMove(book, moves)];

  // The ponder move: the reply the book weighs most.
  Move reply = 0;
  makeMove(pos, chosen.move);
  BookMoves replies;
  if (findBookMoves(book, pos, replies)) {
    std::uint32_t best = 0;
    for (int i = 0; i < replies.count; ++i)
      if (replies.moves[i].weight > best) {
        best = replies.moves[i].weight;
        reply = replies.moves[i].move;
      }
  } else {
    reportBookError(e, book.path.data());
  }
  unmakeMove(pos, chosen.move);

  std::array<char, 96> line{};
  std::snprintf(line.data(), line.size(), "book move %s weight %u of %u", moveToText(pos, chosen.move).text,
                static_cast<unsigned>(chosen.weight), static_cast<unsigned>(moves.totalWeight));
  printBookLine(e, line.data());
  if (reply != 0)
    std::printf("bestmove %s ponder %s\n", moveToText(pos, chosen.move).text, moveToText(pos, reply).text);
  else
    std::printf("bestmove %s \n", moveToText(pos, chosen.move).text);
  return true;
}
