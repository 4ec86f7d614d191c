// Writing and reading 8-bit RGB PNG files (screenshots, capture frames, golden images).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height tightly packed RGB888 pixels; false (with a message on
// stderr) when the file cannot be written.
bool WritePngRgb(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
// Reads an 8-bit RGB or RGBA PNG into packed RGB888 (alpha dropped); false when
// the file is missing or not such a PNG.
bool ReadPngRgb(const std::string& path, int* width, int* height, std::vector<std::uint8_t>& rgb);
