// Developers' console commands, perft and the benchmark.
#pragma once

// Runs a console command; any other word plays the line as a move.
void handleDebugCommand(const char* word);
