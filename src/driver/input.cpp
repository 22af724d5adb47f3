// Standard input: the line reader, the waiting-input test, the clock and
// the polls a running search makes.
#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "diag/diag.h"
#include "driver/driver.h"

namespace {

int nextChar(LineInput& in) {
  if (in.pos == in.len) {
    if (in.atEnd) return -1;
    ssize_t n;
    do {
      n = read(0, in.buffer.data(), in.buffer.size());
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      in.atEnd = true;
      return -1;
    }
    in.pos = 0;
    in.len = static_cast<std::size_t>(n);
  }
  return static_cast<unsigned char>(in.buffer[in.pos++]);
}

// The session ends; a running search unwinds without printing more.
void endSession(Engine& e, int status) {
  e.session.exitStatus = status;
  e.search.stopSearch = true;
  e.search.abandoned = true;
}

}  // namespace

bool readLine(Session& session) {
  int n = 0;
  for (;;) {
    const int c = nextChar(session.input);
    if (c < 0) return false;
    if (c == '\n') break;
    if (n < LINE_CAPACITY - 1) session.lineBuffer[n++] = static_cast<char>(c);
  }
  session.lineBuffer[n] = 0;
  return true;
}

std::uint32_t currentTimeMs() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  return static_cast<std::uint32_t>(tv.tv_sec) * 1000u + static_cast<std::uint32_t>(tv.tv_usec / 1000);
}

bool inputAvailable(const Session& session) {
  const LineInput& in = session.input;
  if (in.fromArguments) return false;
  if (in.pos < in.len || in.atEnd) return true;
  pollfd p{0, POLLIN, 0};
  // A closed pipe reports POLLHUP: the next read then meets end of input.
  return poll(&p, 1, 0) > 0;
}

bool handleSearchCommand(Engine& e) {
  if (!readLine(e.session)) {
    endSession(e, 1);
    return true;
  }
  SearchState& s = e.search;
  const char* line = e.session.lineBuffer.data();
  if (strEqualNoCaseN(4, line, "stop")) {
    s.searchFlags &= ~(GO_INFINITE | GO_PONDER);
    return true;
  }
  if (strEqualNoCaseN(9, line, "ponderhit")) {
    s.searchFlags &= ~GO_PONDER;
    return false;
  }
  if (strEqualNoCaseN(4, line, "quit")) {
    std::printf("Quitting during think, bye\n");
    endSession(e, 0);
    return true;
  }
  if (strEqualNoCaseN(7, line, "isready")) {
    std::printf("readyok\n");  // an interface waits for this even while we think
    return false;
  }
  std::printf("Unexpected command: %s\n", line);
  return false;
}

SearchInput searchInputOf(Engine& e) {
  SearchInput in;
  in.context = &e;
  in.clock = [](void*) { return currentTimeMs(); };
  in.poll = [](void* context, SearchState& s) {
    Engine& engine = *static_cast<Engine*>(context);
    if (inputAvailable(engine.session) && handleSearchCommand(engine)) s.stopSearch = true;
  };
  return in;
}
