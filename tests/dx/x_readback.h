// What the X server shows, read back from the server itself rather than from
// SDL's copy, so that a test sees the window as a person would.
#pragma once

#include <cstdint>
#include <vector>

// The contents of an SDL window as the X server has them, as RGB888 rows, at
// the window's real size. False when the window is not on an X display.
bool XReadSdlWindow(void* sdlWindow, std::vector<std::uint8_t>& rgb, int* width, int* height);
// The whole screen the window is on, as RGB888 rows.
bool XReadScreen(void* sdlWindow, std::vector<std::uint8_t>& rgb, int* width, int* height);
