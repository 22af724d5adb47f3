// Helpers shared by the unit tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "eval/eval.h"
#include "movegen/movegen.h"
#include "position/position.h"
#include "search/search.h"

// The engine state of the test process, started once on first use.
// Its searches read no input, and its clock runs clockOffset ahead of the
// wall clock.
struct TestEngine {
  Position pos;
  SearchState search;
  SearchThread thread{search, 0};
  std::uint32_t clockOffset = 0;
};
TestEngine& testEngine();
// The evaluation data of the test engine's searches.
EvalData& testEval();
// Sets up a FEN that must be accepted in the test position, at search ply 0.
Position& loadFen(const char* fen);
// Leaf count of the legal move tree (a move is legal when it does not leave
// the mover's king attacked); optionally checks the position after each move.
std::uint64_t legalWalk(Position& pos, int depth, bool checkConsistency = false);
// Plays a pseudo-random legal move (seed is a linear congruential state,
// advanced); false, with nothing played, when there is none.
bool playRandomLegalMove(Position& pos, std::uint32_t& seed);
// The moves a generator produces in the position, in order.
using Generator = MoveEntry* (*)(const Position&, MoveEntry*);
std::vector<Move> generatedMoves(const Position& pos, Generator gen);
// Coordinate texts of moves.
std::vector<std::string> moveTexts(const std::vector<Move>& moves);
// Squares of a piece list in list order, as names like "e1".
std::vector<std::string> listSquares(const Position& pos, int code);
std::string squareName(int s);
int squareFromName(const char* name);
// FEN text of the position (half-move clock 0, move number 1).
std::string currentFen(const Position& pos);
// Board and every field but the undo records and the history alike; the
// lists alike as well, or (sortedLists) only as sets of squares.
bool sameState(const Position& a, const Position& b, bool sortedLists = false);
// Whole-text match where '#' stands for one or more digits and '*' for any
// run of characters (std::regex trips a compiler warning in sanitizer builds).
bool matchesPattern(const std::string& text, const std::string& pattern);
// The text with every " time <digits>", every progress line ("info time ...")
// and every current-move line ("info currmove ...") removed.
std::string withoutTimes(const std::string& text);
// The line without its " seldepth <digits>", which no fixed-depth result
// depends on.
std::string withoutSeldepth(const std::string& line);
// How often word occurs in text (overlapping occurrences count).
std::size_t countOf(const std::string& text, const std::string& word);
