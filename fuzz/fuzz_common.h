// Shared set-up of the fuzz targets: the engine starts once, its output goes
// to /dev/null, and every input begins from the same state.
#pragma once

#include <cstdio>

#include "diag/diag.h"
#include "driver/driver.h"
#include "eval/eval.h"
#include "position/position.h"
#include "search/search.h"

inline Engine& startFuzzEngine() {
  static Engine engine;  // static: far too large for the stack
  static const bool started = [] {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return false;
    if (!initEngine(engine.pos, engine.thread)) return false;
    engine.search.input = searchInputOf(engine);
    engine.session.input.fromArguments = true;  // searches never read standard input
    return true;
  }();
  if (!started) __builtin_trap();
  engine.search.uciMode = false;
  engine.search.maxDepth = 50;
  engine.search.abandoned = false;
  engine.pos.searchPly = 0;
  engine.session.ownTime = 0;
  engine.session.exitStatus = -1;
  setupFen(engine.pos, START_FEN);
  return engine;
}
