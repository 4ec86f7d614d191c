// A headless main window and a clean RenderDevice for the device tests, torn
// down again after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "device/display_drivers.h"
#include <string>

#include "device/render_device.h"
#include "platform/dx/d3d.h"
#include "platform/dx/ddraw.h"
#include "platform/dx/dx_platform.h"
#include "platform/registry/winreg.h"
#include "platform/win/win_platform.h"
#include "support/process_folder.h"

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WinStartup(WinBackend::Headless);
    DxResetForTests();
    // The set-up dialog loads and saves settings: keep them away from the
    // user's, and from the other cases running side by side.
    settingsFile = (ProcessFolder("device") / "settings.reg").string();
    RegistrySetFile(settingsFile);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "R5test";
    RegisterClassA(&wc);
    mainWindow = CreateWindowExA(0, "R5test", "test", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(mainWindow, nullptr);
    std::memset(&RenderDevice, 0, sizeof RenderDevice);
    RenderDevice.width = 640;
    RenderDevice.height = 480;
    RenderDevice.viewportRect = RECT{0, 0, 640, 480};
    RenderDevice.windowScreenRect = RECT{0, 0, 640, 480};
  }

  void TearDown() override {
    if (RenderDevice.directDraw) ShutdownDevice();
    DxSetFrameSink(nullptr, nullptr);
    DxResetForTests();
    WinShutdown();
    mainWindow = nullptr;
  }

  std::string settingsFile;

  // The full-screen driver of the display set, chosen as the dialog would.
  bool SetupFullScreen() {
    DxSetDriverSet(DxDriverSet::Display);
    if (!EnumerateDisplayDrivers()) return false;
    selectedDriver = 1;
    selectedMode = 0;
    RenderDevice.fullScreen = displayDrivers[1].fullScreen != 0;
    return CreateDirectDraw() && CreateSurfaces() && CreateDirect3D();
  }

  static DDSURFACEDESC Desc(IDirectDrawSurface* s) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    s->GetSurfaceDesc(&d);
    return d;
  }
  static DWORD Caps(IDirectDrawSurface* s) { return Desc(s).ddsCaps.dwCaps; }
};
