// Transposition table: replacement, probe rules and the entry index.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "search_fixture.h"

namespace {

constexpr std::uint64_t KEY_A = 0x123456789ABCDEF0ULL;

void useKey(std::uint64_t key) { testEngine().pos.key = key; }

}  // namespace

class HashTest : public SearchTest {
 protected:
  void SetUp() override {
    forgetLearning();
    position().searchPly = 0;
  }
  void TearDown() override { setPosition(START_FEN); }
};

TEST_F(HashTest, ReplacementByGenerationAndDepth) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  struct Case {
    int storedDepth;
    int newDepth;
    int searchesLater;
    bool replaced;
  };
  const Case cases[] = {
      {30, 20, 0, false},                       // deeper entry of this search stays
      {30, 30, 0, true},                        // equal depth replaces
      {20, 30, 0, true},                        // deeper replaces
      {30, 20, 1, true},                        // an older search's entry always gives way
      {30, 20, 63, true}, {30, 20, 64, false},  // the generation wraps: counts as current again
  };
  // Same index, different key: the old entry's key plays no part.
  const std::uint64_t other = KEY_A + static_cast<std::uint64_t>(ss.shared.hashTable.hashEntryCount);
  for (const Case& c : cases) {
    forgetLearning();
    useKey(KEY_A);
    storeHash(ss.shared.hashTable, pos, c.storedDepth, 111, BOUND_EXACT, 0x1234);
    for (int i = 0; i < c.searchesLater; ++i)
      ss.shared.hashTable.hashGeneration = (ss.shared.hashTable.hashGeneration + 1) & 63;
    useKey(other);
    storeHash(ss.shared.hashTable, pos, c.newDepth, 222, BOUND_EXACT, 0x4321);
    ASSERT_EQ(&hashEntryFor(ss.shared.hashTable, KEY_A), &hashEntryFor(ss.shared.hashTable, other));
    HashData e{};
    ASSERT_TRUE(readHash(ss.shared.hashTable, c.replaced ? other : KEY_A, e))
        << c.storedDepth << " " << c.newDepth;
    EXPECT_FALSE(readHash(ss.shared.hashTable, c.replaced ? KEY_A : other, e));
    ASSERT_TRUE(readHash(ss.shared.hashTable, c.replaced ? other : KEY_A, e));
    EXPECT_EQ(e.score, c.replaced ? 222 : 111);
    EXPECT_EQ(e.move, c.replaced ? 0x4321u : 0x1234u);
    EXPECT_EQ(e.generation, ss.shared.hashTable.hashGeneration);
  }
}

