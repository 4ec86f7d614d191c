// The public interface structs' methods: each forwards to the implementation
// behind it (dx_objects.h). All but drawing, clears, render states and AddRef first
// wait for queued triangles to be drawn (DxFlushRaster): they may read or change
// what those draw into or with.
#include "platform/dx/dx_internal.h"
#include "platform/dx/dx_objects.h"

HRESULT IDirectDraw::QueryInterface(REFIID iid, LPVOID* object) {
  DxFlushRaster();
  return Impl(this)->QueryInterface(iid, object);
}
ULONG IDirectDraw::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDraw::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirectDraw2::QueryInterface(REFIID iid, LPVOID* object) {
  DxFlushRaster();
  return Impl(this)->QueryInterface(iid, object);
}
ULONG IDirectDraw2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDraw2::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirectDraw2::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  DxFlushRaster();
  return Impl(this)->GetCaps(driverCaps, emulationCaps);
}
HRESULT IDirectDraw2::EnumDisplayModes(DWORD flags, DDSURFACEDESC* match, LPVOID context,
                                       LPDDENUMMODESCALLBACK callback) {
  DxFlushRaster();
  return Impl(this)->EnumDisplayModes(flags, match, context, callback);
}
HRESULT IDirectDraw2::SetCooperativeLevel(HWND window, DWORD flags) {
  DxFlushRaster();
  return Impl(this)->SetCooperativeLevel(window, flags);
}
HRESULT IDirectDraw2::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) {
  DxFlushRaster();
  return Impl(this)->SetDisplayMode(width, height, bitsPerPixel, refreshRate, flags);
}
HRESULT IDirectDraw2::RestoreDisplayMode() {
  DxFlushRaster();
  return Impl(this)->RestoreDisplayMode();
}
HRESULT IDirectDraw2::CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer) {
  DxFlushRaster();
  return Impl(this)->CreateSurface(desc, surface, outer);
}
HRESULT IDirectDraw2::CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
  DxFlushRaster();
  return Impl(this)->CreateClipper(flags, clipper, outer);
}
HRESULT IDirectDrawClipper::SetHWnd(DWORD flags, HWND window) {
  DxFlushRaster();
  return Impl(this)->SetHWnd(flags, window);
}
ULONG IDirectDrawClipper::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDrawClipper::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirectDrawSurface::QueryInterface(REFIID iid, LPVOID* object) {
  DxFlushRaster();
  return Impl(this)->QueryInterface(iid, object);
}
ULONG IDirectDrawSurface::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirectDrawSurface::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** surface) {
  DxFlushRaster();
  return Impl(this)->GetAttachedSurface(caps, surface);
}
HRESULT IDirectDrawSurface::AddAttachedSurface(IDirectDrawSurface* surface) {
  DxFlushRaster();
  return Impl(this)->AddAttachedSurface(surface);
}
HRESULT IDirectDrawSurface::SetClipper(IDirectDrawClipper* clipper) {
  DxFlushRaster();
  return Impl(this)->SetClipper(clipper);
}
HRESULT IDirectDrawSurface::IsLost() {
  DxFlushRaster();
  return Impl(this)->IsLost();
}
HRESULT IDirectDrawSurface::Restore() {
  DxFlushRaster();
  return Impl(this)->Restore();
}
HRESULT IDirectDrawSurface::Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                                DDBLTFX* fx) {
  DxFlushRaster();
  return Impl(this)->Blt(destRect, source, sourceRect, flags, fx);
}
HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface* target, DWORD flags) {
  DxFlushRaster();
  return Impl(this)->Flip(target, flags);
}
HRESULT IDirectDrawSurface::GetFlipStatus(DWORD flags) {
  DxFlushRaster();
  return Impl(this)->GetFlipStatus(flags);
}
HRESULT IDirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) {
  DxFlushRaster();
  return Impl(this)->Lock(rect, desc, flags, event);
}
HRESULT IDirectDrawSurface::Unlock(LPVOID memory) {
  DxFlushRaster();
  return Impl(this)->Unlock(memory);
}
HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc) {
  DxFlushRaster();
  return Impl(this)->GetSurfaceDesc(desc);
}
HRESULT IDirect3D2::FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result) {
  DxFlushRaster();
  return Impl(this)->FindDevice(search, result);
}
HRESULT IDirect3D2::CreateDevice(REFCLSID deviceGuid, IDirectDrawSurface* renderTarget, IDirect3DDevice2** device) {
  DxFlushRaster();
  return Impl(this)->CreateDevice(deviceGuid, renderTarget, device);
}
HRESULT IDirect3D2::CreateViewport(IDirect3DViewport2** viewport, IUnknown* outer) {
  DxFlushRaster();
  return Impl(this)->CreateViewport(viewport, outer);
}
ULONG IDirect3D2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3D2::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirect3DViewport2::SetViewport2(D3DVIEWPORT2* data) {
  DxFlushRaster();
  return Impl(this)->SetViewport2(data);
}
HRESULT IDirect3DViewport2::Clear(DWORD count, D3DRECT* rects, DWORD flags) {
  return Impl(this)->Clear(count, rects, flags);
}
ULONG IDirect3DViewport2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3DViewport2::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirect3DDevice2::AddViewport(IDirect3DViewport2* viewport) {
  DxFlushRaster();
  return Impl(this)->AddViewport(viewport);
}
HRESULT IDirect3DDevice2::SetCurrentViewport(IDirect3DViewport2* viewport) {
  DxFlushRaster();
  return Impl(this)->SetCurrentViewport(viewport);
}
HRESULT IDirect3DDevice2::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  return Impl(this)->SetRenderState(state, value);
}
HRESULT IDirect3DDevice2::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
  return Impl(this)->GetRenderState(state, value);
}
HRESULT IDirect3DDevice2::BeginScene() {
  DxFlushRaster();
  return Impl(this)->BeginScene();
}
HRESULT IDirect3DDevice2::EndScene() {
  DxFlushRaster();
  return Impl(this)->EndScene();
}
HRESULT IDirect3DDevice2::EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, LPVOID context) {
  DxFlushRaster();
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
ULONG IDirect3DDevice2::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
HRESULT IDirect3DTexture2::GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* handle) {
  DxFlushRaster();
  return Impl(this)->GetHandle(device, handle);
}
HRESULT IDirect3DTexture2::Load(IDirect3DTexture2* source) {
  DxFlushRaster();
  return Impl(this)->Load(source);
}
ULONG IDirect3DTexture2::AddRef() { return Impl(this)->AddRef(); }
ULONG IDirect3DTexture2::Release() {
  DxFlushRaster();
  return Impl(this)->Release();
}
