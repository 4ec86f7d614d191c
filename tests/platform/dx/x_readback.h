// What the X server shows, read back from the server itself rather than from
// SDL's copy, so that a test sees the window as a person would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The contents of an SDL window as the X server has them, as RGB888 rows, at
// the window's real size. False, with the reason in `why`, when the window is
// not on an X display or cannot be read.
bool XReadSdlWindow(void* sdlWindow, std::vector<std::uint8_t>& rgb, int* width, int* height, std::string* why);
// The whole screen the window is on, as RGB888 rows.
bool XReadScreen(void* sdlWindow, std::vector<std::uint8_t>& rgb, int* width, int* height);
