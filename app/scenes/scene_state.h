// Each scene's own state: the records it drives, its timeline counter and
// textures-pending flag, and its motion variables. Angles marked "kept" are
// initialised data that no set-up resets, so a looping demo carries them on.
// Declared here so that tests can follow a scene's timeline.
#pragma once

#include <cstdint>

#include "core/math.h"
#include "effects/particles.h"
#include "scene/scene.h"

namespace rocket_scene {
extern ParticleSystem* exhaust;
extern ParticleEmitter* emitter;
extern MeshObject* rocket;  // "rocket69"
extern Light* rocketLight;  // "rocket_lig"
extern float timeline;
extern std::uint8_t texturesPending;
extern std::uint8_t launched;
extern std::uint8_t cameraFollow;
extern float climbSpeed;
extern float radiusX, radiusY;  // camera orbit
extern float sway, swayStep;    // camera aim
extern float cameraAngle;       // degrees, kept; 90 at start
extern float lightAngle;        // degrees, kept; 90 at start
}  // namespace rocket_scene

namespace sphere_scene {
extern ParticleSystem* fountain;
extern ParticleEmitter* emitter;
extern float timeline;
extern std::uint8_t texturesPending;
extern std::int32_t steps;  // reset when the fly starts
extern std::uint8_t flying;
extern Vec4 eyeVelocity, targetVelocity;
extern float brightness, brightnessStep;
extern float cameraAngle;   // degrees, kept
extern float emitterAngle;  // degrees, kept until the fly starts
extern float lightAngle;    // degrees, kept; 90 at start
}  // namespace sphere_scene

namespace swarm_scene {
inline constexpr std::int32_t MemberCount = 60;
extern Sprite* members[MemberCount];
extern Light* lights[3];  // "light1", "light2", "light3"
extern float timeline;
extern std::uint8_t texturesPending;
extern std::int32_t phase;  // += 2 per call
extern const float radius;
extern float cameraAngle;  // degrees, kept
}  // namespace swarm_scene

namespace egypt_scene {
extern ParticleSystem* fountain;
extern ParticleEmitter* emitter;
extern float timeline;
extern std::uint8_t texturesPending;
extern Vec4 targetVelocity;
extern std::int32_t panSteps;
extern float swingAngle;  // degrees; 45 again on every first call
extern float swingCurve;  // degrees
}  // namespace egypt_scene

namespace exp_scene {
extern ParticleSystem* pour;
extern ParticleEmitter* emitter;
extern ParticleCollider* sphereCollider;
extern MeshObject* sphere;  // "sphere1"
extern float timeline;
extern std::uint8_t texturesPending;
extern float cameraAngle;   // degrees, kept
extern float emitterAngle;  // degrees, kept
}  // namespace exp_scene

namespace cross_scene {
extern float timeline;
extern std::uint8_t texturesPending;
extern Vec4 targetVelocity;
extern std::int32_t panSteps;
}  // namespace cross_scene

namespace dante_scene {
inline constexpr std::int32_t SparkSystemCount = 10;
extern ParticleSystem* systems[SparkSystemCount];
extern ParticleEmitter* emitters[SparkSystemCount];
extern Light* redLight;           // "redlight"
extern Light* sun;                // "sun"
extern MeshObject* rockingSphere;  // "osphere"
extern MeshObject* sky;
extern float timeline;
extern std::uint8_t texturesPending;
extern Vec4 eyeVelocity;
extern std::int32_t flySteps;
extern float lightAngle, rockAngle, scrollAngle;  // degrees, 0 on every first call
}  // namespace dante_scene

namespace outro_scene {
extern ParticleSystem* fountain;
extern ParticleEmitter* emitter;
extern MeshObject* greetings[4];  // "greet1", "greetf1", "greet2", "greetf2"
extern float timeline;
extern std::uint8_t texturesPending;
extern Vec4 eyeVelocity;
extern std::int32_t steps;
}  // namespace outro_scene
