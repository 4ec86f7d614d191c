// Pictures as the texture and banner generators paint them, the noise they
// paint with, and the Targa and BMP encoders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Colour {
  float r = 0, g = 0, b = 0;  // 0 to 255, clamped when stored
};
inline Colour operator+(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Colour operator*(Colour a, float s) { return {a.r * s, a.g * s, a.b * s}; }
Colour Mix(Colour a, Colour b, float t);

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // row 0 is the top row

  Image(int w, int h) : width(w), height(h), rgb(static_cast<std::size_t>(w) * h * 3) {}
  void Set(int x, int y, Colour c);
};

// Deterministic generator of our own (xorshift32), so that the content is the
// same on every run and machine.
struct Prng {
  std::uint32_t state;
  explicit Prng(std::uint32_t seed) : state(seed ? seed : 1) {}
  std::uint32_t Next();
  float Unit();  // [0, 1)
};

// Value noise that tiles with the given period (in lattice cells), 0 to 1.
float TileNoise(float x, float y, int period, std::uint32_t seed);
// Sum of octaves of TileNoise, each doubling the frequency; 0 to 1.
float Fractal(float x, float y, int period, int octaves, std::uint32_t seed);

// 24-bit uncompressed Targa, no image ID, rows stored top first.
std::vector<std::uint8_t> EncodeTarga(const Image& image);
// 8-bit palettised BMP from palette indices (row 0 the top row) and 256 colours.
std::vector<std::uint8_t> EncodeBmp8(int width, int height, const std::vector<std::uint8_t>& indices,
                                     const std::vector<Colour>& palette);
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
