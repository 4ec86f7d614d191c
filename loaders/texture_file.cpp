// The Targa reader and mip-chain builder. Only the width and height of the
// 18-byte header are read; the pixel data (blue, green, red per texel) must
// follow the header directly. Texels are stored red, green, blue, unused,
// level after level, with 40 spare bytes behind the chain.
#include "loaders/texture_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/files/files.h"
#include "scene/scene.h"

namespace {

constexpr int TargaHeaderSize = 18;
constexpr int MaxTextureSide = 256;
constexpr std::size_t SpareBytes = 40;

// Levels in the chain of a square top level of that side, or 0 for a side
// that is not a power of two from 1 to 256.
int MipLevelsFor(int side) {
  int levels = 1;
  for (int s = 1; s <= MaxTextureSide; s *= 2, ++levels) {
    if (s == side) return levels;
  }
  return 0;
}

// Texels in a chain of that many levels: (4^levels - 1) / 3.
std::size_t ChainTexels(int levels) {
  std::size_t texels = 0;
  for (int level = 0; level < levels; ++level) texels = texels * 4 + 1;
  return texels;
}

// Reads the header and the top level's pixels; false for anything the loader
// does not take (unopenable, not square, bad side, or shorter than promised).
bool ReadTarga(const char* path, int& side, std::vector<std::uint8_t>& data) {
  std::FILE* file = OpenDataFile(path, "rb");
  if (!file) return false;
  std::uint8_t header[TargaHeaderSize];
  bool ok = std::fread(header, 1, sizeof header, file) == sizeof header;
  if (ok) {
    int width = header[12] | (header[13] << 8);
    int height = header[14] | (header[15] << 8);
    side = width;
    ok = width == height && MipLevelsFor(width) > 0;
  }
  if (ok) {
    data.resize(static_cast<std::size_t>(side) * side * 3);
    ok = std::fread(data.data(), 1, data.size(), file) == data.size();
  }
  std::fclose(file);
  return ok;
}

}  // namespace

Texture* LoadTexture(const char* path) {
  Texture* texture = AddTexture();
  if (!texture) return nullptr;
  int side = 0;
  std::vector<std::uint8_t> data;
  if (!ReadTarga(path, side, data)) return nullptr;

  const int levels = MipLevelsFor(side);
  // Zero-filled, so the unused fourth byte and the spare bytes are defined.
  auto* pixels = static_cast<std::uint8_t*>(std::calloc(ChainTexels(levels) * 4 + SpareBytes, 1));
  if (!pixels) return nullptr;
  const std::size_t texels = static_cast<std::size_t>(side) * side;
  // File order blue, green, red; rows as the file stores them.
  for (std::size_t i = 0; i < texels; ++i) {
    pixels[4 * i + 0] = data[3 * i + 2];
    pixels[4 * i + 1] = data[3 * i + 1];
    pixels[4 * i + 2] = data[3 * i + 0];
  }
  texture->pixels = pixels;
  texture->width = side;
  texture->height = side;
  texture->halfWidth = static_cast<float>(side) * 0.5f;
  texture->halfHeight = static_cast<float>(side) * 0.5f;
  texture->mipMapped = 1;
  texture->mipLevels = levels;
  BuildMipChain(texture);
  return texture;
}

void BuildMipChain(Texture* texture) {
  if (!texture || !texture->pixels) return;
  std::uint8_t* current = texture->pixels;
  int side = texture->width;
  for (int level = 1; level < texture->mipLevels && side > 1; ++level) {
    std::uint8_t* next = current + static_cast<std::size_t>(side) * side * 4;
    const int half = side / 2;
    for (int y = 0; y < half; ++y) {
      for (int x = 0; x < half; ++x) {
        const std::uint8_t* a = current + (static_cast<std::size_t>(2 * y) * side + 2 * x) * 4;
        const std::uint8_t* b = a + static_cast<std::size_t>(side) * 4;
        std::uint8_t* out = next + (static_cast<std::size_t>(y) * half + x) * 4;
        for (int c = 0; c < 3; ++c) {
          // Multiplied by 0.25 in floating point and truncated: the sum over 4, rounded down.
          int sum = a[c] + a[4 + c] + b[c] + b[4 + c];
          out[c] = static_cast<std::uint8_t>(static_cast<float>(sum) * 0.25f);
        }
      }
    }
    current = next;
    side = half;
  }
}
