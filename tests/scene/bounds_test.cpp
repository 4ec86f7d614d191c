// Bounding boxes and planar texture mapping over a mesh object's geometry.
#include <gtest/gtest.h>

#include <cstdlib>

#include "scene/scene.h"

namespace {

class Bounds : public ::testing::Test {
 protected:
  void SetUp() override {
    InitGeometries();
    InitMeshObjects();
  }
  void TearDown() override {
    FreeMeshObjects();
    FreeGeometries();
  }

  MeshObject* ObjectWith(std::initializer_list<Vec4> points) {
    MeshGeometry* g = AddGeometry();
    g->vertexCount = static_cast<std::int32_t>(points.size());
    g->vertices = static_cast<Vertex*>(std::calloc(points.size(), sizeof(Vertex)));
    int i = 0;
    for (const Vec4& p : points) g->vertices[i++].position = p;
    MeshObject* o = AddMeshObject("o");
    o->geometry = g;
    return o;
  }
};

}  // namespace

TEST_F(Bounds, BoxOverVerticesLeavesW) {
  MeshObject* o = ObjectWith({{1, 5, -2, 1}, {-3, 2, 4, 1}, {2, -1, 0, 1}, {0, 7, 9, 1}});
  o->geometry->boundsMin.w = 3.0f;
  o->geometry->boundsMax.w = 4.0f;
  ComputeBounds(o);
  const MeshGeometry* g = o->geometry;
  EXPECT_EQ(g->boundsMin.x, -3.0f); EXPECT_EQ(g->boundsMin.y, -1.0f); EXPECT_EQ(g->boundsMin.z, -2.0f);
  EXPECT_EQ(g->boundsMax.x, 2.0f); EXPECT_EQ(g->boundsMax.y, 7.0f); EXPECT_EQ(g->boundsMax.z, 9.0f);
  EXPECT_EQ(g->boundsMin.w, 3.0f);
  EXPECT_EQ(g->boundsMax.w, 4.0f);
}

TEST_F(Bounds, SingleVertexAndEmptyGeometry) {
  MeshObject* one = ObjectWith({{4, -5, 6, 1}});
  ComputeBounds(one);
  EXPECT_EQ(one->geometry->boundsMin.x, 4.0f);
  EXPECT_EQ(one->geometry->boundsMax.x, 4.0f);
  EXPECT_EQ(one->geometry->boundsMin.y, -5.0f);
  EXPECT_EQ(one->geometry->boundsMax.z, 6.0f);

  MeshObject* none = AddMeshObject("none");
  ComputeBounds(none);  // no geometry: nothing to do
  none->geometry = AddGeometry();
  ComputeBounds(none);
  EXPECT_EQ(none->geometry->boundsMax.x, 0.0f);
  ApplyPlanarMapping(none, PlanarMapping{0, 5, 5, 1});
  ComputeBounds(nullptr);
}

TEST_F(Bounds, PlanarMappingSpreadsRepeatsAcrossTheBox) {
  MeshObject* o = ObjectWith({{-10, 0, 0, 1}, {10, 40, 3, 1}, {0, 10, -3, 1}});
  ComputeBounds(o);
  ApplyPlanarMapping(o, PlanarMapping{0, 5.0f, 5.0f, 1.0f});
  const Vertex* v = o->geometry->vertices;
  EXPECT_EQ(v[0].u, 0.0f); EXPECT_EQ(v[0].v, 0.0f);
  EXPECT_EQ(v[1].u, 5.0f); EXPECT_EQ(v[1].v, 5.0f);
  EXPECT_EQ(v[2].u, 2.5f); EXPECT_EQ(v[2].v, 1.25f);
}

TEST_F(Bounds, PlanarMappingOtherModesChangeNothing) {
  MeshObject* o = ObjectWith({{-10, 0, 0, 1}, {10, 40, 3, 1}});
  o->geometry->vertices[0].u = 0.25f;
  o->geometry->vertices[1].v = 0.75f;
  ComputeBounds(o);
  ApplyPlanarMapping(o, PlanarMapping{1, 5.0f, 5.0f, 1.0f});
  EXPECT_EQ(o->geometry->vertices[0].u, 0.25f);
  EXPECT_EQ(o->geometry->vertices[1].v, 0.75f);
  EXPECT_EQ(o->geometry->vertices[1].u, 0.0f);
}

TEST_F(Bounds, PlanarMappingOverAFlatBoxZeroesTheFlatAxis) {
  // Every vertex at y = 2: the box has no height.
  MeshObject* o = ObjectWith({{0, 2, 0, 1}, {4, 2, 1, 1}, {2, 2, 5, 1}});
  ComputeBounds(o);
  ApplyPlanarMapping(o, PlanarMapping{0, 2.0f, 3.0f, 1.0f});
  const Vertex* v = o->geometry->vertices;
  EXPECT_EQ(v[1].u, 2.0f);
  EXPECT_EQ(v[2].u, 1.0f);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i].v, 0.0f) << "vertex " << i;
}
