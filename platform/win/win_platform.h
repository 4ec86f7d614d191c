// What the window stand-in offers beyond the Win32 calls: choosing the backend,
// and, for the other stand-ins only, the SDL window behind a window handle.
#pragma once

#include "platform/win/win32.h"

// Web: a canvas in a browser page (built for WebAssembly only).
enum class WinBackend { Headless, Sdl, Web };

// Starts the backend. Sdl falls back to Headless (and returns false) when no
// display can be opened.
bool WinStartup(WinBackend backend);
WinBackend WinCurrentBackend();
// Closes every window and empties the queue; the next WinStartup starts afresh.
void WinShutdown();
// The refresh rate of the display the window is on (60 when unknown).
int WinDisplayRefreshRate(HWND window);

// The SDL_Window* behind a window (null in the headless backend). Used by the
// DirectDraw and dialog stand-ins, never by the engine.
void* WinSdlWindow(HWND window);
// The size of the OS window's drawable area as the display has it at this
// moment. It can differ from what was last asked for: a window manager may
// refuse or delay full screen, or resize the window at any time. False in the
// headless backend.
bool WinDrawableSize(HWND window, int* width, int* height);
// Ctrl+C (SIGINT) and SIGTERM ask the program to quit the way a person would:
// every window gets WM_CLOSE when messages are next taken, in either backend,
// and dialogs end as cancelled. A signal that was ignored when the program
// started stays ignored; a second signal ends the process at once. false puts
// the default handling back. Either forgets a signal already taken.
void WinCatchQuitSignals(bool catchThem);
// The signal that asked the program to quit since the catching began, or 0.
int WinQuitSignal();
// Every message taken from the queue also goes to this observer (tests).
using WinMessageObserver = void (*)(const MSG& msg);
void WinSetMessageObserver(WinMessageObserver observer);
