// Handlers for the geometry chunks of an object block: the block itself, its
// vertex, face, face-material and mapping lists, smoothing groups and local
// frame. Every count is checked against the bytes its chunk still holds before
// anything is allocated, and no index from the file reaches outside an array.
#include <cstdlib>
#include <cstring>

#include "render/math.h"
#include "render/normals.h"
#include "scene/3ds/chunk_handlers.h"
#include "scene/3ds/load3ds.h"
#include "scene/scene.h"

namespace {

// Name of the material given to faces that no face-material chunk names.
constexpr const char* DefaultMaterialName = "(default)";

MeshGeometry* CurrentGeometry() {
  return LoadState.currentObject ? LoadState.currentObject->geometry : nullptr;
}

// True when count entries of entrySize bytes fit in what is left of the chunk.
bool CountFits(std::FILE* stream, long chunkEnd, std::uint32_t count, std::uint32_t entrySize) {
  return static_cast<unsigned long long>(count) * entrySize <=
         static_cast<unsigned long long>(ChunkBytesLeft(stream, chunkEnd));
}

// Points a face at its three corners. A face with a corner outside the vertex
// array collapses onto one vertex: it keeps its place (face-material indices
// count faces in file order) but has no area and a zero normal.
void SetCorners(Face& face, Vertex* vertices, std::uint32_t vertexCount, const std::uint32_t index[3]) {
  if (index[0] < vertexCount && index[1] < vertexCount && index[2] < vertexCount) {
    for (int k = 0; k < 3; ++k) face.vertices[k] = &vertices[index[k]];
    return;
  }
  std::uint32_t any = 0;
  for (int k = 2; k >= 0; --k) {
    if (index[k] < vertexCount) any = index[k];
  }
  for (int k = 0; k < 3; ++k) face.vertices[k] = &vertices[any];
}

// Installs a new vertex array; faces already read keep their corner indices
// into it, so the old array can be freed.
void ReplaceVertices(MeshGeometry* geometry, Vertex* vertices, std::int32_t count) {
  Vertex* old = geometry->vertices;
  for (std::int32_t i = 0; old && i < geometry->faceCount; ++i) {
    Face& face = geometry->faces[i];
    std::uint32_t index[3];
    for (int k = 0; k < 3; ++k) index[k] = static_cast<std::uint32_t>(face.vertices[k] - old);
    SetCorners(face, vertices, static_cast<std::uint32_t>(count), index);
  }
  std::free(old);
  geometry->vertices = vertices;
  geometry->vertexCount = count;
}

void AssignDefaultMaterial(MeshGeometry* geometry) {
  for (std::int32_t i = 0; i < geometry->faceCount; ++i) {
    if (!geometry->faces[i].material) geometry->faces[i].material = DefaultMaterial();
  }
}

}  // namespace

Material* DefaultMaterial() {
  if (!LoadState.defaultMaterial) LoadState.defaultMaterial = AddMaterial(DefaultMaterialName);
  return LoadState.defaultMaterial;
}

void HandleObjectBlock(std::FILE* stream, int indent, long chunkEnd) {
  ReadName(stream, chunkEnd);
  MeshObject* object = AddMeshObject(LoadState.nameBuffer);
  LoadState.currentObject = object;
  if (object) object->geometry = AddGeometry();
  ReadChunks(stream, indent, chunkEnd);

  // The file holds world coordinates; bring them into the object's own frame.
  object = LoadState.currentObject;
  if (!object || !object->geometry) return;
  MeshGeometry* geometry = object->geometry;
  for (std::int32_t i = 0; i < geometry->vertexCount; ++i) {
    Vertex& vertex = geometry->vertices[i];
    vertex.position = VecTransform(object->inverseWorld, vertex.position);
  }
  ComputeNormals(geometry, 1);
  ComputeBounds(object);
}

void HandleVertexList(std::FILE* stream, int, long chunkEnd) {
  std::uint16_t count;
  if (!ChunkHolds(stream, chunkEnd, 2) || !ReadU16(stream, count)) return;
  if (count == 0 || !CountFits(stream, chunkEnd, count, 12)) return;
  MeshGeometry* geometry = CurrentGeometry();
  if (!geometry) return;
  auto* vertices = static_cast<Vertex*>(std::calloc(count, sizeof(Vertex)));
  if (!vertices) return;
  ReplaceVertices(geometry, vertices, count);
  for (std::int32_t i = 0; i < count; ++i) {
    Vec4& p = vertices[i].position;
    if (!ReadFloat(stream, p.x) || !ReadFloat(stream, p.y) || !ReadFloat(stream, p.z)) return;
    p.w = 1.0f;
  }
}

