// The DirectDraw subset the demo calls: types, structures with their DirectX 5
// sizes, flags, result codes, interface ids, and the interface objects as
// reference-counted structs whose member functions carry the COM method names.
// Their state is private to platform/dx (dx_objects.h): callers only ever hold
// pointers handed out by the API. platform/dx implements them in software; a frame goes to an SDL window or,
// without a display, to a frame sink (platform/dx/dx_platform.h).
#pragma once

#include <cstdint>

#include "platform/win/win32.h"

using REFIID = const GUID&;
using REFCLSID = const GUID&;
using HANDLE = void*;
struct IUnknown;  // aggregation is not supported; every "outer" argument must be null

constexpr HRESULT MakeDdResult(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }

// Result codes.
constexpr HRESULT DD_OK = 0;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT DDERR_CANNOTATTACHSURFACE = MakeDdResult(10);
constexpr HRESULT DDERR_INVALIDCAPS = MakeDdResult(100);
constexpr HRESULT DDERR_INVALIDMODE = MakeDdResult(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDdResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDdResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDdResult(150);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDdResult(225);
constexpr HRESULT DDERR_NOTFOUND = MakeDdResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDdResult(380);
constexpr HRESULT DDERR_SURFACEALREADYATTACHED = MakeDdResult(410);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDdResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDdResult(450);
constexpr HRESULT DDERR_WASSTILLDRAWING = MakeDdResult(540);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDdResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDdResult(584);

// Enumeration callback answers.
constexpr BOOL DDENUMRET_CANCEL = 0;
constexpr BOOL DDENUMRET_OK = 1;

// DDSURFACEDESC.dwFlags
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
constexpr DWORD DDSD_ZBUFFERBITDEPTH = 0x00000040;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_MIPMAPCOUNT = 0x00020000;
constexpr DWORD DDSD_REFRESHRATE = 0x00040000;

// DDSCAPS.dwCaps
constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
constexpr DWORD DDSCAPS_FLIP = 0x00000010;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x00000020;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_TEXTURE = 0x00001000;
constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;
constexpr DWORD DDSCAPS_ZBUFFER = 0x00020000;
constexpr DWORD DDSCAPS_MIPMAP = 0x00400000;
constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x04000000;

// DDPIXELFORMAT.dwFlags
constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
constexpr DWORD DDPF_RGB = 0x00000040;
constexpr DWORD DDPF_ZBUFFER = 0x00000400;

// DDCAPS.dwCaps
constexpr DWORD DDCAPS_3D = 0x00000001;
constexpr DWORD DDCAPS_BLT = 0x00000040;
constexpr DWORD DDCAPS_BLTSTRETCH = 0x00000200;
constexpr DWORD DDCAPS_GDI = 0x00000400;
constexpr DWORD DDCAPS_BLTCOLORFILL = 0x04000000;

// SetCooperativeLevel
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;

// Blt, Flip, GetFlipStatus, Lock, EnumDisplayModes
constexpr DWORD DDBLT_COLORFILL = 0x00000400;
constexpr DWORD DDBLT_WAIT = 0x01000000;
constexpr DWORD DDFLIP_WAIT = 0x00000001;
constexpr DWORD DDGFS_CANFLIP = 0x00000001;
constexpr DWORD DDGFS_ISFLIPDONE = 0x00000002;
constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x00000000;
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDEDM_REFRESHRATES = 0x00000001;

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  union {
    DWORD dwRGBBitCount;
    DWORD dwZBufferBitDepth;
  };
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

struct DDSCAPS {
  DWORD dwCaps;
};

// Packed to four bytes so that the record keeps its DirectX 5 size of 108 bytes
// with a 64-bit surface pointer: the pointer takes the reserved word and the
// 32-bit pointer slot of the original layout. With 32-bit pointers
// (WebAssembly) the reserved word is there as it was.
#pragma pack(push, 4)
struct DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  union {
    DWORD dwMipMapCount;
    DWORD dwZBufferBitDepth;
    DWORD dwRefreshRate;
  };
  DWORD dwAlphaBitDepth;
#if UINTPTR_MAX == 0xFFFFFFFFu
  DWORD dwReserved;
#endif
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};
#pragma pack(pop)
static_assert(sizeof(DDSURFACEDESC) == 108);

struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCKeyCaps;
  DWORD dwFXCaps;
  DWORD dwFXAlphaCaps;
  DWORD dwPalCaps;
  DWORD dwSVCaps;
  DWORD dwAlphaBltConstBitDepths;
  DWORD dwAlphaBltPixelBitDepths;
  DWORD dwAlphaBltSurfaceBitDepths;
  DWORD dwAlphaOverlayConstBitDepths;
  DWORD dwAlphaOverlayPixelBitDepths;
  DWORD dwAlphaOverlaySurfaceBitDepths;
  DWORD dwZBufferBitDepths;
  DWORD dwVidMemTotal;
  DWORD dwVidMemFree;
  DWORD dwReserved[74];  // the remaining DirectX 5 fields, not reported here
};
static_assert(sizeof(DDCAPS) == 364);

struct DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  DWORD dwZDestConst;
  DWORD dwZSrcConstBitDepth;
  DWORD dwZSrcConst;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  DWORD dwAlphaDestConst;
  DWORD dwAlphaSrcConstBitDepth;
  DWORD dwAlphaSrcConst;
  DWORD dwFillColor;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};
static_assert(sizeof(DDBLTFX) == 100);

// Interface ids.
inline constexpr GUID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
inline constexpr GUID IID_IDirectDraw2 = {0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
inline constexpr GUID IID_IDirectDrawSurface = {0x6C14DB81, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

inline bool operator==(const GUID& a, const GUID& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i)
    if (a.data4[i] != b.data4[i]) return false;
  return true;
}

struct IDirectDraw;
struct IDirectDraw2;
struct IDirectDrawSurface;
struct IDirectDrawClipper;
struct IDirect3D2;
struct IDirect3DTexture2;
struct DxDriverInfo;

using LPDDENUMCALLBACKA = BOOL (*)(GUID* guid, LPSTR driverDescription, LPSTR driverName, LPVOID context);
using LPDDENUMMODESCALLBACK = HRESULT (*)(DDSURFACEDESC* desc, LPVOID context);

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context);
// A null or all-zero GUID opens the primary display driver.
HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, IUnknown* outer);

// One opened display driver. IDirectDraw2 and IDirect3D2 obtained from it hold a
// reference to it; when its count reaches zero every surface and clipper it made
// is destroyed with it, as DirectDraw does.
struct IDirectDraw {
  HRESULT QueryInterface(REFIID iid, LPVOID* object);
  ULONG AddRef();
  ULONG Release();

 protected:
  IDirectDraw() = default;
  ~IDirectDraw() = default;
};

struct IDirectDraw2 {
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

 protected:
  IDirectDraw2() = default;
  ~IDirectDraw2() = default;
};

struct IDirectDrawClipper {
  HRESULT SetHWnd(DWORD flags, HWND window);
  ULONG AddRef();
  ULONG Release();

 protected:
  IDirectDrawClipper() = default;
  ~IDirectDrawClipper() = default;
};

struct IDirectDrawSurface {
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

 protected:
  IDirectDrawSurface() = default;
  ~IDirectDrawSurface() = default;
};
