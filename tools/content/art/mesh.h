// Meshes as the content generator builds them, in world coordinates, before
// they are written to a scene file, and the shapes the scene builders assemble
// them from. Every face winds counter-clockwise seen from outside, which is the
// side the scene loader's normals face.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The renderer drops a whole face when one corner is far behind the eye or far
// outside the view, so the shapes split long sides into cells of at most this.
constexpr float kMaxCell = 400;

struct Vec3 {
  float x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

struct MeshVertex {
  Vec3 p;
  float u = 0, v = 0;
};

struct MeshFace {
  std::uint16_t a = 0, b = 0, c = 0;
  std::uint16_t material = 0;  // index into Mesh::materials
};

struct Mesh {
  std::string name;
  Vec3 pivot;  // origin of the object's frame (the "Matrix" chunk); its axes are the world's
  std::vector<MeshVertex> vertices;
  std::vector<MeshFace> faces;
  std::vector<std::string> materials;  // material names the faces use

  // Index of a material name in `materials`, adding it on first use.
  std::uint16_t Slot(const std::string& material);
  void Triangle(int a, int b, int c, const std::string& material);
  int Vertex(Vec3 p, float u, float v);
};

// A point of a lathe profile: radius and height.
struct ProfilePoint {
  float r = 0, z = 0;
};

// Flat quad p0..p3 (counter-clockwise from the front) with the texture
// rectangle (u0, v0)-(u1, v1), split into cells of at most kMaxCell.
void AddQuad(Mesh& m, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, const std::string& mat, float u0 = 0, float v0 = 0,
             float u1 = 1, float v1 = 1);
// Box with centre c and half-axes ax, ay, az (a right-handed frame); each side
// is its own quad, mapped with one texture repeat per `texel` units.
void AddOrientedBox(Mesh& m, Vec3 c, Vec3 ax, Vec3 ay, Vec3 az, const std::string& mat, float texel);
void AddBox(Mesh& m, Vec3 lo, Vec3 hi, const std::string& mat, float texel);
// Surface of revolution about the vertical axis through `base`: one smooth
// band from the profile's first point to its last (a radius of 0 closes it).
// u runs around `uRepeat` times; v is 1 at the first point and falls by the
// profile's length / vScale (a sphere's top is the image's top row).
void AddLathe(Mesh& m, Vec3 base, const std::vector<ProfilePoint>& profile, int segments, const std::string& mat,
              float uRepeat, float vScale);
// Closed cylinder (or cone frustum) with flat caps.
void AddCylinder(Mesh& m, Vec3 base, float rBottom, float rTop, float height, int segments, const std::string& mat,
                 float uRepeat, float vScale);
void AddSphere(Mesh& m, Vec3 centre, float radius, int segments, int rings, const std::string& mat, float uRepeat,
               float vRepeat);
// Four-sided pyramid standing on z = base.z, each side flat-shaded.
void AddPyramid(Mesh& m, Vec3 base, float halfSize, float height, const std::string& mat, float texel);
// Height field over the rectangle (x0, y0)-(x1, y1), nx by ny cells, facing
// up, shared vertices; u = x / texel, v = y / texel.
void AddGrid(Mesh& m, float x0, float y0, float x1, float y1, int nx, int ny,
             const std::function<float(float, float)>& height, const std::string& mat, float texel);
// Flat disc at height z around (cx, cy): `rings` rings of `segments` cells, planar mapping.
void AddDisc(Mesh& m, float cx, float cy, float z, float radius, int rings, int segments, const std::string& mat,
             float texel);
// Turns the vertices from index `first` on about the vertical axis through `centre`.
void RotateZ(Mesh& m, std::size_t first, Vec3 centre, float degrees);
