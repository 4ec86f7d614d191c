// Targa files for tests (see targa.h).
#include "support/targa.h"

#include <algorithm>

#include "tools/content/art/image.h"

std::vector<std::uint8_t> TargaFile(int width, int height, const std::vector<std::uint8_t>& rgb) {
  Image image(width, height);
  std::copy_n(rgb.begin(), std::min(rgb.size(), image.rgb.size()), image.rgb.begin());
  return EncodeTarga(image);
}

std::vector<std::uint8_t> SolidTarga(int side, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  Image image(side, side);
  for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
    image.rgb[i] = red;
    image.rgb[i + 1] = green;
    image.rgb[i + 2] = blue;
  }
  return EncodeTarga(image);
}

std::vector<std::uint8_t> PaintedTarga(int side, TexelFunction texel) {
  Image image(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) texel(x, y, side, &image.rgb[3 * (static_cast<std::size_t>(y) * side + x)]);
  return EncodeTarga(image);
}
