// The Direct3D 5 immediate-mode subset the demo calls: pre-transformed vertices,
// render states with their DirectX 5 values, device search, viewport, texture
// handles, and the interface objects (reference-counted structs with the COM
// method names). The device is the software rasteriser of platform/dx.
#pragma once

#include <array>
#include <vector>

#include "platform/dx/ddraw.h"

using D3DVALUE = float;
using D3DCOLOR = DWORD;
using D3DTEXTUREHANDLE = DWORD;
using D3DCOLORMODEL = DWORD;

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = MakeDdResult(743);
constexpr HRESULT D3DERR_INVALIDVERTEXTYPE = MakeDdResult(744);
constexpr HRESULT D3DERR_TEXTURE_BADSIZE = MakeDdResult(745);
constexpr HRESULT D3DERR_INVALIDRAMPTEXTURE = MakeDdResult(746);
constexpr HRESULT D3DERR_VIEWPORTDATANOTSET = MakeDdResult(760);
constexpr HRESULT D3DERR_VIEWPORTHASNODEVICE = MakeDdResult(761);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = MakeDdResult(750);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = MakeDdResult(751);
constexpr HRESULT D3DERR_SCENE_END_FAILED = MakeDdResult(752);
constexpr HRESULT D3DERR_INVALIDCURRENTVIEWPORT = MakeDdResult(731);
constexpr HRESULT D3DERR_TEXTURE_NOT_LOCKED = MakeDdResult(712);

constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT D3DENUMRET_OK = 1;

struct D3DTLVERTEX {
  D3DVALUE sx, sy, sz, rhw;
  D3DCOLOR color;
  D3DCOLOR specular;
  D3DVALUE tu, tv;
};
static_assert(sizeof(D3DTLVERTEX) == 32);

struct D3DRECT {
  LONG x1, y1, x2, y2;
};

enum D3DPRIMITIVETYPE : DWORD {
  D3DPT_POINTLIST = 1,
  D3DPT_LINELIST = 2,
  D3DPT_LINESTRIP = 3,
  D3DPT_TRIANGLELIST = 4,
  D3DPT_TRIANGLESTRIP = 5,
  D3DPT_TRIANGLEFAN = 6,
};

enum D3DVERTEXTYPE : DWORD {
  D3DVT_VERTEX = 1,
  D3DVT_LVERTEX = 2,
  D3DVT_TLVERTEX = 3,
};

constexpr DWORD D3DDP_WAIT = 0x00000001;
constexpr DWORD D3DDP_DONOTCLIP = 0x00000004;

enum D3DRENDERSTATETYPE : DWORD {
  D3DRENDERSTATE_TEXTUREHANDLE = 1,
  D3DRENDERSTATE_ANTIALIAS = 2,
  D3DRENDERSTATE_TEXTUREADDRESS = 3,
  D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4,
  D3DRENDERSTATE_WRAPU = 5,
  D3DRENDERSTATE_WRAPV = 6,
  D3DRENDERSTATE_ZENABLE = 7,
  D3DRENDERSTATE_FILLMODE = 8,
  D3DRENDERSTATE_SHADEMODE = 9,
  D3DRENDERSTATE_LINEPATTERN = 10,
  D3DRENDERSTATE_MONOENABLE = 11,
  D3DRENDERSTATE_ROP2 = 12,
  D3DRENDERSTATE_PLANEMASK = 13,
  D3DRENDERSTATE_ZWRITEENABLE = 14,
  D3DRENDERSTATE_ALPHATESTENABLE = 15,
  D3DRENDERSTATE_LASTPIXEL = 16,
  D3DRENDERSTATE_TEXTUREMAG = 17,
  D3DRENDERSTATE_TEXTUREMIN = 18,
  D3DRENDERSTATE_SRCBLEND = 19,
  D3DRENDERSTATE_DESTBLEND = 20,
  D3DRENDERSTATE_TEXTUREMAPBLEND = 21,
  D3DRENDERSTATE_CULLMODE = 22,
  D3DRENDERSTATE_ZFUNC = 23,
  D3DRENDERSTATE_ALPHAREF = 24,
  D3DRENDERSTATE_ALPHAFUNC = 25,
  D3DRENDERSTATE_DITHERENABLE = 26,
  // BLENDENABLE and ALPHABLENDENABLE name the same state in Direct3D 5.
  D3DRENDERSTATE_ALPHABLENDENABLE = 27,
  D3DRENDERSTATE_BLENDENABLE = 27,
  D3DRENDERSTATE_FOGENABLE = 28,
  D3DRENDERSTATE_SPECULARENABLE = 29,
  D3DRENDERSTATE_ZVISIBLE = 30,
  D3DRENDERSTATE_SUBPIXEL = 31,
  D3DRENDERSTATE_SUBPIXELX = 32,
  D3DRENDERSTATE_STIPPLEDALPHA = 33,
  D3DRENDERSTATE_FOGCOLOR = 34,
  D3DRENDERSTATE_FOGTABLEMODE = 35,
  D3DRENDERSTATE_FOGTABLESTART = 36,
  D3DRENDERSTATE_FOGTABLEEND = 37,
  D3DRENDERSTATE_FOGTABLEDENSITY = 38,
  D3DRENDERSTATE_STIPPLEENABLE = 39,
  D3DRENDERSTATE_EDGEANTIALIAS = 40,
  D3DRENDERSTATE_COLORKEYENABLE = 41,
  D3DRENDERSTATE_BORDERCOLOR = 43,
  D3DRENDERSTATE_TEXTUREADDRESSU = 44,
  D3DRENDERSTATE_TEXTUREADDRESSV = 45,
  D3DRENDERSTATE_MIPMAPLODBIAS = 46,
  D3DRENDERSTATE_ZBIAS = 47,
  D3DRENDERSTATE_RANGEFOGENABLE = 48,
  D3DRENDERSTATE_ANISOTROPY = 49,
  D3DRENDERSTATE_FLUSHBATCH = 50,
};
constexpr DWORD D3DRENDERSTATE_COUNT = 128;  // states above this are refused

