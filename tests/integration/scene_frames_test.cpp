// The eight scenes of the demo, set up from the generated content and run
// headless through the renderer: frames at two points of each scene are
// written to <build>/render_frames/ to look at, and each must show meshes and,
// over the scene, flares or billboards.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/sequencer.h"
#include "loaders/load3ds.h"
#include "platform/capture/png_write.h"
#include "render/renderer.h"
#include "support/render_scene.h"

namespace {

class SceneFramesTest : public ::testing::TestWithParam<int> {};

double LitShare(const std::vector<std::uint8_t>& rgb) {
  std::size_t lit = 0;
  for (std::size_t i = 0; i < rgb.size(); i += 3) lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) > 16;
  return static_cast<double>(lit) / static_cast<double>(rgb.size() / 3);
}

TEST_P(SceneFramesTest, ShowsMeshesFlaresAndSprites) {
  const Scene& script = demoPlaylist[GetParam()];
  const std::string data = KAVRET_TEST_DATA_DIR;
  if (!std::filesystem::exists(data + "/Objects")) GTEST_SKIP() << "no generated content in " << data;
  const std::string out = std::string(KAVRET_BINARY_DIR) + "/render_frames";
  std::filesystem::create_directories(out);

  HeadlessRenderDevice device;
  ASSERT_TRUE(device.Create(640, 480));
  // The model files' chunk listing is not wanted here.
  std::FILE* listing = std::fopen("/dev/null", "w");
  LoadState.listing = listing;
  StartTestScene(data);
  ASSERT_TRUE(script.setup());

  std::vector<RenderCall> log;
  int spriteDraws = 0;
  const int shots[2] = {script.frameBudget * 30 / 100, script.frameBudget * 60 / 100};
  for (int frame = 1; frame <= shots[1]; ++frame) {
    script.perFrame();
    // Drawing keeps nothing from one frame to the next that the picture
    // depends on, so only the shots are drawn.
    if (frame != shots[0] && frame != shots[1]) continue;
    log.clear();
    RenderCallLog = &log;
    ASSERT_TRUE(device.BeginFrame());
    EXPECT_TRUE(RenderFrame());
    device.EndFrame();
    RenderCallLog = nullptr;
    int meshDraws = 0;
    for (const RenderCall& c : log) {
      meshDraws += c.kind == RenderCallKind::DrawIndexedPrimitive && c.succeeded;
      spriteDraws += c.kind == RenderCallKind::DrawPrimitive && c.succeeded;
    }
    const std::vector<std::uint8_t> rgb = device.ReadBack();
    const std::string path = out + "/" + script.name + "_" + std::to_string(frame) + ".png";
    WritePngRgb(path, 640, 480, rgb);
    EXPECT_GT(meshDraws, 0) << path;
    EXPECT_GT(LitShare(rgb), 0.05) << path;
  }
  EXPECT_GT(spriteDraws, 0) << script.name;

  script.tearDown();
  EndTestScene();
  LoadState.listing = nullptr;
  std::fclose(listing);
  device.Destroy();
}

INSTANTIATE_TEST_SUITE_P(Playlist, SceneFramesTest, ::testing::Range(0, kSceneCount),
                         [](const ::testing::TestParamInfo<int>& info) { return demoPlaylist[info.param].name; });

}  // namespace
