// What the DirectDraw/Direct3D stand-in offers beyond the DirectX calls: the
// frame sink that headless presents go to, reading a surface back as RGB, the
// choice of display drivers, and fault injection for tests. Used by capture,
// tests and the frame loop's screenshot, never by the drawing code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"

// One presented picture: 16-bit 5-6-5 pixels, pitch in pixels.
struct DxFrame {
  const std::uint16_t* pixels;
  int width;
  int height;
  int pitch;
};
using DxFrameSink = void (*)(const DxFrame& frame, void* user);

// Every present (windowed Blt onto the primary surface, full-screen Flip) also
// goes to the sink; without an SDL window it is the only place a frame goes.
void DxSetFrameSink(DxFrameSink sink, void* user);
// Number of frames presented since start-up.
std::uint64_t DxPresentedFrames();
// Seconds spent drawing triangles since start-up (benchmarks).
double DxRasterSeconds();

// 5-6-5 to 8-bit RGB with the low bits filled from the high ones (31 -> 255).
void DxFrameToRgb888(const DxFrame& frame, std::vector<std::uint8_t>& rgb);
// A 16-bit RGB surface as tightly packed RGB888 rows; false for other surfaces.
bool DxSurfaceToRgb888(IDirectDrawSurface* surface, std::vector<std::uint8_t>& rgb, int* width, int* height);

// Where a width x height picture goes in a window area: the largest rectangle
// of its aspect, centred (bars where needed), and whether it is shown
// nearest-neighbour (a whole-number scale) or filtered.
struct DxPresentRect {
  int x, y, width, height;
  bool nearest;
};
DxPresentRect DxFitPicture(int width, int height, int areaWidth, int areaHeight);

// What the SDL window behind `window` shows now, as RGB888; false without one.
bool DxReadWindowRgb888(HWND window, std::vector<std::uint8_t>& rgb, int* width, int* height);

// The drivers DirectDrawEnumerateA reports. Auto: the display drivers when the
// window stand-in runs its SDL backend, else the headless one.
enum class DxDriverSet { Auto, Display, Headless };
void DxSetDriverSet(DxDriverSet set);

struct DxDriverInfo {
  GUID guid;
  bool hasGuid;  // the primary driver is reported without a GUID
  const char* description;
  const char* name;
  DWORD caps;        // DDCAPS_3D, DDCAPS_GDI, ...
  bool sdlFullScreen;  // presents in an SDL full-screen window
};
const std::vector<DxDriverInfo>& DxCurrentDrivers();

// Drivers reported instead of the usual ones, so that tests can offer more
// drivers, display modes or description characters than a caller's tables
// hold, or a driver without the IDirectDraw2 interface. The first is the
// primary display driver (reported without a GUID); the others get GUIDs of
// their own. Set it before opening any driver; an empty list, and
// DxResetForTests, go back to the usual drivers.
struct DxDisplayModeInfo {
  DWORD width, height, bitsPerPixel, refreshRate;
};
struct DxTestDriver {
  std::string description;
  std::vector<DxDisplayModeInfo> modes;  // in the order EnumDisplayModes reports them
  DWORD caps = DDCAPS_3D | DDCAPS_GDI;
  bool hasDirectDraw2 = true;  // false: QueryInterface for it answers E_NOINTERFACE
};
void DxSetTestDrivers(const std::vector<DxTestDriver>& drivers);
// DirectDraw objects opened and not yet released (tests: nothing is left open).
int DxOpenDirectDrawObjects();

// Fault injection. The next `count` calls of a method fail with `result`.
enum class DxMethod {
  DirectDrawCreate, QueryInterface, GetCaps, EnumDisplayModes, SetCooperativeLevel, SetDisplayMode,
  CreateSurface, CreateClipper, SetHWnd, GetAttachedSurface, AddAttachedSurface, SetClipper, Restore, Blt,
  Flip, Lock, Unlock, FindDevice, CreateDevice, CreateViewport, AddViewport, SetCurrentViewport,
  SetViewport2, Clear, SetRenderState, BeginScene, EnumTextureFormats, DrawPrimitive, DrawIndexedPrimitive,
  GetHandle, Load, Count
};
void DxFailNext(DxMethod method, int count, HRESULT result = DDERR_GENERIC);
// Video memory runs out: every further video-memory surface is refused.
void DxSetVideoMemoryExhausted(bool exhausted);
// Makes a surface (and the rest of its chain) report DDERR_SURFACELOST until Restore.
void DxLoseSurface(IDirectDrawSurface* surface);
// The next `count` GetFlipStatus(DDGFS_ISFLIPDONE) calls and flips report busy.
void DxSetFlipBusy(int count);
// How often a method was called since the last DxResetForTests.
int DxCallCount(DxMethod method);
// Forgets injected faults and call counts and goes back to the automatic driver set.
void DxResetForTests();

