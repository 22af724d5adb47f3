// Standard input: the line reader, the waiting-input test, the clock and
// the polls a running search makes.
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "driver/driver.h"

namespace {

// Input is read straight from fd 0 into this buffer, never through a stdio
// buffer, so the waiting-input test sees every byte that has not been used.
std::array<char, 4096> InBuffer{};
std::size_t inPos = 0;
std::size_t inLen = 0;
bool inEnd = false;

int nextChar() {
  if (inPos == inLen) {
    if (inEnd) return -1;
    ssize_t n;
    do {
      n = read(0, InBuffer.data(), InBuffer.size());
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      inEnd = true;
      return -1;
    }
    inPos = 0;
    inLen = static_cast<std::size_t>(n);
  }
  return static_cast<unsigned char>(InBuffer[inPos++]);
}

}  // namespace

int readLine() {
  int n = 0;
  for (;;) {
    const int c = nextChar();
    if (c < 0) engineExit(1);
    if (c == '\n') break;
    if (n < LINE_CAPACITY - 1) lineBuffer[n++] = static_cast<char>(c);
  }
  lineBuffer[n] = 0;
  return n;
}

std::uint32_t currentTimeMs() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return static_cast<std::uint32_t>(tv.tv_sec) * 1000u + static_cast<std::uint32_t>(tv.tv_usec / 1000) +
         clockOffset;
}

int inputAvailable() {
  if (inputFromArguments) return 0;
  if (inPos < inLen || inEnd) return 1;
  pollfd p{0, POLLIN, 0};
  // A closed pipe reports POLLHUP: the next read then meets end of input.
  return poll(&p, 1, 0) > 0 ? 1 : 0;
}

int handleSearchCommand() {
  readLine();
  const char* line = lineBuffer.data();
  if (strEqualNoCaseN(4, line, "stop") == 0) {
    searchFlags &= ~(GO_INFINITE | GO_PONDER);
    return 1;
  }
  if (strEqualNoCaseN(9, line, "ponderhit") == 0) {
    searchFlags &= ~GO_PONDER;
    return 0;
  }
  if (strEqualNoCaseN(4, line, "quit") == 0) {
    std::printf("Quitting during think, bye\n");
    engineExit(0);
  }
  if (strEqualNoCaseN(7, line, "isready") == 0) {
    std::printf("readyok\n");  // an interface waits for this even while we think
    return 0;
  }
  std::printf("Unexpected command: %s\n", line);
  return 0;
}

void pollInput() {
  // The nodes that unwind after a stop keep polling; they must not eat the
  // lines a client sends after "stop" (the next position and go).
  if (stopSearch) return;
  if (inputAvailable() && handleSearchCommand()) stopSearch = 1;
  if (searchFlags & (GO_INFINITE | GO_PONDER)) return;
  if (nodeLimit != NO_NODE_LIMIT && nodeCount >= nodeLimit) stopSearch = 1;
  if (clockLimited && clockReached(currentTimeMs(), stopTime)) stopSearch = 1;
}
