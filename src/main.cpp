#include <cstdio>
#include <cstdlib>

#include "driver/driver.h"

#if defined(TARNIC_PROFILE_GENERATE)
extern "C" void __gcov_dump();
#endif

// Arguments, when given, are run as input lines in order.
int main(int argc, char** argv) {
  static Engine engine;  // static: far too large for the stack
  const int status = runEngine(engine, argc - 1, argv + 1);
  // The input reader may still wait in a read: the process ends without
  // running destructors under its feet.
  std::fflush(stdout);
#if defined(TARNIC_PROFILE_GENERATE)
  __gcov_dump();  // _Exit skips the exit handlers that would write the counts
#endif
  std::_Exit(status);
}
