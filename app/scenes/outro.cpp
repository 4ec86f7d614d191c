// Outro scene: four greetings, turned to face the viewer, spin in pairs in
// opposite directions; a fountain of coloured sprites sprays from the sun,
// whose flare is enlarged; the camera flies back from beside the sun in 89
// frames and then drifts sideways.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"

namespace outro_scene {

ParticleSystem* fountain;
ParticleEmitter* emitter;
MeshObject* greetings[4];
float timeline;
std::uint8_t texturesPending;
Vec4 eyeVelocity;
std::int32_t steps;

namespace {

constexpr std::int32_t FountainCount = 50;
// The first pair turns one way, the second pair the other.
constexpr const char* GreetingNames[4] = {"greet1", "greetf1", "greet2", "greetf2"};
constexpr double SpinStep = 0.03490658504;  // 2 degrees, in radians
constexpr std::int32_t FlyLength = 90;

Material* FountainMaterial(std::int32_t) { return FindMaterial(SpriteMaterialName2); }

void SetupFountain() {
  fountain = CreateParticleSystem(FountainCount);
  AddSpriteMaterials();
  AddParticleSprites(fountain, FountainMaterial, 30.0f, 0, 0, 0, 1);
  // Each sprite then gets its own colour, in slot order.
  for (Sprite* sprite = Sprites.first; sprite; sprite = sprite->next) {
    if (sprite->kind == SpriteBillboard) SetRandomColour(sprite->colour);
  }
  emitter = AddSceneEmitter(fountain, {.position = {0.0f, 1000.0f, 800.0f, 1.0f},
                                     .speedMin = 0.1f,
                                     .speedRange = 1.0f,
                                     .delayMin = 1,
                                     .delayRange = 5,
                                     .lifetimeMin = 50,
                                     .lifetimeRange = 49,
                                     .baseWeight = 7.0f,
                                     .baseDirection = {0.0f, 0.0f, 1.0f, 1.0f},
                                     .spread = 7.0f});
  AddConstantForce(fountain, {0.0f, 0.0f, -1.0f, 1.0f}, 0.25f);
  AddFloorCollider(fountain, 0.0f, 0.7f);
  ResetParticles(fountain);
  SetParticleRadius(fountain, 8.0f);
}

// First call: greetings turned to face the viewer, the sun moved onto the
// fountain with a bigger flare, and the eye put beside the sun to fly back.
void StartOutro(Camera* camera) {
  for (MeshObject* greeting : greetings) {
    if (greeting) greeting->particle.rotation.z += 3.1415926536;
  }
  Vec4 sunPosition = emitter ? emitter->particle.position : Vec4{0.0f, 0.0f, 0.0f, 1.0f};
  if (Light* sun = FindSceneLight("sun")) {
    sun->position = sunPosition;
    if (Sprite* flare = SceneFlare(sun)) flare->halfSize = 90.0f;
  }
  // The fly-back starts beside where the sun now is, whether or not the model
  // file has one.
  Vec4 start = sunPosition;
  start.x += 700.0f;
  steps = 0;
  if (!camera) return;
  eyeVelocity = StepBetween(start, camera->eye, FlyLength);
  camera->eye = start;
}

void Spin() {
  for (int k = 0; k < 4; ++k) {
    if (!greetings[k]) continue;
    if (k < 2) {
      greetings[k]->particle.rotation.z += SpinStep;
    } else {
      greetings[k]->particle.rotation.z -= SpinStep;
    }
  }
}

}  // namespace
}  // namespace outro_scene

using namespace outro_scene;

bool OutroSetup() {
  BeginSceneChecks("Outro");
  SetupFountain();
  AddSceneCamera();
  Load3ds("Objects\\outroscene01.3ds");
  SetupSkySphere();
  timeline = 0.0f;
  texturesPending = 1;
  return true;
}

bool OutroFrame() {
  Camera* camera = Cameras.current;
  timeline += 1.0f;
  UpdateParticleSystem(fountain, 1.0f);
  for (int k = 0; k < 4; ++k) greetings[k] = FindSceneObject(GreetingNames[k]);
  if (texturesPending) StartOutro(camera);

  steps += 1;
  // Spinning while the eye flies back, a pause, then spinning again.
  if (steps < FlyLength || (steps > 150 && steps < 1225)) Spin();
  if (camera) {
    if (steps >= FlyLength) {
      camera->eye.x += 1.8;
      camera->target.x += 1.0f;
    } else {
      camera->eye = VecAdd(camera->eye, eyeVelocity);
    }
  }
  FollowSkySphere();
  WarmUpTextures(texturesPending);
  return true;
}

bool OutroTearDown() { return true; }
