// Egypt scene: a green fountain sprays up from a fixed point and falls back on
// the ground; the eye swings to and fro on a wide curve while the aim pans over
// the first 400 frames, and the sign turns slowly.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"

namespace egypt_scene {

ParticleSystem* fountain;
ParticleEmitter* emitter;
float timeline;
std::uint8_t texturesPending;
Vec4 targetVelocity;
std::int32_t panSteps;
// Set to 45 again by the first per-frame call of every pass.
float swingAngle = 45.0f;
float swingCurve;

namespace {

constexpr std::int32_t FountainCount = 100;
constexpr Vec4 PanStart = {14.0f, -985.0f, 913.0f, 1.0f};
constexpr Vec4 PanEnd = {-564.0f, 364.0f, 633.0f, 1.0f};
constexpr std::int32_t PanLength = 400;

// This scene swaps the standard rule's first and third materials.
Material* FountainMaterial(std::int32_t i) {
  if (i % 15 == 0) return FindMaterial(SpriteMaterialName2);
  if (i % 5 == 0) return FindMaterial(SpriteMaterialName);
  return FindMaterial(SpriteMaterialName3);
}

void SetupFountain() {
  fountain = CreateParticleSystem(FountainCount);
  AddSpriteMaterials();
  AddParticleSprites(fountain, FountainMaterial, 30.0f, 50, 255, 50, 1);
  emitter = AddSceneEmitter(fountain, {.position = {-563.0f, 358.0f, 575.0f, 1.0f},
                                     .speedMin = 0.1f,
                                     .speedRange = 1.0f,
                                     .delayMin = 1,
                                     .delayRange = 5,
                                     .lifetimeMin = 15,
                                     .lifetimeRange = 40,
                                     .baseWeight = 14.0f,
                                     .baseDirection = {0.0f, 0.0f, 1.0f, 1.0f},
                                     .spread = 14.0f});
  AddConstantForce(fountain, {0.0f, 0.0f, -1.0f, 1.0f}, 0.25f);
  AddFloorCollider(fountain, 0.0f, 0.7f);
  ResetParticles(fountain);
  SetParticleRadius(fountain, 8.0f);
}

}  // namespace
}  // namespace egypt_scene

using namespace egypt_scene;

bool EgyptSetup() {
  BeginSceneChecks("Egypt");
  SetupFountain();
  AddSceneCamera();
  Load3ds("Objects\\egyptscene01.3ds");
  SetupSkySphere();
  timeline = 0.0f;
  texturesPending = 1;
  return true;
}

bool EgyptFrame() {
  Camera* camera = Cameras.current;
  timeline += 1.0f;
  UpdateParticleSystem(fountain, 1.0f);

  // The curve angle is itself a cosine, so the eye runs back and forth along
  // one curve instead of circling.
  swingAngle += 0.3;
  swingCurve = CosDegrees(swingAngle) * 360.0;
  if (camera) {
    camera->eye.y = CosDegrees(swingCurve) * 2000.0;
    camera->eye.x = SinDegrees(swingCurve) * 1400.0;
    camera->eye.z = SinDegrees(swingCurve) * 450.0 + 900.0;
  }
  FollowSkySphere();
  if (MeshObject* sign = FindSceneObject("ossik_sign")) sign->particle.rotation.z += 0.00872664626;

  if (texturesPending) {
    targetVelocity = StepBetween(PanStart, PanEnd, PanLength);
    panSteps = 0;
    if (camera) camera->target = PanStart;
    swingAngle = 45.0f;
  }
  // The aim moves on 399 calls and stops 1/400 short of the end.
  panSteps += 1;
  if (panSteps < PanLength && camera) camera->target = VecAdd(camera->target, targetVelocity);
  WarmUpTextures(texturesPending);
  return true;
}

bool EgyptTearDown() { return true; }
