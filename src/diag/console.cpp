// Developers' console commands.
#include <cstdio>

#include "diag/diag.h"
#include "driver/driver.h"
#include "position/position.h"

void handleDebugCommand(const char* /*word*/) {
  // A line that is no command is played as a move when it names one.
  if (playGameMove(lineBuffer.data()) == 0) std::printf("illegal command: %s\n", lineBuffer.data());
}
