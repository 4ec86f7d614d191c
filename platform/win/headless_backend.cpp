// The headless backend of the window stand-in: windows without OS windows, a
// fixed desktop, no events but the messages tests and the program post, and no
// waiting, since nobody is watching.
#include "platform/win/win_backend.h"

namespace {

bool HeadlessStartup() { return true; }
void HeadlessShutdown() {}

void HeadlessDesktopSize(int* width, int* height) {
  *width = 1024;
  *height = 768;
}

int HeadlessDesktopBitsPerPixel() { return 32; }

bool HeadlessCreateWindow(const char*, int, int, int, int, void** os) {
  *os = nullptr;
  return true;
}

void HeadlessDestroyWindow(void*) {}
void HeadlessShowWindow(void*, bool) {}
void HeadlessMoveWindow(void*, int, int, int, int) {}
void HeadlessPumpEvents() {}
void HeadlessSleep(DWORD) {}
int HeadlessRefreshRate(void*) { return 0; }
bool HeadlessDrawableSize(void*, int*, int*) { return false; }
void HeadlessLeaveSignalsAlone() {}

}  // namespace

const WinBackendOps headlessWindowBackend = {
    .startup = HeadlessStartup,
    .shutdown = HeadlessShutdown,
    .desktopSize = HeadlessDesktopSize,
    .desktopBitsPerPixel = HeadlessDesktopBitsPerPixel,
    .createWindow = HeadlessCreateWindow,
    .destroyWindow = HeadlessDestroyWindow,
    .showWindow = HeadlessShowWindow,
    .moveWindow = HeadlessMoveWindow,
    .pumpEvents = HeadlessPumpEvents,
    .sleep = HeadlessSleep,
    .refreshRate = HeadlessRefreshRate,
    .drawableSize = HeadlessDrawableSize,
    .leaveSignalsAlone = HeadlessLeaveSignalsAlone,
    .pacesFrames = false,
};
