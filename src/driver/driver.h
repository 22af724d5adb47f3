// The engine driver: program start, the line reader and the UCI command
// loop, the position and go commands, and the input a running search polls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "position/position.h"
#include "search/search.h"

constexpr const char* ENGINE_NAME = "Tarnic";
constexpr const char* ENGINE_VERSION = "0.4";

constexpr int LINE_CAPACITY = 4096;    // at most 4095 characters of a line and a NUL
constexpr int COMMAND_CAPACITY = 132;  // at most 131 characters of a command word

// The Hash option: its range, and the default it advertises (a fresh engine
// has a table of DEFAULT_HASH_MB all the same).
constexpr int HASH_MIN_MB = 4;
constexpr int HASH_MAX_MB = 128;
constexpr int HASH_ADVERTISED_MB = 8;

// Standard input, read straight from fd 0 into the buffer, never through a
// stdio buffer, so that the waiting-input test sees every byte not yet used.
struct LineInput {
  std::array<char, 4096> buffer{};
  std::size_t pos = 0;
  std::size_t len = 0;
  bool atEnd = false;
  bool fromArguments = false;  // lines come from the command line: searches read no input
};

// The driver's own state.
struct Session {
  std::array<char, LINE_CAPACITY> lineBuffer{};  // current line; after the split, its rest
  LineInput input;
  std::int32_t ownTime = 0;    // clock time left to the side to move, milliseconds
  std::int32_t movesToGo = 0;  // moves to the next time control, 0 when not given
  int exitStatus = -1;         // the program's status once the session has ended
};

struct Engine {
  Position pos;
  SearchState search;              // what every search thread shares
  SearchThread thread{search, 0};  // the main search thread's own state
  Session session;
};

// ---------------------------------------------------------------------------
// Command loop
// ---------------------------------------------------------------------------

// Start-up of the position and the search state: UCI mode off, list starts,
// depth limit, hash table, exchange table and the start position; false
// when the hash table cannot be had.
bool initEngine(Position& pos, SearchThread& t);
// Banner and start-up, then the given lines in order, or without any the
// lines of standard input, until the session ends; returns the exit status
// (0 after "quit" and after the last argument, 1 at end of input or when
// the hash table cannot be had).
int runEngine(Engine& e, int lineCount, const char* const* lines);
// Splits the session's line and runs the command it names; false once the
// session has ended (exitStatus says how).
bool dispatchCommand(Engine& e);
// The UCI position command on its argument text.
void positionCommand(Position& pos, const char* args);

// ---------------------------------------------------------------------------
// Input and clock
// ---------------------------------------------------------------------------

// Wall-clock milliseconds in 32 bits (wraps).
std::uint32_t currentTimeMs();
// Reads one line into the session's line buffer; false at end of input.
bool readLine(Session& session);
// True when unread input is waiting.
bool inputAvailable(const Session& session);
// Reads and answers one line during a search or its wait; true when it asks
// the search to stop. "quit" and end of input end the session.
bool handleSearchCommand(Engine& e);
// The clock and the polls of standard input, for the engine's searches.
SearchInput searchInputOf(Engine& e);
// Progress lines and statistics written to standard output, in UCI or
// console form as s.uciMode says.
SearchReport standardOutputReport(SearchState& s);

// ---------------------------------------------------------------------------
// Go command
// ---------------------------------------------------------------------------

void handleGo(Engine& e, const char* args);
// The clock budget; a movetime of 0 or more replaces it and leaves the clock alone.
void allocateTime(Engine& e, std::int32_t moveTime = -1);
