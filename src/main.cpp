#include "driver/driver.h"

// Arguments, when given, are run as input lines in order.
int main(int argc, char** argv) { runEngine(argc - 1, argv + 1); }
