// Transposition table, move ordering, the searches and iterative deepening.
#pragma once

#include <array>
#include <cstdint>

#include "eval/eval.h"
#include "position/position.h"

// ---------------------------------------------------------------------------
// Transposition table
// ---------------------------------------------------------------------------

constexpr int ONE_PLY = 10;  // depths are in tenths of a ply
constexpr int MATE_SCORE = 32767;
constexpr int MATE_THRESHOLD = 32567;  // a larger magnitude is a mate score

constexpr std::uint32_t BOUND_UPPER = 1;
constexpr std::uint32_t BOUND_LOWER = 2;
constexpr std::uint32_t BOUND_EXACT = 3;

struct HashEntry {
  std::uint32_t keyLow;
  std::uint32_t keyHigh;
  std::int16_t depth;  // tenths of a ply
  std::int16_t score;  // as the node returned it
  std::uint32_t info;  // bits 0-23 move, 24-25 bound, 26-31 generation
};
static_assert(sizeof(HashEntry) == 16);

constexpr int DEFAULT_HASH_MB = 4;
constexpr std::int64_t ENTRIES_PER_MB = (1 << 20) / static_cast<std::int64_t>(sizeof(HashEntry));

inline HashEntry* hashTable = nullptr;    // the one heap block of the engine
inline std::int32_t hashEntryCount = 0;   // entries in hashTable
inline std::uint32_t hashGeneration = 0;  // 6-bit search counter

void allocateDefaultHashTable();
// Replaces the table by a zeroed one of the given size; exits with status 1
// when the memory cannot be had.
void resizeHashTable(int megabytes);
// The entry of the current position's key.
HashEntry& hashEntryFor(std::uint64_t key);

// Result of a probe: a score to return at once, or what the node may use.
struct ProbeResult {
  bool cutoff;  // score is the node's result
  int score;
  Move hashMove;    // 0 for none
  bool forbidNull;  // an upper bound below beta was stored
};
ProbeResult probeHash(const Position& pos, int depth, int alpha, int beta);
void storeHash(const Position& pos, int depth, int score, std::uint32_t bound, Move move);

// The evaluation's working data of the search.
inline EvalData Eval;

// Quiet moves that caused a cutoff at a ply, kept from search to search.
struct Killers {
  Move killer1;
  Move killer2;
  Move mateKiller;
};
inline std::array<Killers, MAX_PLY + 1> Ply{};

// ---------------------------------------------------------------------------
// Move lists of all plies
// ---------------------------------------------------------------------------

inline std::array<MoveEntry, MOVE_STACK_SIZE> MoveStack{};
// Ply p's list is MoveStack[moveListStart[p] .. moveListStart[p + 1]).
inline std::array<std::int32_t, MAX_PLY + 1> moveListStart{};
inline MoveEntry* listBegin(int p) { return MoveStack.data() + moveListStart[p]; }
inline MoveEntry* listEnd(int p) { return MoveStack.data() + moveListStart[p + 1]; }
inline void setListEnd(int p, const MoveEntry* end) {
  moveListStart[p + 1] = static_cast<std::int32_t>(end - MoveStack.data());
}

// ---------------------------------------------------------------------------
// Move ordering
// ---------------------------------------------------------------------------

inline std::array<std::array<std::array<std::int32_t, 128>, 128>, 2> History{};  // [colour][from][to]
inline std::int32_t historyMax = 0;
inline std::array<std::array<Move, MAX_PLY>, MAX_PLY> pvTable{};  // row p: best line from ply p
inline std::array<std::int32_t, MAX_PLY> pvLength{};              // one past the row's last move

void scoreMoves(const Position& pos, Move hashMove);
void scoreCaptures(const Position& pos);
Move pickMove(const Position& pos);
void recordCutoff(const Position& pos, Move m, int score, int depth);
void clearHistory();
void updatePv(const Position& pos, Move m);

// ---------------------------------------------------------------------------
// Search
// ---------------------------------------------------------------------------

// Extension statistics of the current search.
struct ExtensionCounters {
  std::int32_t check, prom, p7, single, mt, kt, simple;
};
inline ExtensionCounters extensionCount{};
inline std::int32_t maxDepth = 50;  // last iteration of the deepening, in plies
inline std::int32_t iterationDepth = 0;
inline std::int32_t rootMoveCount = 0;
inline std::int32_t maxply = 0;
// Length of row 0 of pvTable as the root last set it; kept across an
// interrupted iteration, which resets pvLength[0].
inline std::int32_t rootLineLength = 0;

// After makeMove(m); nodePieces counts the knights, bishops, rooks and queens
// of both colours before the move.
int extensionFor(const Position& pos, Move m, bool gc, bool mateThreat, int nodePieces);

int quiesce(Position& pos, int alpha, int beta);
int search(Position& pos, int depth, int alpha, int beta, int allowNull);
void initSearch(Position& pos);
int rootSearch(Position& pos, int depth, int alpha, int beta);
void iterativeDeepening(Position& pos);
void printInfo(int score);
void printStatistics();
