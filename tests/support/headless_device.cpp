// The headless test device (see headless_device.h).
#include "support/headless_device.h"

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"

bool OpenHeadlessDevice(HeadlessDevice& d, int width, int height, bool withZ, int scale) {
  d = HeadlessDevice{};
  d.width = width;
  d.height = height;
  DxResetForTests();
  DxSetDriverSet(DxDriverSet::Headless);
  DxSetRenderScale(scale);
  if (DirectDrawCreate(nullptr, &d.directDraw, nullptr) != DD_OK) return false;
  if (d.directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<LPVOID*>(&d.directDraw2)) != DD_OK)
    return false;
  if (d.directDraw2->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) return false;

  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
  if (d.directDraw2->CreateSurface(&desc, &d.target, nullptr) != DD_OK) return false;
  if (withZ) {
    desc.dwFlags |= DDSD_ZBUFFERBITDEPTH;
    desc.dwZBufferBitDepth = 16;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
    if (d.directDraw2->CreateSurface(&desc, &d.zBuffer, nullptr) != DD_OK) return false;
    if (d.target->AddAttachedSurface(d.zBuffer) != DD_OK) return false;
  }

  if (d.directDraw2->QueryInterface(IID_IDirect3D2, reinterpret_cast<LPVOID*>(&d.direct3D)) != DD_OK) return false;
  if (d.direct3D->CreateDevice(IID_IDirect3DRGBDevice, d.target, &d.device) != D3D_OK) return false;
  if (d.direct3D->CreateViewport(&d.viewport, nullptr) != D3D_OK) return false;
  if (d.device->AddViewport(d.viewport) != D3D_OK) return false;
  D3DVIEWPORT2 vp{};
  vp.dwSize = sizeof vp;
  vp.dwWidth = static_cast<DWORD>(width);
  vp.dwHeight = static_cast<DWORD>(height);
  // The clip volume in pixels, as the demo's device sets it.
  vp.dvClipWidth = static_cast<float>(width);
  vp.dvClipHeight = static_cast<float>(height);
  vp.dvMaxZ = 1.0f;
  if (d.viewport->SetViewport2(&vp) != D3D_OK) return false;
  return d.device->SetCurrentViewport(d.viewport) == D3D_OK;
}

void CloseHeadlessDevice(HeadlessDevice& d) {
  if (d.viewport) d.viewport->Release();
  if (d.device) d.device->Release();
  if (d.direct3D) d.direct3D->Release();
  if (d.zBuffer) d.zBuffer->Release();
  if (d.target) d.target->Release();
  if (d.directDraw2) d.directDraw2->Release();
  if (d.directDraw) d.directDraw->Release();  // takes any surface left with it
  d = HeadlessDevice{};
  DxResetForTests();
}

std::vector<std::uint8_t> ReadBackRgb(const HeadlessDevice& d) {
  std::vector<std::uint8_t> rgb;
  DxSurfaceToRgb888(d.target, rgb, nullptr, nullptr);
  return rgb;
}
