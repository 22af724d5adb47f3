// Transposition table, move ordering, the searches and iterative deepening,
// with the state they share.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "eval/eval.h"
#include "position/position.h"

constexpr int ONE_PLY = 10;  // depths are in tenths of a ply
constexpr int MATE_SCORE = 32767;
constexpr int MATE_THRESHOLD = 32567;  // a larger magnitude is a mate score

// ---------------------------------------------------------------------------
// Transposition table
// ---------------------------------------------------------------------------

constexpr std::uint32_t BOUND_UPPER = 1;
constexpr std::uint32_t BOUND_LOWER = 2;
constexpr std::uint32_t BOUND_EXACT = 3;

struct HashEntry {
  std::uint32_t keyLow;
  std::uint32_t keyHigh;
  std::int16_t depth;  // tenths of a ply
  std::int16_t score;  // a mate score counts from the storing node, others as returned
  std::uint32_t info;  // bits 0-23 move, 24-25 bound, 26-31 generation
};
static_assert(sizeof(HashEntry) == 16);

constexpr int DEFAULT_HASH_MB = 4;  // the table of a fresh engine
constexpr std::int64_t ENTRIES_PER_MB = (1 << 20) / static_cast<std::int64_t>(sizeof(HashEntry));

struct HashTable {
  std::unique_ptr<HashEntry[]> entries;  // the one heap block of the engine
  std::int32_t hashEntryCount = 0;
  std::uint32_t hashGeneration = 0;  // 6-bit search counter
};

// Replaces the table by a zeroed one of the given size; false (and no table)
// when the memory cannot be had.
bool resizeHashTable(HashTable& table, int megabytes);
// The entry of a key.
inline HashEntry& hashEntryFor(const HashTable& table, std::uint64_t key) {
  return table.entries[key % static_cast<std::uint64_t>(table.hashEntryCount)];
}

// Result of a probe: a score to return at once, or what the node may use.
struct ProbeResult {
  bool cutoff;  // score is the node's result
  int score;
  Move hashMove;    // 0 for none
  bool forbidNull;  // an upper bound below beta was stored
};
ProbeResult probeHash(const HashTable& table, const Position& pos, int depth, int alpha, int beta);
void storeHash(HashTable& table, const Position& pos, int depth, int score, std::uint32_t bound, Move move);

// ---------------------------------------------------------------------------
// The search state
// ---------------------------------------------------------------------------

struct SearchState;

// What the search needs from its caller while it runs, as plain function
// pointers with the caller's context.
struct SearchInput {
  void* context = nullptr;
  // Wall-clock milliseconds in 32 bits (wraps).
  std::uint32_t (*clock)(void* context) = nullptr;
  // Reads and answers waiting input, every POLL_INTERVAL nodes; may clear
  // bits of searchFlags, set stopSearch, or end the session with abandoned.
  void (*poll)(void* context, SearchState& s) = nullptr;
};

constexpr int GO_INFINITE = 1;
constexpr int GO_PONDER = 2;
constexpr std::int64_t NO_NODE_LIMIT = -1;

// Quiet moves that caused a cutoff at a ply.
struct Killers {
  Move killer1;
  Move killer2;
  Move mateKiller;
};

// Extension statistics of the current search.
struct ExtensionCounters {
  std::int32_t check, prom, p7, single, mt, kt, simple;
};

struct SearchState {
  SearchInput input;
  bool uciMode = false;  // progress lines in UCI form, without the console statistics

  // Limits, set before a search; the polls may change them while it runs.
  std::int32_t maxDepth = 50;              // last iteration in plies, kept from search to search
  std::int32_t searchFlags = 0;            // GO_INFINITE, GO_PONDER
  std::uint32_t stopTime = 0;              // clock value at which a timed search stops
  bool clockLimited = true;                // stopTime applies (not to depth or nodes alone)
  std::int64_t nodeLimit = NO_NODE_LIMIT;  // "go nodes": stop at the first poll at or past it
  bool stopSearch = false;                 // set to make the search unwind
  bool abandoned = false;                  // set with stopSearch when the session ends: print nothing more

