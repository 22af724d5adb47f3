// Words and numbers of input lines.
#include <cctype>
#include <cstdlib>

#include "diag/diag.h"

namespace {
int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }
}  // namespace

bool strEqualNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    if (lower(*a) != lower(*b)) return false;
    if (*a == 0) return true;
  }
}

bool strEqualNoCaseN(int n, const char* s, const char* keyword) {
  for (int i = 0; i < n; ++i) {
    if (lower(s[i]) != lower(keyword[i])) return false;
    if (s[i] == 0) return true;
  }
  return true;
}

int parseInt(const char* text) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(v);
}
