// The engine driver: program start, the line reader and the UCI command
// loop, the position and go commands, and the input a running search polls.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>

#include "position/position.h"
#include "search/search.h"

constexpr const char* ENGINE_NAME = "Tarnic";
constexpr const char* ENGINE_VERSION = "0.4";

constexpr int LINE_CAPACITY = 4096;    // at most 4095 characters of a line and a NUL
constexpr int COMMAND_CAPACITY = 132;  // at most 131 characters of a command word

// The Hash option: its range, and the default it advertises (a fresh engine
// has a table of DEFAULT_HASH_MB all the same).
constexpr int HASH_MIN_MB = 4;
constexpr int HASH_MAX_MB = 65536;
constexpr int HASH_ADVERTISED_MB = 8;

// Lines of standard input, read by a thread of its own and taken by the
// command loop (in order) or by a running search (only the lines that steer
// it; the others wait for the command loop). Shared by the two threads:
// every field is guarded by `lock`, except `version`, which the search reads
// without it to skip a poll when nothing has arrived.
struct LineQueue {
  static constexpr int CAPACITY = 256;  // lines held before the reader waits for room
  std::mutex lock;
  std::condition_variable changed;  // a line or the end has arrived, or a line was taken
  std::array<std::array<char, LINE_CAPACITY>, CAPACITY> lines{};
  std::array<bool, CAPACITY> taken{};     // taken out of order by a search, dropped when reached
  int head = 0;                           // the oldest slot in use
  int count = 0;                          // slots in use, taken ones included
  bool ended = false;                     // end of input follows the queued lines
  std::atomic<std::uint32_t> version{0};  // counts arrivals
  // The running search's stop flag, set by the reader itself when a "stop"
  // arrives that belongs to that search: with more threads than cores the
  // main thread may wait long for a core before its next poll, while every
  // thread reads the flag at each node. The line stays queued and is taken
  // as usual. Set before the reader starts; null when none.
  std::atomic<bool>* searchStop = nullptr;
};

// Where input lines come from.
struct LineInput {
  LineQueue* queue = nullptr;        // standard input; null when lines come from the command line
  bool fromArguments = false;        // lines come from the command line: searches read no input
  std::uint32_t scannedVersion = 0;  // the search found nothing for it up to this arrival
};

// The driver's own state.
struct Session {
  std::array<char, LINE_CAPACITY> lineBuffer{};  // current line; after the split, its rest
  std::array<char, LINE_CAPACITY> searchLine{};  // the line a running search has taken
  LineInput input;
  std::int32_t ownTime = 0;    // clock time left to the side to move, milliseconds
  std::int32_t movesToGo = 0;  // moves to the next time control, 0 when not given
  int exitStatus = -1;         // the program's status once the session has ended
};

// An opening book in the Polyglot format: entries of 16 bytes (key, move,
// weight, learn; big-endian) sorted by key, looked up in the file itself.
struct Book {
  bool own = false;                        // OwnBook: "go" answers from the book where it can
  std::FILE* file = nullptr;               // null when there is no book
  std::int64_t entryCount = 0;             // entries in the file
  std::array<char, LINE_CAPACITY> path{};  // the file's name as set
  std::array<char, 160> error{};           // why the last open or look-up failed
  std::uint64_t random = 0;                // state of the generator of picks
  bool seeded = false;                     // unseeded, the first pick seeds it from the clock
};

struct Engine {
  Position pos;
  SearchState search;              // what every search thread shares
  SearchThread thread{search, 0};  // the main search thread's own state
  Session session;
  Book book;
};

// ---------------------------------------------------------------------------
// Command loop
// ---------------------------------------------------------------------------

// Start-up of the position and the search state: UCI mode off, list starts,
// depth limit, hash table, exchange table and the start position; false
// when the hash table cannot be had.
bool initEngine(Position& pos, SearchThread& t);
// Banner and start-up, then the given lines in order, or without any the
// lines of standard input, until the session ends; returns the exit status
// (0 after "quit" and after the last argument, 1 at end of input or when
// the hash table cannot be had).
int runEngine(Engine& e, int lineCount, const char* const* lines);
// Splits the session's line and runs the command it names; false once the
// session has ended (exitStatus says how).
bool dispatchCommand(Engine& e);
// The UCI position command on its argument text.
void positionCommand(Position& pos, const char* args);

