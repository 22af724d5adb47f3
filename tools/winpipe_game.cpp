// A Windows program that plays Tarnic against itself through anonymous
// Windows pipes, as a Windows interface starts an engine: both sides ponder
// (ponderhit on the expected reply, stop and a new search otherwise).
// Fails on a missing answer, an engine that ends, or any line refusing a move.
// Usage: winpipe_game.exe ENGINE.exe [PLIES] [MILLISECONDS_PER_SIDE]
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Child {
  HANDLE in = nullptr;   // the engine's standard input, our end
  HANDLE out = nullptr;  // its standard output, our end
  std::string pending;   // read but not yet taken
  std::string log;
};

bool start(const char* exe, Child& c) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE inRead, inWrite, outRead, outWrite;
  if (!CreatePipe(&inRead, &inWrite, &sa, 0) || !CreatePipe(&outRead, &outWrite, &sa, 0)) return false;
  SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inRead;
  si.hStdOutput = outWrite;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string cmd = std::string("\"") + exe + "\"";
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(inRead);
  CloseHandle(outWrite);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  c.in = inWrite;
  c.out = outRead;
  return true;
}

void send(Child& c, const std::string& line) {
  const std::string text = line + "\n";
  DWORD n;
  WriteFile(c.in, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
}

// The next line that starts with prefix (earlier lines are logged); "" when
// the engine has ended.
std::string waitFor(Child& c, const std::string& prefix) {
  for (;;) {
    std::size_t nl;
    while ((nl = c.pending.find('\n')) != std::string::npos) {
      std::string line = c.pending.substr(0, nl);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      c.pending.erase(0, nl + 1);
      c.log += line + "\n";
      if (line.compare(0, prefix.size(), prefix) == 0) return line;
    }
    char buf[4096];
    DWORD n = 0;
    if (!ReadFile(c.out, buf, sizeof buf, &n, nullptr) || n == 0) return "";
    c.pending.append(buf, n);
  }
}

std::string word(const std::string& line, int k) {
  std::size_t at = 0;
  for (int i = 0; i <= k; ++i) {
    const std::size_t start = line.find_first_not_of(' ', at);
    if (start == std::string::npos) return "";
    at = line.find(' ', start);
    if (i == k) return line.substr(start, at == std::string::npos ? std::string::npos : at - start);
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int plies = argc > 2 ? std::atoi(argv[2]) : 30;
  long clock[2] = {argc > 3 ? std::atol(argv[3]) : 10000, argc > 3 ? std::atol(argv[3]) : 10000};
  Child side[2];
  for (Child& c : side) {
    if (!start(argv[1], c)) return 2;
    send(c, "uci");
    if (waitFor(c, "uciok").empty()) return 3;
  }
  std::string moves;
  std::string expected[2];  // the reply each side ponders on, or ""
  int hits = 0, misses = 0;
  for (int ply = 0; ply < plies; ++ply) {
    Child& c = side[ply % 2];
    std::string& guess = expected[ply % 2];
    const std::string last = moves.empty() ? "" : moves.substr(moves.rfind(' ') + 1);
    const std::string clocks = " wtime " + std::to_string(clock[0]) + " btime " + std::to_string(clock[1]);
    const DWORD t0 = GetTickCount();
    if (!guess.empty() && guess == last) {
      send(c, "ponderhit");
      ++hits;
    } else {
      if (!guess.empty()) {
        send(c, "stop");
        if (waitFor(c, "bestmove").empty()) return 4;
        ++misses;
      }
      send(c, "position startpos" + (moves.empty() ? "" : " moves" + moves));
      send(c, "go" + clocks);
    }
    const std::string answer = waitFor(c, "bestmove");
    clock[ply % 2] -= static_cast<long>(GetTickCount() - t0);
    const std::string best = word(answer, 1);
    if (best.empty() || best == "a1a1") break;  // the game is over (or the engine has ended)
    moves += " " + best;
    guess = word(answer, 3);
    if (!guess.empty()) {
      send(c, "position startpos moves" + moves + " " + guess);
      send(c, "go ponder" + clocks);
    }
  }
  int faults = 0;
  for (Child& c : side) {
    send(c, "stop");
    send(c, "quit");
    waitFor(c, "\x01");  // everything up to the end
    for (const char* bad : {"Error", "Unexpected", "illegal"})
      if (c.log.find(bad) != std::string::npos) ++faults;
  }
  std::printf("moves:%s\nponderhits %d, ponder misses %d, clocks %ld %ld ms, faults %d\n", moves.c_str(),
              hits, misses, clock[0], clock[1], faults);
  return faults == 0 && clock[0] > 0 && clock[1] > 0 ? 0 : 1;
}
