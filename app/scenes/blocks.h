// The building blocks every scene script shares: the sprite materials, the
// particle sprites, the camera, the sky sphere, the per-frame texture warm-up,
// and finding the named parts of a scene's model file.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/math.h"
#include "effects/particles.h"
#include "scene/scene.h"

// Degrees to radians: every angle the scripts keep is in degrees.
inline constexpr double DegreesToRadians = 0.01745329252;

inline double CosDegrees(float degrees) { return std::cos(degrees * DegreesToRadians); }
inline double SinDegrees(float degrees) { return std::sin(degrees * DegreesToRadians); }

// The three sprite materials, in the order they are created.
inline constexpr const char* SpriteMaterialName = "sprite_particle_material";
inline constexpr const char* SpriteMaterialName2 = "sprite_particle_material2";
inline constexpr const char* SpriteMaterialName3 = "sprite_particle_material3";

// Red, green and blue each the integer part of a random unit times 255, in that
// order (three draws of the shared generator; 0 to 254); alpha 0.
void SetRandomColour(std::uint8_t colour[4]);

// A new material with that texture and a random base colour.
Material* AddSpriteMaterial(const char* name, Texture* texture);

// The sprite materials: creates "sprite_particle_material" (fire002), "sprite_particle_material2"
// (lens5) and "sprite_particle_material3" (the first lens-flare texture, not
// loaded again), each with a random base colour.
void AddSpriteMaterials();

// The material of particle sprite i. The usual rule: i a multiple of 15 the
// second material, else a multiple of 5 the third, else the first.
using SpriteMaterialRule = Material* (*)(std::int32_t i);
Material* StandardSpriteMaterial(std::int32_t i);

// The particle sprites: one billboard per slot of the system, its particle block in the
// slot, with the rule's material and the given size, colour and active byte.
void AddParticleSprites(ParticleSystem* system, SpriteMaterialRule rule, float halfSize, std::uint8_t red,
                        std::uint8_t green, std::uint8_t blue, std::uint8_t active);

// Sets every slot's collision radius (after ResetParticles).
void SetParticleRadius(ParticleSystem* system, float radius);

// Fills an emitter's fields; the base direction is normalised.
struct EmitterSettings {
  Vec4 position;
  float speedMin, speedRange;
  std::int32_t delayMin, delayRange;
  std::int32_t lifetimeMin, lifetimeRange;
  float baseWeight;
  Vec4 baseDirection;
  float spread = 1.0f;  // the emitter's own start value
};
ParticleEmitter* AddSceneEmitter(ParticleSystem* system, const EmitterSettings& settings);
// A constant force along the normalised direction.
ParticleForce* AddConstantForce(ParticleSystem* system, Vec4 direction, float strength);
// The floor plane z = distance.
ParticleCollider* AddFloorCollider(ParticleSystem* system, float distance, float bounce);
// A sphere with its centre and radius in the collider's own particle block.
ParticleCollider* AddSphereCollider(ParticleSystem* system, Vec4 centre, float radius, float bounce);

// The scene camera: a new current camera over the viewport with the scenes'
// fixed eye, target, up hint, depth range and angle parameters.
Camera* AddSceneCamera(double angleX = 270.0, double angleY = 335.0);

// The sky sphere: made full-bright when its first face has a material; null
// when the model file has none.
MeshObject* SetupSkySphere();
// The sky sphere's first face material, or null (no sphere, no faces).
Material* SkySphereMaterial(const MeshObject* sky);
// Centres the sky sphere (when there is one) on the current camera's eye.
void FollowSkySphere();

// On the first call after set-up (pending set): every loaded texture gets its
// device side and a bind, in registry order; then pending is cleared.
void WarmUpTextures(std::uint8_t& pending);

// (to - from) / steps, computed as the normalised difference times its
// length / steps.
Vec4 StepBetween(const Vec4& from, const Vec4& to, float steps);

// Named parts of the scene. A part the scripts need but the model file lacks
// is reported on stderr once per scene run, and the caller skips its motion.
// Set-up starts a run with the scene's name (used in the messages).
void BeginSceneChecks(const char* sceneName);
MeshObject* FindSceneObject(const char* name);
Light* FindSceneLight(const char* name);
// The first light of the current light group (model-file order).
Light* FirstSceneLight();
// A light's lens-flare sprite, or null (and a warning) when it has none.
Sprite* SceneFlare(Light* light);
