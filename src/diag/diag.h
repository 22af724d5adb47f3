// Developers' console commands, perft and the benchmark.
#pragma once

#include "position/position.h"

// Runs a console command; any other word plays the line as a move.
void handleDebugCommand(Position& pos, const char* word);

// Counts the legal move tree below the current position into nodeCount.
void perft(Position& pos, int depth);
// The "perft" command on its argument text.
void perftCommand(Position& pos, const char* args);

// Searches the ten fixed positions for five seconds each and prints averages.
void benchmark(Position& pos);
