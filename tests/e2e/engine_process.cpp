#include "e2e/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

long long nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

// The command that starts the engine: TARNIC_ENGINE (words split at blanks,
// such as "wine64 build-windows/tarnic.exe") or the engine built beside the tests.
std::vector<std::string> engineCommand() {
  std::vector<std::string> words;
  const char* command = std::getenv("TARNIC_ENGINE");
  if (command == nullptr || *command == 0) return {TARNIC_BINARY};
  std::string word;
  for (const char* p = command;; ++p) {
    if (*p == ' ' || *p == 0) {
      if (!word.empty()) words.push_back(word);
      word.clear();
      if (*p == 0) break;
    } else {
      word += *p;
    }
  }
  return words;
}

// Starts the engine with its standard input and output on pipes.
pid_t spawnEngine(const std::vector<std::string>& args, int& inFd, int& outFd) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[0]);
    close(in[1]);
    close(out[0]);
    close(out[1]);
    std::vector<std::string> command = engineCommand();
    command.insert(command.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : command) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  signal(SIGPIPE, SIG_IGN);
  fcntl(in[1], F_SETFL, O_NONBLOCK);
  inFd = in[1];
  outFd = out[0];
  return pid;
}

}  // namespace

EngineRun runEngineSession(const std::vector<SessionStep>& steps, const std::vector<std::string>& args,
                           int timeoutSeconds) {
  int inFd = -1, outFd = -1;
  const pid_t pid = spawnEngine(args, inFd, outFd);
  if (pid < 0) return {"", -1};
  std::string output;
  std::string pending;  // written as the pipe accepts it
  bool closeAfterPending = false;
  std::size_t step = 0;
  long long readySince = -1;  // when the current step's wait condition was met
  const long long deadline = nowMs() + timeoutSeconds * 1000LL;
  bool timedOut = false;
  const bool crlf = std::getenv("TARNIC_ENGINE") != nullptr;
  for (;;) {
    while (inFd >= 0 && pending.empty() && !closeAfterPending && step < steps.size()) {
      const SessionStep& s = steps[step];
      if (readySince < 0) {
        if (!s.waitFor.empty() && output.find(s.waitFor) == std::string::npos) break;
        readySince = nowMs();
      }
      if (nowMs() - readySince < s.delayMs) break;
      pending = s.text;
      closeAfterPending = s.closeInput;
      ++step;
      readySince = -1;
    }
    if (inFd >= 0 && !pending.empty()) {
      const ssize_t n = write(inFd, pending.data(), pending.size());
      if (n > 0) pending.erase(0, static_cast<std::size_t>(n));
      if (n < 0 && errno != EAGAIN) pending.clear();
    }
    if (inFd >= 0 && pending.empty() && closeAfterPending) {
      close(inFd);
      inFd = -1;
    }
    pollfd fd{outFd, POLLIN, 0};
    poll(&fd, 1, 2);
    if (fd.revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[4096];
      const ssize_t n = read(outFd, buf, sizeof buf);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n; ++i) {
        // A Windows build writes its line ends as CR LF: the tests see LF.
        if (buf[i] == '\n' && crlf && !output.empty() && output.back() == '\r')
          output.back() = '\n';
        else
          output += buf[i];
      }
    }
    if (nowMs() > deadline) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  if (inFd >= 0) close(inFd);
  close(outFd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (timedOut || !WIFEXITED(status)) return {output, -1};
  return {output, WEXITSTATUS(status)};
}

EngineRun runEngineProcess(const std::string& input, const std::vector<std::string>& args,
                           int timeoutSeconds) {
  return runEngineSession({{"", 0, input, true}}, args, timeoutSeconds);
}

std::string afterBanner(const std::string& output) {
  const std::size_t n = std::strlen(BANNER);
  if (output.compare(0, n, BANNER) != 0) return "<no banner>" + output;
  return output.substr(n);
}
