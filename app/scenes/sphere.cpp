// Sphere scene: a fountain of coloured sprites from a circling emitter falls on
// three invisible spheres and the ground while the camera circles the set, a
// light circles and pulses, and at the end the camera flies at the big sphere.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"

namespace sphere_scene {

ParticleSystem* fountain;
ParticleEmitter* emitter;
float timeline;
std::uint8_t texturesPending;
std::int32_t steps;
std::uint8_t flying;
Vec4 eyeVelocity;
Vec4 targetVelocity;
float brightness;
float brightnessStep;
// Not reset by the set-up: a looping demo carries them on.
float cameraAngle = 0.0f;
float emitterAngle = 0.0f;
float lightAngle = 90.0f;

namespace {

constexpr std::int32_t FountainCount = 140;
// Where the fly at the end of the scene heads: the big sphere.
constexpr Vec4 FlyGoal = {-102.0f, 376.0f, 145.0f, 1.0f};
// Calls until the eye, and the target, would reach the goal.
constexpr float EyeFlySteps = 115.0f;
constexpr float TargetFlySteps = 100.0f;

Material* FountainMaterial(std::int32_t) { return FindMaterial(SpriteMaterialName2); }

void SetupFountain() {
  fountain = CreateParticleSystem(FountainCount);
  AddSpriteMaterials();
  AddParticleSprites(fountain, FountainMaterial, 30.0f, 0, 0, 0, 1);
  // Each sprite then gets its own colour, in slot order.
  for (Sprite* sprite = Sprites.first; sprite; sprite = sprite->next) {
    if (sprite->kind == SpriteBillboard) SetRandomColour(sprite->colour);
  }
  emitter = AddSceneEmitter(fountain, {.position = {-152.0f, 330.0f, 500.0f, 1.0f},
                                     .speedMin = 0.1f,
                                     .speedRange = 1.0f,
                                     .delayMin = 30,
                                     .delayRange = 60,
                                     .lifetimeMin = 150,
                                     .lifetimeRange = 30,
                                     .baseWeight = 7.0f,
                                     .baseDirection = {0.0f, 0.0f, 0.0f, 1.0f},
                                     .spread = 0.0f});
  AddConstantForce(fountain, {0.0f, 0.0f, -1.0f, 1.0f}, 0.25f);
  AddFloorCollider(fountain, 0.0f, 0.7f);
  AddSphereCollider(fountain, {-100.0f, 375.0f, 150.0f, 1.0f}, 150.0f, 0.7f);
  AddSphereCollider(fountain, {-600.0f, 367.0f, 100.0f, 1.0f}, 100.0f, 0.7f);
  AddSphereCollider(fountain, {-300.0f, -64.0f, 75.0f, 1.0f}, 75.0f, 0.7f);
  ResetParticles(fountain);
  SetParticleRadius(fountain, 8.0f);
}

void MoveCamera(Camera* camera) {
  if (!camera) return;
  if (flying) {
    camera->eye = VecAdd(camera->eye, eyeVelocity);
    camera->target = VecAdd(camera->target, targetVelocity);
    return;
  }
  cameraAngle += 0.6;
  camera->eye.y = CosDegrees(cameraAngle) * 2000.0 + 300.0;
  camera->eye.x = SinDegrees(cameraAngle) * 2000.0 - 200.0;
  camera->eye.z = SinDegrees(cameraAngle) * 50.0 + 400.0;
  if (steps >= 2400) {
    flying = 1;
    eyeVelocity = StepBetween(camera->eye, FlyGoal, EyeFlySteps);
    steps = 0;
    targetVelocity = StepBetween(camera->target, FlyGoal, TargetFlySteps);
    emitterAngle = 0.0f;
  }
}

// The first light circles and its brightness runs 0 to 255 and back.
void MoveLight() {
  Light* light = FirstSceneLight();
  if (!light) return;
  lightAngle -= 0.25;
  light->position.x = CosDegrees(lightAngle) * 800.0 - 300.0;
  light->position.y = SinDegrees(lightAngle) * 800.0 + 200.0;
  light->position.z = CosDegrees(lightAngle) * 50.0 + 400.0;
  if (brightness > 254.0f || brightness < 1.0f) brightnessStep = -brightnessStep;
  brightness += brightnessStep;
  for (int i = 0; i < 3; ++i) light->colour[i] = brightness;
  if (light->flare) {
    for (int i = 0; i < 3; ++i) light->flare->colour[i] = static_cast<std::uint8_t>(static_cast<int>(light->colour[i]));
  }
}

}  // namespace
}  // namespace sphere_scene

using namespace sphere_scene;

bool SphereSetup() {
  BeginSceneChecks("Sphere");
  SetupFountain();
  AddSceneCamera();
  Load3ds("Objects\\spherescene01.3ds");
  SetupSkySphere();
  timeline = 0.0f;
  texturesPending = 1;
  flying = 0;
  steps = 0;
  return true;
}

bool SphereFrame() {
  Camera* camera = Cameras.current;
  timeline += 1.0f;
  steps += 1;
  UpdateParticleSystem(fountain, 1.0f);
  // The sky follows the eye as it was before this call's camera motion.
  FollowSkySphere();
  if (texturesPending) {
    brightness = 1.0f;
    brightnessStep = 1.0f;
  }
  MoveCamera(camera);

  emitterAngle += 1.8;
  if (emitter) {
    emitter->particle.position.x = CosDegrees(emitterAngle) * 50.0 - 152.0;
    emitter->particle.position.y = SinDegrees(emitterAngle) * 50.0 + 330.0;
    emitter->spread = CosDegrees(emitterAngle) * 0.1;
  }
  MoveLight();
  WarmUpTextures(texturesPending);
  return true;
}

bool SphereTearDown() { return true; }
