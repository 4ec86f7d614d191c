// The scene scripts' shared building blocks.
#include "app/scenes/blocks.h"

#include <cstdio>
#include <string>
#include <vector>

#include "device/render_device.h"
#include "device/texture_surfaces.h"
#include "effects/random.h"
#include "loaders/texture_file.h"
#include "render/flares.h"

namespace {

// The scene being run and the names already reported missing in this run.
const char* checkedScene = "scene";
std::vector<std::string> reported;

// True the first time a name is reported in this run.
bool FirstReport(const char* kind, const char* name) {
  std::string key = std::string(kind) + ":" + name;
  for (const std::string& seen : reported) {
    if (seen == key) return false;
  }
  reported.push_back(key);
  return true;
}

void ReportMissing(const char* kind, const char* name) {
  if (!FirstReport(kind, name)) return;
  std::fprintf(stderr, "kavret: %s scene: the model file has no %s \"%s\"; what moves it is skipped\n",
               checkedScene, kind, name);
}

}  // namespace

Material* AddSpriteMaterial(const char* name, Texture* texture) {
  Material* material = AddMaterial(name);
  // The colour is drawn even when the material cannot be made, so that the
  // shared random sequence stays where the scene expects it.
  std::uint8_t colour[4];
  SetRandomColour(colour);
  if (!material) return nullptr;
  material->texture = texture;
  for (int i = 0; i < 4; ++i) material->baseColour[i] = colour[i];
  return material;
}

void SetRandomColour(std::uint8_t colour[4]) {
  for (int i = 0; i < 3; ++i) colour[i] = static_cast<std::uint8_t>(static_cast<int>(RandomUnit() * 255.0f));
  colour[3] = 0;
}

void AddSpriteMaterials() {
  AddSpriteMaterial(SpriteMaterialName, LoadTexture("Textures\\fire002.tga"));
  AddSpriteMaterial(SpriteMaterialName2, LoadTexture("Textures\\lens5.tga"));
  // The first lens-flare texture is shared with the flares.
  Texture* lens1 = nullptr;
  if (LensFlareTemplate && LensFlareTemplate->materials[0]) lens1 = LensFlareTemplate->materials[0]->texture;
  AddSpriteMaterial(SpriteMaterialName3, lens1);
}

Material* StandardSpriteMaterial(std::int32_t i) {
  if (i % 15 == 0) return FindMaterial(SpriteMaterialName2);
  if (i % 5 == 0) return FindMaterial(SpriteMaterialName3);
  return FindMaterial(SpriteMaterialName);
}

void AddParticleSprites(ParticleSystem* system, SpriteMaterialRule rule, float halfSize, std::uint8_t red,
                        std::uint8_t green, std::uint8_t blue, std::uint8_t active) {
  if (!system) return;
  for (std::int32_t i = 0; i < system->slotCount; ++i) {
    Sprite* sprite = AddSprite(SpriteBillboard);
    if (!sprite) continue;
    sprite->materials[0] = rule(i);
    sprite->halfSize = halfSize;
    sprite->colour[0] = red;
    sprite->colour[1] = green;
    sprite->colour[2] = blue;
    sprite->active = active;
    system->slots[i] = &sprite->particle;
  }
}

void SetParticleRadius(ParticleSystem* system, float radius) {
  if (!system) return;
  for (std::int32_t i = 0; i < system->slotCount; ++i) {
    if (system->slots[i]) system->slots[i]->radius = radius;
  }
}

ParticleEmitter* AddSceneEmitter(ParticleSystem* system, const EmitterSettings& settings) {
  ParticleEmitter* emitter = system ? AddEmitter(system, 1) : nullptr;
  if (!emitter) return nullptr;
  emitter->particle.position = settings.position;
  emitter->speedMin = settings.speedMin;
  emitter->speedRange = settings.speedRange;
  emitter->delayMin = settings.delayMin;
  emitter->delayRange = settings.delayRange;
  emitter->lifetimeMin = settings.lifetimeMin;
  emitter->lifetimeRange = settings.lifetimeRange;
  emitter->baseWeight = settings.baseWeight;
  emitter->spread = settings.spread;
  emitter->baseDirection = settings.baseDirection;
  VecNormalize(emitter->baseDirection);
  return emitter;
}