// How many threads draw triangles (1 to 64, clamped): 1 draws each triangle
// as it comes (the default); more queue them for as many worker threads, each
// drawing its own bands of rows, with the same pixels as one thread.
void DxSetRasterThreads(int threads);
int DxRasterThreads();
// The processors this process may run on (its affinity), at least 1.
int DxAvailableCores();

// The render scale: screen surfaces made from now on (primary, back buffer,
// 3D render targets, z-buffers) hold 640N x 480N pixels for a 640 x 480
// screen. Their callers keep working in 640 x 480: surface descriptions,
// viewports, clears, blits and vertex positions are in those units and the
// device maps them onto the larger memory (vertices at full sub-pixel
// precision); textures keep their size. What is presented, captured or read
// back (DxFrame, DxSurfaceToRgb888, DxSurfaceMemory, Lock) is the memory at its
// real size. kDxRenderScaleFit picks, when the screen surfaces are made, the
// largest whole scale that fits the display (full screen) or the usable
// desktop (a window), 1 without a display; in full screen such a picture is
// then shown unstretched, centred. Set it before the DirectDraw object's
// first screen surface: the scale stays with the surfaces and their object.
constexpr int kDxRenderScaleFit = 0;
constexpr int kDxMaxRenderScale = 8;
void DxSetRenderScale(int scale);  // clamped to 1..kDxMaxRenderScale unless kDxRenderScaleFit
int DxRenderScaleSetting();
// The scale of a DirectDraw object's screen surfaces (1 before it made any).
int DxRenderScaleOf(IDirectDraw* directDraw);
// The largest whole scale (1 to kDxMaxRenderScale) whose 640N x 480N picture
// fits width x height; 1 when not even 640 x 480 does.
int DxLargestFittingScale(int width, int height);

// Draws every triangle with the plain per-pixel rasteriser instead of the
// specialised span loops (tests compare the two).
void DxUseReferenceRasterizer(bool reference);
// Lets the span loops take four pixels at a time where the processor has AVX2
// (the default), or keeps them to the portable pairs (tests compare the two).
void DxUseWideSpanLoops(bool wide);

// What the stand-in knows about the display: the current mode (0 when the
// desktop mode is in use) and the cooperative level last set.
struct DxDisplayState {
  DWORD width, height, bitsPerPixel;
  DWORD cooperativeLevel;
  bool sdlFullScreen;
};
DxDisplayState DxCurrentDisplay();

// What tests and benchmarks may ask of the stand-in's objects, whose insides
// stay with the stand-in.
// Surfaces a DirectDraw object made and has not destroyed yet (top-level ones:
// a complex surface counts once, with its chain).
int DxSurfaceCount(IDirectDraw* directDraw);
// The driver a DirectDraw object was opened on.
const DxDriverInfo* DxDriverOf(IDirectDraw* directDraw);
ULONG DxReferenceCount(IDirectDrawSurface* surface);
// The surface a complex surface owns next in its chain (the next mip level, a
// flipping primary's back buffer); null at the end of the chain.
IDirectDrawSurface* DxNextInChain(IDirectDrawSurface* surface);
// The z-buffer attached to a surface, its clipper, and a clipper's window.
IDirectDrawSurface* DxAttachedZBuffer(IDirectDrawSurface* surface);
IDirectDrawClipper* DxSurfaceClipper(IDirectDrawSurface* surface);
HWND DxClipperWindow(IDirectDrawClipper* clipper);
// A surface's memory, read as it is, without locking it (which would count as
// a call and mark the surface changed); pitch in bytes.
const std::uint8_t* DxSurfaceMemory(IDirectDrawSurface* surface, LONG* pitch);
// The viewport as last set, and whether a device is between BeginScene and EndScene.
D3DVIEWPORT2 DxViewportData(IDirect3DViewport2* viewport);
bool DxDeviceInScene(IDirect3DDevice2* device);
