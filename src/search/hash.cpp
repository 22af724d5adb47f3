// The transposition table: one flat array, one entry per index.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "search/search.h"

void resizeHashTable(int megabytes) {
  delete[] hashTable;
  hashTable = nullptr;
  const std::int64_t count = megabytes * ENTRIES_PER_MB;
  hashTable = new (std::nothrow) HashEntry[static_cast<std::size_t>(count)]();
  if (hashTable == nullptr) {
    std::printf("ERROR: Couldn't allocate memory for hash table\n");
    std::exit(1);
  }
  hashEntryCount = static_cast<std::int32_t>(count);
}

void allocateDefaultHashTable() { resizeHashTable(DEFAULT_HASH_MB); }

HashEntry& hashEntryFor(std::uint64_t key) { return hashTable[key % static_cast<std::uint64_t>(hashEntryCount)]; }
