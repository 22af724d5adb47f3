// Developers' console commands, perft and the benchmark.
#pragma once

// Runs a console command; any other word plays the line as a move.
void handleDebugCommand(const char* word);

// Counts the legal move tree below the current position into nodeCount.
void perft(int depth);
// The "perft" command on its argument text.
void perftCommand(const char* args);

// Searches the ten fixed positions for five seconds each and prints averages.
void benchmark();
