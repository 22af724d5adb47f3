// Whole input scripts through the command dispatcher. Searches are kept
// short: "go" lines get a depth of 2 and lose "infinite" and "ponder", the
// timed console searches are skipped and perft depths are capped at 3.
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
    eraseAll(line, "infinite");
    eraseAll(line, "ponder");
    eraseAll(line, "depth");
    return line + " depth 2";
  }
  if (word == "perft") {
    int depth = end == std::string::npos ? 0 : parseInt(line.c_str() + end);
    if (depth > 3) depth = 3;
    return "perft " + std::to_string(depth);
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Engine& engine = startFuzzEngine();
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t pos = 0;
  while (pos < input.size()) {
    std::size_t nl = input.find('\n', pos);
    if (nl == std::string::npos) nl = input.size();
    std::string line = input.substr(pos, nl - pos);
    pos = nl + 1;
    line = line.substr(0, std::strlen(line.c_str()));  // the reader's text ends at a NUL
    line = tame(line.substr(0, LINE_CAPACITY - 1));
    if (line.empty()) continue;
    std::array<char, LINE_CAPACITY>& buffer = engine.session.lineBuffer;
    std::snprintf(buffer.data(), buffer.size(), "%s", line.c_str());
    const bool goesOn = dispatchCommand(engine);
    if (!positionIsConsistent(engine.pos)) __builtin_trap();
    if (!goesOn) break;  // "quit" ends the input
  }
  return 0;
}
