// The stand-in's answers to tests about its objects (see dx_platform.h).
#include <algorithm>

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_internal.h"
#include "platform/dx/dx_objects.h"
#include "platform/dx/dx_platform.h"

int DxSurfaceCount(IDirectDraw* directDraw) { return static_cast<int>(Impl(directDraw)->surfaces.size()); }

const DxDriverInfo* DxDriverOf(IDirectDraw* directDraw) { return Impl(directDraw)->driver; }

int DxRenderScaleOf(IDirectDraw* directDraw) { return std::max(1, Impl(directDraw)->renderScale); }

ULONG DxReferenceCount(IDirectDrawSurface* surface) { return Impl(surface)->refs; }

IDirectDrawSurface* DxNextInChain(IDirectDrawSurface* surface) {
  return Impl(surface)->ownsNext ? Impl(surface)->next : nullptr;
}

IDirectDrawSurface* DxAttachedZBuffer(IDirectDrawSurface* surface) { return Impl(surface)->attachedZ; }

IDirectDrawClipper* DxSurfaceClipper(IDirectDrawSurface* surface) { return Impl(surface)->clipper; }

HWND DxClipperWindow(IDirectDrawClipper* clipper) { return Impl(clipper)->window; }

const std::uint8_t* DxSurfaceMemory(IDirectDrawSurface* surface, LONG* pitch) {
  DxFlushRaster();
  if (pitch) *pitch = Impl(surface)->pitch;
  return Impl(surface)->memory.get();
}

D3DVIEWPORT2 DxViewportData(IDirect3DViewport2* viewport) { return Impl(viewport)->data; }

bool DxDeviceInScene(IDirect3DDevice2* device) { return Impl(device)->inScene; }
