// Transposition table, move ordering, the searches and iterative deepening,
// with the state they share.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "eval/eval.h"
#include "position/position.h"
#include "search/tuning.h"

constexpr int ONE_PLY = 10;  // depths are in tenths of a ply
constexpr int MATE_SCORE = 32767;
constexpr int MATE_THRESHOLD = 32567;  // a larger magnitude is a mate score

// ---------------------------------------------------------------------------
// Transposition table
// ---------------------------------------------------------------------------

constexpr std::uint32_t BOUND_UPPER = 1;
constexpr std::uint32_t BOUND_LOWER = 2;
constexpr std::uint32_t BOUND_EXACT = 3;

// One entry: the packed data and the key XOR the data, each written and
// read as one 64-bit word. An entry half written by another thread fails
// the key test, so it is never trusted.
struct HashEntry {
  std::atomic<std::uint64_t> check;  // position key XOR data
  std::atomic<std::uint64_t> data;  // bits 0-23 move, 24-25 bound, 26-31 generation, 32-47 depth, 48-63 score
};
static_assert(sizeof(HashEntry) == 16);

// The fields of an entry's data.
struct HashData {
  Move move;            // 0 for none
  std::uint32_t bound;  // 0 in a never-written entry
  std::uint32_t generation;
  int depth;  // tenths of a ply
  int score;  // a mate score counts from the storing node, others as returned
};
constexpr HashData unpackHash(std::uint64_t d) {
  return {static_cast<Move>(d & 0xFFFFFF), static_cast<std::uint32_t>(d >> 24) & 3,
          static_cast<std::uint32_t>(d >> 26) & 63, static_cast<std::int16_t>(d >> 32),
          static_cast<std::int16_t>(d >> 48)};
}
constexpr std::uint64_t packHash(Move move, std::uint32_t bound, std::uint32_t generation, int depth,
                                 int score) {
  return (move & 0xFFFFFF) | static_cast<std::uint64_t>(bound) << 24 |
         static_cast<std::uint64_t>(generation) << 26 |
         static_cast<std::uint64_t>(static_cast<std::uint16_t>(depth)) << 32 |
         static_cast<std::uint64_t>(static_cast<std::uint16_t>(score)) << 48;
}

constexpr int DEFAULT_HASH_MB = 4;  // the table of a fresh engine
constexpr std::int64_t ENTRIES_PER_MB = (1 << 20) / static_cast<std::int64_t>(sizeof(HashEntry));

// Where the table's memory comes from: zeroed blocks, given back with their
// size. The engine takes the driver's, on large pages where the system has
// them; by default (the tests) the C library's.
struct BlockSource {
  void* (*allocate)(std::size_t bytes);  // zeroed; null when it cannot be had
  void (*release)(void* block, std::size_t bytes);
};
void* allocateHeapBlock(std::size_t bytes);
void releaseHeapBlock(void* block, std::size_t bytes);

struct BlockDeleter {
  void (*release)(void* block, std::size_t bytes) = releaseHeapBlock;
  std::size_t bytes = 0;
  void operator()(HashEntry* p) const { release(p, bytes); }
};

struct HashTable {
  BlockSource memory = {allocateHeapBlock, releaseHeapBlock};
  std::unique_ptr<HashEntry[], BlockDeleter> entries;  // the one large block of the engine
  std::int64_t hashEntryCount = 0;                     // above 2^31 from 32 GB on
  // hashEntryCount - 1 when it is a power of two (the sizes in whole
  // megabytes that are), so that the index is a mask; else 0 and a division.
  std::uint64_t indexMask = 0;
  std::uint32_t hashGeneration = 0;  // 6-bit search counter
};

