// Helpers shared by the unit tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "movegen/movegen.h"
#include "position/position.h"

// Start-up once per test process.
void ensureEngine();
// Sets up a FEN that must be accepted, at search ply 0.
void loadFen(const char* fen);
// Leaf count of the legal move tree (a move is legal when it does not leave
// the mover's king attacked); optionally checks the position after each move.
std::uint64_t legalWalk(int depth, bool checkConsistency = false);
// The moves of the current list at searchPly as coordinate texts.
std::vector<std::string> listTexts();
// Squares of a piece list in list order, as names like "e1".
std::vector<std::string> listSquares(int code);
std::string squareName(int s);
int squareFromName(const char* name);
// FEN text of the current position (half-move clock 0, move number 1).
std::string currentFen();
// Whole-text match where '#' stands for one or more digits and '*' for any
// run of characters (std::regex trips a compiler warning in sanitizer builds).
bool matchesPattern(const std::string& text, const std::string& pattern);
// The text with every " time <digits>" removed.
std::string withoutTimes(const std::string& text);
