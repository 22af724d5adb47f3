#include "driver/driver.h"

// Arguments, when given, are run as input lines in order.
int main(int argc, char** argv) {
  static Engine engine;  // static: far too large for the stack
  return runEngine(engine, argc - 1, argv + 1);
}
