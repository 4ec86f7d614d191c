// Pieces the scene builders share: material definitions, the sky sphere and
// the ground.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/content/art/scene_file.h"

// A textured material; the map is the upper-case 8.3 name under Textures/.
MaterialDef Material(const std::string& name, const std::string& map);

// "skysphere": a closed sphere around `centre` (its pivot), mapped with the
// sky picture (top row at the zenith, u wrapping twice around). With
// `horizonPower` below 1 the picture's rows crowd less near the horizon: a
// point at elevation e gets v = (1 - sin^p e) / 2 above it (mirrored below),
// so an eye that sees only a few degrees above the horizon sees more than
// the picture's horizon band.
Mesh SkySphere(Vec3 centre, float radius, const std::string& material, float horizonPower = 0);

// A flat ground square centred on (cx, cy) at height z, in cells of about
// `cell` units, one texture repeat per `texel` units.
// `height`, if given, raises the vertices (hills beyond the flat middle).
Mesh Ground(const std::string& name, float cx, float cy, float z, float halfSize, float cell,
            const std::string& material, float texel,
            const std::function<float(float, float)>& height = nullptr);
// A height function: flat inside `flatRadius` of (cx, cy), rolling hills up to
// `peak` high beyond it, shaped by seeded noise.
std::function<float(float, float)> Hills(float cx, float cy, float flatRadius, float rise, float peak,
                                         unsigned seed);

// A light so far away (kFarLight units from the origin) that it acts like the
// sun: the renderer scales a light by the distance to the lit point over the
// light's distance from the origin, which stays near 1 for anything within a
// few thousand units, so it gives every face turned to it the same share of
// its colour. Its flare is far below a pixel. Azimuth from +x towards +y and
// elevation above the ground, in degrees.
constexpr float kFarLight = 100000;
LightDef FarLight(const std::string& name, float azimuth, float elevation, float red, float green, float blue);

// Appends `mesh` to the scene and returns a reference to it.
Mesh& AddMesh(SceneFile& scene, Mesh mesh);
Mesh& AddMesh(SceneFile& scene, const std::string& name, Vec3 pivot);

// Block letters of the 5 x 7 font, one box per run of pixels, standing in the
// plane through `centre` spanned by `right` and up (z), their fronts facing
// right x up (unit vectors); lines are centred, `pixel` units a font pixel.
void AddText(Mesh& m, const std::vector<std::string>& lines, Vec3 centre, Vec3 right, float pixel, float depth,
             const std::string& material);