// ---------------------------------------------------------------------------
// Input and clock
// ---------------------------------------------------------------------------

// Milliseconds of a monotonic clock in 32 bits (wraps).
std::uint32_t currentTimeMs();
// Starts the thread that reads standard input into the queue, for the rest
// of the program's life.
void startInputReader(LineQueue& queue);
// Reads one line of the input into the session's line buffer, waiting for
// it; false at end of input.
bool readLine(Session& session);
// The reader's work on one chunk of input: complete lines go to the queue
// (waiting for room), the unfinished rest stays in partial. Returns the new
// length of partial.
std::size_t queueCompleteLines(LineQueue& queue, std::array<char, LINE_CAPACITY>& partial,
                               std::size_t partialLength, bool& partialTooLong, const char* data,
                               std::size_t size);
// Marks the end of input behind the queued lines.
void queueEndOfInput(LineQueue& queue);
// Waits for input and reads what has arrived, at most size bytes; 0 at the
// end of input or on an error.
std::size_t readStandardInput(char* buffer, std::size_t size);
// A zeroed block for the hash table, on large pages where the system gives
// them; null when the memory cannot be had. Released with its size.
void* allocateLargeBlock(std::size_t bytes);
void releaseLargeBlock(void* block, std::size_t bytes);
// Takes and answers the lines that steer a search ("stop", "ponderhit",
// "quit", "isready") during a search or, when wait is set, waits for one;
// true when one asks the search to stop. "quit" and an end of input that no
// line can follow end the session.
bool handleSearchCommand(Engine& e, bool wait);
// The clock and the polls of the input queue, for the engine's searches.
SearchInput searchInputOf(Engine& e);
// Progress lines and statistics written to standard output, in UCI or
// console form as s.uciMode says.
SearchReport standardOutputReport(SearchState& s);

// ---------------------------------------------------------------------------
// Go command
// ---------------------------------------------------------------------------

void handleGo(Engine& e, const char* args);
// The clock budget; a movetime of 0 or more replaces it and leaves the clock alone.
void allocateTime(Engine& e, std::int32_t moveTime = -1);

// ---------------------------------------------------------------------------
// Opening book
// ---------------------------------------------------------------------------

// A position's moves in the book: each legal one once, with the weights of
// its entries summed.
constexpr int BOOK_MAX_MOVES = 256;
struct BookMove {
  Move move;
  std::uint32_t weight;
};
struct BookMoves {
  std::array<BookMove, BOOK_MAX_MOVES> moves;
  int count = 0;
  std::uint32_t totalWeight = 0;
};

// The position's key in the Polyglot format.
std::uint64_t polyglotKey(const Position& pos);
// Opens path as the book, closing the one before; an empty name or
// "<empty>" only closes it. False (no book, the reason in book.error) when
// the file cannot be read or is no book.
bool openBook(Book& book, const char* path);
void closeBook(Book& book);
// The legal moves of the position that the book gives a weight above 0.
// False (and the book closed, the reason in book.error) when the file fails.
bool findBookMoves(Book& book, Position& pos, BookMoves& out);
// Restarts the generator of picks from a seed.
void seedBook(Book& book, std::uint64_t seed);
// One of the moves (their index), at random in proportion to the weights;
// the moves must have a weight.
int pickBookMove(Book& book, const BookMoves& moves);
// The book's options (OwnBook, Book File and the hidden Book Seed) on the
// text after "setoption name"; false for any other option.
bool setBookOption(Engine& e, const char* text);
// Answers a "go" from the book when it is on and holds a legal move for the
// position: prints the book line and "bestmove"; false when a search must
// answer.
bool answerFromBook(Engine& e);
