// Developers' console commands, perft and the benchmark.
#pragma once

#include <cstdint>

#include "position/position.h"
#include "search/search.h"

// Runs a console command; any other word plays the line as a move.
void handleDebugCommand(Position& pos, SearchState& s, const char* word);

// The number of legal moves made in the tree below the position, at every
// level down to depth; the move lists go from list on.
std::uint64_t perft(Position& pos, int depth, MoveEntry* list);
// The "perft" command on its argument text.
void perftCommand(Position& pos, SearchState& s, const char* args);

// Searches the ten fixed positions for five seconds each and prints averages.
void benchmark(Position& pos, SearchState& s);