enum D3DANTIALIASMODE : DWORD { D3DANTIALIAS_NONE = 0, D3DANTIALIAS_SORTDEPENDENT = 1, D3DANTIALIAS_SORTINDEPENDENT = 2 };
enum D3DTEXTUREADDRESS : DWORD { D3DTADDRESS_WRAP = 1, D3DTADDRESS_MIRROR = 2, D3DTADDRESS_CLAMP = 3, D3DTADDRESS_BORDER = 4 };
enum D3DFILLMODE : DWORD { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DSHADEMODE : DWORD { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2, D3DSHADE_PHONG = 3 };
enum D3DTEXTUREFILTER : DWORD {
  D3DFILTER_NEAREST = 1,
  D3DFILTER_LINEAR = 2,
  D3DFILTER_MIPNEAREST = 3,
  D3DFILTER_MIPLINEAR = 4,
  D3DFILTER_LINEARMIPNEAREST = 5,
  D3DFILTER_LINEARMIPLINEAR = 6,
};
enum D3DBLEND : DWORD {
  D3DBLEND_ZERO = 1,
  D3DBLEND_ONE = 2,
  D3DBLEND_SRCCOLOR = 3,
  D3DBLEND_INVSRCCOLOR = 4,
  D3DBLEND_SRCALPHA = 5,
  D3DBLEND_INVSRCALPHA = 6,
  D3DBLEND_DESTALPHA = 7,
  D3DBLEND_INVDESTALPHA = 8,
  D3DBLEND_DESTCOLOR = 9,
  D3DBLEND_INVDESTCOLOR = 10,
  D3DBLEND_SRCALPHASAT = 11,
};
enum D3DTEXTUREBLEND : DWORD { D3DTBLEND_DECAL = 1, D3DTBLEND_MODULATE = 2, D3DTBLEND_DECALALPHA = 3, D3DTBLEND_MODULATEALPHA = 4 };
enum D3DCULL : DWORD { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DCMPFUNC : DWORD {
  D3DCMP_NEVER = 1,
  D3DCMP_LESS = 2,
  D3DCMP_EQUAL = 3,
  D3DCMP_LESSEQUAL = 4,
  D3DCMP_GREATER = 5,
  D3DCMP_NOTEQUAL = 6,
  D3DCMP_GREATEREQUAL = 7,
  D3DCMP_ALWAYS = 8,
};

// Clear, device search, colour models, device caps.
constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DFDS_COLORMODEL = 0x00000001;
constexpr DWORD D3DFDS_GUID = 0x00000002;
constexpr DWORD D3DFDS_HARDWARE = 0x00000004;
constexpr D3DCOLORMODEL D3DCOLOR_MONO = 1;
constexpr D3DCOLORMODEL D3DCOLOR_RGB = 2;
constexpr DWORD D3DDD_COLORMODEL = 0x00000001;
constexpr DWORD D3DDD_DEVCAPS = 0x00000002;
constexpr DWORD D3DDEVCAPS_FLOATTLVERTEX = 0x00000001;
constexpr DWORD D3DDEVCAPS_TLVERTEXSYSTEMMEMORY = 0x00000040;
constexpr DWORD D3DDEVCAPS_TEXTURESYSTEMMEMORY = 0x00000100;
constexpr DWORD D3DDEVCAPS_TEXTUREVIDEOMEMORY = 0x00000200;
constexpr DWORD D3DDEVCAPS_DRAWPRIMTLVERTEX = 0x00000400;

struct D3DTRANSFORMCAPS {
  DWORD dwSize;
  DWORD dwCaps;
};
struct D3DLIGHTINGCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwLightingModel;
  DWORD dwNumLights;
};
struct D3DPRIMCAPS {
  DWORD dwSize;
  DWORD dwMiscCaps;
  DWORD dwRasterCaps;
  DWORD dwZCmpCaps;
  DWORD dwSrcBlendCaps;
  DWORD dwDestBlendCaps;
  DWORD dwAlphaCmpCaps;
  DWORD dwShadeCaps;
  DWORD dwTextureCaps;
  DWORD dwTextureFilterCaps;
  DWORD dwTextureBlendCaps;
  DWORD dwTextureAddressCaps;
  DWORD dwStippleWidth;
  DWORD dwStippleHeight;
};
static_assert(sizeof(D3DPRIMCAPS) == 56);

struct D3DDEVICEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  D3DCOLORMODEL dcmColorModel;
  DWORD dwDevCaps;
  D3DTRANSFORMCAPS dtcTransformCaps;
  BOOL bClipping;
  D3DLIGHTINGCAPS dlcLightingCaps;
  D3DPRIMCAPS dpcLineCaps;
  D3DPRIMCAPS dpcTriCaps;
  DWORD dwDeviceRenderBitDepth;
  DWORD dwDeviceZBufferBitDepth;
  DWORD dwMaxBufferSize;
  DWORD dwMaxVertexCount;
  DWORD dwMinTextureWidth, dwMinTextureHeight;
  DWORD dwMaxTextureWidth, dwMaxTextureHeight;
  DWORD dwMinStippleWidth, dwMaxStippleWidth;
  DWORD dwMinStippleHeight, dwMaxStippleHeight;
};
static_assert(sizeof(D3DDEVICEDESC) == 204);

