// The support library's headless device for the rasteriser tests, with the
// states they draw with and helpers to draw and read.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"
#include "support/headless_device.h"

struct TestDevice {
  HeadlessDevice parts;
  IDirectDraw* dd = nullptr;
  IDirectDraw2* dd2 = nullptr;
  IDirect3D2* d3d = nullptr;
  IDirectDrawSurface* target = nullptr;
  IDirectDrawSurface* z = nullptr;
  IDirect3DDevice2* device = nullptr;
  IDirect3DViewport2* viewport = nullptr;
  int width = 0, height = 0;  // in the callers' units
  int scale = 1;              // the render scale: the target holds width x height times it

  TestDevice(int w, int h, bool withZ = true, int renderScale = 1) : width(w), height(h), scale(renderScale) {
    EXPECT_TRUE(OpenHeadlessDevice(parts, w, h, withZ, renderScale));
    dd = parts.directDraw;
    dd2 = parts.directDraw2;
    d3d = parts.direct3D;
    target = parts.target;
    z = parts.zBuffer;
    device = parts.device;
    viewport = parts.viewport;
    // The demo's fixed states, with dithering off so that colours are exact.
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
    Clear();
    EXPECT_EQ(device->BeginScene(), D3D_OK);
  }

  ~TestDevice() {
    device->EndScene();
    CloseHeadlessDevice(parts);
  }

  void SetViewport(int x, int y, int w, int h) {
    D3DVIEWPORT2 vp{};
    vp.dwSize = sizeof vp;
    vp.dwX = static_cast<DWORD>(x);
    vp.dwY = static_cast<DWORD>(y);
    vp.dwWidth = static_cast<DWORD>(w);
    vp.dwHeight = static_cast<DWORD>(h);
    vp.dvMaxZ = 1.0f;
    EXPECT_EQ(viewport->SetViewport2(&vp), D3D_OK);
  }

  void Clear() {
    D3DRECT all{0, 0, width, height};
    EXPECT_EQ(viewport->Clear(1, &all, z ? D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER : D3DCLEAR_TARGET), D3D_OK);
  }

  void Additive(bool on) {
    device->SetRenderState(D3DRENDERSTATE_BLENDENABLE, on);
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, on ? D3DBLEND_ONE : D3DBLEND_ZERO);
  }

  std::uint16_t Pixel(int x, int y) const {
    LONG pitch = 0;
    const std::uint8_t* memory = DxSurfaceMemory(target, &pitch);
    return reinterpret_cast<const std::uint16_t*>(memory + y * pitch)[x];
  }
  std::uint16_t Depth(int x, int y) const {
    LONG pitch = 0;
    const std::uint8_t* memory = DxSurfaceMemory(z, &pitch);
    return reinterpret_cast<const std::uint16_t*>(memory + y * pitch)[x];
  }
  std::vector<std::uint16_t> Pixels() const {
    std::vector<std::uint16_t> out;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) out.push_back(Pixel(x, y));
    return out;
  }
  // Every pixel of a surface at its real size, row after row.
  std::vector<std::uint16_t> All(IDirectDrawSurface* surface) const {
    LONG pitch = 0;
    const std::uint8_t* memory = DxSurfaceMemory(surface, &pitch);
    std::vector<std::uint16_t> out;
    for (int y = 0; y < height * scale; ++y) {
      const auto* row = reinterpret_cast<const std::uint16_t*>(memory + y * pitch);
      out.insert(out.end(), row, row + width * scale);
    }
    return out;
  }
  std::vector<std::uint16_t> Depths() const {
    std::vector<std::uint16_t> out;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) out.push_back(Depth(x, y));
    return out;
  }

  HRESULT Triangles(std::vector<D3DTLVERTEX> v) {
    return device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v.data(), static_cast<DWORD>(v.size()), 0);
  }
  // An axis-aligned quad as a fan, texture coordinates 0..1 across it.
  HRESULT Quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color) {
    D3DTLVERTEX v[4] = {{x0, y0, z, 1, color, 0, 0, 0},
                        {x1, y0, z, 1, color, 0, 1, 0},
                        {x1, y1, z, 1, color, 0, 1, 1},
                        {x0, y1, z, 1, color, 0, 0, 1}};
    return device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_TLVERTEX, v, 4, 0);
  }

  // A texture of side `size` with `levels` mip levels in the 1-5-5-5 format;
  // texel(level, x, y) gives each 16-bit value. Returns its handle.
  template <typename Texel>
  D3DTEXTUREHANDLE MakeTexture(int size, int levels, Texel texel, IDirectDrawSurface** surfaceOut = nullptr) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = desc.dwHeight = static_cast<DWORD>(size);
    desc.ddpfPixelFormat = DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB | DDPF_ALPHAPIXELS, 0, {16},
                                         0x7C00, 0x03E0, 0x001F, 0x8000};
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    if (levels > 1) {
      desc.dwFlags |= DDSD_MIPMAPCOUNT;
      desc.dwMipMapCount = static_cast<DWORD>(levels);
      desc.ddsCaps.dwCaps |= DDSCAPS_MIPMAP | DDSCAPS_COMPLEX;
    }
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd2->CreateSurface(&desc, &surface, nullptr), DD_OK);
    IDirectDrawSurface* level = surface;
    level->AddRef();
    for (int l = 0; l < levels; ++l) {
      DDSURFACEDESC locked{};
      locked.dwSize = sizeof locked;
      EXPECT_EQ(level->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
      for (DWORD y = 0; y < locked.dwHeight; ++y)
        for (DWORD x = 0; x < locked.dwWidth; ++x)
          reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch)[x] =
              texel(l, static_cast<int>(x), static_cast<int>(y));
      EXPECT_EQ(level->Unlock(nullptr), DD_OK);
      if (l + 1 < levels) {
        DDSCAPS caps{DDSCAPS_TEXTURE | DDSCAPS_MIPMAP};
        IDirectDrawSurface* next = nullptr;
        EXPECT_EQ(level->GetAttachedSurface(&caps, &next), DD_OK);
        level->Release();
        level = next;
      }
    }
    level->Release();
    IDirect3DTexture2* texture = nullptr;
    EXPECT_EQ(surface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&texture)), DD_OK);
    D3DTEXTUREHANDLE handle = 0;
    EXPECT_EQ(texture->GetHandle(device, &handle), D3D_OK);
    texture->Release();
    if (surfaceOut) *surfaceOut = surface;
    return handle;
  }
};

inline int Red5(std::uint16_t p) { return p >> 11; }
inline int Green6(std::uint16_t p) { return (p >> 5) & 63; }
inline int Blue5(std::uint16_t p) { return p & 31; }
inline D3DCOLOR Rgb(int r, int g, int b) {
  return 0xFF000000u | static_cast<D3DCOLOR>(r) << 16 | static_cast<D3DCOLOR>(g) << 8 | static_cast<D3DCOLOR>(b);
}
