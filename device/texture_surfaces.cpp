// The device side of a texture: DirectDraw texture surfaces made on first use,
// the 16-bit 1-5-5-5 upload of the in-memory mip chain, and binding the Direct3D
// texture handle for drawing.
#include "device/texture_surfaces.h"

#include <cstdlib>
#include <cstring>

#include "device/render_device.h"
#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "scene/scene.h"

namespace {

struct FormatSearch {
  DWORD bitCount;
  DDPIXELFORMAT format;
};

HRESULT TakeMatchingFormat(DDSURFACEDESC* desc, LPVOID context) {
  auto* search = static_cast<FormatSearch*>(context);
  const DDPIXELFORMAT& f = desc->ddpfPixelFormat;
  if ((f.dwFlags & DDPF_RGB) && (f.dwFlags & DDPF_ALPHAPIXELS) && f.dwRGBBitCount == search->bitCount &&
      f.dwRGBAlphaBitMask == 0x8000)
    std::memcpy(&search->format, &f, sizeof f);
  // Always ask for more: the last matching format wins.
  return D3DENUMRET_OK;
}

IDirectDrawSurface* CreateTextureSurface(int width, int height, bool videoMemory, bool mipMapped, int levels) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddpfPixelFormat = FindTextureFormat(16);
  desc.ddsCaps.dwCaps = videoMemory ? DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD
                                    : DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  if (mipMapped) {
    desc.dwFlags |= DDSD_MIPMAPCOUNT;
    desc.dwMipMapCount = static_cast<DWORD>(levels);
    desc.ddsCaps.dwCaps |= DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
  }
  IDirectDrawSurface* surface = nullptr;
  if (RenderDevice.directDraw2->CreateSurface(&desc, &surface, nullptr) != DD_OK) return nullptr;
  return surface;
}

bool CreateTextureSurfaces(Texture* texture) {
  auto* s = static_cast<TextureSurfaces*>(std::calloc(1, sizeof(TextureSurfaces)));
  if (!s) return false;
  texture->surfaces = s;
  const bool mip = texture->mipMapped != 0;
  const int levels = mip ? texture->mipLevels : 0;
  s->sourceSurface = CreateTextureSurface(texture->width, texture->height, false, mip, levels);
  if (RenderDevice.texturesInSystemMemory) {
    s->deviceSurface = s->sourceSurface;
    if (s->deviceSurface) s->deviceSurface->AddRef();
  } else {
    s->deviceSurface = CreateTextureSurface(texture->width, texture->height, true, mip, levels);
  }
  return s->sourceSurface && s->deviceSurface;
}

// Converts side x side texels (width x height for the top level) into a locked level.
bool UploadLevel(IDirectDrawSurface* surface, const std::uint8_t* texels, int width, int height) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return false;
  const LONG stride = desc.lPitch / 2;
  auto* out = static_cast<std::uint16_t*>(desc.lpSurface);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out[y * stride + x] = ConvertTexel(texels + 4 * (static_cast<size_t>(y) * width + x));
  return surface->Unlock(nullptr) == DD_OK;
}

}  // namespace

std::uint16_t ConvertTexel(const std::uint8_t* texel) {
  // A single-precision factor a hair above 31/255, truncated: 0 for 0..8, 31 only for 255.
  const auto five = [](std::uint8_t v) { return static_cast<std::uint16_t>(static_cast<float>(v) * 0.12156863f); };
  const std::uint16_t r = five(texel[0]), g = five(texel[1]), b = five(texel[2]);
  const std::uint16_t alpha = (r | g | b) ? 1 : 0;
  return static_cast<std::uint16_t>(alpha << 15 | r << 10 | g << 5 | b);
}

DDPIXELFORMAT FindTextureFormat(DWORD bitCount) {
  FormatSearch search{};
  search.bitCount = bitCount;
  RenderDevice.device->EnumTextureFormats(TakeMatchingFormat, &search);
  return search.format;
}

bool UploadTexture(Texture* texture) {
  IDirectDrawSurface* level = texture->surfaces->sourceSurface;
  if (!level || !UploadLevel(level, texture->pixels, texture->width, texture->height)) return false;
  if (!texture->mipMapped) return true;
  level->AddRef();
  const std::uint8_t* texels = texture->pixels;
  int side = texture->width;
  for (int i = 1; i < texture->mipLevels; ++i) {
    DDSCAPS caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP};
    IDirectDrawSurface* next = nullptr;
    if (level->GetAttachedSurface(&caps, &next) != DD_OK) {
      level->Release();
      return false;
    }
    // The next level follows the current one's side x side texels.
    texels += 4 * static_cast<size_t>(side) * side;
    side = side > 1 ? side / 2 : 1;
    const bool ok = UploadLevel(next, texels, side, side);
    level->Release();
    level = next;
    if (!ok) {
      level->Release();
      return false;
    }
  }
  level->Release();
  return true;
}

bool EnsureTexture(Texture* texture) {
  // An entry the texture loader refused has nothing to upload and gets no surfaces.
  if (!texture || !texture->pixels) return true;
  if (!texture->surfaces) {
    // Surfaces that could not be made stay null: the texture is then drawn
    // untextured (TextureHasSurfaces), like one the loader refused.
    if (CreateTextureSurfaces(texture)) UploadTexture(texture);
    if (texture->surfaces) texture->surfaces->reload = 0;
  }
  return true;
}

bool TextureHasSurfaces(const Texture* texture) {
  const TextureSurfaces* s = texture ? texture->surfaces : nullptr;
  return s && s->sourceSurface && s->deviceSurface;
}

bool BindTexture(Texture* texture) {
  if (!TextureHasSurfaces(texture)) return false;
  TextureSurfaces* s = texture->surfaces;
  IDirect3DDevice2* device = RenderDevice.device;
  if (s->ready && !s->reload) {
    if (device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, s->handle) != D3D_OK)
      device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
    return true;
  }
  if (RenderDevice.texturesInSystemMemory) {
    // The device textures from the source surface itself: no Load.
    if (s->sourceSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<LPVOID*>(&s->sourceTexture)) != DD_OK)
      return false;
    const HRESULT r = s->sourceTexture->GetHandle(device, &s->scratchHandle);
    s->sourceTexture->Release();
    s->sourceTexture = nullptr;
    if (r != D3D_OK) return false;
    s->handle = s->scratchHandle;
  } else {
    if (s->sourceSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<LPVOID*>(&s->sourceTexture)) != DD_OK)
      return false;
    if (s->deviceSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<LPVOID*>(&s->deviceTexture)) != DD_OK) {
      s->sourceTexture->Release();
      s->sourceTexture = nullptr;
      return false;
    }
    std::uint32_t handle = 0;
    HRESULT r = s->deviceTexture->GetHandle(device, &handle);
    if (r == D3D_OK) r = s->deviceTexture->Load(s->sourceTexture);
    s->sourceTexture->Release();
    s->deviceTexture->Release();
    s->sourceTexture = nullptr;
    s->deviceTexture = nullptr;
    if (r != D3D_OK) return false;
    s->handle = handle;
  }
  s->ready = 1;
  if (device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, s->handle) != D3D_OK)
    device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
  return true;
}

void ReleaseTextureSurfaces(Texture* texture) {
  TextureSurfaces* s = texture->surfaces;
  if (!s) return;
  if (s->sourceSurface) s->sourceSurface->Release();
  if (s->deviceSurface) s->deviceSurface->Release();
  std::free(s);
  texture->surfaces = nullptr;
}

void ReleaseAllTextureSurfaces() {
  for (Texture* t = Textures.first; t; t = t->next) ReleaseTextureSurfaces(t);
}
