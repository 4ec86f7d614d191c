// Object blocks: vertices brought into the object's frame, faces, materials,
// mappings and smoothing groups, and the bounds on every count and index.
#include <array>

#include "loader_fixture.h"

namespace {

void Vertices(Chunks& w, std::initializer_list<float> xyz) {
  w.Begin(0x4110).U16(static_cast<std::uint16_t>(xyz.size() / 3));
  for (float f : xyz) w.F32(f);
  w.End();
}

// Face list header and faces; the caller adds sub-chunks and ends it.
void BeginFaces(Chunks& w, std::initializer_list<std::uint16_t> corners) {
  w.Begin(0x4120).U16(static_cast<std::uint16_t>(corners.size() / 3));
  int k = 0;
  for (std::uint16_t c : corners) {
    w.U16(c);
    if (++k % 3 == 0) w.U16(0x7);
  }
}

void ExpectVec(const Vec4& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

}  // namespace

TEST_F(LoaderTest, TriangleObjectIsMovedIntoItsFrameWithNormalsAndBounds) {
  Chunks w;
  w.Begin(0x4D4D).Begin(0x3D3D);
  w.Begin(0xAFFF).Begin(0xA000).Name("red").End().End();
  w.Begin(0x4000).Name("tri").Begin(0x4100);
  // World coordinates; the frame has axes of length 2 and its origin at x = 10.
  Vertices(w, {10, 0, 0, 12, 0, 0, 10, 2, 0});
  BeginFaces(w, {0, 1, 2, 2, 1, 0});
  w.Begin(0x4130).Name("RED").U16(1).U16(0).End();
  w.Begin(0x4150).U32(0x5).U32(0x80000000u).End();
  w.End();
  w.Begin(0x4140).U16(3).F32(0.25f).F32(0.5f).F32(1).F32(0).F32(0).F32(1).End();
  w.Floats(0x4160, {2, 0, 0, 0, 2, 0, 0, 0, 2, 10, 0, 0});
  w.End().End().End().End();
  EXPECT_EQ(Load(w),
            "Chunk type \"Main\", offset 0x0, size 226 bytes\n"
            "  Chunk type \"Object Mesh\", offset 0x6, size 220 bytes\n"
            "    Chunk type \"Material\", offset 0xC, size 16 bytes\n"
            "      Chunk type \"Material name\", offset 0x12, size 10 bytes\n"
            "red    Chunk type \"Object Block\", offset 0x1C, size 198 bytes\n"
            "tri      Chunk type \"Tri-Mesh\", offset 0x26, size 188 bytes\n"
            "        Chunk type \"Vertex list\", offset 0x2C, size 44 bytes\n"
            "        Chunk type \"Face list\", offset 0x58, size 52 bytes\n"
            "          Chunk type \"Face material\", offset 0x70, size 14 bytes\n"
            "RED          Chunk type \"Smoothings\", offset 0x7E, size 14 bytes\n"
            "1, 3, 32,         Chunk type \"Mappings list\", offset 0x8C, size 32 bytes\n"
            "        Chunk type \"Matrix\", offset 0xAC, size 54 bytes\n");

  MeshObject* object = FindMeshObject("TRI");
  ASSERT_NE(object, nullptr);
  MeshGeometry* g = object->geometry;
  ASSERT_EQ(g->vertexCount, 3);
  ASSERT_EQ(g->faceCount, 2);
  ExpectVec(g->vertices[0].position, 0, 0, 0);
  ExpectVec(g->vertices[1].position, 1, 0, 0);
  ExpectVec(g->vertices[2].position, 0, 1, 0);
  EXPECT_FLOAT_EQ(g->vertices[0].u, 0.25f);
  EXPECT_FLOAT_EQ(g->vertices[0].v, 0.5f);
  ExpectVec(g->faces[0].normal, 0, 0, 1);
  ExpectVec(g->faces[1].normal, 0, 0, -1);
  ExpectVec(g->boundsMin, 0, 0, 0);
  ExpectVec(g->boundsMax, 1, 1, 0);
  ExpectVec(object->particle.position, 10, 0, 0);
  ExpectVec(object->particle.rotation, 0, 0, 0);
  EXPECT_FLOAT_EQ(object->world[0], 2.0f);
  EXPECT_FLOAT_EQ(object->world[12], 10.0f);
  EXPECT_FLOAT_EQ(object->world[15], 1.0f);
  EXPECT_FLOAT_EQ(object->inverseWorld[0], 0.5f);
  EXPECT_FLOAT_EQ(object->inverseWorld[12], -5.0f);

  // Face 0 is named; face 1 gets the default material, untextured and black.
  EXPECT_EQ(g->faces[0].material, FindMaterial("red"));
  Material* fallback = g->faces[1].material;
  ASSERT_NE(fallback, nullptr);
  EXPECT_NE(fallback, FindMaterial("red"));
  EXPECT_EQ(fallback->texture, nullptr);
  EXPECT_EQ(std::memcmp(fallback->baseColour, "\0\0\0\0", 4), 0);
}

TEST_F(LoaderTest, FaceMaterialsFallBackToTheLastMaterialOrTheDefault) {
  auto object = [](Chunks& w, const char* name, const char* material) {
    w.Begin(0x4000).Name(name).Begin(0x4100);
    Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    BeginFaces(w, {0, 1, 2, 0, 2, 1});
    w.Begin(0x4130).Name(material).U16(1).U16(1).End();
    w.End().End().End();
  };
  Chunks w;
  object(w, "early", "nothing");  // no material defined yet: skipped
  w.Begin(0xAFFF).Begin(0xA000).Name("a").End().End();
  w.Begin(0xAFFF).Begin(0xA000).Name("b").End().End();
  object(w, "late", "nothing");  // unknown: the material defined last
  Load(w);
  MeshGeometry* early = FindMeshObject("early")->geometry;
  MeshGeometry* late = FindMeshObject("late")->geometry;
  EXPECT_EQ(late->faces[1].material, FindMaterial("b"));
  // One default material per scene, shared by every face left without one.
  Material* fallback = early->faces[0].material;
  EXPECT_EQ(early->faces[1].material, fallback);
  EXPECT_EQ(late->faces[0].material, fallback);
  EXPECT_EQ(CountRecords(Materials.first), 3);
}

// A face list's sub-chunks may hold anything, another object's faces too: the
// faces of both lists still end with a material.
TEST_F(LoaderTest, FacesGetTheDefaultMaterialWhateverTheirListHolds) {
  Chunks w;
  w.Begin(0x4000).Name("outer").Begin(0x4100);
  Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
  BeginFaces(w, {0, 1, 2, 0, 2, 1});
  w.Begin(0x4000).Name("inner").Begin(0x4100);
  Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
  BeginFaces(w, {0, 1, 2});
  w.End().End().End();
  w.End().End().End();
  Load(w);
  for (const char* name : {"outer", "inner"}) {
    const MeshObject* object = FindMeshObject(name);
    ASSERT_NE(object, nullptr) << name;
    const MeshGeometry* g = object->geometry;
    ASSERT_GT(g->faceCount, 0) << name;
    for (std::int32_t i = 0; i < g->faceCount; ++i) EXPECT_NE(g->faces[i].material, nullptr) << name << " face " << i;
  }
}

TEST_F(LoaderTest, IndicesOutsideTheArraysAreSkipped) {
  Chunks w;
  w.Begin(0xAFFF).Begin(0xA000).Name("m").End().End();
  w.Begin(0x4000).Name("bad").Begin(0x4100);
  Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
  BeginFaces(w, {0, 1, 2, 0, 9, 2});
  w.Begin(0x4130).Name("m").U16(2).U16(500).U16(0).End();
  w.End();
  w.Begin(0x4140).U16(5);
  for (int i = 0; i < 10; ++i) w.F32(static_cast<float>(i));
  w.End().End().End();
  Load(w);
  MeshGeometry* g = FindMeshObject("bad")->geometry;
  ASSERT_EQ(g->faceCount, 2);
  // Face 1 has a corner past the vertices: it collapses onto one vertex.
  EXPECT_EQ(g->faces[1].vertices[0], g->faces[1].vertices[1]);
  EXPECT_EQ(g->faces[1].vertices[1], g->faces[1].vertices[2]);
  ExpectVec(g->faces[1].normal, 0, 0, 0);
  EXPECT_EQ(g->faces[0].material, FindMaterial("m"));
  EXPECT_FLOAT_EQ(g->vertices[2].u, 4.0f);
}

TEST_F(LoaderTest, CountsThatDoNotFitTheirChunkAllocateNothing) {
  Chunks w;
  w.Begin(0x4000).Name("liar").Begin(0x4100);
  w.Begin(0x4110).U16(60000).F32(1).F32(2).F32(3).End();
  w.Begin(0x4120).U16(60000).U16(0).U16(0).U16(0).U16(0).End();
  w.End().End();
  Load(w);
  MeshGeometry* g = FindMeshObject("liar")->geometry;
  EXPECT_EQ(g->vertices, nullptr);
  EXPECT_EQ(g->faces, nullptr);
}

TEST_F(LoaderTest, ASecondVertexListKeepsFacesOnTheNewVertices) {
  Chunks w;
  w.Begin(0x4000).Name("twice").Begin(0x4100);
  Vertices(w, {0, 0, 0, 1, 0, 0, 0, 1, 0});
  BeginFaces(w, {0, 1, 2, 2, 1, 0});
  w.End();
  Vertices(w, {0, 0, 0, 0, 0, 2, 0, 2, 0});
  w.End().End();
  Load(w);
  MeshGeometry* g = FindMeshObject("twice")->geometry;
  ASSERT_EQ(g->vertexCount, 3);
  EXPECT_EQ(g->faces[0].vertices[1], &g->vertices[1]);
  ExpectVec(g->faces[0].vertices[1]->position, 0, 0, 2);
  ExpectVec(g->faces[0].normal, -1, 0, 0);
}

TEST_F(LoaderTest, FacesBeforeAnyVertexAreDropped) {
  Chunks w;
  w.Begin(0x4000).Name("early").Begin(0x4100);
  BeginFaces(w, {0, 1, 2});
  w.End();
  w.End().End();
  Load(w);
  EXPECT_EQ(FindMeshObject("early")->geometry->faceCount, 0);
}

TEST_F(LoaderTest, MatrixOutsideAMeshChangesNothing) {
  Chunks w;
  w.Begin(0x4000).Name("lamp");
  w.Begin(0x4600).F32(1).F32(2).F32(3);
  w.Floats(0x4160, {2, 0, 0, 0, 2, 0, 0, 0, 2, 10, 0, 0});
  w.End().End();
  Load(w);
  MeshObject* object = FindMeshObject("lamp");
  Matrix identity = MatIdentity();
  EXPECT_EQ(std::memcmp(&object->world, &identity, sizeof(Matrix)), 0);
  ExpectVec(object->particle.position, 0, 0, 0);
}

namespace {

// Where a face's corners go when a list of n vertices replaces the vertices
// under it, one list at a time: a face with every corner below n keeps them;
// any other collapses onto its first corner below n, or onto vertex 0.
void ReplaceUnder(std::uint32_t corner[3], std::uint32_t n) {
  if (corner[0] < n && corner[1] < n && corner[2] < n) return;
  std::uint32_t any = 0;
  for (int k = 2; k >= 0; --k) {
    if (corner[k] < n) any = corner[k];
  }
  for (int k = 0; k < 3; ++k) corner[k] = any;
}

}  // namespace

TEST_F(LoaderTest, RepeatedVertexAndFaceListsLeaveFacesOnTheIndicesTheyName) {
  // Objects with random runs of vertex and face lists, some lists coming
  // after their object block has ended; the corners are checked against
  // replaying every list in turn.
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t below) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % below;
  };
  for (int round = 0; round < 40; ++round) {
    Chunks w;
    std::vector<std::array<std::uint32_t, 3>> faces;
    std::uint32_t vertexCount = 0;
    auto vertexList = [&](Chunks& out) {
      vertexCount = 1 + next(9);
      out.Begin(0x4110).U16(static_cast<std::uint16_t>(vertexCount));
      for (std::uint32_t i = 0; i < 3 * vertexCount; ++i) out.F32(static_cast<float>(i));
      out.End();
      for (auto& face : faces) ReplaceUnder(face.data(), vertexCount);
    };
    auto faceList = [&](Chunks& out) {
      const std::uint32_t count = 1 + next(12);
      out.Begin(0x4120).U16(static_cast<std::uint16_t>(count));
      faces.clear();
      for (std::uint32_t i = 0; i < count; ++i) {
        std::array<std::uint32_t, 3> face{};
        for (auto& corner : face) {
          corner = next(10);
          out.U16(static_cast<std::uint16_t>(corner));
        }
        out.U16(0);
        ReplaceUnder(face.data(), vertexCount);
        faces.push_back(face);
      }
      out.End();
    };
    const std::string name = "obj" + std::to_string(round);
    w.Begin(0x4D4D).Begin(0x4000).Name(name).Begin(0x4100);
    vertexList(w);
    faceList(w);
    for (int step = 0, steps = 1 + static_cast<int>(next(8)); step < steps; ++step) {
      if (next(5) == 0) {
        faceList(w);
      } else {
        vertexList(w);
      }
    }
    w.End().End();
    if (round % 2) vertexList(w);  // the object read last is still the current one
    w.End();
    Load(w);

    const MeshGeometry* g = FindMeshObject(name.c_str())->geometry;
    ASSERT_EQ(g->vertexCount, static_cast<std::int32_t>(vertexCount));
    ASSERT_EQ(g->faceCount, static_cast<std::int32_t>(faces.size()));
    for (std::size_t i = 0; i < faces.size(); ++i) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(g->faces[i].vertices[k] - g->vertices, faces[i][static_cast<std::size_t>(k)])
            << "round " << round << ", face " << i << ", corner " << k;
      }
      EXPECT_NE(g->faces[i].material, nullptr);
    }
  }
}
