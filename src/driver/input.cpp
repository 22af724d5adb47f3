// Standard input on a thread of its own: the reader, the queue of complete
// lines it fills, the command loop's and the searches' sides of that queue,
// and the search clock.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "diag/diag.h"
#include "driver/driver.h"

namespace {

// Under the queue's lock: drops the taken lines at the front.
void dropTakenFront(LineQueue& q) {
  while (q.count > 0 && q.taken[q.head]) {
    q.taken[q.head] = false;
    q.head = (q.head + 1) % LineQueue::CAPACITY;
    --q.count;
  }
}

// What a line means to a running search.
enum class LineKind { STEER, READY, QUIT, STARTS_SEARCH, OTHER };

LineKind kindOf(const char* line) {
  // Only the first letters count: "STOPPED" stops as well.
  if (strEqualNoCaseN(4, line, "stop") || strEqualNoCaseN(9, line, "ponderhit")) return LineKind::STEER;
  if (strEqualNoCaseN(4, line, "quit")) return LineKind::QUIT;
  if (strEqualNoCaseN(7, line, "isready")) return LineKind::READY;
  while (*line == ' ' || *line == '\t') ++line;
  if (strEqualNoCaseN(2, line, "go") && (line[2] == 0 || line[2] == ' ' || line[2] == '\t'))
    return LineKind::STARTS_SEARCH;
  return LineKind::OTHER;
}

// Under the queue's lock: whether a line not yet taken starts a search.
bool searchQueued(const LineQueue& q) {
  for (int k = 0; k < q.count; ++k) {
    const int i = (q.head + k) % LineQueue::CAPACITY;
    if (!q.taken[i] && kindOf(q.lines[i].data()) == LineKind::STARTS_SEARCH) return true;
  }
  return false;
}

void pushLine(LineQueue& q, const char* text, std::size_t length) {
  std::unique_lock lock(q.lock);
  q.changed.wait(lock, [&q] {
    dropTakenFront(q);
    return q.count < LineQueue::CAPACITY;
  });
  const int i = (q.head + q.count) % LineQueue::CAPACITY;
  std::memcpy(q.lines[i].data(), text, length);
  q.lines[i][length] = 0;
  q.taken[i] = false;
  // A "stop" behind a queued "go" is that later search's; otherwise it
  // belongs to the running one (a search that has not begun yet clears the
  // flag as it starts and finds the line at its first poll).
  if (q.searchStop != nullptr && strEqualNoCaseN(4, q.lines[i].data(), "stop") && !searchQueued(q))
    q.searchStop->store(true, std::memory_order_relaxed);
  ++q.count;
  q.version.fetch_add(1, std::memory_order_release);
  q.changed.notify_all();
}

enum class Taken { NOTHING, LINE, END };

// Under the queue's lock: takes the first line a running search answers,
// leaving the others in order for the command loop. "stop" and "ponderhit"
// behind a queued "go" belong to that later search; "isready" and "quit"
// are answered wherever they stand. The end of input counts once no queued
// line stands before it, or when the search has no limit of its own (no
// "stop" can come any more).
Taken takeSearchLine(LineQueue& q, bool unlimited, std::array<char, LINE_CAPACITY>& out) {
  bool kept = false;
  bool searchQueued = false;
  for (int k = 0; k < q.count; ++k) {
    const int i = (q.head + k) % LineQueue::CAPACITY;
    if (q.taken[i]) continue;
    const LineKind kind = kindOf(q.lines[i].data());
    if (kind == LineKind::READY || kind == LineKind::QUIT || (kind == LineKind::STEER && !searchQueued)) {
      out = q.lines[i];
      q.taken[i] = true;
      dropTakenFront(q);
      q.changed.notify_all();
      return Taken::LINE;
    }
    kept = true;
    if (kind == LineKind::STARTS_SEARCH) searchQueued = true;
  }
  return q.ended && (!kept || unlimited) ? Taken::END : Taken::NOTHING;
}

// The next line for a search; with wait, blocks until there is one.
Taken nextSearchLine(Engine& e, bool wait) {
  LineInput& in = e.session.input;
  LineQueue& q = *in.queue;
  std::unique_lock lock(q.lock);
  for (;;) {
    const bool unlimited = (e.search.searchFlags & (GO_INFINITE | GO_PONDER)) != 0;
    const std::uint32_t version = q.version.load(std::memory_order_relaxed);
    const Taken t = takeSearchLine(q, unlimited, e.session.searchLine);
    if (t != Taken::NOTHING) return t;
    in.scannedVersion = version;
    if (!wait) return t;
    q.changed.wait(lock);
  }
}

// The session ends; a running search unwinds without printing more.
void endSession(Engine& e, int status) {
  e.session.exitStatus = status;
  e.search.stopSearch = true;
  e.search.abandoned = true;
}

// Acts on a line a search has taken; true when it stops the search.
bool answerSearchLine(Engine& e) {
  SearchState& s = e.search;
  const char* line = e.session.searchLine.data();
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
  std::printf("readyok\n");  // an interface waits for this even while we think
  return false;
}

}  // namespace

