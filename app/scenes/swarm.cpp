// Swarm scene: a chain of 60 glowing sprites, black to near white along the
// chain, swims along a closed-form knot-like path with three lights riding on
// it, while the camera circles the origin.
#include "app/scenes/blocks.h"
#include "app/scenes/scene_state.h"
#include "app/scenes/scenes.h"
#include "loaders/load3ds.h"
#include "loaders/texture_file.h"
#include "scene/normals.h"

namespace swarm_scene {

Sprite* members[MemberCount];
Light* lights[3];
float timeline;
std::uint8_t texturesPending;
std::int32_t phase;
const float radius = 90.0f;
// Not reset by the set-up: a looping demo carries it on.
float cameraAngle = 0.0f;

namespace {

// The lights ride on the first, the last and the middle member.
constexpr std::int32_t LightMember[3] = {0, MemberCount - 1, 30};

void MoveMember(std::int32_t i, float a) {
  // The two divisors differ in their digits; both are kept as they are.
  float b = i / 33.3333333 + 1.5;
  // Products and sums in single precision, the functions in double.
  double ab = a * b;
  double sum = a + b;
  float g = std::cos(ab);
  float d = std::cos(sum);
  float e = std::sin(ab);
  float f = std::sin(sum);
  float h = std::sin(a * 0.1);
  float l = std::cos(a * 0.1);
  float m = std::sin(a * 0.05);
  const float R = radius;
  Vec4 p;
  p.x = R * g * f * h + l * R * (b * g * d + m * (g + 2.0f * f));
  p.y = R * g * d * h + l * R * (b * d * e + m * (g + 2.0f * d));
  p.z = R * g * d * l + l * R * (b * g * f + m * (e + 2.0f * f));
  if (members[i]) {
    members[i]->particle.position.x = p.x;
    members[i]->particle.position.y = p.y;
    members[i]->particle.position.z = p.z;
  }
  for (int k = 0; k < 3; ++k) {
    if (i == LightMember[k] && lights[k]) {
      lights[k]->position.x = p.x;
      lights[k]->position.y = p.y;
      lights[k]->position.z = p.z;
    }
  }
}

void MoveSwarm() {
  phase += 2;
  float a = phase / 33.33333333;
  for (std::int32_t i = 0; i < MemberCount; ++i) MoveMember(i, a);
}

// The sky sphere is seen from inside: its normals are turned inward and its
// texture repeated five times across it. It is not made full-bright.
void SetupSky() {
  MeshObject* sky = FindMeshObject("skysphere");
  if (!SkySphereMaterial(sky)) return;
  ComputeNormals(sky->geometry, 0);
  ApplyPlanarMapping(sky, {0, 5.0f, 5.0f, 1.0f});
}

}  // namespace
}  // namespace swarm_scene

using namespace swarm_scene;

bool SwarmSetup() {
  BeginSceneChecks("Swarm");
  Material* material = AddSpriteMaterial(SpriteMaterialName2, LoadTexture("Textures\\lens5.tga"));
  for (std::int32_t i = 0; i < MemberCount; ++i) {
    Sprite* sprite = AddSprite(SpriteBillboard);
    members[i] = sprite;
    if (!sprite) continue;
    sprite->materials[0] = material;
    sprite->halfSize = 50.0f;
    auto grey = static_cast<std::uint8_t>(static_cast<int>(i * 4.25));
    sprite->colour[0] = sprite->colour[1] = sprite->colour[2] = grey;
    sprite->active = 1;
  }
  AddSceneCamera(45.0, 45.0);
  Load3ds("Objects\\swarmscene01.3ds");
  SetupSky();
  const char* names[3] = {"light1", "light2", "light3"};
  for (int k = 0; k < 3; ++k) {
    lights[k] = FindSceneLight(names[k]);
    if (!lights[k]) continue;
    // Fall-off between 80 and 500 units.
    lights[k]->rangeSquared = 6400.0f;
    lights[k]->farRangeSquared = 250000.0f;
  }
  timeline = 0.0f;
  texturesPending = 1;
  phase = 0;
  return true;
}

bool SwarmFrame() {
  timeline += 1.0f;
  if (Camera* camera = Cameras.current) {
    cameraAngle += 0.6;
    camera->eye.y = CosDegrees(cameraAngle) * 300.0;
    camera->eye.x = SinDegrees(cameraAngle) * 300.0;
    camera->eye.z = SinDegrees(cameraAngle) * 300.0;
  }
  MoveSwarm();
  WarmUpTextures(texturesPending);
  return true;
}

bool SwarmTearDown() { return true; }
