// The strength levels' limits and their choice among root lines.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "search/search.h"

namespace {

std::vector<SearchThread::RootLine> linesScored(const std::vector<int>& scores) {
  std::vector<SearchThread::RootLine> lines(scores.size());
  for (std::size_t i = 0; i < scores.size(); ++i) lines[i].score = scores[i];
  return lines;
}

// How often each line is chosen in draws choices at a level.
std::vector<int> choices(int elo, const std::vector<int>& scores, int draws, std::uint64_t seed = 1) {
  Skill skill;
  skill.elo = elo;
  seedSkill(skill, seed);
  const std::vector<SearchThread::RootLine> lines = linesScored(scores);
  std::vector<int> count(scores.size());
  for (int i = 0; i < draws; ++i)
    ++count.at(chooseSkillLine(skill, lines.data(), static_cast<int>(lines.size())));
  return count;
}

// Weaker levels see less and hurry more; above 1200 no choice gives away
// a piece; at 1500 and below a think is under a second.
TEST(Skill, LimitsFollowTheLevel) {
  SkillLimits last = skillLimits(SKILL_ELO_MIN);
  for (int elo = SKILL_ELO_MIN; elo <= SKILL_ELO_MAX; elo += 50) {
    const SkillLimits l = skillLimits(elo);
    EXPECT_GE(l.depth, last.depth) << elo;
    EXPECT_GE(l.nodes, last.nodes) << elo;
    EXPECT_LE(l.spread, last.spread) << elo;
    EXPECT_GE(l.depth, 1) << elo;
    EXPECT_GE(l.lines, 2) << elo;
    if (elo > 1200) {
      EXPECT_LT(l.worstLoss, KindValue[KNIGHT]) << elo;
      EXPECT_TRUE(l.keepsMates) << elo;
    }
    if (elo <= 1500) {
      EXPECT_LE(l.thinkMs, 1000u) << elo;
    }
    last = l;
  }
  // Out of range: the nearest level.
  EXPECT_EQ(skillLimits(0).nodes, skillLimits(SKILL_ELO_MIN).nodes);
  EXPECT_EQ(skillLimits(5000).nodes, skillLimits(SKILL_ELO_MAX).nodes);
}

TEST(Skill, ChoiceFavoursBetterLinesMoreAsTheLevelRises) {
  const std::vector<int> scores = {100, 90, 40, -200, -900};
  constexpr int DRAWS = 20000;
  std::vector<int> bestShare;
  for (int elo : {600, 1000, 1300, 1600, 1900}) {
    const std::vector<int> n = choices(elo, scores, DRAWS);
    // Never uniform: a worse line is chosen less often than a better one.
    for (std::size_t i = 1; i < n.size(); ++i)
      if (n[i - 1] > 0) {
        EXPECT_LT(n[i], n[i - 1]) << elo << " line " << i;
      }
    EXPECT_GT(n[0], DRAWS / 4) << elo;
    // Above 1200 the lines a piece or more below the best are never played.
    if (elo > 1200) {
      EXPECT_EQ(n[3] + n[4], 0) << elo;
    }
    bestShare.push_back(n[0]);
  }
  for (std::size_t i = 1; i < bestShare.size(); ++i) EXPECT_GT(bestShare[i], bestShare[i - 1]);
  // The weakest level does blunder now and then.
  EXPECT_GT(choices(600, scores, DRAWS)[3], 0);

  // A mate is kept above 1200; one line leaves nothing to choose.
  EXPECT_EQ(choices(1300, {MATE_SCORE - 1, MATE_SCORE - 5, 200}, 1000)[0], 1000);
  EXPECT_EQ(choices(600, {-50}, 10)[0], 10);
  // The same seed draws the same choices, another seed others.
  Skill a, b;
  seedSkill(a, 42);
  seedSkill(b, 42);
  a.elo = b.elo = 600;
  const std::vector<SearchThread::RootLine> lines = linesScored(scores);
  int same = 0;
  for (int i = 0; i < 100; ++i)
    same += chooseSkillLine(a, lines.data(), 5) == chooseSkillLine(b, lines.data(), 5);
  EXPECT_EQ(same, 100);
  EXPECT_NE(choices(600, scores, 200, 1), choices(600, scores, 200, 2));
}

}  // namespace
