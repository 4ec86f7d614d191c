// The program's icon for desktop menus: the banner's night sky, planet rim and
// gold lettering on a square with rounded corners, in the usual sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sizes a desktop's hicolor theme looks for, in pixels.
inline constexpr int kIconSizes[] = {32, 48, 64, 128, 256};

// The icon at size x size pixels: 8-bit RGBA, not premultiplied, row 0 the top row.
std::vector<std::uint8_t> PaintIcon(int size);
// PaintIcon as a PNG file's bytes; empty when encoding fails.
std::vector<std::uint8_t> EncodeIconPng(int size);
