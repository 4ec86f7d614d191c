// Stand-in for the set-up dialog until the real one exists: accepts as if the
// user pressed OK on the first driver with the 640 x 480 x 16 mode.
#include "device/display_drivers.h"

bool RunSetupDialog(HWND owner) {
  selectedDriver = 0;
  selectedMode = 0;
  for (int i = 0; i < kMaxDisplayModes; ++i) {
    const DisplayMode& m = displayDrivers[0].modes[i];
    if (m.width == 640 && m.height == 480 && m.bitsPerPixel == 16) {
      selectedMode = i;
      break;
    }
  }
  // The real dialog hides the main window and shows it again when it closes.
  ShowWindow(owner, SW_SHOW);
  return displayDrivers[0].description[0] != 0;
}
