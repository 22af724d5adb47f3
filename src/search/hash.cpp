// The transposition table: one flat array, one entry per index.
#include <cstdlib>
#include <cstring>

#include "search/search.h"

// calloc: fresh pages from the system come zeroed, so a large table is not
// written over once more.
void* allocateHeapBlock(std::size_t bytes) { return std::calloc(bytes, 1); }
void releaseHeapBlock(void* block, std::size_t) { std::free(block); }

bool resizeHashTable(HashTable& table, int megabytes) {
  if (table.entries != nullptr && table.hashEntryCount == megabytes * ENTRIES_PER_MB) {
    // The same size: the block is kept and cleared.
    std::memset(static_cast<void*>(table.entries.get()), 0, sizeof(HashEntry) * table.hashEntryCount);
    return true;
  }
  table.entries.reset();
  table.hashEntryCount = 0;
  table.indexMask = 0;
  const std::int64_t count = megabytes * ENTRIES_PER_MB;
  const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(HashEntry);
  table.entries = std::unique_ptr<HashEntry[], BlockDeleter>(
      static_cast<HashEntry*>(table.memory.allocate(bytes)), BlockDeleter{table.memory.release, bytes});
  if (table.entries == nullptr) return false;
  table.hashEntryCount = static_cast<std::int32_t>(count);
  if ((count & (count - 1)) == 0) table.indexMask = static_cast<std::uint64_t>(count - 1);
  return true;
}

ProbeResult probeHash(const HashTable& table, const Position& pos, int depth, int alpha, int beta) {
  ProbeResult r{false, 0, 0, false};
  HashData e;
  if (!readHash(table, pos.key, e)) return r;
  const std::uint32_t bound = e.bound;
  // Mate scores are stored as distances from the storing node; counted
  // from the root again, they are distances from this node plus its ply.
  int score = e.score;
  if (score > MATE_THRESHOLD)
    score -= pos.searchPly;
  else if (score < -MATE_THRESHOLD)
    score += pos.searchPly;
  // An upper bound below beta says the pass would fail low too: skip it.
  if (bound == BOUND_UPPER && score < beta) r.forbidNull = true;
  // Only ordered against generated moves: a wrong one is never played.
  r.hashMove = e.move;
  if (e.depth < depth) return r;
  if (bound == BOUND_EXACT || (bound == BOUND_LOWER && score >= beta) ||
      (bound == BOUND_UPPER && score <= alpha)) {
    r.cutoff = true;
    r.score = score;
  }
  return r;
}

void storeHash(HashTable& table, const Position& pos, int depth, int score, std::uint32_t bound, Move move) {
  HashEntry& e = hashEntryFor(table, pos.key);
  // Keep a deeper result of this search; anything older gives way.
  const HashData old = unpackHash(e.data.load(std::memory_order_relaxed));
  if (old.generation == table.hashGeneration && old.depth > depth) return;
  // A mate score counts from the root; the entry keeps the distance from
  // this node, so that a probe at any other ply reads the true distance.
  if (score > MATE_THRESHOLD)
    score += pos.searchPly;
  else if (score < -MATE_THRESHOLD)
    score -= pos.searchPly;
  const std::uint64_t d = packHash(move, bound, table.hashGeneration, depth, score);
  e.data.store(d, std::memory_order_relaxed);
  e.check.store(pos.key ^ d, std::memory_order_relaxed);
}

void clearHashTable(HashTable& table) {
  for (std::int32_t i = 0; i < table.hashEntryCount; ++i) {
    table.entries[i].data.store(0, std::memory_order_relaxed);
    table.entries[i].check.store(0, std::memory_order_relaxed);
  }
}

int hashFull(const HashTable& table) {
  const int n = table.hashEntryCount < 1000 ? table.hashEntryCount : 1000;
  int used = 0;
  for (int i = 0; i < n; ++i) {
    const HashData d = unpackHash(table.entries[i].data.load(std::memory_order_relaxed));
    if (d.bound != 0 && d.generation == table.hashGeneration) ++used;
  }
  return n == 0 ? 0 : used * 1000 / n;
}
