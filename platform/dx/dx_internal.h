// Shared between the files of the DirectDraw/Direct3D stand-in (platform/dx only):
// its one state record, fault checks, presenting and surface helpers.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/dx/dx_objects.h"
#include "platform/dx/dx_platform.h"

struct DxState {
  DxDriverSet driverSet = DxDriverSet::Auto;
  // DxSetTestDrivers: what the tests asked for, and the drivers made from it.
  std::vector<DxTestDriver> testDrivers;
  std::vector<DxDriverInfo> testDriverInfos;
  int openDirectDraws = 0;
  std::array<int, static_cast<int>(DxMethod::Count)> failCount{};
  std::array<HRESULT, static_cast<int>(DxMethod::Count)> failResult{};
  std::array<int, static_cast<int>(DxMethod::Count)> calls{};
  bool videoMemoryExhausted = false;
  int flipBusy = 0;
  bool referenceRasterizer = false;
  DxFrameSink sink = nullptr;
  void* sinkUser = nullptr;
  std::uint64_t presented = 0;
  double rasterSeconds = 0;  // inside DrawPrimitive / DrawIndexedPrimitive
  // The display as the last DirectDraw object left it.
  DxDisplayState display{};
  // Direct3D texture handles: handle h names textureSurfaces[h - 1] (null once freed).
  std::vector<DxSurface*> textureSurfaces;
  // DxSetRenderScale: 1 to kDxMaxRenderScale, or kDxRenderScaleFit.
  int renderScale = 1;
};
extern DxState dxState;

// Counts the call and answers an injected failure: DD_OK when the call may go on.
HRESULT DxEnter(DxMethod method);
// The test driver behind a driver entry; null for the usual drivers.
const DxTestDriver* DxTestDriverOf(const DxDriverInfo* driver);

// Surfaces.
// `scale` multiplies both sides of the memory (screen surfaces only).
DxSurface* DxNewSurface(DxDirectDraw* owner, DWORD caps, const DDPIXELFORMAT& format, int width,
                        int height, int scale = 1);
// The size callers asked for and keep seeing: the memory's size over the scale.
inline int DxLogicalWidth(const DxSurface* s) { return s->width / s->scale; }
inline int DxLogicalHeight(const DxSurface* s) { return s->height / s->scale; }
// A rectangle of a surface's callers' coordinates in its memory's coordinates.
inline RECT DxScaledRect(const RECT& r, int scale) {
  return RECT{r.left * scale, r.top * scale, r.right * scale, r.bottom * scale};
}
void DxDestroySurface(DxSurface* surface);
// Frees every surface a DirectDraw object made, whatever their reference counts.
void DxDestroyOwnedSurfaces(DxDirectDraw* owner);
// Fills a rectangle of a 16-bit surface's memory with one value, a word at a
// time rather than a pixel at a time (clears run every frame).
void DxFillRect16(std::uint8_t* memory, LONG pitch, const RECT& r, std::uint16_t value);
DDPIXELFORMAT DxRgb565Format();
DDPIXELFORMAT DxZBuffer16Format();
bool DxIsRgb565(const DDPIXELFORMAT& format);
// The texels of one mip level as 0x00RRGGBB, rows of width + 1 (the first texel
// repeated), rebuilt when the surface changed.
const std::uint32_t* DxSurfaceTexels(DxSurface* surface);
void DxSurfaceChanged(DxSurface* surface);

// Drawing on several threads (DxSetRasterThreads). With more than one,
// triangles are set up and queued instead of drawn at once; every entry point
// that could see or change pixels, textures or surfaces flushes the queue
// first, so callers see the same results as with one thread.
struct TriangleSetup;
struct RasterTarget;
struct RasterState;
bool DxRasterQueued();
void DxQueueTriangle(const TriangleSetup& setup, const RasterTarget& target, const RasterState& state);
// Fills the rectangle `r` of 16-bit pixels with `value` in its turn among the
// queued triangles (a clear); `height` is the surface's.
void DxQueueFill(std::uint8_t* memory, LONG pitch, int height, const RECT& r, std::uint16_t value);
// Lets the workers start on what draw calls queued, once there is enough of it
// to be worth waking them.
void DxPublishRaster();
// Waits until every queued triangle is drawn.
void DxFlushRaster();
// Draws what is queued and ends the worker threads (started again when needed).
void DxStopRasterThreads();

// Presenting: sends a 5-6-5 picture to the window's SDL window (when it has one)
// and to the frame sink.
void DxPresent(HWND window, bool fullScreen, const std::uint16_t* pixels, int width, int height, int pitch);
// The backend's half of presenting: shows the picture in the window's OS window
// (nothing when it has none).
void DxShowPicture(HWND window, const std::uint16_t* pixels, int width, int height, int pitch);
// Switches the window between an SDL full-screen window and a normal one.
void DxSetSdlFullScreen(HWND window, bool fullScreen);
// The largest whole render scale whose picture fits the display the window's
// SDL window is on (all of it for full screen, its usable part for a window);
// 0 without an SDL window.
int DxSdlFitScale(HWND window, bool fullScreen);
// Gives the window's SDL window (when it has one) room for a picture at
// `scale`, or at the largest whole scale the display has room for, centred.
void DxSizeSdlWindowForScale(HWND window, int scale);
