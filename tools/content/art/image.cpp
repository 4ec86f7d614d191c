// Pixel storage, noise and the Targa and BMP encoders of the content generator.
#include "tools/content/art/image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Rounds to the nearest byte value; 255.0 + 0.5 still truncates to 255.
std::uint8_t Clamp8(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

std::uint32_t Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = seed * 0x9E3779B1u ^ static_cast<std::uint32_t>(x) * 0x85EBCA77u ^
                    static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float Lattice(int x, int y, int period, std::uint32_t seed) {
  x = ((x % period) + period) % period;
  y = ((y % period) + period) % period;
  return static_cast<float>(Hash(x, y, seed) & 0xFFFF) / 65535.0f;
}

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& b, unsigned v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

}  // namespace

Colour Mix(Colour a, Colour b, float t) { return a * (1 - t) + b * t; }

void Image::Set(int x, int y, Colour c) {
  std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
  p[0] = Clamp8(c.r);
  p[1] = Clamp8(c.g);
  p[2] = Clamp8(c.b);
}

std::uint32_t Prng::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

float Prng::Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }

float TileNoise(float x, float y, int period, std::uint32_t seed) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
  // Smooth interpolation so that cell borders do not show.
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const float a = Lattice(x0, y0, period, seed), b = Lattice(x0 + 1, y0, period, seed);
  const float c = Lattice(x0, y0 + 1, period, seed), d = Lattice(x0 + 1, y0 + 1, period, seed);
  return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

float Fractal(float x, float y, int period, int octaves, std::uint32_t seed) {
  float sum = 0, weight = 0, amp = 1;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * TileNoise(x, y, period, seed + static_cast<std::uint32_t>(o) * 101u);
    weight += amp;
    amp *= 0.5f;
    x *= 2;
    y *= 2;
    period *= 2;
  }
  return sum / weight;
}

std::vector<std::uint8_t> EncodeTarga(const Image& image) {
  std::vector<std::uint8_t> b;
  b.push_back(0);  // no image ID
  b.push_back(0);  // no colour map
  b.push_back(2);  // uncompressed true colour
  for (int i = 0; i < 5; ++i) b.push_back(0);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, static_cast<unsigned>(image.width));
  Put16(b, static_cast<unsigned>(image.height));
  b.push_back(24);
  b.push_back(0x20);  // top-left origin: rows are stored top first
  for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
    b.push_back(image.rgb[i + 2]);
    b.push_back(image.rgb[i + 1]);
    b.push_back(image.rgb[i]);
  }
  return b;
}

std::vector<std::uint8_t> EncodeBmp8(int width, int height, const std::vector<std::uint8_t>& indices,
                                     const std::vector<Colour>& palette) {
  const unsigned stride = (static_cast<unsigned>(width) + 3) & ~3u;
  const unsigned dataOffset = 14 + 40 + 256 * 4;
  const unsigned size = dataOffset + stride * static_cast<unsigned>(height);
  std::vector<std::uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, size);
  Put32(b, 0);
  Put32(b, dataOffset);
  Put32(b, 40);
  Put32(b, static_cast<unsigned>(width));
  Put32(b, static_cast<unsigned>(height));  // positive: rows stored bottom first
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 0);  // BI_RGB
  Put32(b, stride * static_cast<unsigned>(height));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 256);
  Put32(b, 0);
  for (int i = 0; i < 256; ++i) {
    const Colour c = i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)] : Colour{};
    b.push_back(Clamp8(c.b));
    b.push_back(Clamp8(c.g));
    b.push_back(Clamp8(c.r));
    b.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    for (unsigned x = 0; x < stride; ++x) {
      b.push_back(x < static_cast<unsigned>(width) ? indices[static_cast<std::size_t>(y) * width + x] : 0);
    }
  }
  return b;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && wrote;
}
