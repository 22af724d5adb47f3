// Shared set-up of the fuzz targets: the engine starts once, its output goes
// to /dev/null, and every input begins from the same state.
#pragma once

#include <cstdio>

#include "driver/driver.h"
#include "eval/eval.h"
#include "position/position.h"
#include "search/search.h"

inline Position& startFuzzEngine() {
  static Position pos;  // static: far too large for the stack
  static const bool started = [] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return false;
    initEngine(pos);
    inputFromArguments = true;  // searches never read standard input
    return true;
  }();
  (void)started;
  engineFlags = 0;
  pos.searchPly = 0;
  maxDepth = 50;
  ownTime = 0;
  setupFen(pos, START_FEN);
  return pos;
}
