#include <cstdio>
#include <cstdlib>

#include "driver/driver.h"

// Arguments, when given, are run as input lines in order.
int main(int argc, char** argv) {
  static Engine engine;  // static: far too large for the stack
  const int status = runEngine(engine, argc - 1, argv + 1);
  // The input reader may still wait in a read: the process ends without
  // running destructors under its feet.
  std::fflush(stdout);
  std::_Exit(status);
}