// What a resize gave: the table asked for, a zeroed table of the old size
// (the new one could not be had), or no table at all.
enum class HashResize { Resized, KeptOldSize, NoTable };
// Replaces the table by a zeroed one of the given size, zeroed by workers
// threads together. The new block is taken while the old one is still held;
// where that fails, the old one is given back first, and where the new size
// cannot be had at all, a table of the old size is taken again.
HashResize resizeHashTable(HashTable& table, int megabytes, int workers = 1);
// The index of a key's entry.
inline std::uint64_t hashIndexOf(const HashTable& table, std::uint64_t key) {
  return table.indexMask != 0 ? key & table.indexMask
                              : key % static_cast<std::uint64_t>(table.hashEntryCount);
}
// The entry of a key.
inline HashEntry& hashEntryFor(const HashTable& table, std::uint64_t key) {
  return table.entries[hashIndexOf(table, key)];
}
// Starts loading the entry of key into the cache, for a probe soon after.
inline void prefetchHash(const HashTable& table, std::uint64_t key) {
#if defined(__GNUC__)
  __builtin_prefetch(&hashEntryFor(table, key));
#else
  (void)table;
  (void)key;
#endif
}
// The data stored for key, or false when the entry holds another key (or a
// torn write).
inline bool readHash(const HashTable& table, std::uint64_t key, HashData& out) {
  const HashEntry& e = hashEntryFor(table, key);
  const std::uint64_t d = e.data.load(std::memory_order_relaxed);
  if ((e.check.load(std::memory_order_relaxed) ^ d) != key) return false;
  out = unpackHash(d);
  return true;
}
// Per mille of the first 1000 entries (or all, if fewer) written in the
// current generation.
int hashFull(const HashTable& table);
// Zeroes every entry (the generation is kept), workers threads together.
void clearHashTable(HashTable& table, int workers = 1);

// Result of a probe: a score to return at once, or what the node may use.
struct ProbeResult {
  bool cutoff;  // score is the node's result
  int score;
  Move hashMove;    // 0 for none
  bool forbidNull;  // an upper bound below beta was stored
};
ProbeResult probeHash(const HashTable& table, const Position& pos, int depth, int alpha, int beta);
void storeHash(HashTable& table, const Position& pos, int depth, int score, std::uint32_t bound, Move move);
// The table's move for the position, when it is legal there (0 otherwise).
Move legalTableMove(Position& pos, const HashTable& table);

// ---------------------------------------------------------------------------
// The search state
// ---------------------------------------------------------------------------

struct SearchState;
struct SearchThread;
struct SearchHelper;

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

// One progress line: an iteration's result, a new best root move, or the
// final line. moves points at length moves of the line to show.
struct SearchLine {
  std::int32_t multipv;  // 1 to MultiPV when several lines are searched, else 0
  std::int32_t depth;
  std::int32_t seldepth;  // the deepest ply reached so far
  std::int32_t score;
  std::uint32_t bound;    // BOUND_LOWER or BOUND_UPPER when score is only a bound, else BOUND_EXACT
  std::uint32_t elapsed;  // milliseconds since the search started
  std::int64_t nodes;     // all threads
  const Move* moves;
  std::int32_t length;
  const Position* root;  // where the line starts: its castling notation
};

// Extension statistics of the current search.
struct ExtensionCounters {
  std::int32_t check, prom, p7, single, mt, kt, simple;
};

// The end-of-search statistics.
struct SearchStatistics {
  std::uint32_t elapsed;
  std::int64_t nodes;
  std::int32_t maxply;
  ExtensionCounters extensions;
};

// The once-a-second progress of a long search.
struct SearchProgress {
  std::uint32_t elapsed;
  std::int64_t nodes;
  std::int32_t hashfull;  // per mille of the table's first 1000 entries written by this search
};

// How the search hands its progress to whoever writes it out; only the main
// search thread reports. Any may be null (nothing is reported).
struct SearchReport {
  void* context = nullptr;
  void (*line)(void* context, const SearchLine& line) = nullptr;
  void (*statistics)(void* context, const SearchStatistics& stats) = nullptr;
  void (*progress)(void* context, const SearchProgress& progress) = nullptr;
  // The root move now searched and its number (from 1), in a long search.
  void (*currentMove)(void* context, Move move, int number) = nullptr;
};

