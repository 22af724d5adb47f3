// The one place with calls of the operating system: a blocking read of
// standard input, raw bytes with no text-mode translation, and the hash
// table's memory.
#include "driver/driver.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

std::size_t readStandardInput(char* buffer, std::size_t size) {
  DWORD n = 0;
  // A console delivers a line at a time; a pipe whatever has arrived.
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(size), &n, nullptr)) return 0;
  return n;
}

// Committed pages come zeroed. Large pages would need a privilege that an
// ordinary user does not hold, so the table has the normal ones.
void* allocateLargeBlock(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}
void releaseLargeBlock(void* block, std::size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

#else
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

std::size_t readStandardInput(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(0, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return 0;
  }
}

namespace {

// Probes read the table at random: with normal 4 KB pages nearly every probe
// of a table of many megabytes also misses the processor's address cache,
// which 2 MB pages cover.
constexpr std::size_t LARGE_PAGE = std::size_t{2} << 20;
std::size_t largePages(std::size_t bytes) { return (bytes + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1); }

}  // namespace

// Anonymous pages come zeroed. The block is cut out of a mapping one large
// page longer so that it starts on a large-page boundary, and the system is
// asked (a hint, which it may refuse) to back it with large pages.
void* allocateLargeBlock(std::size_t bytes) {
  // The rounding up below must not wrap round.
  if (bytes > SIZE_MAX - 2 * LARGE_PAGE) return nullptr;
  const std::size_t size = largePages(bytes);
  void* mapped = mmap(nullptr, size + LARGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t block = (start + LARGE_PAGE - 1) & ~(LARGE_PAGE - 1);
  if (block > start) munmap(mapped, block - start);
  munmap(reinterpret_cast<void*>(block + size), start + LARGE_PAGE - block);
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(block), size, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(block);
}
void releaseLargeBlock(void* block, std::size_t bytes) {
  if (block != nullptr) munmap(block, largePages(bytes));
}
#endif
