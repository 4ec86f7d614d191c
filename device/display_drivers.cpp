// Probing the display drivers: DirectDrawEnumerateA for the list, then each
// driver's capabilities and 16-bit display modes.
#include "device/display_drivers.h"

#include <cstring>

#include "platform/dx/ddraw.h"

DisplayDriver displayDrivers[kMaxDisplayDrivers];
int displayDriverCount = 0;
std::int32_t selectedDriver = 0;
std::int32_t selectedMode = 0;

namespace {

int modeCount = 0;  // modes recorded for the driver being probed

BOOL AddDriver(GUID* guid, LPSTR description, LPSTR, LPVOID) {
  if (displayDriverCount >= kMaxDisplayDrivers) return DDENUMRET_OK;
  DisplayDriver& d = displayDrivers[displayDriverCount];
  // At most 49 characters and the terminator.
  std::strncpy(d.description, description ? description : "", kDriverDescriptionSize - 1);
  d.description[kDriverDescriptionSize - 1] = 0;
  d.guid = guid ? *guid : GUID{};
  ++displayDriverCount;
  return DDENUMRET_OK;
}

HRESULT AddMode(DDSURFACEDESC* desc, LPVOID context) {
  auto* driver = static_cast<DisplayDriver*>(context);
  if (desc->ddpfPixelFormat.dwRGBBitCount != 16) return DDENUMRET_OK;
  if (modeCount >= kMaxDisplayModes) return DDENUMRET_OK;
  DisplayMode& m = driver->modes[modeCount++];
  m.width = static_cast<std::int32_t>(desc->dwWidth);
  m.height = static_cast<std::int32_t>(desc->dwHeight);
  m.bitsPerPixel = static_cast<std::int32_t>(desc->ddpfPixelFormat.dwRGBBitCount);
  m.refreshRate = static_cast<std::int32_t>(desc->dwRefreshRate);
  m.reserved = 0;
  return DDENUMRET_OK;
}

bool ProbeDriver(DisplayDriver& driver) {
  IDirectDraw* dd = nullptr;
  DirectDrawCreate(&driver.guid, &dd, nullptr);
  if (!dd) return false;
  IDirectDraw2* dd2 = nullptr;
  if (dd->QueryInterface(IID_IDirectDraw2, reinterpret_cast<LPVOID*>(&dd2)) != DD_OK) {
    dd->Release();
    return false;
  }
  bool ok = false;
  DDCAPS hardware{}, emulation{};
  hardware.dwSize = sizeof hardware;
  emulation.dwSize = sizeof emulation;
  if (dd2->GetCaps(&hardware, &emulation) == DD_OK) {
    driver.has3D = (hardware.dwCaps & DDCAPS_3D) ? 1 : 0;
    driver.sharesGdi = (hardware.dwCaps & DDCAPS_GDI) ? 1 : 0;
    driver.fullScreen = (driver.has3D && driver.sharesGdi) ? 0 : 1;
    std::memset(driver.modes, 0, sizeof driver.modes);
    modeCount = 0;
    ok = dd2->EnumDisplayModes(0, nullptr, &driver, AddMode) == DD_OK;
  }
  dd2->Release();
  dd->Release();
  return ok;
}

}  // namespace

bool EnumerateDisplayDrivers() {
  displayDriverCount = 0;
  for (DisplayDriver& d : displayDrivers) d.description[0] = 0;
  DirectDrawEnumerateA(AddDriver, nullptr);
  for (DisplayDriver& d : displayDrivers) {
    if (!d.description[0]) break;
    if (!ProbeDriver(d)) return false;
  }
  return true;
}