constexpr int MAX_ROOT_MOVES = 256;  // more than any position has legal moves

// Strength levels on the UCI_Elo scale.
constexpr int SKILL_ELO_MIN = 600;
constexpr int SKILL_ELO_MAX = 1900;
constexpr int SKILL_ELO_DEFAULT = 1500;

// The limits a level puts on one search and on the choice of its answer.
struct SkillLimits {
  int depth;              // last iteration, plies
  std::int64_t nodes;     // node limit
  std::uint32_t thinkMs;  // longest think
  int lines;              // best root lines searched to choose among
  double spread;          // centipawns: a line this much worse is chosen 1/e as often as the best
  int worstLoss;          // centipawns: no line worse than the best by more is chosen
  bool keepsMates;        // a found mate is always played
};

// The level an interface has set, and the generator of its choices.
struct Skill {
  bool limitStrength = false;  // UCI_LimitStrength
  std::int32_t elo = SKILL_ELO_DEFAULT;
  std::uint64_t random = 0;  // generator state
};

constexpr int GO_INFINITE = 1;
constexpr int GO_PONDER = 2;
constexpr std::int64_t NO_NODE_LIMIT = -1;
constexpr std::int32_t DEFAULT_MAX_DEPTH = 50;  // iterations when the go names no depth

constexpr int BUSY_SLOT_BITS = 12;
constexpr int BUSY_SLOTS = 1 << BUSY_SLOT_BITS;

// Quiet moves that caused a cutoff at a ply.
struct Killers {
  Move killer1;
  Move killer2;
  Move mateKiller;
};

// What all search threads share: the table, the limits and the stop flag,
// and the caller's input and report.
struct SearchState {
  SearchInput input;
  SearchReport report;
  bool uciMode = false;  // progress lines in UCI form, without the console statistics

  // Limits, set before a search; the polls may change them while it runs.
  std::int32_t maxDepth =
      DEFAULT_MAX_DEPTH;                   // last iteration in plies (the console keeps it between searches)
  std::int32_t searchFlags = 0;            // GO_INFINITE, GO_PONDER
  std::uint32_t stopTime = 0;              // clock value at which a timed search stops
  bool clockLimited = true;                // stopTime applies (not to depth or nodes alone)
  std::int64_t nodeLimit = NO_NODE_LIMIT;  // "go nodes": stop at the first poll at or past it
  std::int32_t mateLimit = 0;              // "go mate": stop once a mate in this many moves is proved; 0 none
  std::int32_t multiPv = 1;                // root lines searched and reported per iteration
  // "go searchmoves": the only root moves searched (none: every move).
  std::array<Move, MAX_ROOT_MOVES> searchMoves{};
  std::int32_t searchMoveCount = 0;
  std::atomic<bool> stopSearch = false;  // set to make every thread unwind
  std::atomic<bool> abandoned = false;   // set with stopSearch when the session ends: print nothing more
  std::uint32_t searchStartTime = 0;
  std::uint32_t lastProgress = 0;     // elapsed milliseconds of the last progress report
  std::uint32_t lastCurrentMove = 0;  // elapsed milliseconds of the last current-move report
  Skill skill;
  // The iteration the main thread is in; a helper never starts one below it,
  // so that it searches ahead of the main thread rather than behind it.
  std::atomic<std::int32_t> mainDepth = 0;

  HashTable hashTable;
  // Children some thread is searching now, at depths worth sharing out,
  // by position key in a slot chosen by its top bits (0: free). A thread
  // that meets a busy child after its node's first move searches it last,
  // by when the other thread's result is likely in the table.
  std::array<std::atomic<std::uint64_t>, BUSY_SLOTS> busyChildren{};

