// Progress lines and statistics as the search reports them, written to
// standard output one whole line per write.
#include <array>
#include <cstdio>

#include "driver/driver.h"

namespace {

constexpr int CONSOLE_PV_MOVES = 10;

void writeLine(void* context, const SearchLine& line) {
  const SearchState& s = *static_cast<const SearchState*>(context);
  std::array<char, 1024> text;
  char* out = text.data();
  const char* const stop = text.data() + text.size();
  const int elapsed = static_cast<int>(line.elapsed);
  const long long nodes = static_cast<long long>(line.nodes);
  const int score = line.score;
  int shown = line.length;
  if (s.uciMode) {
    if (line.multipv > 0) {
      // One of several lines: its number after the depth.
      out += std::snprintf(out, stop - out, "info depth %d multipv %d ", line.depth, line.multipv);
      if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD)
        out += std::snprintf(out, stop - out, "score mate %d ",
                             score > 0 ? (MATE_SCORE + 1 - score) / 2 : -((MATE_SCORE + 1 + score) / 2));
      else
        out += std::snprintf(out, stop - out, "score cp %d ", score);
      out += std::snprintf(out, stop - out, "time %d nodes %lld pv ", elapsed, nodes);
    } else if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) {
      const int distance = score > 0 ? (MATE_SCORE + 1 - score) / 2 : -((MATE_SCORE + 1 + score) / 2);
      out += std::snprintf(out, stop - out, "info depth %d score mate %d time %d nodes %lld pv ", line.depth,
                           distance, elapsed, nodes);
    } else {
      out += std::snprintf(out, stop - out, "info depth %d score cp %d time %d nodes %lld pv ", line.depth,
                           score, elapsed, nodes);
    }
  } else {
    out += std::snprintf(out, stop - out, "%3d  %6d    %6d  %8lld    ", line.depth, score, elapsed, nodes);
    if (shown > CONSOLE_PV_MOVES) shown = CONSOLE_PV_MOVES;
  }
  for (int i = 0; i < shown; ++i)
    out += std::snprintf(out, stop - out, "%s ", moveToText(*line.root, line.moves[i]).text);
  std::printf("%s\n", text.data());
}

void writeStatistics(void* context, const SearchStatistics& stats) {
  const SearchState& s = *static_cast<const SearchState*>(context);
  if (s.uciMode) return;
  const std::uint32_t elapsed = stats.elapsed == 0 ? 1 : stats.elapsed;
  const long long nodes = static_cast<long long>(stats.nodes);
  std::printf("Time: %d.%03d  Nodes: %lld  Nps: %lld  maxply %d\n", static_cast<int>(elapsed / 1000),
              static_cast<int>(elapsed % 1000), nodes, nodes / elapsed * 1000, stats.maxply);
  const ExtensionCounters& c = stats.extensions;
  std::printf("check %d  prom %d  p7 %d  single %d  mt %d  kt %d simple %d \n", c.check, c.prom, c.p7,
              c.single, c.mt, c.kt, c.simple);
}

// Only in UCI mode; the console has its own table.
void writeProgress(void* context, const SearchProgress& p) {
  const SearchState& s = *static_cast<const SearchState*>(context);
  if (!s.uciMode) return;
  const std::uint32_t elapsed = p.elapsed == 0 ? 1 : p.elapsed;
  std::printf("info time %u nodes %lld nps %lld hashfull %d\n", p.elapsed, static_cast<long long>(p.nodes),
              static_cast<long long>(p.nodes * 1000 / elapsed), p.hashfull);
}

}  // namespace

SearchReport standardOutputReport(SearchState& s) {
  SearchReport report;
  report.context = &s;
  report.line = writeLine;
  report.statistics = writeStatistics;
  report.progress = writeProgress;
  return report;
}