void HandleFaceList(std::FILE* stream, int indent, long chunkEnd) {
  std::uint16_t count;
  if (!ChunkHolds(stream, chunkEnd, 2) || !ReadU16(stream, count)) return;
  if (!CountFits(stream, chunkEnd, count, 8)) return;
  MeshGeometry* geometry = CurrentGeometry();
  // Faces need vertices to point at; without them the list is passed over.
  if (count != 0 && geometry && geometry->vertexCount > 0) {
    auto* faces = static_cast<Face*>(std::calloc(count, sizeof(Face)));
    if (!faces) return;
    std::free(geometry->faces);
    geometry->faces = faces;
    geometry->faceCount = count;
    for (std::int32_t i = 0; i < count; ++i) {
      std::uint16_t corner[3], flags;
      if (!ReadU16(stream, corner[0]) || !ReadU16(stream, corner[1]) || !ReadU16(stream, corner[2]) ||
          !ReadU16(stream, flags)) {
        // Keep only the faces read whole, so that none is left without corners.
        geometry->faceCount = i;
        AssignDefaultMaterial(geometry);
        return;
      }
      const std::uint32_t index[3] = {corner[0], corner[1], corner[2]};
      SetCorners(faces[i], geometry->vertices, static_cast<std::uint32_t>(geometry->vertexCount), index);
    }
  } else if (std::fseek(stream, 8L * count, SEEK_CUR) != 0) {
    return;
  }
  ReadChunks(stream, indent, chunkEnd);
  if (geometry) AssignDefaultMaterial(geometry);
}

void HandleFaceMaterial(std::FILE* stream, int, long chunkEnd) {
  ReadName(stream, chunkEnd);
  std::uint16_t count;
  if (!ChunkHolds(stream, chunkEnd, 2) || !ReadU16(stream, count)) return;
  if (!CountFits(stream, chunkEnd, count, 2)) return;
  // An unknown name takes the material defined last; with none defined yet
  // there is nothing to assign.
  Material* material = FindMaterial(LoadState.nameBuffer);
  if (!material) material = LoadState.currentMaterial;
  MeshGeometry* geometry = CurrentGeometry();
  if (!material || !geometry) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t face;
    if (!ReadU16(stream, face)) return;
    if (face < geometry->faceCount) geometry->faces[face].material = material;
  }
}

void HandleMappingsList(std::FILE* stream, int, long chunkEnd) {
  std::uint16_t count;
  if (!ChunkHolds(stream, chunkEnd, 2) || !ReadU16(stream, count)) return;
  if (!CountFits(stream, chunkEnd, count, 8)) return;
  MeshGeometry* geometry = CurrentGeometry();
  for (std::int32_t i = 0; i < count; ++i) {
    float u, v;
    if (!ReadFloat(stream, u) || !ReadFloat(stream, v)) return;
    if (geometry && i < geometry->vertexCount) {
      geometry->vertices[i].u = u;
      geometry->vertices[i].v = v;
    }
  }
}

void HandleSmoothings(std::FILE* stream, int, long chunkEnd) {
  std::FILE* out = Listing();
  // Bytes short of a whole mask at the end are left unread.
  while (ChunkHolds(stream, chunkEnd, 4)) {
    std::uint32_t mask;
    if (!ReadU32(stream, mask)) return;
    for (int n = 0; n < 32; ++n) {
      if (mask & (1u << n)) std::fprintf(out, "%d, ", n + 1);
    }
  }
}

void HandleMatrix(std::FILE* stream, int, long chunkEnd) {
  float value[12];
  if (!ChunkHolds(stream, chunkEnd, sizeof value)) return;
  for (float& f : value) {
    if (!ReadFloat(stream, f)) return;
  }
  MeshObject* object = LoadState.currentObject;
  if (LoadState.chunkKind != ChunkKindMesh || !object) return;

  // Rows 0-2: the X, Y and Z axes of the local frame; row 3: its origin.
  Matrix world = MatIdentity();
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) world[4 * row + col] = value[3 * row + col];
  }
  object->world = world;
  object->inverseWorld = MatRigidInverse(MatUnscaleRows(world));
  object->particle.position = {value[9], value[10], value[11], 1.0f};
  object->scale = {1.0f, 1.0f, 1.0f, 1.0f};
  MatToEuler(object->inverseWorld, object->particle.rotation);
}
