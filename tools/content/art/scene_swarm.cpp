// The swarm scene: a closed hull around a central pillar with a crystal and
// two spoked rings, all lit only by the three lights riding on the swarm.
#include <cmath>

#include "tools/content/art/scenery.h"

namespace {

// The hull ("skysphere"): the eye circles at up to about 424 units from the
// origin; the swarm's lights, mostly within 300 of the origin, fade out by
// 500, so a hull just clear of the eye's path is the most they can reach.
constexpr float kHullRadius = 540;
// The pillar stands on the hull's floor and holds up its roof.
constexpr float kPillarRadius = 45, kPillarEnd = 600;
constexpr float kCrystalRadius = 120, kCrystalHeight = 180;
// Two rings on spokes, above and below the eye's path (|z| <= 300).
constexpr float kRingHeight = 400, kRingInner = 120, kRingOuter = 260, kRingThick = 24;
constexpr float kOrbRadius = 28;

const LightDef kLights[] = {{"light1", {120, 0, 40}, 0.35f, 0.55f, 1.0f, 80, 500},
                            {"light2", {0, 120, -40}, 1.0f, 0.85f, 0.6f, 80, 500},
                            {"light3", {-120, 0, 0}, 0.8f, 0.3f, 1.0f, 80, 500}};
// A faint glow inside the pillar keeps the hull and the rings' inner faces
// from going black between the swarm's passes. The renderer multiplies a
// light by (distance to the lit point / the light's distance from the
// origin): only 60 from the origin, this light is about ten times as strong on the
// hull as its colour says, and its flare (hidden in the crystal) stays dark.
const LightDef kCore{"core", {0, 0, 60}, 0.035f, 0.045f, 0.065f, 700, 800};

void AddRing(Mesh& m, float z) {
  // A closed section traced counter-clockwise in (radius, height): outward normals.
  const float lo = z - kRingThick / 2, hi = z + kRingThick / 2;
  AddLathe(m, {}, {{kRingInner, lo}, {kRingOuter, lo}}, 32, "ring", 4, 200);
  AddLathe(m, {}, {{kRingOuter, lo}, {kRingOuter, hi}}, 32, "ring", 4, 200);
  AddLathe(m, {}, {{kRingOuter, hi}, {kRingInner, hi}}, 32, "ring", 4, 200);
  AddLathe(m, {}, {{kRingInner, hi}, {kRingInner, lo}}, 32, "ring", 4, 200);
  for (int i = 0; i < 4; ++i) {
    const float a = 3.14159265f / 2 * static_cast<float>(i);
    const Vec3 dir{std::cos(a), std::sin(a), 0}, side{-std::sin(a), std::cos(a), 0};
    const float mid = (kPillarRadius + kRingInner) / 2;
    AddOrientedBox(m, dir * mid + Vec3{0, 0, z}, dir * ((kRingInner - kPillarRadius) / 2 + 4), side * 8,
                   Vec3{0, 0, 8}, "ring", 100);
    const Vec3 orb = dir * ((kRingInner + kRingOuter) / 2) + Vec3{0, 0, z > 0 ? lo - kOrbRadius : hi + kOrbRadius};
    AddSphere(m, orb, kOrbRadius, 12, 6, "crystal", 1, 1);
  }
}

}  // namespace

SceneFile BuildSwarmScene() {
  SceneFile s;
  s.name = "swarm";
  s.materials = {Material("hull", "HULL.TGA"), Material("pillar", "METAL.TGA"), Material("ring", "METAL.TGA"),
                 Material("crystal", "CRYSTAL.TGA")};
  Mesh pillar;
  pillar.name = "pillar";
  AddCylinder(pillar, {0, 0, -kPillarEnd}, kPillarRadius + 30, kPillarRadius, 120, 16, "pillar", 2, 200);
  AddCylinder(pillar, {0, 0, -kPillarEnd + 120}, kPillarRadius, kPillarRadius, 2 * kPillarEnd - 240, 16, "pillar",
              2, 300);
  AddCylinder(pillar, {0, 0, kPillarEnd - 120}, kPillarRadius, kPillarRadius + 30, 120, 16, "pillar", 2, 200);
  AddRing(pillar, kRingHeight);
  AddRing(pillar, -kRingHeight);
  AddMesh(s, std::move(pillar));

  Mesh crystal;
  crystal.name = "crystal";
  AddLathe(crystal, {}, {{0, -kCrystalHeight}, {kCrystalRadius, 0}, {0, kCrystalHeight}}, 6, "crystal", 3, 200);
  AddMesh(s, std::move(crystal));

  Mesh hull;
  hull.name = "skysphere";
  // Outward faces: the script turns the hull's normals inward itself.
  AddSphere(hull, {}, kHullRadius, 32, 16, "hull", 4, 2);
  AddMesh(s, std::move(hull));
  s.lights.assign(std::begin(kLights), std::end(kLights));
  s.lights.push_back(kCore);
  return s;
}
