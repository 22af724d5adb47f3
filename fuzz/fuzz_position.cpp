// "position" lines with move lists.
#include <cstdint>
#include <string>

#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  startFuzzEngine();
  std::string args(reinterpret_cast<const char*>(data), size);
  if (args.size() >= LINE_CAPACITY) args.resize(LINE_CAPACITY - 1);
  positionCommand(args.c_str());
  if (!positionIsConsistent()) __builtin_trap();
  return 0;
}