TEST_F(HashTest, ProbeRules) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  struct Case {
    const char* name;
    int score;
    std::uint32_t bound;
    int storedDepth;
    int probeDepth;
    int alpha, beta;
    int storePly, ply;
    bool cutoff;
    int result;
    bool forbidNull;
  };
  const Case cases[] = {
      // A mate found 67 plies from the root at ply 2 is 65 plies from its node:
      // probed at ply 6 it is 71 plies from the root; at the same ply unchanged.
      {"mate keeps its distance from the node", 32700, BOUND_EXACT, 30, 20, -100, 100, 2, 6, true, 32696,
       false},
      {"mated keeps its distance from the node", -32700, BOUND_EXACT, 30, 30, -100, 100, 2, 6, true, -32696,
       false},
      {"mate found nearer the root", 32700, BOUND_EXACT, 30, 30, -100, 100, 9, 3, true, 32706, false},
      {"mate round trip at one ply", -32740, BOUND_EXACT, 30, 30, -100, 100, 11, 11, true, -32740, false},
      {"threshold itself is no mate", 32567, BOUND_EXACT, 30, 30, -100, 100, 2, 6, true, 32567, false},
      {"lower bound at beta cuts", 300, BOUND_LOWER, 30, 30, 0, 300, 0, 3, true, 300, false},
      {"lower bound below beta", 300, BOUND_LOWER, 30, 30, 0, 301, 0, 3, false, 0, false},
      {"upper bound at alpha cuts", 100, BOUND_UPPER, 30, 30, 100, 101, 0, 3, true, 100, true},
      {"upper bound above alpha", 100, BOUND_UPPER, 30, 30, 99, 100, 0, 3, false, 0, false},
      {"shallow upper bound below beta vetoes the null move", -50, BOUND_UPPER, 10, 30, -10, 0, 0, 3, false,
       0, true},
      {"shallow lower bound", 900, BOUND_LOWER, 10, 30, -10, 0, 0, 3, false, 0, false},
      {"shallow exact", 5, BOUND_EXACT, 29, 30, -10, 0, 0, 3, false, 0, false},
  };
  for (const Case& c : cases) {
    forgetLearning();
    useKey(KEY_A);
    pos.searchPly = c.storePly;
    storeHash(ss.shared.hashTable, pos, c.storedDepth, c.score, c.bound, 0xABCD);
    pos.searchPly = c.ply;
    const ProbeResult r = probeHash(ss.shared.hashTable, pos, c.probeDepth, c.alpha, c.beta);
    position().searchPly = 0;
    EXPECT_EQ(r.cutoff, c.cutoff) << c.name;
    if (c.cutoff) {
      EXPECT_EQ(r.score, c.result) << c.name;
    }
    EXPECT_EQ(r.forbidNull, c.forbidNull) << c.name;
    EXPECT_EQ(r.hashMove, 0xABCDu) << c.name << ": any matching entry supplies its move";
    useKey(KEY_A ^ 1);  // a different key at a different index misses
    const ProbeResult miss = probeHash(ss.shared.hashTable, pos, c.probeDepth, c.alpha, c.beta);
    EXPECT_FALSE(miss.cutoff || miss.forbidNull || miss.hashMove != 0) << c.name;
  }
}

TEST_F(HashTest, ZeroedEntryMatchesKeyZeroWithoutEffect) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  useKey(0);
  const ProbeResult r = probeHash(ss.shared.hashTable, pos, 0, -32767, 32767);
  EXPECT_FALSE(r.cutoff);
  EXPECT_FALSE(r.forbidNull);
  EXPECT_EQ(r.hashMove, 0u);
}

TEST_F(HashTest, FiveMegabytesIndexByRemainder) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  resizeHashTable(ss.shared.hashTable, 5);
  EXPECT_EQ(ss.shared.hashTable.hashEntryCount, 5 * 65536);
  const std::uint64_t n = 5 * 65536;
  const std::uint64_t keys[] = {n * 3 + 17, 0xFFFFFFFFFFFFFFFFULL, n * 4 - 1, 1ULL << 40};
  for (std::uint64_t k : keys)
    EXPECT_EQ(&hashEntryFor(ss.shared.hashTable, k), ss.shared.hashTable.entries.get() + k % n)
        << std::hex << k;
  // A power-of-two mask would put these two in different slots.
  EXPECT_EQ(&hashEntryFor(ss.shared.hashTable, n + 5), &hashEntryFor(ss.shared.hashTable, 5));
  useKey(n * 7 + 9);
  storeHash(ss.shared.hashTable, pos, 20, 77, BOUND_LOWER, 0x0203);
  EXPECT_EQ(unpackHash(ss.shared.hashTable.entries[9].data).score, 77);
  resizeHashTable(ss.shared.hashTable, DEFAULT_HASH_MB);
  EXPECT_EQ(ss.shared.hashTable.hashEntryCount, 262144);
}

namespace {

// A memory source that has `capacity` bytes in all, whatever it has handed
// out counting against it until given back.
std::size_t testCapacity = 0;
std::size_t testInUse = 0;
void* limitedAllocate(std::size_t bytes) {
  if (testInUse + bytes > testCapacity) return nullptr;
  testInUse += bytes;
  return std::calloc(bytes, 1);
}
void limitedRelease(void* block, std::size_t bytes) {
  testInUse -= bytes;
  std::free(block);
}

}  // namespace

