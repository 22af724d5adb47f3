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
    out += std::snprintf(out, stop - out, "info depth %d seldepth %d ", line.depth, line.seldepth);
    // One of several lines: its number after the depths.
    if (line.multipv > 0) out += std::snprintf(out, stop - out, "multipv %d ", line.multipv);
    if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD)
      out += std::snprintf(out, stop - out, "score mate %d ",
                           score > 0 ? (MATE_SCORE + 1 - score) / 2 : -((MATE_SCORE + 1 + score) / 2));
    else
      out += std::snprintf(out, stop - out, "score cp %d ", score);
    // A line printed before its re-search holds a bound, not a score.
    if (line.bound == BOUND_LOWER) out += std::snprintf(out, stop - out, "lowerbound ");
    if (line.bound == BOUND_UPPER) out += std::snprintf(out, stop - out, "upperbound ");
    out += std::snprintf(out, stop - out, "time %d nodes %lld pv ", elapsed, nodes);
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

// Only in UCI mode.
void writeCurrentMove(void* context, Move move, int number) {
  const SearchState& s = *static_cast<const SearchState*>(context);
  if (!s.uciMode) return;
  std::printf("info currmove %s currmovenumber %d\n", moveToText(move).text, number);
}

}  // namespace

SearchReport standardOutputReport(SearchState& s) {
  SearchReport report;
  report.context = &s;
  report.line = writeLine;
  report.statistics = writeStatistics;
  report.progress = writeProgress;
  report.currentMove = writeCurrentMove;
  return report;
}
