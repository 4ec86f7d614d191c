// Small Targa files made in memory, through the content tool's encoder.
#pragma once

#include <cstdint>
#include <vector>

// An uncompressed 24-bit Targa of width x height; rgb gives red, green, blue
// per pixel, row after row (missing pixels are black).
std::vector<std::uint8_t> TargaFile(int width, int height, const std::vector<std::uint8_t>& rgb = {});
// A square one of a single colour.
std::vector<std::uint8_t> SolidTarga(int side, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
// A square one painted texel by texel: texel(x, y, side, rgb) fills red, green, blue.
using TexelFunction = void (*)(int x, int y, int side, std::uint8_t rgb[3]);
std::vector<std::uint8_t> PaintedTarga(int side, TexelFunction texel);
