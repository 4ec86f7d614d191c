// The frame: camera update, the sky objects without depth writes, every other
// visible mesh, then the additive pass of lens flares and billboards. Also the
// renderer's per-scene buffers.
#include "render/renderer.h"

#include <cstdlib>

#include "render/device_calls.h"
#include "render/flares.h"
#include "render/sprites.h"
#include "render/transforms.h"
#include "scene/scene.h"

D3DTLVERTEX* VertexBuffer = nullptr;
WORD* IndexBuffer = nullptr;
TransformedVertex* VertexSlots = nullptr;
int SlotCount = 0;
int NextVertex = 0;
int IndexCount = 0;
std::int32_t FrameStamp = 0;
Texture* CurrentTexture = nullptr;

namespace {

const char* const SkyName = "skysphere";
const char* const GroundName = "ground_noz";

void ResetCounters() {
  SlotCount = 0;
  NextVertex = 0;
  IndexCount = 0;
}

template <typename T>
T* AllocateArray(int count) {
  return static_cast<T*>(std::calloc(static_cast<std::size_t>(count), sizeof(T)));
}

void ReleaseBuffers() {
  std::free(VertexBuffer);
  std::free(IndexBuffer);
  std::free(VertexSlots);
  VertexBuffer = nullptr;
  IndexBuffer = nullptr;
  VertexSlots = nullptr;
}

bool IsSkyObject(const MeshObject* object) {
  return NamesEqual(object->name, SkyName) || NamesEqual(object->name, GroundName);
}

// The lens-flare sprites follow their lights.
void MoveFlaresToLights() {
  const LightGroup* group = LightGroups.current;
  if (!group) return;
  for (const Light* light = group->firstLight; light; light = light->next) {
    if (light->flare) light->flare->particle.position = light->position;
  }
}

}  // namespace

bool InitRenderer() {
  // A second start without an end in between must not leak the first buffers.
  ReleaseBuffers();
  ResetCounters();
  // The previous scene's textures are gone; never compare against them.
  CurrentTexture = nullptr;
  VertexBuffer = AllocateArray<D3DTLVERTEX>(MaxBatchVertices);
  IndexBuffer = AllocateArray<WORD>(MaxBatchIndices);
  VertexSlots = AllocateArray<TransformedVertex>(MaxVertexSlots);
  const bool buffers = VertexBuffer && IndexBuffer && VertexSlots;
  if (!buffers) ReleaseBuffers();
  const bool flares = CreateLensFlareTemplate();
  return buffers && flares;
}

void FreeRenderer() {
  ReleaseBuffers();
  ResetCounters();
  FreeSpriteOrder();
}

bool RenderFrame() {
  Camera* camera = Cameras.current;
  if (!camera) return false;
  UpdateCamera(camera);
  DeviceSetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ZERO);

  // The sky is drawn first, behind everything, and leaves the depth buffer
  // alone whatever its visible byte says.
  MeshObject* sky = FindMeshObject(SkyName);
  MeshObject* ground = FindMeshObject(GroundName);
  if (sky) {
    DeviceSetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    DrawMeshObject(sky);
  }
  if (ground) {
    DeviceSetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
    DrawMeshObject(ground);
  }
  DeviceSetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);

  for (MeshObject* object = MeshObjects.first; object; object = object->next) {
    if (!object->visible || !object->geometry || object->geometry->vertexCount <= 0) continue;
    if (IsSkyObject(object)) continue;
    DrawMeshObject(object);
  }

  // Everything from here on is added to the frame and writes no depth.
  DeviceSetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  DeviceSetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  DeviceSetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
  DeviceSetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  MoveFlaresToLights();
  DrawSprites();
  return true;
}
