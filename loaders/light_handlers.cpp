// Handlers for lights (with their colours, ranges and lens flares), spotlights
// and the camera chunk. Colour and float chunks act only inside a light block;
// everywhere else they are read and dropped.
#include "loaders/chunk_handlers.h"
#include "loaders/load3ds.h"
#include "scene/scene.h"

namespace {

// The light a colour or float chunk acts on, or null outside a light block.
Light* LightInForce() {
  return LoadState.chunkKind == ChunkKindLight ? LoadTargets.currentLight : nullptr;
}

// Float colours outside 0 to 1 (NaN included) are clamped, so that the
// byte conversion of the flare colour stays in range.
float ClampUnit(float value) {
  if (!(value >= 0.0f)) return 0.0f;
  return value > 1.0f ? 1.0f : value;
}

// The flare takes the light's colour, truncated toward zero to bytes.
void SetLightColour(Light* light, float red, float green, float blue) {
  light->colour[0] = red;
  light->colour[1] = green;
  light->colour[2] = blue;
  light->colour[3] = 0.0f;
  if (!light->flare) return;
  for (int i = 0; i < 4; ++i) light->flare->colour[i] = static_cast<std::uint8_t>(static_cast<int>(light->colour[i]));
}

}  // namespace

void HandleLight(std::FILE* stream, int indent, long chunkEnd) {
  float x, y, z;
  if (!ChunkHolds(stream, chunkEnd, 12)) return;
  if (!ReadFloat(stream, x) || !ReadFloat(stream, y) || !ReadFloat(stream, z)) return;
  // The light is named after the enclosing object block.
  Light* light = LightGroups.current ? AddLight(LightGroups.current, 2, LoadState.nameBuffer) : nullptr;
  if (light) {
    light->position = {x, y, z, 1.0f};
    light->flare = CloneSprite(LensFlareTemplate);
    if (light->flare) light->flare->active = 1;
  }
  LoadTargets.currentLight = light;
  LoadState.chunkKind = ChunkKindLight;
  LoadState.rangeState = 1;
  ReadChunks(stream, indent, chunkEnd);
  LoadState.chunkKind = ChunkKindNone;
}

void HandleSpotlight(std::FILE* stream, int, long chunkEnd) {
  unsigned char spot[20];
  if (ChunkHolds(stream, chunkEnd, sizeof spot)) ReadBytes(stream, spot, sizeof spot);
}

void HandleColourFloat(std::FILE* stream, int, long chunkEnd) {
  float red, green, blue;
  if (!ChunkHolds(stream, chunkEnd, 12)) return;
  if (!ReadFloat(stream, red) || !ReadFloat(stream, green) || !ReadFloat(stream, blue)) return;
  Light* light = LightInForce();
  if (!light) return;
  SetLightColour(light, ClampUnit(red) * 255.0f, ClampUnit(green) * 255.0f, ClampUnit(blue) * 255.0f);
}

void HandleColourByte(std::FILE* stream, int, long chunkEnd) {
  unsigned char rgb[3];
  if (!ChunkHolds(stream, chunkEnd, sizeof rgb) || !ReadBytes(stream, rgb, sizeof rgb)) return;
  Light* light = LightInForce();
  if (!light) return;
  SetLightColour(light, rgb[0], rgb[1], rgb[2]);
}

// The first float chunk inside a light sets its range, the second its far
// range, whatever their ids; later ones change nothing.
void HandleFloat(std::FILE* stream, int, long chunkEnd) {
  float f;
  if (!ChunkHolds(stream, chunkEnd, 4) || !ReadFloat(stream, f)) return;
  Light* light = LightInForce();
  if (!light) return;
  if (LoadState.rangeState == 1) {
    light->rangeSquared = f * f;
    LoadState.rangeState = 2;
  } else if (LoadState.rangeState == 2) {
    light->farRangeSquared = (10.0f * f) * (10.0f * f);
    LoadState.rangeState = 0;
  }
}

// Eye and target go into the camera the scene selected before loading; bank
// and lens are not used.
void HandleCamera(std::FILE* stream, int, long chunkEnd) {
  float value[8];
  if (!ChunkHolds(stream, chunkEnd, sizeof value)) return;
  for (float& f : value) {
    if (!ReadFloat(stream, f)) return;
  }
  Camera* camera = Cameras.current;
  if (!camera) return;
  camera->eye.x = value[0];
  camera->eye.y = value[1];
  camera->eye.z = value[2];
  camera->target.x = value[3];
  camera->target.y = value[4];
  camera->target.z = value[5];
}
