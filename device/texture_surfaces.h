// The device side of a texture: DirectDraw texture surfaces made on first use,
// the 16-bit upload of the mip chain, and binding for drawing.
#pragma once

#include <cstdint>

struct Texture;
struct IDirectDrawSurface;
struct IDirect3DTexture2;

struct TextureSurfaces {
  IDirectDrawSurface* sourceSurface;
  IDirectDrawSurface* deviceSurface;
  IDirect3DTexture2* sourceTexture;
  IDirect3DTexture2* deviceTexture;
  std::uint32_t scratchHandle;
  std::uint32_t handle;
  std::uint8_t ready;
  std::uint8_t reload;
};

bool EnsureTexture(Texture* texture);
bool BindTexture(Texture* texture);
void ReleaseTextureSurfaces(Texture* texture);
