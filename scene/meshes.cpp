// Mesh geometries and mesh objects: registries, bounds and planar mapping.
#include <cstdlib>

#include "scene/records.h"
#include "scene/scene.h"

Registry<MeshGeometry> Geometries;
Registry<MeshObject> MeshObjects;
LoadTargetsRecord LoadTargets = {};

void InitGeometries() { Geometries = {}; }

MeshGeometry* AddGeometry() {
  auto* geometry = AllocateRecord<MeshGeometry>();
  if (!geometry) return nullptr;
  LinkLast(Geometries, geometry);
  return geometry;
}

void RemoveGeometry(MeshGeometry* geometry) {
  if (!geometry) return;
  Unlink(Geometries, geometry);
  Vertex* vertices = geometry->vertices;
  Face* faces = geometry->faces;
  geometry->vertices = nullptr;
  geometry->faces = nullptr;
  std::free(vertices);
  std::free(faces);
  std::free(geometry);
}

void FreeGeometries() {
  for (MeshGeometry* g = Geometries.first; g;) {
    MeshGeometry* next = g->next;
    RemoveGeometry(g);
    g = next;
  }
}

void InitMeshObjects() { MeshObjects = {}; }

MeshObject* AddMeshObject(const char* name) {
  auto* object = AllocateRecord<MeshObject>();
  if (!object) return nullptr;
  object->name = CopyName(name);
  // A record created without a name keeps a null name (finds skip it).
  if (name && !object->name) {
    std::free(object);
    return nullptr;
  }
  InitParticle(&object->particle);
  object->scale = {1.0f, 1.0f, 1.0f, 1.0f};
  object->world = MatIdentity();
  object->inverseWorld = MatIdentity();
  object->worldView = MatIdentity();
  object->visible = 1;
  LinkLast(MeshObjects, object);
  return object;
}

void RemoveMeshObject(MeshObject* object) {
  if (!object) return;
  Unlink(MeshObjects, object);
  // The model loader's pointer to the record dies with it.
  if (LoadTargets.currentObject == object) LoadTargets.currentObject = nullptr;
  std::free(object->name);
  std::free(object);
}

void FreeMeshObjects() {
  for (MeshObject* o = MeshObjects.first; o;) {
    MeshObject* next = o->next;
    RemoveMeshObject(o);
    o = next;
  }
}

MeshObject* FindMeshObject(const char* name) {
  for (MeshObject* o = MeshObjects.first; o; o = o->next) {
    if (o->name && NamesEqual(o->name, name)) return o;
  }
  return nullptr;
}

static bool HasVertices(const MeshObject* object) {
  return object && object->geometry && object->geometry->vertices &&
         object->geometry->vertexCount > 0;
}

void ComputeBounds(MeshObject* object) {
  if (!HasVertices(object)) return;
  MeshGeometry* g = object->geometry;
  float low[3], high[3];
  const Vec4& first = g->vertices[0].position;
  low[0] = high[0] = first.x;
  low[1] = high[1] = first.y;
  low[2] = high[2] = first.z;
  for (std::int32_t i = 0; i < g->vertexCount; ++i) {
    const float* p = &g->vertices[i].position.x;
    for (int axis = 0; axis < 3; ++axis) {
      if (p[axis] < low[axis]) {
        low[axis] = p[axis];
      } else if (p[axis] > high[axis]) {
        high[axis] = p[axis];
      }
    }
  }
  // The w components are left as they were.
  g->boundsMin.x = low[0];
  g->boundsMin.y = low[1];
  g->boundsMin.z = low[2];
  g->boundsMax.x = high[0];
  g->boundsMax.y = high[1];
  g->boundsMax.z = high[2];
}

void ApplyPlanarMapping(MeshObject* object, const PlanarMapping& mapping) {
  if (!HasVertices(object) || mapping.mode != 0) return;
  MeshGeometry* g = object->geometry;
  float width = g->boundsMax.x - g->boundsMin.x;
  float height = g->boundsMax.y - g->boundsMin.y;
  for (std::int32_t i = 0; i < g->vertexCount; ++i) {
    Vertex& v = g->vertices[i];
    // A flat box has no extent to spread over: that coordinate becomes 0.
    v.u = width != 0.0f ? (v.position.x - g->boundsMin.x) * mapping.repeatX / width : 0.0f;
    v.v = height != 0.0f ? (v.position.y - g->boundsMin.y) * mapping.repeatY / height : 0.0f;
  }
}
