// Program entry, line input, the UCI command loop, input polling, the
// clock and the go command.
#pragma once

#include <array>
#include <cstdint>

// ---------------------------------------------------------------------------
// Command loop
// ---------------------------------------------------------------------------

constexpr const char* ENGINE_NAME = "Tarnic";
constexpr const char* ENGINE_VERSION = "0.4";

constexpr int LINE_CAPACITY = 4096;    // at most 4095 characters of a line and a NUL
constexpr int COMMAND_CAPACITY = 132;  // at most 131 characters of a command word

constexpr int UCI_MODE = 1;  // bit of engineFlags set by "uci"

inline std::array<char, LINE_CAPACITY> lineBuffer{};  // current line; after the split, its rest
inline int engineFlags = 0;                           // mode flags; bit 0 is UCI mode
inline bool uciMode() { return (engineFlags & UCI_MODE) != 0; }

// Case-insensitive comparisons: whole strings, and the first n characters.
int strEqualNoCase(const char* a, const char* b);
int strEqualNoCaseN(int n, const char* s, const char* keyword);

// Decimal integer as the C conversion reads it (blanks, sign, digits; no
// digits gives 0), clamped to the int range instead of overflowing.
int parseInt(const char* text);

// Reads one line of standard input into lineBuffer; exits with status 1 at
// end of input. Returns the number of characters stored.
int readLine();
// Splits the text in lineBuffer and runs the command it names.
void dispatchCommand();
// The Hash option; text is what follows "setoption name".
void setOption(const char* text);
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

constexpr int GO_INFINITE = 1;
constexpr int GO_PONDER = 2;

inline int searchFlags = 0;                // GO_INFINITE and GO_PONDER of the current go
inline std::uint32_t stopTime = 0;         // clock value at which a timed search stops
inline int stopSearch = 0;                 // set to make the search unwind
inline std::uint32_t searchStartTime = 0;  // clock value at the start of the search
inline std::int64_t nodeCount = 0;         // nodes of the current search
inline std::uint32_t clockOffset = 0;      // added to the clock; lets tests place it near the wrap
inline bool inputFromArguments = false;    // lines come from the command line: searches read no input
inline bool clockLimited = true;           // a timed search stops at stopTime (not for depth or nodes alone)
constexpr std::int64_t NO_NODE_LIMIT = -1;
inline std::int64_t nodeLimit = NO_NODE_LIMIT;  // "go nodes": stop at the first poll at or past it

// A plain timed search that stops at the deadline: no ponder, no node limit.
inline void setTimedSearch(std::uint32_t deadline) {
  searchFlags = 0;
  stopTime = deadline;
  clockLimited = true;
  nodeLimit = NO_NODE_LIMIT;
}

// Wall-clock milliseconds in 32 bits (wraps).
std::uint32_t currentTimeMs();
// Clock values compare by their signed difference, so a wrap changes nothing.
constexpr bool clockReached(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) >= 0;
}
// Non-zero when unread input is waiting.
int inputAvailable();
// Reads waiting input and the clock; may set stopSearch. Once the search
// has been told to stop it reads nothing more: the lines that follow belong
// to the command loop.
void pollInput();
// Reads one line during a search; 1 when it asks the search to stop.
int handleSearchCommand();

// ---------------------------------------------------------------------------
// Go command
// ---------------------------------------------------------------------------

inline std::int32_t ownTime = 0;    // clock time left to the side to move, milliseconds
inline std::int32_t movesToGo = 0;  // moves to the next time control, 0 when not given

void handleGo(const char* args);
// The clock budget; a movetime of 0 or more replaces it and leaves the clock alone.
void allocateTime(std::int32_t moveTime = -1);
