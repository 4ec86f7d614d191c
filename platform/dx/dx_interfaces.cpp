// The public interface structs' methods: each forwards to the implementation
// behind it (dx_objects.h).
#include "platform/dx/dx_objects.h"

HRESULT IDirectDraw::QueryInterface(REFIID iid, LPVOID* object) { return Impl(this)->QueryInterface(iid, object); }
ULONG IDirectDraw::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDraw::Release() { return Impl(this)->Release(); }
HRESULT IDirectDraw2::QueryInterface(REFIID iid, LPVOID* object) { return Impl(this)->QueryInterface(iid, object); }
ULONG IDirectDraw2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDraw2::Release() { return Impl(this)->Release(); }
HRESULT IDirectDraw2::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  return Impl(this)->GetCaps(driverCaps, emulationCaps);
}
HRESULT IDirectDraw2::EnumDisplayModes(DWORD flags, DDSURFACEDESC* match, LPVOID context,
                                       LPDDENUMMODESCALLBACK callback) {
  return Impl(this)->EnumDisplayModes(flags, match, context, callback);
}
HRESULT IDirectDraw2::SetCooperativeLevel(HWND window, DWORD flags) {
  return Impl(this)->SetCooperativeLevel(window, flags);
}
HRESULT IDirectDraw2::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) {
  return Impl(this)->SetDisplayMode(width, height, bitsPerPixel, refreshRate, flags);
}
HRESULT IDirectDraw2::RestoreDisplayMode() { return Impl(this)->RestoreDisplayMode(); }
HRESULT IDirectDraw2::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) {
  return Impl(this)->CreateSurface(desc, surface, outer);
}
HRESULT IDirectDraw2::CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
  return Impl(this)->CreateClipper(flags, clipper, outer);
}
HRESULT IDirectDrawClipper::SetHWnd(DWORD flags, HWND window) { return Impl(this)->SetHWnd(flags, window); }
ULONG IDirectDrawClipper::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDrawClipper::Release() { return Impl(this)->Release(); }
HRESULT IDirectDrawSurface::QueryInterface(REFIID iid, LPVOID* object) {
  return Impl(this)->QueryInterface(iid, object);
}
ULONG IDirectDrawSurface::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDrawSurface::Release() { return Impl(this)->Release(); }
HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** surface) {
  return Impl(this)->GetAttachedSurface(caps, surface);
}
HRESULT IDirectDrawSurface::AddAttachedSurface(IDirectDrawSurface* surface) {
  return Impl(this)->AddAttachedSurface(surface);
}
HRESULT IDirectDrawSurface::SetClipper(IDirectDrawClipper* clipper) { return Impl(this)->SetClipper(clipper); }
HRESULT IDirectDrawSurface::IsLost() { return Impl(this)->IsLost(); }
HRESULT IDirectDrawSurface::Restore() { return Impl(this)->Restore(); }
HRESULT IDirectDrawSurface::Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                                DDBLTFX* fx) {
  return Impl(this)->Blt(destRect, source, sourceRect, flags, fx);
}
HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface* target, DWORD flags) { return Impl(this)->Flip(target, flags); }
HRESULT IDirectDrawSurface::GetFlipStatus(DWORD flags) { return Impl(this)->GetFlipStatus(flags); }
HRESULT IDirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) {
  return Impl(this)->Lock(rect, desc, flags, event);
}
HRESULT IDirectDrawSurface::Unlock(LPVOID memory) { return Impl(this)->Unlock(memory); }
HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc) { return Impl(this)->GetSurfaceDesc(desc); }
HRESULT IDirect3D2::FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result) {
  return Impl(this)->FindDevice(search, result);
}
HRESULT IDirect3D2::CreateDevice(REFCLSID deviceGuid, IDirectDrawSurface* renderTarget, IDirect3DDevice2** device) {
  return Impl(this)->CreateDevice(deviceGuid, renderTarget, device);
}
HRESULT IDirect3D2::CreateViewport(IDirect3DViewport2** viewport, IUnknown* outer) {
  return Impl(this)->CreateViewport(viewport, outer);
}
ULONG IDirect3D2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3D2::Release() { return Impl(this)->Release(); }
HRESULT IDirect3DViewport2::SetViewport2(D3DVIEWPORT2* data) { return Impl(this)->SetViewport2(data); }
HRESULT IDirect3DViewport2::Clear(DWORD count, D3DRECT* rects, DWORD flags) {
  return Impl(this)->Clear(count, rects, flags);
}
ULONG IDirect3DViewport2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3DViewport2::Release() { return Impl(this)->Release(); }
HRESULT IDirect3DDevice2::AddViewport(IDirect3DViewport2* viewport) { return Impl(this)->AddViewport(viewport); }
HRESULT IDirect3DDevice2::SetCurrentViewport(IDirect3DViewport2* viewport) {
  return Impl(this)->SetCurrentViewport(viewport);
}
HRESULT IDirect3DDevice2::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  return Impl(this)->SetRenderState(state, value);
}
HRESULT IDirect3DDevice2::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  return Impl(this)->GetRenderState(state, value);
}
HRESULT IDirect3DDevice2::BeginScene() { return Impl(this)->BeginScene(); }
HRESULT IDirect3DDevice2::EndScene() { return Impl(this)->EndScene(); }
HRESULT IDirect3DDevice2::EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, LPVOID context) {
  return Impl(this)->EnumTextureFormats(callback, context);
}
HRESULT IDirect3DDevice2::DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                                        DWORD vertexCount, DWORD flags) {
  return Impl(this)->DrawPrimitive(type, vertexType, vertices, vertexCount, flags);
}
HRESULT IDirect3DDevice2::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                                               DWORD vertexCount, WORD* indices, DWORD indexCount, DWORD flags) {
  return Impl(this)->DrawIndexedPrimitive(type, vertexType, vertices, vertexCount, indices, indexCount, flags);
}
ULONG IDirect3DDevice2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3DDevice2::Release() { return Impl(this)->Release(); }
HRESULT IDirect3DTexture2::GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* handle) {
  return Impl(this)->GetHandle(device, handle);
}
HRESULT IDirect3DTexture2::Load(IDirect3DTexture2* source) { return Impl(this)->Load(source); }
ULONG IDirect3DTexture2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3DTexture2::Release() { return Impl(this)->Release(); }
