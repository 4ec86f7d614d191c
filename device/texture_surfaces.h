// The device side of a texture: DirectDraw texture surfaces made on first use,
// the 16-bit upload of the mip chain, and binding for drawing.
#pragma once

#include <cstdint>

#include "platform/dx/ddraw.h"

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
// Whether the texture has both its surfaces: false for one the loader refused
// (no surfaces made) and for one whose surfaces could not be made. Such a
// texture is drawn untextured.
bool TextureHasSurfaces(const Texture* texture);
bool BindTexture(Texture* texture);
void ReleaseTextureSurfaces(Texture* texture);
// ReleaseTextureSurfaces on every texture in the registry: the device side of
// the textures goes first, while they are still whole, before FreeTextures.
void ReleaseAllTextureSurfaces();

// Internal steps, open to tests.
// One 8-bit RGB(x) texel as 1-5-5-5: each channel v -> v * 0.12156863 truncated,
// alpha set unless all three are 0.
std::uint16_t ConvertTexel(const std::uint8_t* texel);
// The last texture format with one alpha bit (mask 0x8000) and `bitCount` bits;
// all zero when the device has none.
DDPIXELFORMAT FindTextureFormat(DWORD bitCount);
// Converts the texture's mip chain into its source surface.
bool UploadTexture(Texture* texture);
