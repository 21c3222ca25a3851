#include "gameplay/RankSuggestion.h"

#include <gtest/gtest.h>

// The three shipped levels got their thresholds from their solver runs' totals (tests/solutions):
// the rule must give each the numbers its level file holds.
TEST(RankSuggestionTest, GivesTheShippedLevelsTheirThresholds) {
  struct Case {
    float total, s, a, b;
  };
  const Case cases[] = {
      {105.78f, 120.0f, 160.0f, 220.0f},  // the alley
      {174.38f, 200.0f, 265.0f, 365.0f},  // the villa
      {208.25f, 240.0f, 320.0f, 420.0f},  // the market: B at most 100 s over A
  };
  for (const Case& c : cases) {
    const RankThresholds r = SuggestRankThresholds(c.total);
    EXPECT_EQ(r.s, c.s) << c.total;
    EXPECT_EQ(r.a, c.a) << c.total;
    EXPECT_EQ(r.b, c.b) << c.total;
  }
}

TEST(RankSuggestionTest, ThresholdsRiseInStepsOfFiveAndNeverGradeNothing) {
  for (float total : {0.0f, 0.4f, 3.0f, 6.0f, 16.6f, 19.24f, 61.0f, 999.0f}) {
    const RankThresholds r = SuggestRankThresholds(total);
    EXPECT_GE(r.s, total) << "a run as good as the solver's must earn S";
    EXPECT_GT(r.s, 0.0f);
    EXPECT_LT(r.s, r.a);
    EXPECT_LT(r.a, r.b);
    for (float t : {r.s, r.a, r.b}) EXPECT_EQ(t, 5.0f * static_cast<float>(static_cast<int>(t / 5.0f))) << t;
  }
  EXPECT_EQ(SuggestRankThresholds(-5.0f).s, 5.0f);
}
