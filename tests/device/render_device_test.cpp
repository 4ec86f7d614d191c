// The render device's set-up paths (windowed and full-screen), its default
// states, the frame operations with busy flips and lost surfaces, and the
// display-driver table.
#include <cstdint>
#include <vector>

#include "device_fixture.h"

namespace {

int framesSeen = 0;
std::uint16_t firstPixel = 0;
void CountFrame(const DxFrame& frame, void*) {
  ++framesSeen;
  firstPixel = frame.pixels[0];
}

}  // namespace

TEST_F(DeviceTest, DriverTablesFromTheEnumeration) {
  DxSetDriverSet(DxDriverSet::Display);
  ASSERT_TRUE(EnumerateDisplayDrivers());
  EXPECT_EQ(displayDriverCount, 2);
  EXPECT_STREQ(displayDrivers[0].description, "Desktop window (software RGB)");
  EXPECT_EQ(displayDrivers[0].guid, GUID{});  // the primary driver comes without a GUID
  EXPECT_EQ(displayDrivers[0].fullScreen, 0);
  EXPECT_EQ(displayDrivers[0].has3D, 1);
  EXPECT_EQ(displayDrivers[0].sharesGdi, 1);
  EXPECT_STREQ(displayDrivers[1].description, "Full screen (software RGB)");
  EXPECT_FALSE(displayDrivers[1].guid == GUID{});
  EXPECT_EQ(displayDrivers[1].fullScreen, 1);
  EXPECT_EQ(displayDrivers[2].description[0], 0);
  // Only 16-bit modes, in order, 640 x 480 first.
  int modes = 0;
  for (const DisplayMode& m : displayDrivers[0].modes)
    if (m.width) {
      ++modes;
      EXPECT_EQ(m.bitsPerPixel, 16);
      EXPECT_EQ(m.reserved, 0);
    }
  EXPECT_EQ(modes, 3);
  EXPECT_EQ(displayDrivers[0].modes[0].width, 640);
  EXPECT_EQ(displayDrivers[0].modes[0].height, 480);

  DxSetDriverSet(DxDriverSet::Headless);
  ASSERT_TRUE(EnumerateDisplayDrivers());
  EXPECT_EQ(displayDriverCount, 1);
  EXPECT_STREQ(displayDrivers[0].description, "Offscreen capture");
  EXPECT_EQ(displayDrivers[1].description[0], 0);

  DxFailNext(DxMethod::EnumDisplayModes, 1);
  EXPECT_FALSE(EnumerateDisplayDrivers());
  DxFailNext(DxMethod::GetCaps, 1);
  EXPECT_FALSE(EnumerateDisplayDrivers());
}

