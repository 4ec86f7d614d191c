// The render device: creating DirectDraw, the surfaces, the z-buffer and the
// Direct3D device on the chosen driver, the fixed render states, and the
// per-frame begin, end and present around the renderer; shutdown at exit.
#include "device/render_device.h"

#include "device/display_drivers.h"
#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"

RenderDeviceRecord RenderDevice;
HWND mainWindow = nullptr;

namespace {

DDSURFACEDESC SurfaceDesc(DWORD flags, DWORD caps) {
  DDSURFACEDESC desc{};
  desc.dwSize = sizeof desc;
  desc.dwFlags = flags;
  desc.ddsCaps.dwCaps = caps;
  return desc;
}

// Back to the desktop after a failure that may have left the display changed.
void LeaveFullScreen() {
  RenderDevice.directDraw2->RestoreDisplayMode();
  RenderDevice.directDraw2->SetCooperativeLevel(mainWindow, DDSCL_NORMAL);
}

}  // namespace

bool CreateDirectDraw() {
  RenderDeviceRecord& rd = RenderDevice;
  DirectDrawCreate(&displayDrivers[selectedDriver].guid, &rd.directDraw, nullptr);
  if (!rd.directDraw) return false;
  if (rd.directDraw->QueryInterface(IID_IDirectDraw2, reinterpret_cast<LPVOID*>(&rd.directDraw2)) != DD_OK) {
    rd.directDraw->Release();
    rd.directDraw = nullptr;
    return false;
  }
  HRESULT result;
  if (rd.fullScreen) {
    SetWindowLongA(mainWindow, GWL_EXSTYLE, static_cast<LONG>(WS_EX_TOPMOST));
    result = rd.directDraw2->SetCooperativeLevel(mainWindow, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  } else {
    SetWindowLongA(mainWindow, GWL_EXSTYLE, 0);
    result = rd.directDraw2->SetCooperativeLevel(mainWindow, DDSCL_NORMAL);
  }
  if (result != DD_OK) return false;
  if (rd.fullScreen) {
    const DisplayMode& mode = displayDrivers[selectedDriver].modes[selectedMode];
    // The refresh rate the dialog showed is not passed: the driver's default.
    if (rd.directDraw2->SetDisplayMode(static_cast<DWORD>(mode.width), static_cast<DWORD>(mode.height),
                                       static_cast<DWORD>(mode.bitsPerPixel), 0, 0) != DD_OK) {
      LeaveFullScreen();
      return false;
    }
  }
  IDirect3D2* probe = nullptr;
  if (rd.directDraw2->QueryInterface(IID_IDirect3D2, reinterpret_cast<LPVOID*>(&probe)) != DD_OK) return false;
  probe->Release();
  return true;
}

bool CreateSurfaces() {
  RenderDeviceRecord& rd = RenderDevice;
  IDirectDraw2* dd2 = rd.directDraw2;
  if (rd.fullScreen) {
    DDSURFACEDESC desc = SurfaceDesc(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                                     DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE |
                                         DDSCAPS_VIDEOMEMORY);
    desc.dwBackBufferCount = 1;
    if (dd2->CreateSurface(&desc, &rd.primarySurface, nullptr) != DD_OK) return false;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    rd.primarySurface->GetAttachedSurface(&caps, &rd.backBuffer);
  } else {
    DDSURFACEDESC desc = SurfaceDesc(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY);
    if (dd2->CreateSurface(&desc, &rd.primarySurface, nullptr) != DD_OK) return false;
    DDSURFACEDESC back = SurfaceDesc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY);
    back.dwWidth = static_cast<DWORD>(rd.width);
    back.dwHeight = static_cast<DWORD>(rd.height);
    if (dd2->CreateSurface(&back, &rd.backBuffer, nullptr) != DD_OK) {
      back.ddsCaps.dwCaps = DDSCAPS_3DDEVICE | DDSCAPS_SYSTEMMEMORY;
      dd2->CreateSurface(&back, &rd.backBuffer, nullptr);
    }
  }
  if (!rd.backBuffer) return false;

  DDSURFACEDESC z = SurfaceDesc(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH,
                                rd.fullScreen ? DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY : DDSCAPS_ZBUFFER);
  z.dwWidth = static_cast<DWORD>(rd.width);
  z.dwHeight = static_cast<DWORD>(rd.height);
  z.dwZBufferBitDepth = 16;
  if (dd2->CreateSurface(&z, &rd.zBuffer, nullptr) != DD_OK) return false;
  return rd.backBuffer->AddAttachedSurface(rd.zBuffer) == DD_OK;
}

