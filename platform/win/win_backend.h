// Between the window stand-in and its SDL backend (platform/win only).
#pragma once

#include "platform/win/win32.h"

bool SdlBackendStartup();
void SdlBackendShutdown();
void SdlBackendDesktopSize(int* width, int* height);
int SdlBackendDesktopBitsPerPixel();
void* SdlBackendCreateWindow(const char* title, int x, int y, int width, int height);
void SdlBackendDestroyWindow(void* os);
void SdlBackendShowWindow(void* os, bool show);
void SdlBackendMoveWindow(void* os, int x, int y, int width, int height);
void SdlBackendPumpEvents();
void SdlBackendSleep(DWORD milliseconds);
int SdlBackendRefreshRate(void* os);
// The window's size as the display server has it now (may differ from SDL's).
bool SdlBackendDrawableSize(void* os, int* width, int* height);

// Keeps SDL from turning SIGINT and SIGTERM into SDL_QUIT: the window stand-in
// handles them itself.
void SdlBackendLeaveSignalsAlone();

// Called by the backend while it pumps events.
void WinBackendPost(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND WinBackendFindWindow(void* os);
void WinBackendMoved(HWND window, int x, int y, int width, int height);
void WinBackendInvalidate(HWND window);
// The session asks the program to quit: every window is asked to close.
void WinBackendCloseAll();
