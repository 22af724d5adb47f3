// Shared set-up of the fuzz targets: the engine starts once, its output goes
// to /dev/null, and every input begins from the same state.
#pragma once

#include <cstdio>

#include "driver/driver.h"
#include "eval/eval.h"
#include "position/position.h"
#include "search/search.h"

struct FuzzEngine {
  Position pos;
  SearchState search;
};

inline FuzzEngine& startFuzzEngine() {
  static FuzzEngine engine;  // static: far too large for the stack
  static const bool started = [] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return false;
    initEngine(engine.pos, engine.search);
    inputFromArguments = true;  // searches never read standard input
    return true;
  }();
  (void)started;
  engine.search.uciMode = false;
  engine.pos.searchPly = 0;
  engine.search.maxDepth = 50;
  ownTime = 0;
  setupFen(engine.pos, START_FEN);
  return engine;
}
