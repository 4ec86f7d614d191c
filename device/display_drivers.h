// The DirectDraw display drivers installed and their 16-bit display modes, as
// found before the set-up dialog runs; the dialog picks one driver and mode.
#pragma once

#include <cstdint>

#include "platform/win/win32.h"

struct DisplayMode {
  std::int32_t width;  // 0: empty entry
  std::int32_t height;
  std::int32_t bitsPerPixel;  // always 16
  std::int32_t refreshRate;   // 0: the driver's default
  std::int32_t reserved;      // always 0
};

constexpr int kMaxDisplayDrivers = 5;
constexpr int kMaxDisplayModes = 50;
constexpr int kDriverDescriptionSize = 50;

struct DisplayDriver {
  char description[kDriverDescriptionSize];  // empty: the entry and the table end
  GUID guid;                                 // all zero for the primary display driver
  std::uint8_t has3D;
  std::uint8_t sharesGdi;
  std::uint8_t fullScreen;  // 0 only when the driver shares the desktop and has 3D
  DisplayMode modes[kMaxDisplayModes];
};

extern DisplayDriver displayDrivers[kMaxDisplayDrivers];
extern int displayDriverCount;
extern std::int32_t selectedDriver;
extern std::int32_t selectedMode;

// Fills displayDrivers and their mode tables; false on the first DirectDraw failure.
bool EnumerateDisplayDrivers();

// The set-up dialog: true on OK (selectedDriver and selectedMode set), false on Cancel.
bool RunSetupDialog(HWND owner);
