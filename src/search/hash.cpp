// The transposition table: one flat array, one entry per index.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "search/search.h"

// calloc: the tests' tables, zeroed.
void* allocateHeapBlock(std::size_t bytes) { return std::calloc(bytes, 1); }
void releaseHeapBlock(void* block, std::size_t) { std::free(block); }

namespace {

// Below this much a table is zeroed by one thread: starting others costs more.
constexpr std::size_t ZERO_SLICE_MIN_BYTES = std::size_t{16} << 20;

// Writes zeros over the whole block, each worker a slice of its own. On a
// fresh block this is also where the system hands over its pages, which
// costs more than the writing: with the workers together a table of
// gigabytes is ready in seconds rather than being paid for by the first
// searches, probe by probe.
void zeroEntries(HashEntry* entries, std::int64_t count, int workers) {
  const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(HashEntry);
  auto* base = reinterpret_cast<unsigned char*>(entries);
  std::size_t slices = bytes / ZERO_SLICE_MIN_BYTES;
  if (slices > static_cast<std::size_t>(workers)) slices = static_cast<std::size_t>(workers);
  if (slices < 2) {
    std::memset(base, 0, bytes);
    return;
  }
  const std::size_t slice = bytes / slices;
  std::vector<std::thread> others;
  others.reserve(slices - 1);
  for (std::size_t i = 1; i < slices; ++i) {
    const std::size_t end = i + 1 == slices ? bytes : (i + 1) * slice;
    others.emplace_back([=] { std::memset(base + i * slice, 0, end - i * slice); });
  }
  std::memset(base, 0, slice);
  for (std::thread& t : others) t.join();
}

// A block for count entries from the table's source, or false.
bool takeBlock(HashTable& table, std::int64_t count) {
  // A 32-bit build cannot address the largest sizes at all.
  if (static_cast<std::uint64_t>(count) > std::numeric_limits<std::size_t>::max() / sizeof(HashEntry))
    return false;
  const std::size_t bytes = static_cast<std::size_t>(count) * sizeof(HashEntry);
  auto* block = static_cast<HashEntry*>(table.memory.allocate(bytes));
  if (block == nullptr) return false;
  table.entries =
      std::unique_ptr<HashEntry[], BlockDeleter>(block, BlockDeleter{table.memory.release, bytes});
  table.hashEntryCount = count;
  table.indexMask = (count & (count - 1)) == 0 ? static_cast<std::uint64_t>(count - 1) : 0;
  return true;
}

}  // namespace

HashResize resizeHashTable(HashTable& table, int megabytes, int workers) {
  const std::int64_t count = megabytes * ENTRIES_PER_MB;
  const std::int64_t oldCount = table.entries != nullptr ? table.hashEntryCount : 0;
  HashResize result = HashResize::Resized;
  if (oldCount == count) {
    // The same size: the block is kept and cleared.
  } else if (!takeBlock(table, count)) {
    // Not both at once: the old one goes first; failing that, its size again.
    table.entries.reset();
    table.hashEntryCount = 0;
    table.indexMask = 0;
    if (!takeBlock(table, count)) {
      if (oldCount == 0 || !takeBlock(table, oldCount)) return HashResize::NoTable;
      result = HashResize::KeptOldSize;
    }
  }
  zeroEntries(table.entries.get(), table.hashEntryCount, workers);
  return result;
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

void clearHashTable(HashTable& table, int workers) {
  if (table.entries != nullptr) zeroEntries(table.entries.get(), table.hashEntryCount, workers);
}

int hashFull(const HashTable& table) {
  const int n = table.hashEntryCount < 1000 ? static_cast<int>(table.hashEntryCount) : 1000;
  int used = 0;
  for (int i = 0; i < n; ++i) {
    const HashData d = unpackHash(table.entries[i].data.load(std::memory_order_relaxed));
    if (d.bound != 0 && d.generation == table.hashGeneration) ++used;
  }
  return n == 0 ? 0 : used * 1000 / n;
}
