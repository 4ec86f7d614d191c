// The stand-in's state record, the display drivers it offers, fault injection
// and call counting.
#include <algorithm>

#include "platform/dx/dx_internal.h"
#include "platform/win/win_platform.h"

DxState dxState;

namespace {

// The full-screen driver has a GUID of its own; the windowed ones are the primary
// display driver and come without one.
constexpr GUID fullScreenGuid = {0x4B617672, 0x6574, 0x4653, {0x53, 0x4F, 0x46, 0x54, 0x52, 0x47, 0x42, 0x01}};
// Test drivers after the first: this GUID with the driver's index in its last byte.
constexpr GUID testGuidBase = {0x4B617672, 0x6574, 0x5445, {0x53, 0x54, 0x44, 0x52, 0x56, 0x00, 0x00, 0x00}};
constexpr DWORD blitCaps = DDCAPS_BLT | DDCAPS_BLTSTRETCH | DDCAPS_BLTCOLORFILL;

const std::vector<DxDriverInfo> displayDriverList = {
    {GUID{}, false, "Desktop window (software RGB)", "display", DDCAPS_3D | DDCAPS_GDI | blitCaps, false},
    {fullScreenGuid, true, "Full screen (software RGB)", "fullscreen", DDCAPS_3D | blitCaps, true},
};
const std::vector<DxDriverInfo> webDriverList = {
    {GUID{}, false, "Browser canvas (software RGB)", "canvas", DDCAPS_3D | DDCAPS_GDI | blitCaps, false},
};
const std::vector<DxDriverInfo> headlessDriverList = {
    {GUID{}, false, "Offscreen capture", "offscreen", DDCAPS_3D | DDCAPS_GDI | blitCaps, false},
};

}  // namespace

const std::vector<DxDriverInfo>& DxCurrentDrivers() {
  if (!dxState.testDriverInfos.empty()) return dxState.testDriverInfos;
  switch (dxState.driverSet) {
    case DxDriverSet::Display:
      return displayDriverList;
    case DxDriverSet::Headless:
      return headlessDriverList;
    case DxDriverSet::Auto:
      break;
  }
  switch (WinCurrentBackend()) {
    case WinBackend::Sdl:
      return displayDriverList;
    case WinBackend::Web:
      return webDriverList;
    case WinBackend::Headless:
      break;
  }
  return headlessDriverList;
}

void DxSetDriverSet(DxDriverSet set) { dxState.driverSet = set; }

void DxSetTestDrivers(const std::vector<DxTestDriver>& drivers) {
  dxState.testDriverInfos.clear();
  dxState.testDrivers = drivers;
  // The entries point into testDrivers, which does not change until the next call.
  for (size_t i = 0; i < dxState.testDrivers.size(); ++i) {
    const DxTestDriver& t = dxState.testDrivers[i];
    GUID guid = testGuidBase;
    guid.data4[7] = static_cast<BYTE>(i);
    const bool primary = i == 0;
    dxState.testDriverInfos.push_back(
        DxDriverInfo{primary ? GUID{} : guid, !primary, t.description.c_str(), "test", t.caps, false});
  }
}

const DxTestDriver* DxTestDriverOf(const DxDriverInfo* driver) {
  for (size_t i = 0; i < dxState.testDriverInfos.size(); ++i) {
    if (&dxState.testDriverInfos[i] == driver) return &dxState.testDrivers[i];
  }
  return nullptr;
}

int DxOpenDirectDrawObjects() { return dxState.openDirectDraws; }

HRESULT DxEnter(DxMethod method) {
  const int i = static_cast<int>(method);
  ++dxState.calls[i];
  if (dxState.failCount[i] > 0) {
    --dxState.failCount[i];
    return dxState.failResult[i];
  }
  return DD_OK;
}

void DxFailNext(DxMethod method, int count, HRESULT result) {
  const int i = static_cast<int>(method);
  dxState.failCount[i] = count;
  dxState.failResult[i] = result;
}

void DxSetVideoMemoryExhausted(bool exhausted) { dxState.videoMemoryExhausted = exhausted; }

void DxSetFlipBusy(int count) { dxState.flipBusy = count; }

int DxCallCount(DxMethod method) { return dxState.calls[static_cast<int>(method)]; }

void DxResetForTests() {
  DxFlushRaster();
  dxState.failCount.fill(0);
  dxState.calls.fill(0);
  dxState.videoMemoryExhausted = false;
  dxState.flipBusy = 0;
  dxState.driverSet = DxDriverSet::Auto;
  DxSetTestDrivers({});
  dxState.referenceRasterizer = false;
  dxState.renderScale = 1;
  DxUseWideSpanLoops(true);
}

void DxSetRenderScale(int scale) {
  dxState.renderScale = scale == kDxRenderScaleFit ? kDxRenderScaleFit : std::clamp(scale, 1, kDxMaxRenderScale);
}

int DxRenderScaleSetting() { return dxState.renderScale; }

int DxLargestFittingScale(int width, int height) {
  int scale = 1;
  while (scale < kDxMaxRenderScale && 640 * (scale + 1) <= width && 480 * (scale + 1) <= height) ++scale;
  return scale;
}

void DxUseReferenceRasterizer(bool reference) {
  DxFlushRaster();
  dxState.referenceRasterizer = reference;
}

DxDisplayState DxCurrentDisplay() { return dxState.display; }