// A size that cannot be had keeps a table: the new one beside the old where
// both fit, the old given back first where only the new fits, the old size
// again where the new never fits, and no table only when nothing fits. Every
// table that results is zeroed, whatever the block held, and the zeroing
// threads together cover it to the last byte.
TEST(HashResize, RefusedSizesKeepATableZeroed) {
  constexpr std::size_t MB = std::size_t{1} << 20;
  struct Case {
    const char* name;
    std::size_t capacityMb;
    int fromMb;
    int toMb;
    HashResize result;
    int finalMb;  // 0: no table
  };
  const Case cases[] = {
      {"both fit", 64, 4, 40, HashResize::Resized, 40},
      {"only the new fits", 40, 4, 40, HashResize::Resized, 40},
      {"new never fits", 40, 5, 41, HashResize::KeptOldSize, 5},
      {"same size is cleared", 8, 5, 5, HashResize::Resized, 5},
      {"shrink", 8, 6, 4, HashResize::Resized, 4},
  };
  for (const Case& c : cases) {
    for (const int workers : {1, 3}) {
      testCapacity = 1024 * MB;
      testInUse = 0;
      {
        HashTable table;
        table.memory = {limitedAllocate, limitedRelease};
        ASSERT_EQ(resizeHashTable(table, c.fromMb, workers), HashResize::Resized) << c.name;
        // Every byte written, so that only a real zeroing passes.
        std::memset(static_cast<void*>(table.entries.get()), 0xA5, table.hashEntryCount * sizeof(HashEntry));
        testCapacity = c.capacityMb * MB;
        EXPECT_EQ(resizeHashTable(table, c.toMb, workers), c.result) << c.name << " " << workers;
        EXPECT_EQ(table.hashEntryCount, c.finalMb * ENTRIES_PER_MB) << c.name;
        EXPECT_EQ(testInUse, static_cast<std::size_t>(c.finalMb) * MB) << c.name;
        const auto* bytes = reinterpret_cast<const unsigned char*>(table.entries.get());
        EXPECT_TRUE(std::all_of(bytes, bytes + c.finalMb * MB, [](unsigned char b) { return b == 0; }))
            << c.name << " " << workers;
      }
      EXPECT_EQ(testInUse, 0u) << c.name;  // the table's block given back with it
    }
  }
  // Nothing fits at all: no table, and nothing held.
  testCapacity = 1024 * MB;
  testInUse = 0;
  HashTable table;
  table.memory = {limitedAllocate, limitedRelease};
  ASSERT_EQ(resizeHashTable(table, 8), HashResize::Resized);
  testCapacity = 4 * MB;
  EXPECT_EQ(resizeHashTable(table, 16), HashResize::NoTable);
  EXPECT_EQ(table.entries, nullptr);
  EXPECT_EQ(testInUse, 0u);
}

// The largest tables have more than 2^31 entries: the index is the full
// 64-bit remainder (or mask) of the key, never cut to 32 bits.
TEST(HashResize, IndexOfTablesBeyondTwoToThe31Entries) {
  struct Case {
    std::int64_t megabytes;
    std::uint64_t key;
    std::uint64_t index;
  };
  const Case cases[] = {
      {65536, 0xFEDCBA9876543210ULL, 0x76543210ULL},  // 2^32 entries: the low 32 bits
      {32768, 0xFFFFFFFFFFFFFFFFULL, 0x7FFFFFFFULL},  // 2^31 entries
      {49152, 0x0000000300000005ULL, 5},              // 48 GB, 3 * 2^30 entries: a remainder
      {49152, 0xFFFFFFFFFFFFFFFFULL, 0x3FFFFFFFULL},
  };
  for (const Case& c : cases) {
    HashTable table;
    table.hashEntryCount = c.megabytes * ENTRIES_PER_MB;
    const std::int64_t n = table.hashEntryCount;
    table.indexMask = (n & (n - 1)) == 0 ? static_cast<std::uint64_t>(n - 1) : 0;
    EXPECT_EQ(hashIndexOf(table, c.key), c.index) << c.megabytes << " " << std::hex << c.key;
    EXPECT_LT(hashIndexOf(table, c.key), static_cast<std::uint64_t>(n));
  }
}
