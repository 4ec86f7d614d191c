// The stand-in's state record, the display drivers it offers, fault injection
// and call counting.
#include "platform/dx/dx_internal.h"
#include "platform/win/win_platform.h"

DxState dx;

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
const std::vector<DxDriverInfo> headlessDriverList = {
    {GUID{}, false, "Offscreen capture", "offscreen", DDCAPS_3D | DDCAPS_GDI | blitCaps, false},
};

}  // namespace

const std::vector<DxDriverInfo>& DxCurrentDrivers() {
  if (!dx.testDriverInfos.empty()) return dx.testDriverInfos;
  switch (dx.driverSet) {
    case DxDriverSet::Display:
      return displayDriverList;
    case DxDriverSet::Headless:
      return headlessDriverList;
    case DxDriverSet::Auto:
      break;
  }
  return WinCurrentBackend() == WinBackend::Sdl ? displayDriverList : headlessDriverList;
}

void DxSetDriverSet(DxDriverSet set) { dx.driverSet = set; }

void DxSetTestDrivers(const std::vector<DxTestDriver>& drivers) {
  dx.testDriverInfos.clear();
  dx.testDrivers = drivers;
  // The entries point into testDrivers, which does not change until the next call.
  for (size_t i = 0; i < dx.testDrivers.size(); ++i) {
    const DxTestDriver& t = dx.testDrivers[i];
    GUID guid = testGuidBase;
    guid.data4[7] = static_cast<BYTE>(i);
    const bool primary = i == 0;
    dx.testDriverInfos.push_back(
        DxDriverInfo{primary ? GUID{} : guid, !primary, t.description.c_str(), "test", t.caps, false});
  }
}

const DxTestDriver* DxTestDriverOf(const DxDriverInfo* driver) {
  for (size_t i = 0; i < dx.testDriverInfos.size(); ++i) {
    if (&dx.testDriverInfos[i] == driver) return &dx.testDrivers[i];
  }
  return nullptr;
}

int DxOpenDirectDrawObjects() { return dx.openDirectDraws; }

HRESULT DxEnter(DxMethod method) {
  const int i = static_cast<int>(method);
  ++dx.calls[i];
  if (dx.failCount[i] > 0) {
    --dx.failCount[i];
    return dx.failResult[i];
  }
  return DD_OK;
}

void DxFailNext(DxMethod method, int count, HRESULT result) {
  const int i = static_cast<int>(method);
  dx.failCount[i] = count;
  dx.failResult[i] = result;
}

void DxSetVideoMemoryExhausted(bool exhausted) { dx.videoMemoryExhausted = exhausted; }

void DxSetFlipBusy(int count) { dx.flipBusy = count; }

int DxCallCount(DxMethod method) { return dx.calls[static_cast<int>(method)]; }

void DxResetForTests() {
  dx.failCount.fill(0);
  dx.calls.fill(0);
  dx.videoMemoryExhausted = false;
  dx.flipBusy = 0;
  dx.driverSet = DxDriverSet::Auto;
  DxSetTestDrivers({});
  dx.referenceRasterizer = false;
  DxUseWideSpanLoops(true);
}

void DxUseReferenceRasterizer(bool reference) { dx.referenceRasterizer = reference; }

DxDisplayState DxCurrentDisplay() { return dx.display; }
