// Time of a random read of a block the size of a hash table, on the table's
// own memory (large pages where the system gives them) and on the heap's
// (normal pages): each read finds the address of the next, in a random cycle
// through every 64-byte line, so no two reads overlap. Shows what a probe
// that the prefetch does not hide costs, and what the large pages save.
// Usage: table_latency [MB ...]  (default 4 16 128 1024)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "driver/driver.h"

namespace {

constexpr std::size_t LINE = 64;
constexpr int READS = 10'000'000;

double nanosecondsPerRead(unsigned char* block, std::size_t bytes) {
  const std::size_t lines = bytes / LINE;
  std::vector<std::uint32_t> order(lines);
  std::iota(order.begin(), order.end(), 0u);
  std::shuffle(order.begin(), order.end(), std::mt19937_64(1));
  for (std::size_t i = 0; i < lines; ++i) {
    const std::uint64_t next = std::uint64_t{order[(i + 1) % lines]} * LINE;
    std::memcpy(block + std::uint64_t{order[i]} * LINE, &next, sizeof next);
  }
  std::uint64_t at = std::uint64_t{order[0]} * LINE;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < READS; ++i) std::memcpy(&at, block + at, sizeof at);
  const auto end = std::chrono::steady_clock::now();
  if (at >= bytes) std::puts("");  // keeps the chain of reads
  return std::chrono::duration<double, std::nano>(end - start).count() / READS;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::strtoull(argv[i], nullptr, 10));
  if (sizes.empty()) sizes = {4, 16, 128, 1024};
  std::puts("    MB  large pages  normal pages  (ns per dependent random read)");
  for (const std::size_t mb : sizes) {
    // The line numbers are 32-bit: up to 256 GB.
    if (mb == 0 || mb > (std::size_t{1} << 18)) continue;
    const std::size_t bytes = mb << 20;
    auto* large = static_cast<unsigned char*>(allocateLargeBlock(bytes));
    const double onLarge = large != nullptr ? nanosecondsPerRead(large, bytes) : 0.0;
    releaseLargeBlock(large, bytes);
    auto* normal = static_cast<unsigned char*>(std::calloc(bytes, 1));
    const double onNormal = normal != nullptr ? nanosecondsPerRead(normal, bytes) : 0.0;
    std::free(normal);
    std::printf("%6zu  %11.1f  %12.1f\n", mb, onLarge, onNormal);
  }
  return 0;
}