struct D3DFINDDEVICESEARCH {
  DWORD dwSize;
  DWORD dwFlags;
  BOOL bHardware;
  D3DCOLORMODEL dcmColorModel;
  GUID guid;
  DWORD dwCaps;
  D3DPRIMCAPS dpcPrimCaps;
};
static_assert(sizeof(D3DFINDDEVICESEARCH) == 92);

struct D3DFINDDEVICERESULT {
  DWORD dwSize;
  GUID guid;
  D3DDEVICEDESC ddHwDesc;
  D3DDEVICEDESC ddSwDesc;
};
static_assert(sizeof(D3DFINDDEVICERESULT) == 428);

struct D3DVIEWPORT2 {
  DWORD dwSize;
  DWORD dwX;
  DWORD dwY;
  DWORD dwWidth;
  DWORD dwHeight;
  D3DVALUE dvClipX;
  D3DVALUE dvClipY;
  D3DVALUE dvClipWidth;
  D3DVALUE dvClipHeight;
  D3DVALUE dvMinZ;
  D3DVALUE dvMaxZ;
};
static_assert(sizeof(D3DVIEWPORT2) == 44);

inline constexpr GUID IID_IDirect3D2 = {0x6AAE1EC1, 0x662A, 0x11D0, {0x88, 0x9D, 0x00, 0xAA, 0x00, 0xBB, 0xB7, 0x6A}};
inline constexpr GUID IID_IDirect3DDevice2 = {0x93281501, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
inline constexpr GUID IID_IDirect3DTexture2 = {0x93281502, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
inline constexpr GUID IID_IDirect3DViewport2 = {0x93281500, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
inline constexpr GUID IID_IDirect3DRGBDevice = {0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
inline constexpr GUID IID_IDirect3DHALDevice = {0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};

struct IDirect3DDevice2;
struct IDirect3DViewport2;

using LPD3DENUMTEXTUREFORMATSCALLBACK = HRESULT (*)(DDSURFACEDESC* desc, LPVOID context);

struct IDirect3D2 {
  HRESULT FindDevice(D3DFINDDEVICESEARCH* search, D3DFINDDEVICERESULT* result);
  HRESULT CreateDevice(REFCLSID deviceGuid, IDirectDrawSurface* renderTarget, IDirect3DDevice2** device);
  HRESULT CreateViewport(IDirect3DViewport2** viewport, IUnknown* outer);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  IDirectDraw* directDraw = nullptr;  // holds one reference
};

struct IDirect3DViewport2 {
  HRESULT SetViewport2(D3DVIEWPORT2* data);
  HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  IDirect3DDevice2* device = nullptr;  // set by AddViewport, not a reference
  D3DVIEWPORT2 data{};
  bool dataSet = false;
};

struct IDirect3DDevice2 {
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
  IDirect3D2* direct3D = nullptr;            // holds one reference
  IDirectDrawSurface* renderTarget = nullptr;  // holds one reference
  std::vector<IDirect3DViewport2*> viewports;  // each holds one reference
  IDirect3DViewport2* currentViewport = nullptr;
  std::array<DWORD, D3DRENDERSTATE_COUNT> renderStates{};
  bool inScene = false;
};

struct IDirect3DTexture2 {
  HRESULT GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* handle);
  HRESULT Load(IDirect3DTexture2* source);
  ULONG AddRef();
  ULONG Release();

  ULONG refs = 1;
  IDirectDrawSurface* surface = nullptr;  // holds one reference
};
