// The stand-in's answers to tests about its objects (see dx_platform.h).
#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"

int DxSurfaceCount(IDirectDraw* directDraw) { return static_cast<int>(directDraw->surfaces.size()); }

const DxDriverInfo* DxDriverOf(IDirectDraw* directDraw) { return directDraw->driver; }

ULONG DxReferenceCount(IDirectDrawSurface* surface) { return surface->refs; }

IDirectDrawSurface* DxNextInChain(IDirectDrawSurface* surface) {
  return surface->ownsNext ? surface->next : nullptr;
}

IDirectDrawSurface* DxAttachedZBuffer(IDirectDrawSurface* surface) { return surface->attachedZ; }

IDirectDrawClipper* DxSurfaceClipper(IDirectDrawSurface* surface) { return surface->clipper; }

HWND DxClipperWindow(IDirectDrawClipper* clipper) { return clipper->window; }

const std::uint8_t* DxSurfaceMemory(IDirectDrawSurface* surface, LONG* pitch) {
  if (pitch) *pitch = surface->pitch;
  return surface->memory.get();
}

D3DVIEWPORT2 DxViewportData(IDirect3DViewport2* viewport) { return viewport->data; }

bool DxDeviceInScene(IDirect3DDevice2* device) { return device->inScene; }
