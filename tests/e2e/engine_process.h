// Runs the engine binary with scripted standard input.
#pragma once

#include <string>
#include <vector>

struct EngineRun {
  std::string output;
  int status;  // exit status, or -1 when killed by a signal or the time limit
};

// Feeds input (then closes the pipe) and collects standard output.
EngineRun runEngineProcess(const std::string& input, const std::vector<std::string>& args = {},
                           int timeoutSeconds = 60);

// One step of an interactive session: wait until the output holds waitFor
// (when not empty) and then delayMs more, then write text; an empty text
// with closeInput ends the input.
struct SessionStep {
  std::string waitFor;
  int delayMs;
  std::string text;
  bool closeInput = false;
};
EngineRun runEngineSession(const std::vector<SessionStep>& steps, const std::vector<std::string>& args = {},
                           int timeoutSeconds = 60);

// The output after the start-up banner.
std::string afterBanner(const std::string& output);

inline constexpr const char* BANNER = "\n\t Tarnic 0.4 \n\n";
