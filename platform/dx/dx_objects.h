// The insides of the DirectDraw and Direct3D objects, private to platform/dx:
// each public interface struct (ddraw.h, d3d.h) is the base of one of these,
// which hold the state and implement the methods the public ones forward to.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"

struct DxDirectDraw;
struct DxDirectDraw2;
struct DxClipper;
struct DxSurface;
struct DxDirect3D;
struct DxViewport;
struct DxDevice;
struct DxTexture;

// A surface's 16-bit texels expanded to 0x00RRGGBB for the rasteriser; rebuilt
// after the surface memory changed.
struct DxTexelCache {
  std::vector<std::uint32_t> texels;
  bool valid = false;
};

struct DxDirectDraw : IDirectDraw {
  HRESULT QueryInterface(REFIID iid, LPVOID* object);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  const DxDriverInfo* driver = nullptr;
  HWND cooperativeWindow = nullptr;
  DWORD cooperativeLevel = 0;
  DWORD modeWidth = 0, modeHeight = 0, modeBits = 0;  // 0 while the desktop mode is in use
  std::vector<DxSurface*> surfaces;  // top-level surfaces made here
  std::vector<DxClipper*> clippers;
  int renderScale = 0;  // the screen surfaces' scale, fixed by the first one made (0 before)
};

struct DxDirectDraw2 : IDirectDraw2 {
  HRESULT QueryInterface(REFIID iid, LPVOID* object);
  ULONG AddRef();
  ULONG Release();
  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps);
  HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC* match, LPVOID context, LPDDENUMMODESCALLBACK callback);
  HRESULT SetCooperativeLevel(HWND window, DWORD flags);
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags);
  HRESULT RestoreDisplayMode();
  HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer);
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer);

  ULONG refs = 1;
  DxDirectDraw* directDraw = nullptr;  // holds one reference
};

struct DxClipper : IDirectDrawClipper {
  HRESULT SetHWnd(DWORD flags, HWND window);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  DxDirectDraw* owner = nullptr;
  HWND window = nullptr;
};

struct DxSurface : IDirectDrawSurface {
  HRESULT QueryInterface(REFIID iid, LPVOID* object);
  ULONG AddRef();
  ULONG Release();
  HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** surface);
  HRESULT AddAttachedSurface(IDirectDrawSurface* surface);
  HRESULT SetClipper(IDirectDrawClipper* clipper);
  HRESULT IsLost();
  HRESULT Restore();
  HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx);
  HRESULT Flip(IDirectDrawSurface* target, DWORD flags);
  HRESULT GetFlipStatus(DWORD flags);
  HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event);
  HRESULT Unlock(LPVOID memory);
  HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);

  ULONG refs = 1;
  DxDirectDraw* owner = nullptr;
  DWORD caps = 0;
  DDPIXELFORMAT format{};
  // The memory's size. A screen surface (primary, back buffer, 3D render
  // target, z-buffer) made at a render scale N holds N x N pixels for each
  // pixel of the size its callers asked for, which is what they keep seeing.
  int width = 0;
  int height = 0;
  int scale = 1;
  LONG pitch = 0;  // bytes per row
  std::unique_ptr<std::uint8_t[]> memory;
  bool lost = false;
  bool locked = false;
  // Complex surfaces own the rest of their chain: the next mip level, or the
  // back buffer of a flipping chain (whose next is the front again, not owned).
  DxSurface* next = nullptr;
  bool ownsNext = false;
  DxSurface* chainRoot = nullptr;  // null for a top-level surface
  DxSurface* attachedZ = nullptr;  // AddAttachedSurface, holds a reference
  DxClipper* clipper = nullptr;    // holds a reference
  DWORD textureHandle = 0;         // Direct3D handle, 0 until asked for
  DxTexelCache texels;
};

struct DxDirect3D : IDirect3D2 {
  HRESULT FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result);
  HRESULT CreateDevice(REFCLSID deviceGuid, IDirectDrawSurface* renderTarget, IDirect3DDevice2** device);
  HRESULT CreateViewport(IDirect3DViewport2** viewport, IUnknown* outer);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  DxDirectDraw* directDraw = nullptr;  // holds one reference
};

struct DxViewport : IDirect3DViewport2 {
  HRESULT SetViewport2(D3DVIEWPORT2* data);
  HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  DxDevice* device = nullptr;  // set by AddViewport, not a reference
  D3DVIEWPORT2 data{};
  bool dataSet = false;
};

struct DxDevice : IDirect3DDevice2 {
  HRESULT AddViewport(IDirect3DViewport2* viewport);
  HRESULT SetCurrentViewport(IDirect3DViewport2* viewport);
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
  HRESULT BeginScene();
  HRESULT EndScene();
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, LPVOID context);
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices, DWORD vertexCount,
                        DWORD flags);
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, LPVOID vertices,
                               DWORD vertexCount, WORD* indices, DWORD indexCount, DWORD flags);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  DxDirect3D* direct3D = nullptr;      // holds one reference
  DxSurface* renderTarget = nullptr;   // holds one reference
  std::vector<DxViewport*> viewports;  // each holds one reference
  DxViewport* currentViewport = nullptr;
  std::array<DWORD, D3DRENDERSTATE_COUNT> renderStates{};
  bool inScene = false;
};

struct DxTexture : IDirect3DTexture2 {
  HRESULT GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* handle);
  HRESULT Load(IDirect3DTexture2* source);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  DxSurface* surface = nullptr;  // holds one reference
};

// The implementation behind a public interface pointer.
inline DxDirectDraw* Impl(IDirectDraw* p) { return static_cast<DxDirectDraw*>(p); }
inline const DxDirectDraw* Impl(const IDirectDraw* p) { return static_cast<const DxDirectDraw*>(p); }
inline DxDirectDraw2* Impl(IDirectDraw2* p) { return static_cast<DxDirectDraw2*>(p); }
inline const DxDirectDraw2* Impl(const IDirectDraw2* p) { return static_cast<const DxDirectDraw2*>(p); }
inline DxClipper* Impl(IDirectDrawClipper* p) { return static_cast<DxClipper*>(p); }
inline const DxClipper* Impl(const IDirectDrawClipper* p) { return static_cast<const DxClipper*>(p); }
inline DxSurface* Impl(IDirectDrawSurface* p) { return static_cast<DxSurface*>(p); }
inline const DxSurface* Impl(const IDirectDrawSurface* p) { return static_cast<const DxSurface*>(p); }
inline DxDirect3D* Impl(IDirect3D2* p) { return static_cast<DxDirect3D*>(p); }
inline const DxDirect3D* Impl(const IDirect3D2* p) { return static_cast<const DxDirect3D*>(p); }
inline DxViewport* Impl(IDirect3DViewport2* p) { return static_cast<DxViewport*>(p); }
inline const DxViewport* Impl(const IDirect3DViewport2* p) { return static_cast<const DxViewport*>(p); }
inline DxDevice* Impl(IDirect3DDevice2* p) { return static_cast<DxDevice*>(p); }
inline const DxDevice* Impl(const IDirect3DDevice2* p) { return static_cast<const DxDevice*>(p); }
inline DxTexture* Impl(IDirect3DTexture2* p) { return static_cast<DxTexture*>(p); }
inline const DxTexture* Impl(const IDirect3DTexture2* p) { return static_cast<const DxTexture*>(p); }
