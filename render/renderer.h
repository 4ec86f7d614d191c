// The scene renderer: transforms, lights, culls and projects every visible mesh
// on the processor and hands the device pre-lit screen-space triangles, batched
// per texture; then adds the lens flares and billboards.
#pragma once

#include <cstdint>

#include "platform/dx/d3d.h"

struct MeshObject;
struct Vertex;
struct Light;
struct Texture;

// Buffer sizes, fixed for the whole scene. A mesh that needs more is drawn in
// several batches.
inline constexpr int MaxBatchVertices = 3000;
inline constexpr int MaxBatchIndices = 6000;
inline constexpr int MaxVertexSlots = 3000;
// The vertex-cache stamp runs 1 .. FrameStampLimit and wraps.
inline constexpr std::int32_t FrameStampLimit = 1000000;

// One distinct mesh vertex met during one object draw: its screen vertex in
// VertexBuffer and its colour accumulators (0-255 scale).
struct TransformedVertex {
  D3DTLVERTEX* output;
  float red, green, blue, alpha;
  std::uint8_t visible;  // passed the depth and side-plane tests
  std::int32_t index;    // position of output in VertexBuffer
};

// Allocated by InitRenderer, released by FreeRenderer (null outside a scene).
extern D3DTLVERTEX* VertexBuffer;
extern WORD* IndexBuffer;
extern TransformedVertex* VertexSlots;
// Slots used in the current object draw, next free VertexBuffer entry, and
// indices used in IndexBuffer.
extern int SlotCount;
extern int NextVertex;
extern int IndexCount;
// Advances once per object draw; a vertex's cache entry is valid while its
// cacheStamp equals it.
extern std::int32_t FrameStamp;
// The texture last selected by the renderer or the sprite drawing; null for
// none. Cleared by InitRenderer.
extern Texture* CurrentTexture;

// Allocates the draw buffers, clears the counters and CurrentTexture, and
// builds the lens-flare template with its four lens textures and materials
// (start of a scene, after the registries are initialised). False when memory
// runs out; the renderer then draws nothing.
bool InitRenderer();
// Releases the draw buffers (end of a scene).
void FreeRenderer();
// Draws the scene through the current camera: sky objects without depth
// writes, every visible mesh, then the additive flares and billboards. False
// only without a current camera.
bool RenderFrame();
// Draws one mesh object; false when a device call or texture selection failed
// (the rest of that object is not drawn).
bool DrawMeshObject(MeshObject* object);
// Adds one point light's contribution to the vertex's colour accumulators.
void LightVertex(const Vertex* vertex, TransformedVertex* transformed, const Light* light);
// Selects no texture on the device; true when the device accepted it.
bool UnbindTexture();
