// Drawing one mesh object: every face's corners are transformed, lit, tested
// and projected once per batch through the vertex cache, and the visible faces
// go to the device as indexed triangle lists, one batch per texture run.
#include "render/device_calls.h"
#include "render/lighting.h"
#include "render/renderer.h"
#include "render/transforms.h"
#include "scene/scene.h"

namespace {

// The first slot of the current batch: a cached entry below it was emitted
// into an earlier batch of this draw and must be made again.
int BatchFirstSlot = 0;

// Every vertex of every geometry forgets its cache entry, so that after the
// stamp wraps no entry from a million draws ago can look current.
void ClearCacheStamps() {
  for (MeshGeometry* g = Geometries.first; g; g = g->next) {
    for (int i = 0; i < g->vertexCount; ++i) g->vertices[i].cacheStamp = 0;
  }
}

void AdvanceFrameStamp() {
  if (FrameStamp >= FrameStampLimit) {
    FrameStamp = 0;
    ClearCacheStamps();
  }
  ++FrameStamp;
}

// Draws what the batch holds and starts a new one. A batch without indices
// (every face culled) draws nothing.
bool FlushBatch() {
  bool ok = true;
  if (IndexCount > 0) {
    ok = DeviceDrawIndexed(VertexBuffer, static_cast<DWORD>(NextVertex), IndexBuffer,
                           static_cast<DWORD>(IndexCount));
  }
  if (!ok) return false;
  NextVertex = 0;
  IndexCount = 0;
  BatchFirstSlot = SlotCount;
  return true;
}

// Makes room for one more face (three new vertices, slots and indices). When
// the slots run out they are reused from the start under a fresh stamp, which
// invalidates every entry made so far.
bool ReserveFace() {
  if (NextVertex + 3 > MaxBatchVertices || IndexCount + 3 > MaxBatchIndices) {
    if (!FlushBatch()) return false;
  }
  if (SlotCount + 3 > MaxVertexSlots) {
    if (!FlushBatch()) return false;
    SlotCount = 0;
    BatchFirstSlot = 0;
    AdvanceFrameStamp();
  }
  return true;
}

std::uint8_t VertexVisible(const Camera& cam, float x, float y, float z) {
  if (z <= cam.nearZ - 300.0f) return 0;
  for (const float* plane : cam.planes) {
    if (plane[0] * x + plane[1] * y + plane[2] * z - plane[3] < 0.0f) return 0;
  }
  return 1;
}

// The vertex's entry in the current batch, made on first use.
TransformedVertex* TransformVertex(Vertex* vertex, const MeshObject& object, const Material* material,
                                   const Camera& cam) {
  TransformedVertex* entry = vertex->cacheEntry;
  if (vertex->cacheStamp == FrameStamp && entry >= VertexSlots + BatchFirstSlot &&
      entry < VertexSlots + SlotCount) {
    return entry;
  }
  entry = &VertexSlots[SlotCount++];
  D3DTLVERTEX* out = &VertexBuffer[NextVertex];
  entry->output = out;
  entry->index = NextVertex++;
  vertex->cacheEntry = entry;
  vertex->cacheStamp = FrameStamp;

  const Matrix& m = object.worldView;
  const Vec4& p = vertex->position;
  const float x = p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12];
  const float y = p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13];
  const float z = p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14];

  out->color = VertexColour(vertex, entry, material);
  out->specular = 0;
  entry->visible = VertexVisible(cam, x, y, z);
  // Projected whether visible or not: the entry may still be referenced.
  const float rhw = 1.0f / z;
  out->sx = x * cam.scaleX * rhw + cam.halfWidth;
  out->sy = y * cam.scaleY * rhw + cam.halfHeight;
  out->sz = (z * cam.zScale - cam.nearZ * cam.zScale) * rhw;
  out->rhw = rhw;
  out->tu = vertex->u;
  out->tv = vertex->v;
  return entry;
}

}  // namespace

bool DrawMeshObject(MeshObject* object) {
  SlotCount = 0;
  NextVertex = 0;
  IndexCount = 0;
  BatchFirstSlot = 0;
  AdvanceFrameStamp();

  const Camera* camera = Cameras.current;
  MeshGeometry* geometry = object ? object->geometry : nullptr;
  if (!camera || !geometry || !VertexBuffer) return true;
  const Camera& cam = *camera;

  BuildObjectMatrices(object);
  object->worldView = MatMultiply(object->world, cam.view);
  if (!ObjectInFront(geometry->boundsMin, geometry->boundsMax, object->worldView)) return true;
  PrepareLights(object->inverseWorld);

  // Faces go last to first; corners third, second, first.
  for (int f = geometry->faceCount - 1; f >= 0; --f) {
    Face& face = geometry->faces[f];
    const Material* material = face.material;
    if (!material || !face.vertices[0] || !face.vertices[1] || !face.vertices[2]) continue;
    if (material->texture != CurrentTexture) {
      if (IndexCount > 0 && !FlushBatch()) return false;
      if (!SelectTexture(material->texture)) return false;
    }
    if (!ReserveFace()) return false;
    TransformedVertex* corners[3];
    for (int c = 2; c >= 0; --c) corners[c] = TransformVertex(face.vertices[c], *object, material, cam);
    if (corners[0]->visible && corners[1]->visible && corners[2]->visible) {
      for (const TransformedVertex* corner : corners) {
        IndexBuffer[IndexCount++] = static_cast<WORD>(corner->index);
      }
    }
  }
  if (IndexCount > 0) return FlushBatch();
  return true;
}
