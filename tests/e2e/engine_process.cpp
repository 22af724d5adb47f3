#include "e2e/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>

EngineRun runEngineProcess(const std::string& input, const std::vector<std::string>& args,
                           int timeoutSeconds) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return {"", -1};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[0]);
    close(in[1]);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(TARNIC_BINARY));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TARNIC_BINARY, argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  signal(SIGPIPE, SIG_IGN);
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  std::string output;
  std::size_t written = 0;
  bool inputOpen = true;
  if (input.empty()) {
    close(in[1]);
    inputOpen = false;
  }
  const time_t deadline = time(nullptr) + timeoutSeconds;
  bool timedOut = false;
  for (;;) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {inputOpen ? in[1] : -1, POLLOUT, 0}};
    if (poll(fds, 2, 100) < 0) continue;
    if (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) {
      const ssize_t n = write(in[1], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 && errno != EAGAIN) written = input.size();
      if (written == input.size()) {
        close(in[1]);
        inputOpen = false;
      }
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[4096];
      const ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      output.append(buf, static_cast<std::size_t>(n));
    }
    if (time(nullptr) > deadline) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  if (inputOpen) close(in[1]);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (timedOut || !WIFEXITED(status)) return {output, -1};
  return {output, WEXITSTATUS(status)};
}

static long long nowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

EngineRun runEngineSession(const std::vector<SessionStep>& steps, int timeoutSeconds) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return {"", -1};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[0]);
    close(in[1]);
    close(out[0]);
    close(out[1]);
    execl(TARNIC_BINARY, TARNIC_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  signal(SIGPIPE, SIG_IGN);
  std::string output;
  std::size_t step = 0;
  long long readySince = -1;  // when the current step's wait condition was met
  bool inputOpen = true;
  const long long deadline = nowMs() + timeoutSeconds * 1000LL;
  bool timedOut = false;
  for (;;) {
    while (step < steps.size()) {
      const SessionStep& s = steps[step];
      if (readySince < 0) {
        if (!s.waitFor.empty() && output.find(s.waitFor) == std::string::npos) break;
        readySince = nowMs();
      }
      if (nowMs() - readySince < s.delayMs) break;
      if (inputOpen && !s.text.empty()) {
        if (write(in[1], s.text.data(), s.text.size()) < 0) {
          close(in[1]);
          inputOpen = false;
        }
      }
      if (inputOpen && s.closeInput) {
        close(in[1]);
        inputOpen = false;
      }
      ++step;
      readySince = -1;
    }
    pollfd fd{out[0], POLLIN, 0};
    poll(&fd, 1, 5);
    if (fd.revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[4096];
      const ssize_t n = read(out[0], buf, sizeof buf);
      if (n <= 0) break;
      output.append(buf, static_cast<std::size_t>(n));
    }
    if (nowMs() > deadline) {
      timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
  }
  if (inputOpen) close(in[1]);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (timedOut || !WIFEXITED(status)) return {output, -1};
  return {output, WEXITSTATUS(status)};
}

std::string afterBanner(const std::string& output) {
  const std::size_t n = std::strlen(BANNER);
  if (output.compare(0, n, BANNER) != 0) return "<no banner>" + output;
  return output.substr(n);
}
