// Strength levels: how far a level looks, and which of the best few root
// lines it plays.
#include <array>
#include <cmath>

#include "search/search.h"

namespace {

// What a level lacks, at anchor ratings; levels between two anchors take
// the values in between. A weaker player sees less far (depth, nodes),
// weighs more candidate moves by feel (lines, spread: the score gap at
// which a worse move is chosen 1/e times as often as the best) and may
// drift further from the best (worstLoss). Above PIECE_SAFE_ELO no
// candidate loses as much as a minor piece by the search's own scores.
struct SkillAnchor {
  int elo;
  double depth;  // plies
  double nodes;
  double lines;
  double spread;     // centipawns
  double worstLoss;  // centipawns
};
constexpr std::array<SkillAnchor, 7> SKILL_ANCHORS = {{
    {600, 1, 1000, 6, 200, 1000},
    {1000, 2, 4000, 5, 120, 600},
    {1200, 3, 12000, 5, 90, 400},
    {1400, 3, 20000, 4, 70, 250},
    {1600, 4, 60000, 4, 40, 200},
    {1800, 6, 300000, 3, 20, 120},
    {1900, 8, 2000000, 2, 5, 40},
}};
static_assert(SKILL_ANCHORS.front().elo == SKILL_ELO_MIN && SKILL_ANCHORS.back().elo == SKILL_ELO_MAX);

// Above this rating a mate the search has found is played and no piece is
// given away for nothing where the search saw it.
constexpr int PIECE_SAFE_ELO = 1200;
constexpr int PIECE_SAFE_LOSS = 250;  // below a minor piece (330)

// The longest think: about a second at QUICK_ELO and below, so that a
// person does not wait for a weak opponent; more above, up to
// SLOWEST_THINK_MS at the top level. Never more than the clock allows.
constexpr int QUICK_ELO = 1500;
constexpr double QUICK_THINK_MS = 800;
constexpr double SLOWEST_THINK_MS = 3000;

double between(double low, double high, double f) { return low + (high - low) * f; }

// splitmix64: small, fast, and well spread from any seed.
std::uint64_t nextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform in [0, 1).
double unitRandom(std::uint64_t& state) { return static_cast<double>(nextRandom(state) >> 11) * 0x1.0p-53; }

}  // namespace

SkillLimits skillLimits(int elo) {
  elo = elo < SKILL_ELO_MIN ? SKILL_ELO_MIN : elo > SKILL_ELO_MAX ? SKILL_ELO_MAX : elo;
  std::size_t k = 1;
  while (k + 1 < SKILL_ANCHORS.size() && SKILL_ANCHORS[k].elo < elo) ++k;
  const SkillAnchor& a = SKILL_ANCHORS[k - 1];
  const SkillAnchor& b = SKILL_ANCHORS[k];
  const double f = static_cast<double>(elo - a.elo) / (b.elo - a.elo);
  SkillLimits l;
  l.depth = static_cast<int>(between(a.depth, b.depth, f));
  // Nodes grow geometrically with depth: interpolate their logarithm.
  l.nodes = static_cast<std::int64_t>(std::exp(between(std::log(a.nodes), std::log(b.nodes), f)));
  l.lines = static_cast<int>(std::lround(between(a.lines, b.lines, f)));
  l.spread = between(a.spread, b.spread, f);
  l.worstLoss = static_cast<int>(between(a.worstLoss, b.worstLoss, f));
  if (elo > PIECE_SAFE_ELO && l.worstLoss > PIECE_SAFE_LOSS) l.worstLoss = PIECE_SAFE_LOSS;
  const double g =
      elo <= QUICK_ELO ? 0.0 : static_cast<double>(elo - QUICK_ELO) / (SKILL_ELO_MAX - QUICK_ELO);
  l.thinkMs = static_cast<std::uint32_t>(between(QUICK_THINK_MS, SLOWEST_THINK_MS, g));
  l.keepsMates = elo > PIECE_SAFE_ELO;
  return l;
}

void seedSkill(Skill& skill, std::uint64_t seed) { skill.random = seed; }

int chooseSkillLine(Skill& skill, const SearchThread::RootLine* lines, int count) {
  if (count < 2) return 0;
  const SkillLimits l = skillLimits(skill.elo);
  const int best = lines[0].score;
  if (l.keepsMates && best > MATE_THRESHOLD) return 0;
  // Weights fall with the loss against the best line; lines beyond the
  // level's worst loss are never chosen. The lines come best first.
  std::array<double, MAX_ROOT_MOVES> weight{};
  double total = 0;
  int n = 0;
  for (; n < count; ++n) {
    const int loss = best - lines[n].score;
    if (loss > l.worstLoss) break;
    weight[n] = std::exp(-loss / l.spread);
    total += weight[n];
  }
  double r = unitRandom(skill.random) * total;
  for (int i = 0; i < n; ++i) {
    r -= weight[i];
    if (r < 0) return i;
  }
  return 0;
}
