// The one place with calls of the operating system: a blocking read of
// standard input, raw bytes with no text-mode translation.
#include "driver/driver.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

std::size_t readStandardInput(char* buffer, std::size_t size) {
  DWORD n = 0;
  // A console delivers a line at a time; a pipe whatever has arrived.
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(size), &n, nullptr)) return 0;
  return n;
}

#else
#include <unistd.h>

#include <cerrno>

std::size_t readStandardInput(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = read(0, buffer, size);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return 0;
  }
}
#endif
