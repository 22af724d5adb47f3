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

// The output after the start-up banner.
std::string afterBanner(const std::string& output);

inline constexpr const char* BANNER = "\n\t Tarnic 0.4 \n\n";