bool SetDefaultRenderStates() {
  IDirect3DDevice2* d = RenderDevice.device;
  d->SetRenderState(D3DRENDERSTATE_ANTIALIAS, D3DANTIALIAS_NONE);
  d->SetRenderState(D3DRENDERSTATE_TEXTUREADDRESS, D3DTADDRESS_WRAP);
  d->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
  d->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  d->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  d->SetRenderState(D3DRENDERSTATE_ZFUNC, D3DCMP_LESS);
  d->SetRenderState(D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID);
  d->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
  d->SetRenderState(D3DRENDERSTATE_MONOENABLE, FALSE);
  d->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR);
  d->SetRenderState(D3DRENDERSTATE_TEXTUREMIN, D3DFILTER_MIPLINEAR);
  d->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  d->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, FALSE);
  d->SetRenderState(D3DRENDERSTATE_ZVISIBLE, FALSE);
  d->SetRenderState(D3DRENDERSTATE_SUBPIXEL, FALSE);
  d->SetRenderState(D3DRENDERSTATE_BLENDENABLE, FALSE);
  return d->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE) == D3D_OK;
}

bool CreateDirect3D() {
  RenderDeviceRecord& rd = RenderDevice;
  if (rd.directDraw2->QueryInterface(IID_IDirect3D2, reinterpret_cast<LPVOID*>(&rd.direct3D)) != DD_OK)
    return false;

  D3DFINDDEVICESEARCH search{};
  search.dwSize = sizeof search;
  search.dwFlags = D3DFDS_COLORMODEL | D3DFDS_HARDWARE;
  search.bHardware = TRUE;
  search.dcmColorModel = D3DCOLOR_RGB;
  D3DFINDDEVICERESULT found{};
  found.dwSize = sizeof found;
  bool hardware = true;
  if (rd.direct3D->FindDevice(&search, &found) != D3D_OK) {
    hardware = false;
    search.bHardware = FALSE;
    if (rd.direct3D->FindDevice(&search, &found) != D3D_OK) return false;
  }
  if (rd.direct3D->CreateDevice(found.guid, rd.backBuffer, &rd.device) != D3D_OK) {
    LeaveFullScreen();
    return false;
  }
  const D3DDEVICEDESC& desc = hardware ? found.ddHwDesc : found.ddSwDesc;
  rd.texturesInSystemMemory = (desc.dwDevCaps & D3DDEVCAPS_TEXTURESYSTEMMEMORY) != 0;

  const RECT& r = rd.viewportRect;
  D3DVIEWPORT2 viewport{};
  viewport.dwSize = sizeof viewport;
  viewport.dwX = static_cast<DWORD>(r.left);
  viewport.dwY = static_cast<DWORD>(r.top);
  viewport.dwWidth = static_cast<DWORD>(r.right - r.left);
  viewport.dwHeight = static_cast<DWORD>(r.bottom - r.top);
  // The clip volume in pixels, not the usual -1..1.
  viewport.dvClipX = static_cast<float>(r.left);
  viewport.dvClipY = static_cast<float>(r.top);
  viewport.dvClipWidth = static_cast<float>(viewport.dwWidth);
  viewport.dvClipHeight = static_cast<float>(viewport.dwHeight);
  viewport.dvMinZ = 0.0f;
  viewport.dvMaxZ = 1.0f;
  if (rd.direct3D->CreateViewport(&rd.viewport, nullptr) != D3D_OK) return false;
  if (rd.device->AddViewport(rd.viewport) != D3D_OK) return false;
  if (rd.viewport->SetViewport2(&viewport) != D3D_OK) return false;
  if (rd.device->SetCurrentViewport(rd.viewport) != D3D_OK) return false;
  return SetDefaultRenderStates();
}

