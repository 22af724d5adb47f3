// Whole input scripts through the command dispatcher. Inputs are kept
// quick: "go" lines get a depth of 1 (2 when they ask for 2 or more) and lose
// "infinite" and "ponder", the timed console searches are skipped, perft
// depths are capped at 2 and the hash table at 4 MB.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_common.h"

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return s;
}

void eraseAll(std::string& s, const char* word) {
  for (std::size_t at; (at = s.find(word)) != std::string::npos;) s.erase(at, std::strlen(word));
}

// The line as the harness lets it reach the dispatcher; empty to skip it.
std::string tame(std::string line) {
  const std::size_t start = line.find_first_not_of(" \t\r\v\f");
  if (start == std::string::npos) return line;
  const std::size_t end = line.find_first_of(" \t\r\v\f", start);
  const std::string word =
      lower(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
  if (word == "think" || word == "hint" || word == "bench") return "";
  if (word == "go") {
    // The depth the line asks for, as 1 or 2 (1 when it names none).
    const std::size_t at = lower(line).find("depth");
    const int depth = at == std::string::npos ? 1 : parseInt(line.c_str() + at + 5) >= 2 ? 2 : 1;
    eraseAll(line, "infinite");
    eraseAll(line, "ponder");
    eraseAll(line, "depth");
    return line + " depth " + std::to_string(depth);
  }
  if (word == "setoption" && lower(line).find("hash") != std::string::npos) {
    // Tables of more than 4 MB take longer to set up than the rest of an
    // input; the clamping of the value has tests of its own.
    const std::size_t at = lower(line).find("value");
    if (at == std::string::npos) return line;
    const int mb = parseInt(line.c_str() + at + 5);
    return mb > 4 || mb == 1 ? line.substr(0, at + 5) + " 4" : line;
  }
  if (word == "perft") {
    int depth = end == std::string::npos ? 0 : parseInt(line.c_str() + end);
    if (depth > 2) depth = 2;
    return "perft " + std::to_string(depth);
  }
  return line;
}

// Runs the lines the queue holds; false once the session has ended. Before
// each "go" the queue is polled once as the search would poll it, so that
// the lines a search takes out of order are fuzzed too.
bool runQueuedLines(Engine& engine, LineQueue& queue) {
  const auto waiting = [&queue] {
    for (int k = 0; k < queue.count; ++k)
      if (!queue.taken[(queue.head + k) % LineQueue::CAPACITY]) return true;
    return false;
  };
  while (waiting()) {
    if (!readLine(engine.session)) return false;
    std::array<char, LINE_CAPACITY>& buffer = engine.session.lineBuffer;
    const std::string line = tame(buffer.data());
    if (line.empty()) continue;
    std::snprintf(buffer.data(), buffer.size(), "%s", line.c_str());
    if (line.find_first_not_of(" \t\r\v\f") == lower(line).find("go ")) {
      engine.search.searchFlags = 0;
      if (handleSearchCommand(engine, false) && engine.session.exitStatus >= 0) return false;
    }
    const bool goesOn = dispatchCommand(engine);
    if (!positionIsConsistent(engine.pos)) __builtin_trap();
    if (!goesOn) return false;  // "quit" ends the input
  }
  return true;
}

}  // namespace

// The input reaches the engine as a pipe would deliver it: in chunks (their
// length from the first byte) through the line reader, then the queue.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = startFuzzEngine();
  static LineQueue queue;
  queue.head = queue.count = 0;
  queue.ended = false;
  engine.session.input.queue = &queue;
  engine.session.input.scannedVersion = queue.version;
  if (size == 0) return 0;
  // At most CAPACITY bytes a chunk, so the queue never has to wait for room.
  const std::size_t chunk = 1 + data[0] % LineQueue::CAPACITY;
  std::array<char, LINE_CAPACITY> partial{};
  std::size_t partialLength = 0;
  bool tooLong = false;
  for (std::size_t at = 1; at < size; at += chunk) {
    const std::size_t n = std::min(chunk, size - at);
    partialLength = queueCompleteLines(queue, partial, partialLength, tooLong,
                                       reinterpret_cast<const char*>(data + at), n);
    if (!runQueuedLines(engine, queue)) return 0;
  }
  queueEndOfInput(queue);
  if (readLine(engine.session)) __builtin_trap();  // nothing is left but the unfinished line
  return 0;
}
