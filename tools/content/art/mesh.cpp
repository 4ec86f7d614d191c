// The shapes the scene builders assemble their objects from.
#include "tools/content/art/mesh.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

float Length(Vec3 a) { return std::sqrt(Dot(a, a)); }

}  // namespace

std::uint16_t Mesh::Slot(const std::string& material) {
  for (std::size_t i = 0; i < materials.size(); ++i) {
    if (materials[i] == material) return static_cast<std::uint16_t>(i);
  }
  materials.push_back(material);
  return static_cast<std::uint16_t>(materials.size() - 1);
}

void Mesh::Triangle(int a, int b, int c, const std::string& material) {
  faces.push_back({static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(c),
                   Slot(material)});
}

int Mesh::Vertex(Vec3 p, float u, float v) {
  vertices.push_back({p, u, v});
  return static_cast<int>(vertices.size() - 1);
}

void AddQuad(Mesh& m, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, const std::string& mat, float u0, float v0, float u1,
             float v1) {
  // Split so that no cell is longer than kMaxCell along either side.
  const int nx = std::max(1, static_cast<int>(std::ceil(std::max(Length(p1 - p0), Length(p2 - p3)) / kMaxCell)));
  const int ny = std::max(1, static_cast<int>(std::ceil(std::max(Length(p3 - p0), Length(p2 - p1)) / kMaxCell)));
  const int first = static_cast<int>(m.vertices.size());
  for (int j = 0; j <= ny; ++j) {
    const float t = static_cast<float>(j) / static_cast<float>(ny);
    for (int i = 0; i <= nx; ++i) {
      const float s = static_cast<float>(i) / static_cast<float>(nx);
      const Vec3 p = (p0 * (1 - s) + p1 * s) * (1 - t) + (p3 * (1 - s) + p2 * s) * t;
      // Texture v grows downwards in the image, so the quad's lower edge gets v1.
      m.Vertex(p, u0 + (u1 - u0) * s, v1 + (v0 - v1) * t);
    }
  }
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const int a = first + j * (nx + 1) + i;
      m.Triangle(a, a + 1, a + nx + 2, mat);
      m.Triangle(a, a + nx + 2, a + nx + 1, mat);
    }
  }
}

void AddOrientedBox(Mesh& m, Vec3 c, Vec3 ax, Vec3 ay, Vec3 az, const std::string& mat, float texel) {
  const float lx = 2 * Length(ax) / texel, ly = 2 * Length(ay) / texel, lz = 2 * Length(az) / texel;
  auto corner = [&](float sx, float sy, float sz) { return c + ax * sx + ay * sy + az * sz; };
  // Each side: its four corners counter-clockwise seen from outside, and its extent in texture repeats.
  AddQuad(m, corner(1, -1, -1), corner(1, 1, -1), corner(1, 1, 1), corner(1, -1, 1), mat, 0, 0, ly, lz);
  AddQuad(m, corner(-1, 1, -1), corner(-1, -1, -1), corner(-1, -1, 1), corner(-1, 1, 1), mat, 0, 0, ly, lz);
  AddQuad(m, corner(1, 1, -1), corner(-1, 1, -1), corner(-1, 1, 1), corner(1, 1, 1), mat, 0, 0, lx, lz);
  AddQuad(m, corner(-1, -1, -1), corner(1, -1, -1), corner(1, -1, 1), corner(-1, -1, 1), mat, 0, 0, lx, lz);
  AddQuad(m, corner(-1, -1, 1), corner(1, -1, 1), corner(1, 1, 1), corner(-1, 1, 1), mat, 0, 0, lx, ly);
  AddQuad(m, corner(-1, 1, -1), corner(1, 1, -1), corner(1, -1, -1), corner(-1, -1, -1), mat, 0, 0, lx, ly);
}

void AddBox(Mesh& m, Vec3 lo, Vec3 hi, const std::string& mat, float texel) {
  const Vec3 c = (lo + hi) * 0.5f;
  const Vec3 h = (hi - lo) * 0.5f;
  AddOrientedBox(m, c, {h.x, 0, 0}, {0, h.y, 0}, {0, 0, h.z}, mat, texel);
}

