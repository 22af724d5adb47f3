// The hash table's blocks from the system: zeroed, writable end to end,
// on a large-page boundary where the system has large pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "driver/driver.h"

namespace {

TEST(Platform, LargeBlocksComeZeroedAndWholeAtAnySize) {
  // 5 MB and the odd sizes are no multiple of a 2 MB page: the rounding
  // must still leave every requested byte inside the mapping.
  const std::size_t sizes[] = {16, 4u << 20, (5u << 20) + 16, (2u << 20) - 1};
  for (int round = 0; round < 2; ++round) {  // the second after every block was given back
    for (const std::size_t bytes : sizes) {
      auto* block = static_cast<unsigned char*>(allocateLargeBlock(bytes));
      ASSERT_NE(block, nullptr) << bytes;
#ifndef _WIN32
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % (2u << 20), 0u) << bytes;
#endif
      EXPECT_TRUE(std::all_of(block, block + bytes, [](unsigned char b) { return b == 0; })) << bytes;
      block[0] = 0xA5;
      block[bytes - 1] = 0x5A;
      EXPECT_EQ(block[0], 0xA5);
      EXPECT_EQ(block[bytes - 1], 0x5A);
      releaseLargeBlock(block, bytes);
    }
  }
}

}  // namespace
