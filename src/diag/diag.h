// Developers' console commands, perft and the benchmark.
#pragma once

#include <cstdint>

#include "position/position.h"
#include "search/search.h"

// Runs the console command word with the rest of its line; any other word
// plays the line as a move.
void handleDebugCommand(Position& pos, SearchThread& t, const char* word, const char* rest);

// The number of legal moves made in the tree below the position, at every
// level down to depth; the move lists go from list on.
std::uint64_t perft(Position& pos, int depth, MoveEntry* list);
// The "perft" command on its argument text.
void perftCommand(Position& pos, SearchThread& t, const char* args);

// Searches the ten fixed positions for five seconds each and prints averages.
void benchmark(Position& pos, SearchThread& t);

// Case-insensitive comparisons, true on a match: whole strings, and the
// first n characters (fewer where both strings end together).
bool strEqualNoCase(const char* a, const char* b);
bool strEqualNoCaseN(int n, const char* s, const char* keyword);
// Decimal integer as the C conversion reads it (blanks, sign, digits; no
// digits gives 0), clamped to the int range instead of overflowing.
int parseInt(const char* text);
