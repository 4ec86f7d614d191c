// Paints the icon once at 256 x 256 in the banner's palette (sky gradient,
// stars, a planet's rim, a gold "K" with its drop shadow), cuts rounded
// corners, and averages it down for the smaller sizes.
#include "tools/content/art/icon.h"

#include <png.h>

#include <algorithm>
#include <cmath>

#include "tools/content/art/banner.h"
#include "tools/content/art/font.h"
#include "tools/content/art/image.h"

namespace {

constexpr int kMaster = 256;
constexpr float kCornerRadius = 40;

// The master picture in palette indices, painted as the banner is.
std::vector<std::uint8_t> PaintIndices() {
  const int n = kMaster;
  std::vector<std::uint8_t> px(static_cast<std::size_t>(n * n));
  auto at = [&](int x, int y) -> std::uint8_t& { return px[static_cast<std::size_t>(y * n + x)]; };
  Prng rng(1998);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const float t = (static_cast<float>(y) / n * 0.7f + static_cast<float>(x) / n * 0.3f) * 127;
      at(x, y) = static_cast<std::uint8_t>(kBannerBack + std::min(127, static_cast<int>(t + rng.Unit())));
    }
  }
  for (int i = 0; i < 40; ++i) {
    const int x = static_cast<int>(rng.Unit() * n), y = static_cast<int>(rng.Unit() * n);
    at(x, y) = static_cast<std::uint8_t>(kBannerStar + static_cast<int>(rng.Unit() * 30));
  }
  // The planet's rim rises at the bottom right, its glow 16 pixels wide.
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const float d = std::hypot(static_cast<float>(x - 230), static_cast<float>(y - 400)) - 240;
      if (d < 0) at(x, y) = static_cast<std::uint8_t>(kBannerBack + 2);
      else if (d < 16) at(x, y) = static_cast<std::uint8_t>(kBannerGlow + 31 - static_cast<int>(d * 2));
    }
  }
  // The title's first letter, 26 pixels to a font pixel, centred a little high.
  const int scale = 26, x0 = (n - kGlyphWidth * scale) / 2, y0 = (n - kGlyphHeight * scale) / 2 - 12;
  for (int pass = 0; pass < 2; ++pass) {
    const int off = pass == 0 ? 8 : 0;  // shadow first, then the letter
    for (int y = 0; y < kGlyphHeight * scale; ++y) {
      for (int x = 0; x < kGlyphWidth * scale; ++x) {
        if (!GlyphPixel('K', x / scale, y / scale)) continue;
        const float t = 1 - static_cast<float>(y) / (kGlyphHeight * scale);
        at(x0 + x + off, y0 + y + off) =
            pass == 0 ? kBannerShadow : static_cast<std::uint8_t>(kBannerTitle + static_cast<int>(t * 63));
      }
    }
  }
  return px;
}

// How much of the master pixel (x, y) lies inside the rounded square, from a
// 4 x 4 grid of samples.
float Coverage(int x, int y) {
  int inside = 0;
  for (int sy = 0; sy < 4; ++sy) {
    for (int sx = 0; sx < 4; ++sx) {
      const float px = static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 4;
      const float py = static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 4;
      // Distance past the inner square the corners are rounded about.
      const float dx = std::max(0.0f, std::abs(px - kMaster / 2.0f) - (kMaster / 2.0f - kCornerRadius));
      const float dy = std::max(0.0f, std::abs(py - kMaster / 2.0f) - (kMaster / 2.0f - kCornerRadius));
      if (dx * dx + dy * dy <= kCornerRadius * kCornerRadius) ++inside;
    }
  }
  return static_cast<float>(inside) / 16;
}

std::uint8_t Byte(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

}  // namespace

std::vector<std::uint8_t> PaintIcon(int size) {
  if (size <= 0 || size > kMaster) return {};
  static const std::vector<std::uint8_t> indices = PaintIndices();
  const std::vector<Colour> palette = BannerPalette();
  std::vector<std::uint8_t> out(static_cast<std::size_t>(size) * size * 4);
  // Each icon pixel averages the master pixels it covers, weighted by their
  // coverage, so that edges stay smooth and colour does not bleed into the
  // transparent corners.
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int mx0 = x * kMaster / size, mx1 = (x + 1) * kMaster / size;
      const int my0 = y * kMaster / size, my1 = (y + 1) * kMaster / size;
      Colour sum;
      float alpha = 0;
      for (int my = my0; my < my1; ++my) {
        for (int mx = mx0; mx < mx1; ++mx) {
          const float a = Coverage(mx, my);
          sum = sum + palette[indices[static_cast<std::size_t>(my * kMaster + mx)]] * a;
          alpha += a;
        }
      }
      const float count = static_cast<float>((mx1 - mx0) * (my1 - my0));
      std::uint8_t* p = &out[(static_cast<std::size_t>(y) * size + x) * 4];
      if (alpha > 0) {
        p[0] = Byte(sum.r / alpha);
        p[1] = Byte(sum.g / alpha);
        p[2] = Byte(sum.b / alpha);
      }
      p[3] = Byte(alpha / count * 255);
    }
  }
  return out;
}

std::vector<std::uint8_t> EncodeIconPng(int size) {
  const std::vector<std::uint8_t> rgba = PaintIcon(size);
  if (rgba.empty()) return {};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(size);
  image.height = static_cast<png_uint_32>(size);
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t bytes = 0;
  if (!png_image_write_to_memory(&image, nullptr, &bytes, 0, rgba.data(), 0, nullptr)) return {};
  std::vector<std::uint8_t> png(bytes);
  if (!png_image_write_to_memory(&image, png.data(), &bytes, 0, rgba.data(), 0, nullptr)) return {};
  png.resize(bytes);
  return png;
}
