// Shared set-up of the fuzz targets: the engine starts once, its output goes
// to /dev/null, and every input begins from the same state.
#pragma once

#include <cstdio>

#include "driver/driver.h"
#include "eval/eval.h"
#include "position/position.h"

inline void startFuzzEngine() {
  static const bool started = [] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return false;
    initEngine();
    inputFromArguments = true;  // searches never read standard input
    return true;
  }();
  (void)started;
  engineFlags = 0;
  searchPly = 0;
  maxDepth = 50;
  ownTime = 0;
  setupFen(START_FEN);
}
