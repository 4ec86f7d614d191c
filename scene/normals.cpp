// Face and vertex normals. There are no smoothing groups and no weighting:
// a vertex is smoothed over all its faces.
#include "scene/normals.h"

#include "core/math.h"
#include "scene/scene.h"

void ComputeFaceNormal(Face* face, std::uint8_t flip) {
  Vec4 e1 = VecSub(face->vertices[0]->position, face->vertices[1]->position);
  Vec4 e2 = VecSub(face->vertices[1]->position, face->vertices[2]->position);
  VecNormalize(e1);
  VecNormalize(e2);
  face->normal = flip ? VecCross(e1, e2) : VecCross(e2, e1);
  VecNormalize(face->normal);
}

void ComputeNormals(MeshGeometry* geometry, std::uint8_t flip) {
  if (!geometry) return;
  for (std::int32_t i = 0; i < geometry->vertexCount; ++i) {
    Vec4& n = geometry->vertices[i].normal;
    n.x = n.y = n.z = 0.0f;
  }
  for (std::int32_t i = 0; i < geometry->faceCount; ++i) {
    Face& face = geometry->faces[i];
    ComputeFaceNormal(&face, flip);
    for (Vertex* corner : face.vertices) corner->normal = VecAdd(corner->normal, face.normal);
  }
  for (std::int32_t i = 0; i < geometry->vertexCount; ++i) VecNormalize(geometry->vertices[i].normal);
}
