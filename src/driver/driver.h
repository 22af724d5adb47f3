// Program entry, line input, the UCI command loop, input polling, the
// clock and the go command.
#pragma once

#include <array>
#include <cstdint>

#include "position/position.h"
#include "search/search.h"

// ---------------------------------------------------------------------------
// Command loop
// ---------------------------------------------------------------------------

constexpr const char* ENGINE_NAME = "Tarnic";
constexpr const char* ENGINE_VERSION = "0.4";

constexpr int LINE_CAPACITY = 4096;    // at most 4095 characters of a line and a NUL
constexpr int COMMAND_CAPACITY = 132;  // at most 131 characters of a command word

inline std::array<char, LINE_CAPACITY> lineBuffer{};  // current line; after the split, its rest

// Case-insensitive comparisons: whole strings, and the first n characters.
int strEqualNoCase(const char* a, const char* b);
int strEqualNoCaseN(int n, const char* s, const char* keyword);

// Decimal integer as the C conversion reads it (blanks, sign, digits; no
// digits gives 0), clamped to the int range instead of overflowing.
int parseInt(const char* text);

// Reads one line of standard input into lineBuffer; exits with status 1 at
// end of input. Returns the number of characters stored.
int readLine();
// Start-up: UCI mode off, list starts, depth limit, hash table, exchange
// table, the start position, and the search's clock and input.
void initEngine(Position& pos, SearchState& s);
// Splits the text in lineBuffer and runs the command it names.
void dispatchCommand(Position& pos, SearchState& s);
// The UCI position command on its argument text.
void positionCommand(Position& pos, const char* args);
// The Hash option; text is what follows "setoption name".
void setOption(SearchState& s, const char* text);
// Ends the program with status. A fuzzing build throws EngineExit instead,
// so that one input's "quit" does not end the whole run.
struct EngineExit {
  int status;
};
[[noreturn]] void engineExit(int status);

// Engine start-up, then the given lines in order and exit status 0, or
// without any, the loop over standard input; never returns.
[[noreturn]] void runEngine(int lineCount, const char* const* lines);

// ---------------------------------------------------------------------------
// Clock, input polling and search control
// ---------------------------------------------------------------------------

inline bool inputFromArguments = false;  // lines come from the command line: searches read no input

// Wall-clock milliseconds in 32 bits (wraps).
std::uint32_t currentTimeMs();
// The search's input: the clock above and the polls of standard input.
SearchInput driverSearchInput();
// True when unread input is waiting.
bool inputAvailable();
// Reads one line during a search; true when it asks the search to stop.
bool handleSearchCommand(SearchState& s);

// ---------------------------------------------------------------------------
// Go command
// ---------------------------------------------------------------------------

inline std::int32_t ownTime = 0;    // clock time left to the side to move, milliseconds
inline std::int32_t movesToGo = 0;  // moves to the next time control, 0 when not given

void handleGo(Position& pos, SearchState& s, const char* args);
// The clock budget; a movetime of 0 or more replaces it and leaves the clock alone.
void allocateTime(const Position& pos, SearchState& s, std::int32_t moveTime = -1);
