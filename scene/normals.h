// Lighting normals of a mesh: one unit normal per face from its corners, and
// per vertex the normalised sum of the normals of every face that uses it.
#pragma once

#include <cstdint>

struct MeshGeometry;
struct Face;

// flip 1 (the model loader) or 0 (turns every normal the other way).
void ComputeNormals(MeshGeometry* geometry, std::uint8_t flip);
// A face whose edges are parallel keeps a zero normal.
void ComputeFaceNormal(Face* face, std::uint8_t flip);
