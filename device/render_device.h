// The render device: the one global set of DirectDraw and Direct3D objects that
// everything is drawn through, and the per-frame operations around the renderer.
#pragma once

#include "platform/win/win32.h"

struct IDirectDraw;
struct IDirectDraw2;
struct IDirect3D2;
struct IDirect3DDevice2;
struct IDirect3DViewport2;
struct IDirectDrawClipper;
struct IDirectDrawSurface;

struct RenderDeviceRecord {
  IDirectDraw* directDraw;
  IDirectDraw2* directDraw2;
  IDirect3D2* direct3D;
  IDirect3DDevice2* device;
  IDirect3DViewport2* viewport;
  IDirectDrawClipper* clipper;
  IDirectDrawSurface* primarySurface;
  IDirectDrawSurface* backBuffer;
  IDirectDrawSurface* zBuffer;
  bool fullScreen;
  bool texturesInSystemMemory;
  int width;
  int height;
  RECT viewportRect;
  RECT windowScreenRect;
  BYTE deviceReady;    // window and device complete (the window-ready flag)
  BYTE quit;           // set by ShutdownDevice; the frame loop runs while it is clear
  int desktopBitsPerPixel;
};

extern RenderDeviceRecord RenderDevice;

// The main window, owned by the frame loop; DirectDraw uses it for the
// cooperative level and the clipper, the set-up dialog as its owner.
extern HWND mainWindow;

bool SetupDisplay();
// The steps of SetupDisplay, in its order (open to tests).
bool CreateDirectDraw();
bool CreateSurfaces();
bool CreateDirect3D();
bool SetDefaultRenderStates();
bool BeginFrame();
bool EndFrame();
bool PresentFrame();
void ShutdownDevice();