TEST_F(DeviceTest, WindowedSetupMakesAnOffscreenBackBufferAndAClipper) {
  ASSERT_TRUE(SetupDisplay());
  const RenderDeviceRecord& rd = RenderDevice;
  EXPECT_FALSE(rd.fullScreen);
  EXPECT_EQ(DxCurrentDisplay().cooperativeLevel, DDSCL_NORMAL);
  EXPECT_EQ(DxCurrentDisplay().width, 0u);  // no display-mode change
  EXPECT_EQ(GetWindowLongA(mainWindow, GWL_EXSTYLE), 0);
  EXPECT_TRUE(Caps(rd.primarySurface) & DDSCAPS_PRIMARYSURFACE);
  EXPECT_FALSE(Caps(rd.primarySurface) & DDSCAPS_FLIP);
  EXPECT_EQ(Caps(rd.backBuffer) & (DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY), DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(Desc(rd.backBuffer).dwWidth, 640u);
  EXPECT_EQ(Desc(rd.zBuffer).dwWidth, 640u);
  EXPECT_EQ(Desc(rd.zBuffer).dwHeight, 480u);
  EXPECT_EQ(DxAttachedZBuffer(rd.backBuffer), rd.zBuffer);
  ASSERT_NE(rd.clipper, nullptr);
  EXPECT_EQ(DxClipperWindow(rd.clipper), mainWindow);
  EXPECT_EQ(DxSurfaceClipper(rd.primarySurface), rd.clipper);
  // The software device textures from system memory.
  EXPECT_TRUE(rd.texturesInSystemMemory);
  const D3DVIEWPORT2 viewport = DxViewportData(rd.viewport);
  EXPECT_EQ(viewport.dwWidth, 640u);
  EXPECT_EQ(viewport.dvClipWidth, 640.0f);
  EXPECT_EQ(viewport.dvMaxZ, 1.0f);
}

TEST_F(DeviceTest, WindowedBackBufferFallsBackToSystemMemory) {
  DxSetVideoMemoryExhausted(true);
  ASSERT_TRUE(SetupDisplay());
  EXPECT_TRUE(Caps(RenderDevice.backBuffer) & DDSCAPS_SYSTEMMEMORY);
}

TEST_F(DeviceTest, OnlyTheLastDefaultRenderStateDecidesTheSetUp) {
  ASSERT_TRUE(SetupDisplay());
  // Only the last result counts: a failing dither state fails the set-up.
  DxFailNext(DxMethod::SetRenderState, 16);
  EXPECT_TRUE(SetDefaultRenderStates());
  DxFailNext(DxMethod::SetRenderState, 17);
  EXPECT_FALSE(SetDefaultRenderStates());
}

TEST_F(DeviceTest, FullScreenSetupMakesAFlippingChainInTheChosenMode) {
  ASSERT_TRUE(SetupFullScreen());
  const RenderDeviceRecord& rd = RenderDevice;
  EXPECT_TRUE(rd.fullScreen);
  EXPECT_EQ(GetWindowLongA(mainWindow, GWL_EXSTYLE), static_cast<LONG>(WS_EX_TOPMOST));
  EXPECT_EQ(DxCurrentDisplay().cooperativeLevel, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
  EXPECT_EQ(DxCurrentDisplay().width, 640u);
  EXPECT_EQ(DxCurrentDisplay().height, 480u);
  EXPECT_EQ(DxCurrentDisplay().bitsPerPixel, 16u);
  EXPECT_TRUE(Caps(rd.primarySurface) & DDSCAPS_FLIP);
  EXPECT_TRUE(Caps(rd.backBuffer) & DDSCAPS_BACKBUFFER);
  EXPECT_EQ(DxNextInChain(rd.primarySurface), rd.backBuffer);
  EXPECT_TRUE(Caps(rd.zBuffer) & DDSCAPS_VIDEOMEMORY);
  EXPECT_EQ(rd.clipper, nullptr);
  ShutdownDevice();
  EXPECT_EQ(DxCurrentDisplay().width, 0u);
  EXPECT_EQ(DxCurrentDisplay().cooperativeLevel, DDSCL_NORMAL);
  EXPECT_TRUE(RenderDevice.quit);
  EXPECT_FALSE(RenderDevice.deviceReady);
}

TEST_F(DeviceTest, FailedModeChangeOrDeviceRestoresTheDesktop) {
  DxFailNext(DxMethod::SetDisplayMode, 1);
  EXPECT_FALSE(SetupFullScreen());
  EXPECT_EQ(DxCurrentDisplay().cooperativeLevel, DDSCL_NORMAL);
  EXPECT_EQ(DxCurrentDisplay().width, 0u);
  ShutdownDevice();

  std::memset(&RenderDevice, 0, sizeof RenderDevice);
  RenderDevice.width = 640;
  RenderDevice.height = 480;
  RenderDevice.viewportRect = RECT{0, 0, 640, 480};
  DxFailNext(DxMethod::CreateDevice, 1);
  EXPECT_FALSE(SetupFullScreen());
  EXPECT_EQ(DxCurrentDisplay().cooperativeLevel, DDSCL_NORMAL);
  EXPECT_EQ(DxCurrentDisplay().width, 0u);
}

TEST_F(DeviceTest, SetupStopsAtTheFirstFailure) {
  DxFailNext(DxMethod::CreateClipper, 1);
  EXPECT_FALSE(SetupDisplay());
  ShutdownDevice();
  DxFailNext(DxMethod::SetViewport2, 1);
  std::memset(&RenderDevice, 0, sizeof RenderDevice);
  RenderDevice.width = 640;
  RenderDevice.height = 480;
  RenderDevice.viewportRect = RECT{0, 0, 640, 480};
  EXPECT_FALSE(SetupDisplay());
  ShutdownDevice();
  // Both device searches are made: hardware first, then software.
  std::memset(&RenderDevice, 0, sizeof RenderDevice);
  RenderDevice.width = 640;
  RenderDevice.height = 480;
  RenderDevice.viewportRect = RECT{0, 0, 640, 480};
  DxResetForTests();
  ASSERT_TRUE(SetupDisplay());
  EXPECT_EQ(DxCallCount(DxMethod::FindDevice), 2);
}

TEST_F(DeviceTest, WindowedFramesReachTheSink) {
  ASSERT_TRUE(SetupDisplay());
  DxSetFrameSink(CountFrame, nullptr);
  framesSeen = 0;
  ASSERT_TRUE(BeginFrame());
  // One white triangle over the top-left corner.
  D3DTLVERTEX v[3] = {{-1, -1, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0},
                      {20, -1, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0},
                      {-1, 20, 0.5f, 1, 0xFFFFFFFF, 0, 0, 0}};
  EXPECT_EQ(RenderDevice.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DVT_TLVERTEX, v, 3, 0), D3D_OK);
  EXPECT_TRUE(EndFrame());
  EXPECT_TRUE(PresentFrame());
  EXPECT_EQ(framesSeen, 1);
  EXPECT_EQ(firstPixel, 0xFFFF);
  // The next frame starts black again, and a failing blit is reported.
  ASSERT_TRUE(BeginFrame());
  EndFrame();
  DxFailNext(DxMethod::Blt, 1);
  EXPECT_FALSE(PresentFrame());
  EXPECT_TRUE(PresentFrame());
  EXPECT_EQ(firstPixel, 0);
  // A viewport clear that fails makes BeginFrame report false without a scene.
  DxFailNext(DxMethod::Clear, 1);
  EXPECT_FALSE(BeginFrame());
  EXPECT_FALSE(DxDeviceInScene(RenderDevice.device));
}

TEST_F(DeviceTest, BusyFlipsCountAsSuccessAndLostSurfacesComeBack) {
  ASSERT_TRUE(SetupFullScreen());
  DxSetFrameSink(CountFrame, nullptr);
  framesSeen = 0;
  ASSERT_TRUE(BeginFrame());
  EndFrame();
  EXPECT_TRUE(PresentFrame());
  EXPECT_EQ(framesSeen, 1);
  // A flipper still busy: the present succeeds without showing a frame, and the
  // frame loop's status poll says not done.
  DxSetFlipBusy(2);
  EXPECT_TRUE(PresentFrame());
  EXPECT_EQ(framesSeen, 1);
  EXPECT_EQ(RenderDevice.backBuffer->GetFlipStatus(DDGFS_ISFLIPDONE), DDERR_WASSTILLDRAWING);
  EXPECT_EQ(RenderDevice.backBuffer->GetFlipStatus(DDGFS_ISFLIPDONE), DD_OK);
  // Other flip errors are failures.
  DxFailNext(DxMethod::Flip, 1, DDERR_GENERIC);
  EXPECT_FALSE(PresentFrame());
  // Switched away: both surfaces lost; the next frame restores them and draws.
  DxLoseSurface(RenderDevice.primarySurface);
  EXPECT_EQ(RenderDevice.primarySurface->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(RenderDevice.backBuffer->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(RenderDevice.backBuffer->GetFlipStatus(DDGFS_ISFLIPDONE), DDERR_SURFACELOST);
  EXPECT_TRUE(BeginFrame());
  EXPECT_EQ(RenderDevice.primarySurface->IsLost(), DD_OK);
  EXPECT_EQ(RenderDevice.backBuffer->IsLost(), DD_OK);
  EndFrame();
  EXPECT_TRUE(PresentFrame());
  EXPECT_EQ(framesSeen, 2);
}
