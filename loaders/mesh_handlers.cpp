// Handlers for the geometry chunks of an object block: the block itself, its
// vertex, face, face-material and mapping lists, smoothing groups and local
// frame. Every count is checked against the bytes its chunk still holds before
// anything is allocated, and no index from the file reaches outside an array.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/math.h"
#include "loaders/chunk_handlers.h"
#include "loaders/load3ds.h"
#include "scene/normals.h"
#include "scene/scene.h"

namespace {

// Name of the material given to faces that no face-material chunk names.
constexpr const char* DefaultMaterialName = "(default)";

MeshGeometry* CurrentGeometry() {
  return LoadTargets.currentObject ? LoadTargets.currentObject->geometry : nullptr;
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

// Vertex lists that replace an earlier one. Faces keep their corner indices
// into the new array, a face with a corner outside it collapsing as in
// SetCorners. Re-pointing every face at every list would make a file of many
// small lists cost faces × lists, so the faces go on pointing into the array
// they were built on (kept alive) and only the counts of the later arrays are
// noted; the faces are re-pointed once, when the object's geometry is needed.
struct PendingVertexLists {
  MeshGeometry* geometry;             // whose faces still point into `base`, or null
  Vertex* base;                       // the array those faces point into (owned)
  std::vector<std::uint32_t> counts;  // vertex count of each later array, in order
};
PendingVertexLists Pending = {};

void DropPending() {
  std::free(Pending.base);
  Pending.geometry = nullptr;
  Pending.base = nullptr;
  Pending.counts.clear();
}

// Where a face with the given corner indices ends up after the noted vertex
// lists. One list of n vertices leaves a face with every corner below n as it
// is and collapses any other onto its first corner below n (vertex 0 if none);
// a collapsed face on vertex x stays there until a list with at most x
// vertices puts it on vertex 0, where it stays. So only the first list too
// short for the face, and the shortest one after it, matter.
void FollowLists(std::uint32_t index[3], const std::vector<std::uint32_t>& prefixMin,
                 const std::vector<std::uint32_t>& suffixMin) {
  const std::uint32_t highest = std::max(index[0], std::max(index[1], index[2]));
  // prefixMin does not increase: find the first list with at most `highest` vertices.
  auto first =
      std::partition_point(prefixMin.begin(), prefixMin.end(), [highest](std::uint32_t n) { return n > highest; });
  if (first == prefixMin.end()) return;
  const auto at = static_cast<std::size_t>(first - prefixMin.begin());
  const std::uint32_t n = *first;
  std::uint32_t any = 0;
  for (int k = 2; k >= 0; --k) {
    if (index[k] < n) any = index[k];
  }
  if (at + 1 < suffixMin.size() && suffixMin[at + 1] <= any) any = 0;
  for (int k = 0; k < 3; ++k) index[k] = any;
}

void ResolvePending() {
  MeshGeometry* geometry = Pending.geometry;
  if (!geometry) return;
  const std::vector<std::uint32_t>& counts = Pending.counts;
  std::vector<std::uint32_t> prefixMin(counts.size()), suffixMin(counts.size());
  for (std::size_t i = 0; i < counts.size(); ++i) {
    prefixMin[i] = i == 0 ? counts[i] : std::min(prefixMin[i - 1], counts[i]);
  }
  for (std::size_t i = counts.size(); i-- > 0;) {
    suffixMin[i] = i + 1 == counts.size() ? counts[i] : std::min(suffixMin[i + 1], counts[i]);
  }
  LoadState.faceVisits += geometry->faceCount;
  for (std::int32_t i = 0; i < geometry->faceCount; ++i) {
    Face& face = geometry->faces[i];
    std::uint32_t index[3];
    for (int k = 0; k < 3; ++k) index[k] = static_cast<std::uint32_t>(face.vertices[k] - Pending.base);
    FollowLists(index, prefixMin, suffixMin);
    for (int k = 0; k < 3; ++k) face.vertices[k] = &geometry->vertices[index[k]];
  }
  DropPending();
}

// Installs a new vertex array in place of the old one.
void ReplaceVertices(MeshGeometry* geometry, Vertex* vertices, std::int32_t count) {
  if (Pending.geometry && Pending.geometry != geometry) ResolvePending();
  Vertex* old = geometry->vertices;
  if (old && geometry->faceCount > 0) {
    if (Pending.geometry == geometry) {
      std::free(old);  // no face points into it
    } else {
      Pending.geometry = geometry;
      Pending.base = old;
    }
    Pending.counts.push_back(static_cast<std::uint32_t>(count));
  } else {
    std::free(old);
  }
  geometry->vertices = vertices;
  geometry->vertexCount = count;
}

// Gives the default material to the faces no face-material chunk named, once,
// by the face list that made them and when it ends, unless a list nested in it
// has replaced them since (that list has given its own faces theirs).
void AssignDefaultMaterial(MeshGeometry* geometry, const Face* made) {
  if (!geometry->faces || geometry->faces != made) return;
  LoadState.faceVisits += geometry->faceCount;
  for (std::int32_t i = 0; i < geometry->faceCount; ++i) {
    if (!geometry->faces[i].material) geometry->faces[i].material = DefaultMaterial();
  }
}

}  // namespace

void FinishVertexLists() { ResolvePending(); }

Material* DefaultMaterial() {
  if (!LoadTargets.defaultMaterial) LoadTargets.defaultMaterial = AddMaterial(DefaultMaterialName);
  return LoadTargets.defaultMaterial;
}

void HandleObjectBlock(std::FILE* stream, int indent, long chunkEnd) {
  // The object read before this one is done with its vertex lists.
  ResolvePending();
  ReadName(stream, chunkEnd);
  MeshObject* object = AddMeshObject(LoadState.nameBuffer);
  LoadTargets.currentObject = object;
  if (object) object->geometry = AddGeometry();
  ReadChunks(stream, indent, chunkEnd);

  ResolvePending();
  // The file holds world coordinates; bring them into the object's own frame.
  object = LoadTargets.currentObject;
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
  const Face* made = nullptr;
  // Faces need vertices to point at; without them the list is passed over.
  if (count != 0 && geometry && geometry->vertexCount > 0) {
    auto* faces = static_cast<Face*>(std::calloc(count, sizeof(Face)));
    if (!faces) return;
    // The old faces go, and with them any re-pointing they still owed.
    if (Pending.geometry == geometry) DropPending();
    std::free(geometry->faces);
    geometry->faces = faces;
    geometry->faceCount = count;
    made = faces;
    for (std::int32_t i = 0; i < count; ++i) {
      std::uint16_t corner[3], flags;
      if (!ReadU16(stream, corner[0]) || !ReadU16(stream, corner[1]) || !ReadU16(stream, corner[2]) ||
          !ReadU16(stream, flags)) {
        // Keep only the faces read whole, so that none is left without corners.
        geometry->faceCount = i;
        AssignDefaultMaterial(geometry, made);
        return;
      }
      const std::uint32_t index[3] = {corner[0], corner[1], corner[2]};
      SetCorners(faces[i], geometry->vertices, static_cast<std::uint32_t>(geometry->vertexCount), index);
    }
  } else if (std::fseek(stream, 8L * count, SEEK_CUR) != 0) {
    return;
  }
  ReadChunks(stream, indent, chunkEnd);
  if (geometry) AssignDefaultMaterial(geometry, made);
}

void HandleFaceMaterial(std::FILE* stream, int, long chunkEnd) {
  ReadName(stream, chunkEnd);
  std::uint16_t count;
  if (!ChunkHolds(stream, chunkEnd, 2) || !ReadU16(stream, count)) return;
  if (!CountFits(stream, chunkEnd, count, 2)) return;
  // An unknown name takes the material defined last; with none defined yet
  // there is nothing to assign.
  Material* material = FindMaterial(LoadState.nameBuffer);
  if (!material) material = LoadTargets.currentMaterial;
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
  MeshObject* object = LoadTargets.currentObject;
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
