// Dante scene: sparks rise everywhere from a burning floor (ten systems whose
// emitters jump to a random place before every step), the ground and sky
// textures drift, a sphere rocks, two lights circle and the camera glides on a
// straight line across the set.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "effects/random.h"
#include "loaders/load3ds.h"

namespace dante_scene {

ParticleSystem* systems[SparkSystemCount];
ParticleEmitter* emitters[SparkSystemCount];
Light* redLight;
Light* sun;
MeshObject* rockingSphere;
MeshObject* sky;
float timeline;
std::uint8_t texturesPending;
Vec4 eyeVelocity;
std::int32_t flySteps;
float lightAngle;
float rockAngle;
float scrollAngle;

namespace {

constexpr std::int32_t SparksPerSystem = 50;
constexpr Vec4 FlyStart = {1554.0f, 2245.0f, -600.0f, 1.0f};
constexpr Vec4 FlyEnd = {1700.0f, -1700.0f, -500.0f, 1.0f};
// As long as the scene: the eye stops one step short of the end.
constexpr std::int32_t FlyLength = 2000;

void SetupSparks(std::int32_t i) {
  ParticleSystem* system = CreateParticleSystem(SparksPerSystem);
  systems[i] = system;
  AddParticleSprites(system, StandardSpriteMaterial, 30.0f, 255, 50, 50, 1);
  // The emitter keeps its z; x and y are thrown anew before every step.
  emitters[i] = AddSceneEmitter(system, {.position = {-1003.0f, -963.0f, -980.0f, 1.0f},
                                         .speedMin = 0.1f,
                                         .speedRange = 1.0f,
                                         .delayMin = 1,
                                         .delayRange = 5,
                                         .lifetimeMin = 80,
                                         .lifetimeRange = 60,
                                         .baseWeight = 7.0f,
                                         .baseDirection = {0.0f, 0.0f, 1.0f, 1.0f},
                                         .spread = 7.0f});
  AddConstantForce(system, {0.0f, 0.0f, -1.0f, 1.0f}, 0.25f);  // gravity
  AddConstantForce(system, {0.0f, 1.0f, 0.0f, 1.0f}, 0.1f);    // wind
  AddFloorCollider(system, -1000.0f, 0.7f);
  ResetParticles(system);
  SetParticleRadius(system, 30.0f);
}

// Texture coordinates straight from the vertex positions, so the drift never
// gathers rounding error.
void DriftTexture(MeshObject* object, double factor, float su, float sv) {
  if (!object || !object->geometry || !object->geometry->vertices) return;
  MeshGeometry* geometry = object->geometry;
  for (std::int32_t i = 0; i < geometry->vertexCount; ++i) {
    Vertex& vertex = geometry->vertices[i];
    vertex.u = vertex.position.x * factor + su;
    vertex.v = vertex.position.y * factor + sv;
  }
}

void MoveLights() {
  lightAngle += 1.0;
  if (redLight) {
    redLight->position.y = CosDegrees(lightAngle) * 2000.0;
    redLight->position.x = SinDegrees(lightAngle) * 1400.0;
  }
  if (sun) {
    sun->position.x = CosDegrees(lightAngle) * 2000.0;
    sun->position.y = SinDegrees(lightAngle) * 1400.0;
  }
}

void ThrowSparks() {
  for (std::int32_t i = 0; i < SparkSystemCount; ++i) {
    // Two draws, x first: x in (-2300, 1000], y in (-2000, 2000].
    float x = 1000.0f - RandomUnit() * 3300.0f;
    float y = 2000.0f - RandomUnit() * 4000.0f;
    if (emitters[i]) {
      emitters[i]->particle.position.x = x;
      emitters[i]->particle.position.y = y;
    }
    UpdateParticleSystem(systems[i], 1.0f);
  }
}

}  // namespace
}  // namespace dante_scene

using namespace dante_scene;

bool DanteSetup() {
  BeginSceneChecks("Dante");
  AddSpriteMaterials();
  for (std::int32_t i = 0; i < SparkSystemCount; ++i) SetupSparks(i);
  AddSceneCamera();
  Load3ds("Objects\\dantescene01.3ds");
  sky = SetupSkySphere();
  redLight = FindSceneLight("redlight");
  sun = FindSceneLight("sun");
  if (Sprite* flare = SceneFlare(redLight)) flare->active = 0;
  if (Sprite* flare = SceneFlare(sun)) flare->active = 0;
  rockingSphere = FindSceneObject("osphere");
  timeline = 0.0f;
  texturesPending = 1;
  return true;
}

bool DanteFrame() {
  Camera* camera = Cameras.current;
  timeline += 1.0f;
  if (texturesPending) {
    eyeVelocity = StepBetween(FlyStart, FlyEnd, FlyLength);
    flySteps = 0;
    if (camera) camera->eye = FlyStart;
    scrollAngle = 0.0f;
    lightAngle = 0.0f;
    rockAngle = 0.0f;
  }
  flySteps += 1;
  if (flySteps < FlyLength && camera) camera->eye = VecAdd(camera->eye, eyeVelocity);
  MoveLights();

  rockAngle += 0.1;
  if (rockingSphere) rockingSphere->particle.rotation.z = -360.0 * SinDegrees(rockAngle) * DegreesToRadians;

  MeshObject* ground = FindSceneObject("ground_noz");
  scrollAngle += 0.1;
  float su = SinDegrees(scrollAngle);
  float sv = CosDegrees(scrollAngle);
  ThrowSparks();
  DriftTexture(ground, 0.00033333333, su, sv);
  if (sky) {
    if (camera) sky->particle.position = camera->eye;
    DriftTexture(sky, 0.0005, su, sv);
  }
  DriftTexture(rockingSphere, 0.0005, su, sv);
  WarmUpTextures(texturesPending);
  return true;
}

bool DanteTearDown() { return true; }