std::size_t queueCompleteLines(LineQueue& queue, std::array<char, LINE_CAPACITY>& partial,
                               std::size_t partialLength, bool& partialTooLong, const char* data,
                               std::size_t size) {
  std::size_t n = partialLength;
  for (std::size_t k = 0; k < size; ++k) {
    const char c = data[k];
    if (c != '\n') {
      if (n < LINE_CAPACITY - 1)
        partial[n++] = c;
      else
        partialTooLong = true;  // the rest of a long line is dropped
      continue;
    }
    if (n > 0 && partial[n - 1] == '\r' && !partialTooLong) --n;  // a CR LF line end
    pushLine(queue, partial.data(), n);
    n = 0;
    partialTooLong = false;
  }
  return n;
}

void queueEndOfInput(LineQueue& queue) {
  std::lock_guard lock(queue.lock);
  queue.ended = true;
  queue.version.fetch_add(1, std::memory_order_release);
  queue.changed.notify_all();
}

void startInputReader(LineQueue& queue) {
  std::thread([&queue] {
    std::array<char, LINE_CAPACITY> partial{};
    std::array<char, 4096> chunk{};
    std::size_t length = 0;
    bool tooLong = false;
    // An unfinished last line is dropped with the end of input.
    while (const std::size_t n = readStandardInput(chunk.data(), chunk.size()))
      length = queueCompleteLines(queue, partial, length, tooLong, chunk.data(), n);
    queueEndOfInput(queue);
  }).detach();  // it may wait in a read until the process ends
}

bool readLine(Session& session) {
  if (session.input.queue == nullptr) return false;
  LineQueue& q = *session.input.queue;
  std::unique_lock lock(q.lock);
  for (;;) {
    dropTakenFront(q);
    if (q.count > 0) {
      session.lineBuffer = q.lines[q.head];
      q.head = (q.head + 1) % LineQueue::CAPACITY;
      --q.count;
      q.changed.notify_all();
      return true;
    }
    if (q.ended) return false;
    q.changed.wait(lock);
  }
}

std::uint32_t currentTimeMs() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

bool handleSearchCommand(Engine& e, bool wait) {
  LineInput& in = e.session.input;
  if (in.queue == nullptr) return false;
  if (!wait && in.queue->version.load(std::memory_order_acquire) == in.scannedVersion) return false;
  // Everything that has arrived is answered at once: a burst of "isready"
  // does not wait a poll per line.
  for (bool waitNow = wait;; waitNow = false) {
    const Taken t = nextSearchLine(e, waitNow);
    if (t == Taken::NOTHING) return false;
    if (t == Taken::END) {
      endSession(e, 1);
      return true;
    }
    if (answerSearchLine(e)) return true;
  }
}

SearchInput searchInputOf(Engine& e) {
  SearchInput in;
  in.context = &e;
  in.clock = [](void*) { return currentTimeMs(); };
  in.poll = [](void* context, SearchState& s) {
    if (handleSearchCommand(*static_cast<Engine*>(context), false)) s.stopSearch = true;
  };
  return in;
}