  // Counters of the current search.
  std::uint32_t searchStartTime = 0;
  std::int64_t nodeCount = 0;
  std::int32_t maxply = 0;
  std::int32_t iterationDepth = 0;
  std::int32_t rootMoveCount = 0;
  // Length of row 0 of pvTable as the root last set it; kept across an
  // interrupted iteration, which resets pvLength[0].
  std::int32_t rootLineLength = 0;
  // The line of the latest progress line, completed from the table where
  // the search's own line ends early; its second move is the ponder move.
  std::array<Move, MAX_PLY> shownLine{};
  std::int32_t shownLength = 0;
  Position linePosition{};  // where shownLine is played out
  ExtensionCounters extensionCount{};

  // Ordering: the killers carry over from search to search, the history not.
  std::array<Killers, MAX_PLY + 1> killers{};
  std::array<std::array<std::array<std::int32_t, 128>, 128>, 2> history{};  // [colour][from][to]
  std::int32_t historyMax = 0;
  std::array<std::array<Move, MAX_PLY>, MAX_PLY> pvTable{};  // row p: best line from ply p
  std::array<std::int32_t, MAX_PLY> pvLength{};              // one past the row's last move

  // Move lists of all plies: ply p's is moveStack[moveListStart[p] .. moveListStart[p + 1]).
  std::array<MoveEntry, MOVE_STACK_SIZE> moveStack{};
  std::array<std::int32_t, MAX_PLY + 1> moveListStart{};

  HashTable hashTable;
  EvalData eval;
};

inline std::uint32_t clockMs(const SearchState& s) { return s.input.clock(s.input.context); }
// A plain timed search that stops at the deadline: no ponder, no node limit.
inline void setTimedSearch(SearchState& s, std::uint32_t deadline) {
  s.searchFlags = 0;
  s.stopTime = deadline;
  s.clockLimited = true;
  s.nodeLimit = NO_NODE_LIMIT;
}
// Clock values compare by their signed difference, so a wrap changes nothing.
constexpr bool clockReached(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) >= 0;
}

inline MoveEntry* listBegin(SearchState& s, int p) { return s.moveStack.data() + s.moveListStart[p]; }
inline MoveEntry* listEnd(SearchState& s, int p) { return s.moveStack.data() + s.moveListStart[p + 1]; }
inline void setListEnd(SearchState& s, int p, const MoveEntry* end) {
  s.moveListStart[p + 1] = static_cast<std::int32_t>(end - s.moveStack.data());
}

// ---------------------------------------------------------------------------
// Move ordering
// ---------------------------------------------------------------------------

// The scoring passes return the entry pickMove would take first (nullptr
// when none can be taken), found on the way, so the first pick needs no scan.
MoveEntry* scoreMoves(const Position& pos, SearchState& s, Move hashMove);
MoveEntry* scoreCaptures(const Position& pos, SearchState& s);
// The best entry not yet searched (score above -1, ties to the first); 0
// when there is none. The entry is marked searched.
Move pickMove(SearchState& s, int ply);
// Takes first if it is set (clearing it), else picks as pickMove.
inline Move pickMove(SearchState& s, int ply, MoveEntry*& first) {
  if (first == nullptr) return pickMove(s, ply);
  MoveEntry* e = first;
  first = nullptr;
  e->score = -1;
  return e->move;
}
void recordCutoff(const Position& pos, SearchState& s, Move m, int score, int depth);
void clearHistory(SearchState& s);
void updatePv(SearchState& s, int ply, Move m);

// ---------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------

// After makeMove(m); nodePieces counts the knights, bishops, rooks and queens
// of both colours before the move.
int extensionFor(const Position& pos, SearchState& s, Move m, bool gc, bool mateThreat, int nodePieces);

// Reads waiting input, the node count and the clock; may set stopSearch.
// Once the search has been told to stop it reads nothing more: the lines
// that follow belong to the command loop.
void pollInput(SearchState& s);
int quiesce(Position& pos, SearchState& s, int alpha, int beta);
int search(Position& pos, SearchState& s, int depth, int alpha, int beta, bool allowNull);
void initSearch(Position& pos, SearchState& s);
int rootSearch(Position& pos, SearchState& s, int depth, int alpha, int beta);
void iterativeDeepening(Position& pos, SearchState& s);
// Also fills shownLine; pos is the root.
void printInfo(const Position& pos, SearchState& s, int score);
void printStatistics(const SearchState& s);
