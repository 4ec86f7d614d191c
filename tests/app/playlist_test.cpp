// What is derived from the playlist: shortened copies, frame counts and the
// scene list that scripts read.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/playlist.h"

namespace {

TEST(PlaylistTest, CappingShortensOnlyLongerScenesAndKeepsEverythingElse) {
  Scene capped[kSceneCount];
  CapPlaylist(1000, capped);
  for (int i = 0; i < kSceneCount; ++i) {
    const Scene& demo = demoPlaylist[i];
    EXPECT_EQ(capped[i].frameBudget, demo.frameBudget > 1000 ? 1000 : demo.frameBudget) << i;
    EXPECT_STREQ(capped[i].name, demo.name);
    EXPECT_EQ(capped[i].setup, demo.setup);
    EXPECT_EQ(capped[i].perFrame, demo.perFrame);
    EXPECT_EQ(capped[i].tearDown, demo.tearDown);
    EXPECT_EQ(capped[i].cue, demo.cue);
    EXPECT_EQ(capped[i].cueModule, demo.cueModule);
  }
  EXPECT_EQ(capped[5].frameBudget, 680);  // Cross is shorter than the cap
  CapPlaylist(0, capped);
  for (int i = 0; i < kSceneCount; ++i) EXPECT_EQ(capped[i].frameBudget, demoPlaylist[i].frameBudget) << i;
}

TEST(PlaylistTest, ARunPresentsAnEmptyFirstFrameThenEachSceneWithItsSetUpAndTearDown) {
  Scene capped[kSceneCount];
  CapPlaylist(10, capped);
  EXPECT_EQ(PlaylistFrames(capped, 0), 1 + kSceneCount * 12);
  EXPECT_EQ(PlaylistFrames(capped, 7), 1 + 12);
  EXPECT_EQ(PlaylistFrames(demoPlaylist, 0), 1 + 15280 + kSceneCount * 2);
}

// scripts/contact-sheets reads this list and screenshots every budget / 20
// frames to land on 5 % points, so the budgets must stay multiples of 20.
TEST(PlaylistTest, SceneListHasOneTabSeparatedLinePerScene) {
  std::istringstream lines(SceneListText(demoPlaylist));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    int index = -1, budget = -1;
    std::string name;
    ASSERT_TRUE(std::getline(fields >> index >> std::ws, name, '\t')) << line;
    fields >> budget;
    EXPECT_EQ(index, count);
    EXPECT_EQ(name, demoPlaylist[count].name);
    EXPECT_EQ(budget, demoPlaylist[count].frameBudget);
    EXPECT_EQ(budget % 20, 0) << name;
    EXPECT_EQ(line, std::to_string(index) + "\t" + name + "\t" + std::to_string(budget));
    ++count;
  }
  EXPECT_EQ(count, kSceneCount);
}

}  // namespace
