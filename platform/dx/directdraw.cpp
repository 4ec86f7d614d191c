// DirectDraw entry points, the DirectDraw objects of one driver (IDirectDraw,
// IDirectDraw2) and clippers: enumeration, capabilities, display modes,
// cooperative level and surface creation.
#include <algorithm>
#include <bit>
#include <cstring>
#include <span>
#include <string>

#include "platform/dx/dx_internal.h"

namespace {

// 16-bit modes for the demo, and a few others that callers must skip.
constexpr DxDisplayModeInfo modeList[] = {
    {640, 480, 16, 0}, {640, 480, 32, 0}, {800, 600, 16, 0}, {800, 600, 32, 0}, {1024, 768, 16, 0}};

bool IsZeroGuid(const GUID& g) { return g == GUID{}; }

std::span<const DxDisplayModeInfo> ModesOf(const DxDriverInfo* driver) {
  if (const DxTestDriver* test = DxTestDriverOf(driver)) return test->modes;
  return modeList;
}

bool ModeOffered(const DxDriverInfo* driver, DWORD width, DWORD height, DWORD bits) {
  for (const DxDisplayModeInfo& m : ModesOf(driver))
    if (m.width == width && m.height == height && m.bitsPerPixel == bits) return true;
  return false;
}

bool IsPowerOfTwo(DWORD v) { return v != 0 && (v & (v - 1)) == 0; }

// The scale of the object's screen surfaces: the setting, fixed when the
// first of them is made ("fit" measured against the display then). A window
// gets room for the larger picture.
int ScreenScale(DxDirectDraw* owner) {
  if (owner->renderScale) return owner->renderScale;
  const bool full = (owner->cooperativeLevel & DDSCL_EXCLUSIVE) && owner->driver->sdlFullScreen;
  int scale = dxState.renderScale;
  if (scale == kDxRenderScaleFit) scale = std::max(1, DxSdlFitScale(owner->cooperativeWindow, full));
  owner->renderScale = scale;
  if (!(owner->cooperativeLevel & DDSCL_EXCLUSIVE) && scale > 1) DxSizeSdlWindowForScale(owner->cooperativeWindow, scale);
  return scale;
}

// The screen: one surface, or with DDSCAPS_FLIP a front buffer and one back
// buffer in a circular chain, at the display mode's size (640 x 480 before a
// mode is set).
HRESULT CreatePrimarySurface(DxDirectDraw* owner, const DDSURFACEDESC& desc, DWORD caps, DxSurface** out) {
  if (!owner->cooperativeLevel) return DDERR_INVALIDPARAMS;  // SetCooperativeLevel comes first
  const bool full = owner->cooperativeLevel & DDSCL_EXCLUSIVE;
  const int w = owner->modeWidth ? static_cast<int>(owner->modeWidth) : 640;
  const int h = owner->modeHeight ? static_cast<int>(owner->modeHeight) : 480;
  if (caps & DDSCAPS_FLIP) {
    if (!full) return DDERR_NOEXCLUSIVEMODE;
    if (!(caps & DDSCAPS_COMPLEX) || !(desc.dwFlags & DDSD_BACKBUFFERCOUNT) || desc.dwBackBufferCount != 1)
      return DDERR_INVALIDPARAMS;
  }
  const int scale = ScreenScale(owner);
  DxSurface* front = DxNewSurface(owner, caps | DDSCAPS_FRONTBUFFER, DxRgb565Format(), w, h, scale);
  if (caps & DDSCAPS_FLIP) {
    const DWORD backCaps = (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER;
    DxSurface* back = DxNewSurface(owner, backCaps, DxRgb565Format(), w, h, scale);
    back->chainRoot = front;
    back->next = front;  // the chain is circular; only the front owns
    front->next = back;
    front->ownsNext = true;
  }
  *out = front;
  return DD_OK;
}

// Textures: square or not, power-of-two sides, with an optional mip chain.
HRESULT CreateTexture(DxDirectDraw* owner, const DDSURFACEDESC& desc, DWORD caps, const DDPIXELFORMAT& format,
                      DxSurface** out) {
  const int w = static_cast<int>(desc.dwWidth), h = static_cast<int>(desc.dwHeight);
  if (!IsPowerOfTwo(desc.dwWidth) || !IsPowerOfTwo(desc.dwHeight) || w > 1024 || h > 1024)
    return DDERR_INVALIDPARAMS;
  int levels = 1;
  if (caps & DDSCAPS_MIPMAP) {
    if (!(caps & DDSCAPS_COMPLEX)) return DDERR_INVALIDCAPS;
    const int most = std::bit_width(static_cast<unsigned>(std::max(w, h)));
    levels = (desc.dwFlags & DDSD_MIPMAPCOUNT) ? static_cast<int>(desc.dwMipMapCount) : most;
    if (levels < 1 || levels > most) return DDERR_INVALIDPARAMS;
  }
  DxSurface* root = DxNewSurface(owner, caps, format, w, h);
  DxSurface* level = root;
  for (int i = 1; i < levels; ++i) {
    DxSurface* child =
        DxNewSurface(owner, caps, format, std::max(1, level->width / 2), std::max(1, level->height / 2));
    child->chainRoot = root;
    level->next = child;
    level->ownsNext = true;
    level = child;
  }
  *out = root;
  return DD_OK;
}

// Creates a surface described by `desc`; the checks follow what the callers of
// a 1998 driver had to respect.
HRESULT CreateSurfaceFor(DxDirectDraw* owner, const DDSURFACEDESC& desc, DxSurface** out) {
  if (!(desc.dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
  DWORD caps = desc.ddsCaps.dwCaps;
  if ((caps & DDSCAPS_VIDEOMEMORY) && (caps & DDSCAPS_SYSTEMMEMORY)) return DDERR_INVALIDCAPS;
  // The screen itself is always there; other surfaces compete for video memory.
  if ((caps & DDSCAPS_VIDEOMEMORY) && !(caps & DDSCAPS_PRIMARYSURFACE) && dxState.videoMemoryExhausted)
    return DDERR_OUTOFVIDEOMEMORY;
  // Without a memory cap the surface goes where there is room.
  if (!(caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)))
    caps |= dxState.videoMemoryExhausted ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY;
  if (caps & DDSCAPS_PRIMARYSURFACE) return CreatePrimarySurface(owner, desc, caps, out);

  if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
  if (desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > 4096 || desc.dwHeight > 4096)
    return DDERR_INVALIDPARAMS;
  const int w = static_cast<int>(desc.dwWidth), h = static_cast<int>(desc.dwHeight);

  if (caps & DDSCAPS_ZBUFFER) {
    const DWORD depth = (desc.dwFlags & DDSD_ZBUFFERBITDEPTH) ? desc.dwZBufferBitDepth : 16;
    if (depth != 16) return DDERR_INVALIDPIXELFORMAT;
    *out = DxNewSurface(owner, caps, DxZBuffer16Format(), w, h, ScreenScale(owner));
    return DD_OK;
  }

  DDPIXELFORMAT format = DxRgb565Format();
  if (desc.dwFlags & DDSD_PIXELFORMAT) {
    format = desc.ddpfPixelFormat;
    if (!(format.dwFlags & DDPF_RGB) || format.dwRGBBitCount != 16) return DDERR_INVALIDPIXELFORMAT;
  }
  if (caps & DDSCAPS_TEXTURE) return CreateTexture(owner, desc, caps, format, out);
  if ((desc.dwFlags & DDSD_PIXELFORMAT) && !DxIsRgb565(format)) return DDERR_INVALIDPIXELFORMAT;
  // 3D render targets draw the screen; other off-screen surfaces hold
  // pictures at their own size, stretched when blitted onto the screen.
  *out = DxNewSurface(owner, caps, format, w, h, (caps & DDSCAPS_3DDEVICE) ? ScreenScale(owner) : 1);
  return DD_OK;
}

}  // namespace

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  for (const DxDriverInfo& d : DxCurrentDrivers()) {
    // The callback gets copies it may write to, of whatever length.
    GUID guid = d.guid;
    std::string description = d.description, name = d.name;
    if (callback(d.hasGuid ? &guid : nullptr, description.data(), name.data(), context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, IUnknown* outer) {
  if (!directDraw || outer) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (HRESULT r = DxEnter(DxMethod::DirectDrawCreate)) return r;
  const DxDriverInfo* found = nullptr;
  for (const DxDriverInfo& d : DxCurrentDrivers()) {
    const bool primary = !guid || IsZeroGuid(*guid);
    if ((primary && !d.hasGuid) || (!primary && d.hasGuid && d.guid == *guid)) {
      found = &d;
      break;
    }
  }
  if (!found) return DDERR_INVALIDPARAMS;
  auto* dd = new DxDirectDraw;
  dd->driver = found;
  ++dxState.openDirectDraws;
  *directDraw = dd;
  return DD_OK;
}

HRESULT DxDirectDraw::QueryInterface(REFIID iid, LPVOID* object) {
  if (!object) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (HRESULT r = DxEnter(DxMethod::QueryInterface)) return r;
  if (iid == IID_IDirectDraw) {
    AddRef();
    *object = static_cast<IDirectDraw*>(this);
    return DD_OK;
  }
  if (iid == IID_IDirectDraw2) {
    const DxTestDriver* test = DxTestDriverOf(driver);
    if (test && !test->hasDirectDraw2) return E_NOINTERFACE;
    auto* dd2 = new DxDirectDraw2;
    dd2->directDraw = this;
    AddRef();
    *object = static_cast<IDirectDraw2*>(dd2);
    return DD_OK;
  }
  return E_NOINTERFACE;
}

ULONG DxDirectDraw::AddRef() { return ++refs; }

ULONG DxDirectDraw::Release() {
  if (--refs > 0) return refs;
  // DirectDraw takes down everything made from it.
  DxDestroyOwnedSurfaces(this);
  for (DxClipper* c : clippers) delete c;
  if (modeWidth || (cooperativeLevel & DDSCL_EXCLUSIVE)) {
    if (cooperativeWindow) DxSetSdlFullScreen(cooperativeWindow, false);
    dxState.display = DxDisplayState{};
  }
  // The last one gone, the drawing threads end (started again when needed).
  if (--dxState.openDirectDraws == 0) DxStopRasterThreads();
  delete this;
  return 0;
}

HRESULT DxDirectDraw2::QueryInterface(REFIID iid, LPVOID* object) {
  if (!object) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (iid == IID_IDirect3D2) {
    if (HRESULT r = DxEnter(DxMethod::QueryInterface)) return r;
    auto* d3d = new DxDirect3D;
    d3d->directDraw = directDraw;
    directDraw->AddRef();
    *object = static_cast<IDirect3D2*>(d3d);
    return DD_OK;
  }
  return directDraw->QueryInterface(iid, object);
}

ULONG DxDirectDraw2::AddRef() { return ++refs; }

ULONG DxDirectDraw2::Release() {
  if (--refs > 0) return refs;
  directDraw->Release();
  delete this;
  return 0;
}

HRESULT DxDirectDraw2::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  if (HRESULT r = DxEnter(DxMethod::GetCaps)) return r;
  if ((!driverCaps && !emulationCaps) || (driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) ||
      (emulationCaps && emulationCaps->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  if (driverCaps) {
    std::memset(driverCaps, 0, sizeof(DDCAPS));
    driverCaps->dwSize = sizeof(DDCAPS);
    driverCaps->dwCaps = directDraw->driver->caps;
    driverCaps->dwZBufferBitDepths = 0x400;  // DDBD_16
    driverCaps->dwVidMemTotal = driverCaps->dwVidMemFree = 16u << 20;
  }
  if (emulationCaps) {
    std::memset(emulationCaps, 0, sizeof(DDCAPS));
    emulationCaps->dwSize = sizeof(DDCAPS);
    emulationCaps->dwCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_BLTCOLORFILL;
  }
  return DD_OK;
}

HRESULT DxDirectDraw2::EnumDisplayModes(DWORD, DDSURFACEDESC* match, LPVOID context,
                                        LPDDENUMMODESCALLBACK callback) {
  if (HRESULT r = DxEnter(DxMethod::EnumDisplayModes)) return r;
  if (!callback || (match && match->dwSize != sizeof(DDSURFACEDESC))) return DDERR_INVALIDPARAMS;
  for (const DxDisplayModeInfo& m : ModesOf(directDraw->driver)) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc.dwWidth = m.width;
    desc.dwHeight = m.height;
    desc.lPitch = static_cast<LONG>(m.width * m.bitsPerPixel / 8);
    desc.dwRefreshRate = m.refreshRate;
    if (m.bitsPerPixel == 16) {
      desc.ddpfPixelFormat = DxRgb565Format();
    } else {
      desc.ddpfPixelFormat =
          DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB, 0, {m.bitsPerPixel}, 0xFF0000, 0xFF00, 0xFF, 0};
    }
    if (match && (match->dwFlags & DDSD_WIDTH) && match->dwWidth != m.width) continue;
    if (match && (match->dwFlags & DDSD_HEIGHT) && match->dwHeight != m.height) continue;
    if (callback(&desc, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DxDirectDraw2::SetCooperativeLevel(HWND window, DWORD flags) {
  if (HRESULT r = DxEnter(DxMethod::SetCooperativeLevel)) return r;
  const bool exclusive = flags & DDSCL_EXCLUSIVE;
  const bool full = flags & DDSCL_FULLSCREEN;
  const bool normal = flags & DDSCL_NORMAL;
  if (exclusive != full || (normal && exclusive) || (!normal && !exclusive)) return DDERR_INVALIDPARAMS;
  if (exclusive && !IsWindow(window)) return DDERR_INVALIDPARAMS;
  DxDirectDraw* dd = directDraw;
  if ((dd->cooperativeLevel & DDSCL_EXCLUSIVE) && !exclusive && dd->cooperativeWindow)
    DxSetSdlFullScreen(dd->cooperativeWindow, false);
  dd->cooperativeWindow = window;
  dd->cooperativeLevel = flags;
  if (exclusive && dd->driver->sdlFullScreen) DxSetSdlFullScreen(window, true);
  dxState.display.cooperativeLevel = flags;
  dxState.display.sdlFullScreen = exclusive && dd->driver->sdlFullScreen;
  return DD_OK;
}

HRESULT DxDirectDraw2::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD flags) {
  if (HRESULT r = DxEnter(DxMethod::SetDisplayMode)) return r;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (!(directDraw->cooperativeLevel & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
  if (!ModeOffered(directDraw->driver, width, height, bitsPerPixel)) return DDERR_INVALIDMODE;
  directDraw->modeWidth = width;
  directDraw->modeHeight = height;
  directDraw->modeBits = bitsPerPixel;
  dxState.display.width = width;
  dxState.display.height = height;
  dxState.display.bitsPerPixel = bitsPerPixel;
  return DD_OK;
}

HRESULT DxDirectDraw2::RestoreDisplayMode() {
  directDraw->modeWidth = directDraw->modeHeight = directDraw->modeBits = 0;
  dxState.display.width = dxState.display.height = dxState.display.bitsPerPixel = 0;
  return DD_OK;
}

HRESULT DxDirectDraw2::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) {
  if (!surface || outer) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (HRESULT r = DxEnter(DxMethod::CreateSurface)) return r;
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
  DxSurface* made = nullptr;
  const HRESULT r = CreateSurfaceFor(directDraw, *desc, &made);
  *surface = made;
  if (r == DD_OK) directDraw->surfaces.push_back(made);
  return r;
}

HRESULT DxDirectDraw2::CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
  if (!clipper || outer || flags != 0) return DDERR_INVALIDPARAMS;
  *clipper = nullptr;
  if (HRESULT r = DxEnter(DxMethod::CreateClipper)) return r;
  auto* c = new DxClipper;
  c->owner = directDraw;
  directDraw->clippers.push_back(c);
  *clipper = c;
  return DD_OK;
}

HRESULT DxClipper::SetHWnd(DWORD flags, HWND hwnd) {
  if (HRESULT r = DxEnter(DxMethod::SetHWnd)) return r;
  if (flags != 0 || !IsWindow(hwnd)) return DDERR_INVALIDPARAMS;
  window = hwnd;
  return DD_OK;
}

ULONG DxClipper::AddRef() { return ++refs; }

ULONG DxClipper::Release() {
  if (--refs > 0) return refs;
  auto& list = owner->clippers;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  delete this;
  return 0;
}