bool SetupDisplay() {
  selectedDriver = 0;
  selectedMode = 0;
  if (!EnumerateDisplayDrivers()) return false;
  if (!RunSetupDialog(mainWindow)) return false;
  // The dialog can end with OK and no usable entry (an empty driver list).
  if (selectedDriver < 0 || selectedDriver >= kMaxDisplayDrivers || !displayDrivers[selectedDriver].description[0] ||
      selectedMode < 0 || selectedMode >= kMaxDisplayModes ||
      displayDrivers[selectedDriver].modes[selectedMode].width == 0)
    return false;
  RenderDevice.fullScreen = displayDrivers[selectedDriver].fullScreen != 0;
  if (!CreateDirectDraw()) return false;
  if (!CreateSurfaces()) return false;
  if (!RenderDevice.fullScreen) {
    if (RenderDevice.directDraw2->CreateClipper(0, &RenderDevice.clipper, nullptr) != DD_OK) return false;
    if (RenderDevice.clipper->SetHWnd(0, mainWindow) != DD_OK) return false;
    if (RenderDevice.primarySurface->SetClipper(RenderDevice.clipper) != DD_OK) return false;
  }
  return CreateDirect3D();
}

bool BeginFrame() {
  RenderDeviceRecord& rd = RenderDevice;
  if (rd.primarySurface->IsLost() == DDERR_SURFACELOST) rd.primarySurface->Restore();
  if (rd.backBuffer->IsLost() == DDERR_SURFACELOST) rd.backBuffer->Restore();
  // The z-buffer is restored too: a lost one would refuse every draw and clear.
  if (rd.zBuffer && rd.zBuffer->IsLost() == DDERR_SURFACELOST) rd.zBuffer->Restore();

  DDBLTFX fx{};
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0;
  rd.backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);

  D3DRECT rect{rd.viewportRect.left, rd.viewportRect.top, rd.viewportRect.right, rd.viewportRect.bottom};
  const DWORD flags = rd.fullScreen ? D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER : D3DCLEAR_ZBUFFER;
  if (rd.viewport->Clear(1, &rect, flags) != D3D_OK) return false;
  rd.device->SetRenderState(D3DRENDERSTATE_BLENDENABLE, FALSE);
  rd.device->BeginScene();
  return true;
}

bool EndFrame() {
  RenderDevice.device->EndScene();
  return true;
}

bool PresentFrame() {
  RenderDeviceRecord& rd = RenderDevice;
  if (rd.fullScreen) {
    const HRESULT r = rd.primarySurface->Flip(nullptr, 0);
    return r == DD_OK || r == DDERR_WASSTILLDRAWING;
  }
  return rd.primarySurface->Blt(&rd.windowScreenRect, rd.backBuffer, nullptr, DDBLT_WAIT, nullptr) == DD_OK;
}

void ShutdownDevice() {
  RenderDeviceRecord& rd = RenderDevice;
  rd.deviceReady = 0;
  if (rd.viewport) rd.viewport->Release();
  if (rd.direct3D) rd.direct3D->Release();
  if (rd.device) rd.device->Release();
  rd.viewport = nullptr;
  rd.direct3D = nullptr;
  rd.device = nullptr;
  rd.quit = 1;
  if (rd.directDraw2) {
    rd.directDraw2->RestoreDisplayMode();
    rd.directDraw2->SetCooperativeLevel(mainWindow, DDSCL_NORMAL);
    rd.directDraw2->Release();
  }
  // Releasing DirectDraw takes the surfaces, the z-buffer and the clipper with it.
  if (rd.directDraw) rd.directDraw->Release();
  rd.directDraw2 = nullptr;
  rd.directDraw = nullptr;
  rd.primarySurface = rd.backBuffer = rd.zBuffer = nullptr;
  rd.clipper = nullptr;
}
