// Pieces the scene builders share.
#include "tools/content/art/scenery.h"

#include <algorithm>
#include <cmath>

#include "tools/content/art/font.h"
#include "tools/content/art/image.h"

MaterialDef Material(const std::string& name, const std::string& map) {
  MaterialDef m;
  m.name = name;
  m.map = map;
  return m;
}

Mesh SkySphere(Vec3 centre, float radius, const std::string& material, float horizonPower) {
  Mesh sky;
  sky.name = "skysphere";
  sky.pivot = centre;
  // 32 x 16 keeps a cell under about 600 units at radius 3000, so no face
  // near the edge of the view reaches far enough out to be dropped.
  AddSphere(sky, centre, radius, 32, 16, material, 2, 1);
  if (horizonPower > 0) {
    for (MeshVertex& v : sky.vertices) {
      const float s = std::clamp((v.p.z - centre.z) / radius, -1.0f, 1.0f);
      v.v = 0.5f - 0.5f * std::copysign(std::pow(std::fabs(s), horizonPower), s);
    }
  }
  return sky;
}

Mesh Ground(const std::string& name, float cx, float cy, float z, float halfSize, float cell,
            const std::string& material, float texel, const std::function<float(float, float)>& height) {
  Mesh g;
  g.name = name;
  g.pivot = {cx, cy, z};
  const int n = static_cast<int>(std::ceil(2 * halfSize / cell));
  AddGrid(g, cx - halfSize, cy - halfSize, cx + halfSize, cy + halfSize, n, n,
          [&](float x, float y) { return z + (height ? height(x, y) : 0.0f); }, material, texel);
  return g;
}

LightDef FarLight(const std::string& name, float azimuth, float elevation, float red, float green, float blue) {
  constexpr float kDegree = 3.14159265f / 180;
  const float a = azimuth * kDegree, e = elevation * kDegree;
  LightDef l;
  l.name = name;
  l.position = Vec3{std::cos(a) * std::cos(e), std::sin(a) * std::cos(e), std::sin(e)} * kFarLight;
  l.red = red;
  l.green = green;
  l.blue = blue;
  // Full strength over the whole set: nothing is ever in its fall-off.
  l.range = 2 * kFarLight;
  l.farRange = 2 * kFarLight;
  return l;
}

Mesh& AddMesh(SceneFile& scene, Mesh mesh) {
  scene.meshes.push_back(std::move(mesh));
  return scene.meshes.back();
}

Mesh& AddMesh(SceneFile& scene, const std::string& name, Vec3 pivot) {
  Mesh m;
  m.name = name;
  m.pivot = pivot;
  return AddMesh(scene, std::move(m));
}

std::function<float(float, float)> Hills(float cx, float cy, float flatRadius, float rise, float peak,
                                         unsigned seed) {
  return [=](float x, float y) {
    const float r = std::hypot(x - cx, y - cy);
    const float t = std::clamp((r - flatRadius) / rise, 0.0f, 1.0f);
    const float n = Fractal(x / 900, y / 900, 64, 3, seed);
    return peak * t * t * (0.35f + 0.65f * n);
  };
}

void AddText(Mesh& m, const std::vector<std::string>& lines, Vec3 centre, Vec3 right, float pixel, float depth,
             const std::string& material) {
  const Vec3 up{0, 0, 1};
  const Vec3 front = Cross(right, up);  // the side the letters are read from
  const int lineGap = 3;
  const int rows = static_cast<int>(lines.size()) * (kGlyphHeight + lineGap) - lineGap;
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const std::string& text = lines[l];
    const int cols = static_cast<int>(text.size()) * (kGlyphWidth + 1) - 1;
    auto lit = [&](int x, int y) {
      const int c = x / (kGlyphWidth + 1);
      return c < static_cast<int>(text.size()) && GlyphPixel(text[static_cast<std::size_t>(c)], x % (kGlyphWidth + 1), y);
    };
    // Cover the lit pixels with as few boxes as a greedy sweep finds: a run
    // to the right, then as many rows down as the whole run stays lit.
    std::vector<bool> used(static_cast<std::size_t>(cols * kGlyphHeight), false);
    auto free = [&](int x, int y) { return lit(x, y) && !used[static_cast<std::size_t>(y * cols + x)]; };
    for (int y = 0; y < kGlyphHeight; ++y) {
      for (int x = 0; x < cols; ++x) {
        if (!free(x, y)) continue;
        int w = 1;
        while (x + w < cols && free(x + w, y)) ++w;
        int h = 1;
        for (bool grow = true; grow && y + h < kGlyphHeight; ) {
          for (int i = 0; i < w; ++i) grow = grow && free(x + i, y + h);
          if (grow) ++h;
        }
        for (int j = 0; j < h; ++j) {
          for (int i = 0; i < w; ++i) used[static_cast<std::size_t>((y + j) * cols + x + i)] = true;
        }
        // Box centre in pixels from the text block's centre (rows grow downwards).
        const float px = static_cast<float>(x) + static_cast<float>(w) / 2 - static_cast<float>(cols) / 2;
        const int row = static_cast<int>(l) * (kGlyphHeight + lineGap) + y;
        const float py = static_cast<float>(rows) / 2 - (static_cast<float>(row) + static_cast<float>(h) / 2);
        const Vec3 c = centre + right * (px * pixel) + up * (py * pixel);
        AddOrientedBox(m, c, right * (static_cast<float>(w) * pixel / 2), front * (-depth / 2),
                       up * (static_cast<float>(h) * pixel / 2), material, pixel * 4);
      }
    }
  }
}