void AddLathe(Mesh& m, Vec3 base, const std::vector<ProfilePoint>& given, int segments, const std::string& mat,
              float uRepeat, float vScale) {
  // Long profile steps are split like long quad sides.
  std::vector<ProfilePoint> profile;
  for (std::size_t k = 0; k < given.size(); ++k) {
    if (k > 0) {
      const ProfilePoint a = given[k - 1], b = given[k];
      const int n = static_cast<int>(std::ceil(std::hypot(b.r - a.r, b.z - a.z) / kMaxCell));
      for (int i = 1; i < n; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(n);
        profile.push_back({a.r + (b.r - a.r) * t, a.z + (b.z - a.z) * t});
      }
    }
    profile.push_back(given[k]);
  }
  const int first = static_cast<int>(m.vertices.size());
  const int ring = segments + 1;  // the seam is doubled so that u can wrap
  float along = 0;
  for (std::size_t k = 0; k < profile.size(); ++k) {
    if (k > 0) {
      along += std::hypot(profile[k].r - profile[k - 1].r, profile[k].z - profile[k - 1].z);
    }
    for (int i = 0; i <= segments; ++i) {
      const float a = 2 * kPi * static_cast<float>(i % segments) / static_cast<float>(segments);
      const Vec3 p = base + Vec3{profile[k].r * std::cos(a), profile[k].r * std::sin(a), profile[k].z};
      m.Vertex(p, uRepeat * static_cast<float>(i) / static_cast<float>(segments), 1 - along / vScale);
    }
  }
  for (std::size_t k = 0; k + 1 < profile.size(); ++k) {
    for (int i = 0; i < segments; ++i) {
      const int a = first + static_cast<int>(k) * ring + i;
      const int b = a + 1, c = a + ring + 1, d = a + ring;
      // A ring of radius 0 is a single point: only one triangle of the quad has an area.
      if (profile[k].r != 0) m.Triangle(a, b, c, mat);
      if (profile[k + 1].r != 0) m.Triangle(a, c, d, mat);
    }
  }
}

void AddCylinder(Mesh& m, Vec3 base, float rBottom, float rTop, float height, int segments, const std::string& mat,
                 float uRepeat, float vScale) {
  AddLathe(m, base, {{0, 0}, {rBottom, 0}}, segments, mat, uRepeat, vScale);
  AddLathe(m, base, {{rBottom, 0}, {rTop, height}}, segments, mat, uRepeat, vScale);
  AddLathe(m, base, {{rTop, height}, {0, height}}, segments, mat, uRepeat, vScale);
}

void AddSphere(Mesh& m, Vec3 centre, float radius, int segments, int rings, const std::string& mat, float uRepeat,
               float vRepeat) {
  std::vector<ProfilePoint> profile;
  for (int k = 0; k <= rings; ++k) {
    const float a = -kPi / 2 + kPi * static_cast<float>(k) / static_cast<float>(rings);
    profile.push_back({k == 0 || k == rings ? 0.0f : radius * std::cos(a), radius * std::sin(a)});
  }
  AddLathe(m, centre, profile, segments, mat, uRepeat, kPi * radius / vRepeat);
}

