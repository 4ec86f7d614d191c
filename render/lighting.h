// Vertex lighting helpers shared by the mesh drawing (LightVertex itself is
// declared with the renderer).
#pragma once

#include <cstdint>

#include "core/math.h"

struct Vertex;
struct Material;
struct TransformedVertex;

// Writes every light of the current group's objectPosition (the light in the
// object's space) and lightScale (1 / length of its world position).
void PrepareLights(const Matrix& inverseWorld);
// The D3DCOLOR of a vertex of that material: white for fullBright, else the
// base colour plus every light of the current group, clamped at 255 and
// converted to bytes (alpha byte 0).
std::uint32_t VertexColour(const Vertex* vertex, TransformedVertex* transformed, const Material* material);
