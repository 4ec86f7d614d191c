// Exp scene: four hundred blue sprites pour from an emitter circling high above
// a sphere of the model and bounce off the sphere and the ground, while the
// camera circles the set far out. No sky sphere here.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"

namespace exp_scene {

ParticleSystem* pour;
ParticleEmitter* emitter;
ParticleCollider* sphereCollider;
MeshObject* sphere;
float timeline;
std::uint8_t texturesPending;
// Not reset by the set-up: a looping demo carries them on.
float cameraAngle = 0.0f;
float emitterAngle = 0.0f;

namespace {

constexpr std::int32_t PourCount = 400;

Material* PourMaterial(std::int32_t) { return FindMaterial(SpriteMaterialName2); }

void SetupPour() {
  pour = CreateParticleSystem(PourCount);
  AddSpriteMaterials();
  AddParticleSprites(pour, PourMaterial, 30.0f, 50, 50, 255, 1);
  emitter = AddSceneEmitter(pour, {.position = {-152.0f, 330.0f, 500.0f, 1.0f},
                                     .speedMin = 0.1f,
                                     .speedRange = 1.0f,
                                     .delayMin = 1,
                                     .delayRange = 1,
                                     .lifetimeMin = 250,
                                     .lifetimeRange = 0,
                                     .baseWeight = 7.0f,
                                     .baseDirection = {0.0f, 0.0f, 0.0f, 1.0f},
                                     .spread = 2.0f});
  AddConstantForce(pour, {0.0f, 0.0f, -1.0f, 1.0f}, 0.25f);
  // The ground gives back all of the speed, the sphere nine tenths.
  AddFloorCollider(pour, 0.0f, 1.0f);
  sphereCollider = AddSphereCollider(pour, {0.0f, 0.0f, 382.0f, 1.0f}, 150.0f, 0.9f);
  ResetParticles(pour);
  SetParticleRadius(pour, 8.0f);
}

}  // namespace
}  // namespace exp_scene

using namespace exp_scene;

bool ExpSetup() {
  BeginSceneChecks("Exp");
  SetupPour();
  AddSceneCamera();
  Load3ds("Objects\\expscene01.3ds");
  sphere = FindSceneObject("sphere1");
  if (sphere && sphereCollider) sphereCollider->particle.position = sphere->particle.position;
  timeline = 0.0f;
  texturesPending = 1;
  return true;
}

bool ExpFrame() {
  timeline += 1.0f;
  UpdateParticleSystem(pour, 1.0f);
  if (Camera* camera = Cameras.current) {
    cameraAngle += 1.0;
    camera->eye.y = CosDegrees(cameraAngle) * 3000.0;
    camera->eye.x = SinDegrees(cameraAngle) * 3000.0;
    camera->eye.z = SinDegrees(cameraAngle) * 200.0 + 400.0;
  }
  emitterAngle += 1.8;
  if (emitter) {
    emitter->particle.position.x = CosDegrees(emitterAngle) * 50.0;
    emitter->particle.position.y = SinDegrees(emitterAngle) * 50.0;
    emitter->particle.position.z = SinDegrees(emitterAngle) * 50.0 + 700.0;
  }
  // The model's first light never shows a flare in this scene.
  if (Light* first = FirstSceneLight()) {
    if (first->flare) first->flare->active = 0;
  }
  WarmUpTextures(texturesPending);
  return true;
}

bool ExpTearDown() { return true; }
