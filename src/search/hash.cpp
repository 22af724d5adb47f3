// The transposition table: one flat array, one entry per index.
#include <new>

#include "search/search.h"

bool resizeHashTable(HashTable& table, int megabytes) {
  table.entries.reset();
  table.hashEntryCount = 0;
  const std::int64_t count = megabytes * ENTRIES_PER_MB;
  table.entries.reset(new (std::nothrow) HashEntry[static_cast<std::size_t>(count)]());
  if (table.entries == nullptr) return false;
  table.hashEntryCount = static_cast<std::int32_t>(count);
  return true;
}

ProbeResult probeHash(const HashTable& table, const Position& pos, int depth, int alpha, int beta) {
  ProbeResult r{false, 0, 0, false};
  const HashEntry& e = hashEntryFor(table, pos.key);
  if (e.keyLow != static_cast<std::uint32_t>(pos.key) ||
      e.keyHigh != static_cast<std::uint32_t>(pos.key >> 32))
    return r;
  const std::uint32_t bound = (e.info >> 24) & 3;
  // Mate scores are stored as distances from the storing node; counted
  // from the root again, they are distances from this node plus its ply.
  int score = e.score;
  if (score > MATE_THRESHOLD)
    score -= pos.searchPly;
  else if (score < -MATE_THRESHOLD)
    score += pos.searchPly;
  // An upper bound below beta says the pass would fail low too: skip it.
  if (bound == BOUND_UPPER && score < beta) r.forbidNull = true;
  r.hashMove = e.info & 0xFFFFFF;
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
  if (((e.info >> 26) & 63) == table.hashGeneration && e.depth > depth) return;
  e.keyLow = static_cast<std::uint32_t>(pos.key);
  e.keyHigh = static_cast<std::uint32_t>(pos.key >> 32);
  e.depth = static_cast<std::int16_t>(depth);
  // A mate score counts from the root; the entry keeps the distance from
  // this node, so that a probe at any other ply reads the true distance.
  if (score > MATE_THRESHOLD)
    score += pos.searchPly;
  else if (score < -MATE_THRESHOLD)
    score -= pos.searchPly;
  e.score = static_cast<std::int16_t>(score);
  e.info = (move & 0xFFFFFF) | bound << 24 | table.hashGeneration << 26;
}
