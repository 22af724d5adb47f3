// "position" lines with move lists.
#include <cstdint>
#include <string>

#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Position& pos = startFuzzEngine().pos;
  std::string args(reinterpret_cast<const char*>(data), size);
  if (args.size() >= LINE_CAPACITY) args.resize(LINE_CAPACITY - 1);
  positionCommand(pos, args.c_str());
  if (!positionIsConsistent(pos)) __builtin_trap();
  return 0;
}
