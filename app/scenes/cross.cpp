// Cross scene: the camera stands still and turns its aim slowly across the
// model along a straight line. No sprites, no particles.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"

namespace cross_scene {

float timeline;
std::uint8_t texturesPending;
Vec4 targetVelocity;
std::int32_t panSteps;

namespace {

constexpr Vec4 PanStart = {-1478.0f, 148.0f, 278.0f, 1.0f};
constexpr Vec4 PanEnd = {-1064.0f, 1215.0f, 882.0f, 1.0f};
// Longer than the scene: the aim never reaches the end.
constexpr std::int32_t PanLength = 700;

}  // namespace
}  // namespace cross_scene

using namespace cross_scene;

bool CrossSetup() {
  BeginSceneChecks("Cross");
  AddSceneCamera();
  Load3ds("Objects\\crossscene01.3ds");
  SetupSkySphere();
  timeline = 0.0f;
  texturesPending = 1;
  return true;
}

bool CrossFrame() {
  Camera* camera = Cameras.current;
  timeline += 1.0f;
  if (texturesPending) {
    targetVelocity = StepBetween(PanStart, PanEnd, PanLength);
    panSteps = 0;
    if (camera) camera->target = PanStart;
  }
  panSteps += 1;
  if (panSteps < PanLength && camera) camera->target = VecAdd(camera->target, targetVelocity);
  FollowSkySphere();
  WarmUpTextures(texturesPending);
  return true;
}

bool CrossTearDown() { return true; }
