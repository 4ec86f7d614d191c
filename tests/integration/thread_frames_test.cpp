// The demo's own frames drawn with 1, 2, 3 and 8 drawing threads: every scene
// run from its set-up, a few frames spread over it (meshes, flares, sprites,
// additive overdraw) drawn at each count, colour and depth compared exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/sequencer.h"
#include "device/render_device.h"
#include "loaders/load3ds.h"
#include "platform/dx/dx_platform.h"
#include "render/renderer.h"
#include "support/render_scene.h"

namespace {

class ThreadFramesTest : public ::testing::TestWithParam<int> {};

struct Picture {
  std::vector<std::uint8_t> rgb;
  std::vector<std::uint16_t> depth;
};

Picture Draw(HeadlessRenderDevice& device, int threads) {
  DxSetRasterThreads(threads);
  EXPECT_TRUE(device.BeginFrame());
  EXPECT_TRUE(RenderFrame());
  device.EndFrame();
  Picture picture{device.ReadBack(), device.ReadDepth()};
  EXPECT_FALSE(picture.depth.empty());
  DxSetRasterThreads(1);
  return picture;
}

TEST_P(ThreadFramesTest, AreTheSameForEveryThreadCount) {
  const Scene& scene = demoPlaylist[GetParam()];
  const std::string data = KAVRET_TEST_DATA_DIR;
  if (!std::filesystem::exists(data + "/Objects")) GTEST_SKIP() << "no generated content in " << data;

  HeadlessRenderDevice device;
  ASSERT_TRUE(device.Create(640, 480));
  std::FILE* listing = std::fopen("/dev/null", "w");
  LoadState.listing = listing;
  StartTestScene(data);
  ASSERT_TRUE(scene.setup());

  const int shots[] = {scene.frameBudget * 20 / 100, scene.frameBudget * 50 / 100, scene.frameBudget * 80 / 100};
  int drawn = 0;
  for (int frame = 1; frame <= shots[2]; ++frame) {
    ASSERT_TRUE(scene.perFrame());
    if (frame != shots[0] && frame != shots[1] && frame != shots[2]) continue;
    const Picture one = Draw(device, 1);
    for (const int threads : {2, 3, 8}) {
      const Picture many = Draw(device, threads);
      EXPECT_TRUE(many.rgb == one.rgb) << scene.name << " frame " << frame << ", " << threads << " threads";
      EXPECT_TRUE(many.depth == one.depth) << scene.name << " frame " << frame << ", " << threads << " threads";
    }
    ++drawn;
  }
  EXPECT_EQ(drawn, 3);
  scene.tearDown();
  EndTestScene();
  LoadState.listing = nullptr;
  std::fclose(listing);
  device.Destroy();
}

INSTANTIATE_TEST_SUITE_P(Playlist, ThreadFramesTest, ::testing::Range(0, kSceneCount),
                         [](const ::testing::TestParamInfo<int>& info) { return demoPlaylist[info.param].name; });

}  // namespace