  // Helper threads (Threads - 1 of them), idle between searches, and the
  // signals that start them and tell the main thread they have finished.
  std::vector<std::unique_ptr<SearchHelper>> helpers;
  std::mutex poolMutex;
  std::condition_variable poolWake;
  std::condition_variable poolDone;
  std::uint64_t poolGeneration = 0;  // one more for every search the helpers join
  int poolRunning = 0;               // helpers still searching
  bool poolQuit = false;
  bool oversubscribed = false;  // more search threads than cores: each yields at its polls

  SearchState() = default;
  SearchState(const SearchState&) = delete;
  SearchState& operator=(const SearchState&) = delete;
  ~SearchState();  // ends the helper threads
};

// What one search thread changes: its counters, ordering tables, lines,
// move lists and evaluation data.
struct SearchThread {
  explicit SearchThread(SearchState& s, int number = 0) : shared(s), id(number) {}
  SearchState& shared;
  std::int32_t id;  // 0 for the main thread, which alone polls and reports

  // Counters of the current search. The node count is read by the main
  // thread while the others run.
  std::atomic<std::int64_t> nodeCount = 0;
  // Polls come when the node count has these bits clear: with helpers the
  // main thread polls more often, and with more threads than cores every
  // thread polls and yields more often, so "stop" is answered as quickly.
  std::int64_t pollMask = POLL_INTERVAL - 1;
  // Other threads search beside this one: children another is in are put last.
  bool shareWork = false;
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

  EvalData eval;

  // The last iteration this thread finished in the current search: its
  // depth, score and row 0 of pvTable with its length.
  std::int32_t completedDepth = 0;
  std::int32_t completedScore = 0;
  std::array<Move, MAX_PLY> completedLine{};
  std::int32_t completedLength = 0;

  // Several root lines (MultiPV, main thread): the moves already placed in
  // this iteration, which the root skips, and the lines found.
  std::array<Move, MAX_ROOT_MOVES> excludedMoves{};
  std::int32_t excludedCount = 0;
  struct RootLine {
    std::int32_t score;
    std::int32_t length;
    std::array<Move, MAX_PLY> moves;
  };
  std::array<RootLine, MAX_ROOT_MOVES> rootLines{};
  std::int32_t rootLineCount = 0;
};

// A helper: its own position and thread state, and what it last finished.
struct SearchHelper {
  explicit SearchHelper(SearchState& s, int id) : thread(s, id) {}
  SearchThread thread;
  Position pos{};
  std::thread handle;
};

// Ends the current helpers and starts count - 1 new ones (count 1 to
// MAX_THREADS); only between searches. The table stays as it is.
constexpr int MAX_THREADS = 256;
void setThreadCount(SearchState& s, int count);

