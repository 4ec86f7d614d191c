// Face and vertex normals: the worked triangle, both windings, a vertex shared
// by two faces, and repeat calls.
#include <gtest/gtest.h>

#include "scene/normals.h"
#include "scene/scene.h"

namespace {

struct Mesh {
  Vertex vertices[4] = {};
  Face faces[2] = {};
  MeshGeometry geometry = {};

  Mesh(std::initializer_list<Vec4> corners, int faceCount) {
    int i = 0;
    for (const Vec4& p : corners) vertices[i++].position = p;
    geometry.vertices = vertices;
    geometry.vertexCount = i;
    geometry.faces = faces;
    geometry.faceCount = faceCount;
  }
  void SetFace(int f, int a, int b, int c) {
    faces[f].vertices[0] = &vertices[a];
    faces[f].vertices[1] = &vertices[b];
    faces[f].vertices[2] = &vertices[c];
  }
};

void ExpectVec(const Vec4& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

}  // namespace

TEST(Normals, TriangleFacesTheWayTheFlagSays) {
  Mesh mesh({{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}}, 1);
  mesh.SetFace(0, 0, 1, 2);
  ComputeNormals(&mesh.geometry, 1);
  ExpectVec(mesh.faces[0].normal, 0, 0, 1);
  for (const Vertex& v : mesh.vertices) {
    if (&v - mesh.vertices < 3) ExpectVec(v.normal, 0, 0, 1);
  }
  ComputeNormals(&mesh.geometry, 0);
  ExpectVec(mesh.faces[0].normal, 0, 0, -1);
  ExpectVec(mesh.vertices[2].normal, 0, 0, -1);
}

TEST(Normals, SharedVertexAveragesFaceDirectionsNotAreas) {
  // Face 0 is small and faces +z; face 1 is large and faces +x.
  Mesh mesh({{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, -9, 1}}, 2);
  mesh.SetFace(0, 0, 1, 2);
  mesh.SetFace(1, 0, 3, 2);
  ComputeNormals(&mesh.geometry, 1);
  ExpectVec(mesh.faces[1].normal, 1, 0, 0);
  ExpectVec(mesh.vertices[0].normal, 0.70710677f, 0, 0.70710677f);
  // A second call clears the sums first and gives the same result.
  ComputeNormals(&mesh.geometry, 1);
  ExpectVec(mesh.vertices[0].normal, 0.70710677f, 0, 0.70710677f);
  ExpectVec(mesh.vertices[1].normal, 0, 0, 1);
}

TEST(Normals, DegenerateFaceKeepsAZeroNormal) {
  Mesh mesh({{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 0, 0, 1}}, 1);
  mesh.SetFace(0, 0, 1, 2);
  ComputeNormals(&mesh.geometry, 1);
  ExpectVec(mesh.faces[0].normal, 0, 0, 0);
  ExpectVec(mesh.vertices[0].normal, 0, 0, 0);
}
