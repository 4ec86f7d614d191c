// The one headless device the tests draw on: the DirectDraw/Direct3D stand-in's
// headless driver with a 5-6-5 render target, an optional 16-bit z-buffer, a
// software RGB device and a viewport over the whole target, made through the
// DirectDraw calls themselves.
#pragma once

#include <cstdint>
#include <vector>

struct IDirectDraw;
struct IDirectDraw2;
struct IDirect3D2;
struct IDirect3DDevice2;
struct IDirect3DViewport2;
struct IDirectDrawSurface;

struct HeadlessDevice {
  IDirectDraw* directDraw = nullptr;
  IDirectDraw2* directDraw2 = nullptr;
  IDirect3D2* direct3D = nullptr;
  IDirectDrawSurface* target = nullptr;
  IDirectDrawSurface* zBuffer = nullptr;
  IDirect3DDevice2* device = nullptr;
  IDirect3DViewport2* viewport = nullptr;
  int width = 0;
  int height = 0;
};

// Resets the stand-in, picks the headless driver and builds the device (its
// render target and z-buffer at render scale `scale`); false at the first call
// that fails (what was made is still released by Close).
bool OpenHeadlessDevice(HeadlessDevice& d, int width, int height, bool withZ = true, int scale = 1);
// Releases everything Open made and resets the stand-in again.
void CloseHeadlessDevice(HeadlessDevice& d);
// The render target as packed RGB888 rows (at its real size: width x height times the scale).
std::vector<std::uint8_t> ReadBackRgb(const HeadlessDevice& d);