// The count of one more node: only this thread writes it, so no locked add.
inline void addNode(SearchThread& t) {
  t.nodeCount.store(t.nodeCount.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}
inline std::int64_t nodesOf(const SearchThread& t) { return t.nodeCount.load(std::memory_order_relaxed); }
inline bool stopped(const SearchState& s) { return s.stopSearch.load(std::memory_order_relaxed); }
// Nodes of the current search over all threads.
std::int64_t totalNodes(const SearchThread& main);

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

inline MoveEntry* listBegin(SearchThread& s, int p) { return s.moveStack.data() + s.moveListStart[p]; }
inline MoveEntry* listEnd(SearchThread& s, int p) { return s.moveStack.data() + s.moveListStart[p + 1]; }
inline void setListEnd(SearchThread& s, int p, const MoveEntry* end) {
  s.moveListStart[p + 1] = static_cast<std::int32_t>(end - s.moveStack.data());
}

// ---------------------------------------------------------------------------
// Move ordering
// ---------------------------------------------------------------------------

// The scoring passes return the entry pickMove would take first (nullptr
// when none can be taken), found on the way, so the first pick needs no scan.
MoveEntry* scoreMoves(const Position& pos, SearchThread& s, Move hashMove);
MoveEntry* scoreCaptures(const Position& pos, SearchThread& s);
// The best entry not yet searched (score above -1, ties to the first); 0
// when there is none. The entry is marked searched.
Move pickMove(SearchThread& s, int ply);
// The order of pickMove (best score first, ties to the earlier entry)
// without a scan of the whole list per pick: the first pick comes from the
// scoring pass; at the second the list is sorted once, stably by falling
// score, and the rest are taken in turn.
struct MovePicker {
  MoveEntry* first;           // the scoring pass's first pick, taken without a scan (nullptr: scan)
  MoveEntry* last = nullptr;  // the last pick
  MoveEntry* end = nullptr;   // the list's end, once sorted
  bool sorted = false;
};
// Before the list is sorted: the entry the picker takes next, left
// unmarked (sorting the list when due); nullptr when there is none. Once
// sorted, pickMove takes the entries in turn itself.
MoveEntry* nextEntry(SearchThread& s, int ply, MovePicker& p);
inline Move pickMove(SearchThread& s, int ply, MovePicker& p) {
  MoveEntry* e = p.first;
  if (e != nullptr) {
    p.first = nullptr;
  } else if (p.sorted) {
    // Most picks: the entry after the last, no call.
    e = p.last + 1;
    if (e == p.end || e->score <= -1) return 0;
  } else {
    e = nextEntry(s, ply, p);
    if (e == nullptr) return 0;
  }
  p.last = e;
  e->score = -1;
  return e->move;
}
void recordCutoff(const Position& pos, SearchThread& s, Move m, int score, int depth);
void clearHistory(SearchThread& s);
// Forgets the killers and the history.
void clearLearning(SearchThread& s);
void updatePv(SearchThread& s, int ply, Move m);

// ---------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------

// After makeMove(m); nodePieces counts the knights, bishops, rooks and queens
// of both colours before the move.
int extensionFor(const Position& pos, SearchThread& s, Move m, bool gc, bool mateThreat, int nodePieces);

// Reads waiting input, the node count and the clock; may set stopSearch.
// Once the search has been told to stop it reads nothing more: the lines
// that follow belong to the command loop.
void pollInput(SearchThread& s);
int quiesce(Position& pos, SearchThread& s, int alpha, int beta);
int search(Position& pos, SearchThread& s, int depth, int alpha, int beta, bool allowNull);
// A new search: the table's generation, the stop flag, the start time, and
// resetThread for the main thread.
void initSearch(Position& pos, SearchThread& s);
// The one reset of a thread's per-search state: searchPly, the root's move
// list, counters, lines and history (the killers carry over).
void resetThread(Position& pos, SearchThread& s);
int rootSearch(Position& pos, SearchThread& s, int depth, int alpha, int beta);
// Returns with the answer while helper threads may still unwind: call
// finishSearch before anything else uses the shared state.
void iterativeDeepening(Position& pos, SearchThread& s);
// Stops the helpers of the last search and waits until they are idle.
void finishSearch(SearchState& s);
// Hands a progress line for the current iteration to the report; also
// fills shownLine. pos is the root.
void reportLine(const Position& pos, SearchThread& s, int score, int multipv = 0,
                std::uint32_t bound = BOUND_EXACT);
void reportStatistics(const SearchThread& s);

// ---------------------------------------------------------------------------
// Strength levels
// ---------------------------------------------------------------------------

// The limits of a level (clamped to SKILL_ELO_MIN..SKILL_ELO_MAX).
SkillLimits skillLimits(int elo);
void seedSkill(Skill& skill, std::uint64_t seed);
// The line the level plays among count root lines sorted best first: its
// index, drawn from the skill's generator.
int chooseSkillLine(Skill& skill, const SearchThread::RootLine* lines, int count);