ParticleForce* AddConstantForce(ParticleSystem* system, Vec4 direction, float strength) {
  ParticleForce* force = system ? AddForce(system, ForceConstant) : nullptr;
  if (!force) return nullptr;
  force->direction = direction;
  VecNormalize(force->direction);
  force->strength = strength;
  return force;
}

ParticleCollider* AddFloorCollider(ParticleSystem* system, float distance, float bounce) {
  ParticleCollider* collider = system ? AddCollider(system, ColliderFloor) : nullptr;
  if (!collider) return nullptr;
  collider->distance = distance;
  collider->bounce = bounce;
  return collider;
}

ParticleCollider* AddSphereCollider(ParticleSystem* system, Vec4 centre, float radius, float bounce) {
  ParticleCollider* collider = system ? AddCollider(system, ColliderSphere) : nullptr;
  if (!collider) return nullptr;
  InitParticle(&collider->particle);
  collider->particle.position = centre;
  collider->particle.radius = radius;
  collider->bounce = bounce;
  return collider;
}

Camera* AddSceneCamera(double angleX, double angleY) {
  Camera* camera = AddCamera();
  if (!camera) return nullptr;
  const RECT& view = RenderDevice.viewportRect;
  SetCameraScreen(camera, view.right - view.left, view.bottom - view.top);
  camera->eye = {0.0f, 600.0f, -100.0f, 1.0f};
  camera->target = {0.0f, 0.0f, 0.0f, 1.0f};
  camera->upHint = {0.0f, 0.0f, -1.0f, 1.0f};
  camera->nearZ = 10.0f;
  camera->farZ = 6000.0f;
  camera->angleX = angleX;
  camera->angleY = angleY;
  SetCurrentCamera(camera);
  return camera;
}

Material* SkySphereMaterial(const MeshObject* sky) {
  if (!sky || !sky->geometry || !sky->geometry->faces || sky->geometry->faceCount < 1) return nullptr;
  return sky->geometry->faces[0].material;
}

MeshObject* SetupSkySphere() {
  MeshObject* sky = FindMeshObject("skysphere");
  if (Material* material = SkySphereMaterial(sky)) material->fullBright = 1;
  return sky;
}

void FollowSkySphere() {
  MeshObject* sky = FindMeshObject("skysphere");
  if (sky && Cameras.current) sky->particle.position = Cameras.current->eye;
}

void WarmUpTextures(std::uint8_t& pending) {
  if (!pending) return;
  for (Texture* texture = Textures.first; texture; texture = texture->next) {
    // A file that could not be read left an entry with nothing to upload.
    if (!texture->pixels) continue;
    EnsureTexture(texture);
    BindTexture(texture);
  }
  pending = 0;
}

Vec4 StepBetween(const Vec4& from, const Vec4& to, float steps) {
  Vec4 step = VecSub(to, from);
  float length = VecLength(step);
  VecNormalize(step);
  float scale = length / steps;
  return {step.x * scale, step.y * scale, step.z * scale, 1.0f};
}

void BeginSceneChecks(const char* sceneName) {
  checkedScene = sceneName;
  reported.clear();
}

MeshObject* FindSceneObject(const char* name) {
  MeshObject* object = FindMeshObject(name);
  if (!object) ReportMissing("object", name);
  return object;
}

Light* FindSceneLight(const char* name) {
  Light* light = LightGroups.current ? FindLight(LightGroups.current, name) : nullptr;
  if (!light) ReportMissing("light", name);
  return light;
}

Light* FirstSceneLight() {
  Light* light = LightGroups.current ? LightGroups.current->firstLight : nullptr;
  if (!light) ReportMissing("light", "(any)");
  return light;
}

Sprite* SceneFlare(Light* light) {
  if (!light) return nullptr;
  if (!light->flare) ReportMissing("lens flare on light", light->name ? light->name : "");
  return light->flare;
}
