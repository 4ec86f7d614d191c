// Rocket scene: a rocket on its pad, the exhaust igniting at 501, the camera
// orbiting from 651, lift-off from 1000 with the camera spiralling in from 1201
// and the sky turning from 1300.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"

namespace rocket_scene {

ParticleSystem* exhaust;
ParticleEmitter* emitter;
MeshObject* rocket;
Light* rocketLight;
float timeline;
std::uint8_t texturesPending;
std::uint8_t launched;
std::uint8_t cameraFollow;
float climbSpeed;
float radiusX;
float radiusY;
float sway;
float swayStep;
// Not reset by the set-up: a looping demo carries them on.
float cameraAngle = 90.0f;
float lightAngle = 90.0f;

namespace {

constexpr std::int32_t ExhaustCount = 50;

void SetupExhaust() {
  exhaust = CreateParticleSystem(ExhaustCount);
  AddSpriteMaterials();
  AddParticleSprites(exhaust, StandardSpriteMaterial, 30.0f, 255, 50, 50, 0);
  emitter = AddSceneEmitter(exhaust, {.position = {116.0f, 29.0f, 64.0f, 1.0f},
                                     .speedMin = 0.1f,
                                     .speedRange = 1.0f,
                                     .delayMin = 1,
                                     .delayRange = 5,
                                     .lifetimeMin = 15,
                                     .lifetimeRange = 20,
                                     .baseWeight = 7.0f,
                                     .baseDirection = {0.0f, 0.0f, -1.0f, 1.0f}});
  AddConstantForce(exhaust, {0.0f, 0.0f, -1.0f, 1.0f}, 0.25f);
  AddFloorCollider(exhaust, 0.0f, 0.7f);
  ResetParticles(exhaust);
  SetParticleRadius(exhaust, 8.0f);
}

void Ignite() {
  launched = 1;
  for (Sprite* sprite = Sprites.first; sprite; sprite = sprite->next) {
    if (sprite->kind == SpriteBillboard) sprite->active = 1;
  }
  if (rocketLight && rocketLight->flare) rocketLight->flare->active = 1;
}

// From 1000 on the rocket climbs with growing speed, carrying the exhaust,
// the camera and the lights.
void Climb(Camera* camera) {
  climbSpeed += 0.1;
  if (rocket) rocket->particle.position.z += climbSpeed;
  if (emitter) emitter->particle.position.z += climbSpeed;
  if (camera) camera->eye.z += climbSpeed;
  if (rocketLight) rocketLight->position.z += climbSpeed;
  if (emitter) emitter->baseWeight -= 0.1;
  if (rocket) rocket->particle.rotation.z = CosDegrees(cameraAngle);
  if (Light* first = FirstSceneLight()) first->position.z += climbSpeed;
  if (timeline >= 1300.0f) {
    if (MeshObject* sky = FindMeshObject("skysphere")) {
      sky->particle.rotation.x += 0.003490658556014865f;
      sky->particle.rotation.y += 0.0017453292780074325f;
    }
  }
}

void MoveEye(Camera* camera) {
  if (!camera) return;
  if (cameraFollow && timeline <= 1200.0f) {
    cameraAngle += 0.5;
    camera->eye.x = CosDegrees(cameraAngle) * radiusX;
    camera->eye.y = SinDegrees(cameraAngle) * radiusY;
    camera->eye.z = CosDegrees(cameraAngle) * 300.0 + 700.0;
  } else if (cameraFollow) {
    cameraAngle += 0.3;
    radiusX -= 2.0f;
    radiusY -= 2.0f;
    camera->eye.x = CosDegrees(cameraAngle) * radiusX;
    camera->eye.y = SinDegrees(cameraAngle) * radiusY;
    // The aim sways between about -3.5 and 3.5, one step past the bound.
    if (sway > 3.5f || sway < -3.5f) swayStep = -swayStep;
    sway += swayStep;
    camera->target.x += sway;
    camera->target.y -= sway;
    camera->target.z += climbSpeed;
    if (rocketLight && rocketLight->flare) rocketLight->flare->active = 0;
  } else {
    camera->eye.x += 2.0f;
    camera->eye.y -= 1.0f;
  }
}

}  // namespace
}  // namespace rocket_scene

using namespace rocket_scene;

bool RocketSetup() {
  BeginSceneChecks("Rocket");
  SetupExhaust();
  AddSceneCamera();
  Load3ds("Objects\\rocketscene01.3ds");
  rocket = FindSceneObject("rocket69");
  rocketLight = FindSceneLight("rocket_lig");
  if (Sprite* flare = SceneFlare(rocketLight)) flare->active = 0;
  if (rocketLight) {
    // Lifted while the rocket stands; taken back when the camera starts following.
    rocketLight->position.y += 20.0f;
    rocketLight->position.z += 20.0f;
    if (rocketLight->flare) rocketLight->flare->halfSize = 60.0f;
  }
  SetupSkySphere();
  texturesPending = 1;
  cameraFollow = 0;
  launched = 0;
  timeline = 0.0f;
  radiusX = 2300.0f;
  radiusY = 1400.0f;
  sway = 0.0f;
  swayStep = -0.05f;
  return true;
}

bool RocketFrame() {
  Camera* camera = Cameras.current;
  if (launched) UpdateParticleSystem(exhaust, 1.0f);
  timeline += 1.0f;

  if (timeline > 650.0f && timeline <= 1200.0f) {
    cameraFollow = 1;
    if (camera && rocket) {
      camera->target = rocket->particle.position;
      camera->target.z += 100.0f;
    }
    if (timeline == 651.0f && rocketLight) {
      rocketLight->position.y -= 20.0f;
      rocketLight->position.z -= 20.0f;
    }
  }
  if (timeline > 500.0f && timeline < 502.0f) Ignite();

  if (timeline >= 1000.0f) {
    Climb(camera);
  } else {
    climbSpeed = 0.0f;
  }
  MoveEye(camera);
  FollowSkySphere();

  lightAngle += 0.7;
  if (Light* first = FirstSceneLight()) {
    first->position.x = CosDegrees(lightAngle) * 300.0;
    first->position.y = SinDegrees(lightAngle) * 500.0;
  }
  WarmUpTextures(texturesPending);
  return true;
}

bool RocketTearDown() { return true; }