void AddPyramid(Mesh& m, Vec3 base, float halfSize, float height, const std::string& mat, float texel) {
  const Vec3 apex = base + Vec3{0, 0, height};
  const Vec3 c[4] = {base + Vec3{-halfSize, -halfSize, 0}, base + Vec3{halfSize, -halfSize, 0},
                     base + Vec3{halfSize, halfSize, 0}, base + Vec3{-halfSize, halfSize, 0}};
  const float w = 2 * halfSize / texel, h = std::hypot(halfSize, height) / texel;
  const int n = std::max(1, static_cast<int>(std::ceil(std::max(2 * halfSize, Length(apex - c[0])) / kMaxCell)));
  for (int side = 0; side < 4; ++side) {
    const Vec3 a = c[side], b = c[(side + 1) % 4];
    // Row j of the side (0 at the base) holds n - j + 1 vertices.
    std::vector<int> rowStart;
    for (int j = 0; j <= n; ++j) {
      rowStart.push_back(static_cast<int>(m.vertices.size()));
      const float t = static_cast<float>(j) / static_cast<float>(n);
      for (int i = 0; i <= n - j; ++i) {
        const float s = n - j == 0 ? 0.5f : static_cast<float>(i) / static_cast<float>(n - j);
        const Vec3 left = a + (apex - a) * t, right = b + (apex - b) * t;
        const Vec3 p = left + (right - left) * s;
        m.Vertex(p, w * (0.5f + (s - 0.5f) * (1 - t)), h * (1 - t));
      }
    }
    for (int j = 0; j < n; ++j) {
      for (int i = 0; i < n - j; ++i) {
        const int lo = rowStart[static_cast<std::size_t>(j)] + i, hi = rowStart[static_cast<std::size_t>(j) + 1] + i;
        m.Triangle(lo, lo + 1, hi, mat);
        if (i + 1 < n - j) m.Triangle(lo + 1, hi + 1, hi, mat);
      }
    }
  }
}

void AddGrid(Mesh& m, float x0, float y0, float x1, float y1, int nx, int ny,
             const std::function<float(float, float)>& height, const std::string& mat, float texel) {
  const int first = static_cast<int>(m.vertices.size());
  for (int j = 0; j <= ny; ++j) {
    for (int i = 0; i <= nx; ++i) {
      const float x = x0 + (x1 - x0) * static_cast<float>(i) / static_cast<float>(nx);
      const float y = y0 + (y1 - y0) * static_cast<float>(j) / static_cast<float>(ny);
      m.Vertex({x, y, height ? height(x, y) : 0.0f}, x / texel, -y / texel);
    }
  }
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const int a = first + j * (nx + 1) + i;
      const int b = a + 1, c = a + nx + 2, d = a + nx + 1;
      m.Triangle(a, b, c, mat);
      m.Triangle(a, c, d, mat);
    }
  }
}

void AddDisc(Mesh& m, float cx, float cy, float z, float radius, int rings, int segments, const std::string& mat,
             float texel) {
  const int first = static_cast<int>(m.vertices.size());
  m.Vertex({cx, cy, z}, cx / texel, -cy / texel);
  for (int k = 1; k <= rings; ++k) {
    const float r = radius * static_cast<float>(k) / static_cast<float>(rings);
    for (int i = 0; i < segments; ++i) {
      const float a = 2 * kPi * static_cast<float>(i) / static_cast<float>(segments);
      const float x = cx + r * std::cos(a), y = cy + r * std::sin(a);
      m.Vertex({x, y, z}, x / texel, -y / texel);
    }
  }
  auto at = [&](int k, int i) { return k == 0 ? first : first + 1 + (k - 1) * segments + (i % segments); };
  for (int k = 0; k < rings; ++k) {
    for (int i = 0; i < segments; ++i) {
      if (k == 0) {
        m.Triangle(at(0, 0), at(1, i), at(1, i + 1), mat);
      } else {
        m.Triangle(at(k, i), at(k + 1, i), at(k + 1, i + 1), mat);
        m.Triangle(at(k, i), at(k + 1, i + 1), at(k, i + 1), mat);
      }
    }
  }
}

void RotateZ(Mesh& m, std::size_t first, Vec3 centre, float degrees) {
  const float a = degrees * kPi / 180, c = std::cos(a), s = std::sin(a);
  for (std::size_t i = first; i < m.vertices.size(); ++i) {
    Vec3& p = m.vertices[i].p;
    const float x = p.x - centre.x, y = p.y - centre.y;
    p.x = centre.x + x * c - y * s;
    p.y = centre.y + x * s + y * c;
  }
}
