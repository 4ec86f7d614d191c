// Paints the banner straight into palette indices: a night-blue gradient with
// stars and a planet's rim below, the title in gold with a drop shadow.
#include "tools/content/art/banner.h"

#include <cmath>
#include <string>

#include "tools/content/art/font.h"
#include "tools/content/art/image.h"

namespace {

constexpr int kBack = kBannerBack, kTitle = kBannerTitle, kGlow = kBannerGlow, kShadow = kBannerShadow,
              kStar = kBannerStar;

}  // namespace

std::vector<Colour> BannerPalette() {
  std::vector<Colour> p(256);
  for (int i = 0; i < 128; ++i) p[kBack + i] = Mix({4, 6, 30}, {70, 30, 110}, static_cast<float>(i) / 127);
  for (int i = 0; i < 64; ++i) {
    const float t = static_cast<float>(i) / 63;
    p[kTitle + i] = t < 0.5f ? Mix({120, 60, 10}, {255, 200, 60}, t * 2) : Mix({255, 200, 60}, {255, 255, 230}, t * 2 - 1);
  }
  for (int i = 0; i < 32; ++i) p[kGlow + i] = Mix({40, 20, 80}, {150, 200, 255}, static_cast<float>(i) / 31);
  p[kShadow] = {2, 2, 12};
  for (int i = 0; i < 31; ++i) p[kStar + i] = Mix({80, 80, 120}, {255, 255, 255}, static_cast<float>(i) / 30);
  return p;
}

std::vector<std::uint8_t> EncodeBanner() {
  const int w = kBannerWidth, h = kBannerHeight;
  std::vector<std::uint8_t> px(static_cast<std::size_t>(w * h));
  auto at = [&](int x, int y) -> std::uint8_t& { return px[static_cast<std::size_t>(y * w + x)]; };
  Prng rng(1998);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // A diagonal gradient, dithered so that the ramp shows no bands.
      const float t = (static_cast<float>(y) / h * 0.7f + static_cast<float>(x) / w * 0.3f) * 127;
      at(x, y) = static_cast<std::uint8_t>(kBack + std::min(127, static_cast<int>(t + rng.Unit())));
    }
  }
  for (int i = 0; i < 90; ++i) {
    const int x = static_cast<int>(rng.Unit() * w), y = static_cast<int>(rng.Unit() * h);
    at(x, y) = static_cast<std::uint8_t>(kStar + static_cast<int>(rng.Unit() * 30));
  }
  // The rim of a planet rising at the bottom right.
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const float d = std::hypot(static_cast<float>(x - 300), static_cast<float>(y - 330)) - 270;
      if (d < 0) at(x, y) = static_cast<std::uint8_t>(kBack + 2);
      else if (d < 10) at(x, y) = static_cast<std::uint8_t>(kGlow + 31 - static_cast<int>(d * 3));
    }
  }
  const std::string title = "Ossik Kavret Demo";
  const int scale = 3, advance = (kGlyphWidth + 1) * scale;
  const int x0 = (w - static_cast<int>(title.size()) * advance + scale) / 2, y0 = 24;
  for (int pass = 0; pass < 2; ++pass) {
    const int off = pass == 0 ? 3 : 0;  // shadow first, then the letters
    for (std::size_t c = 0; c < title.size(); ++c) {
      for (int y = 0; y < kGlyphHeight * scale; ++y) {
        for (int x = 0; x < kGlyphWidth * scale; ++x) {
          if (!GlyphPixel(title[c], x / scale, y / scale)) continue;
          const int px0 = x0 + static_cast<int>(c) * advance + x + off, py0 = y0 + y + off;
          if (pass == 0) {
            at(px0, py0) = kShadow;
          } else {
            const float t = 1 - static_cast<float>(y) / (kGlyphHeight * scale);
            at(px0, py0) = static_cast<std::uint8_t>(kTitle + static_cast<int>(t * 63));
          }
        }
      }
    }
  }
  // A thin gold rule under the title.
  for (int x = x0; x < w - x0; ++x) at(x, y0 + kGlyphHeight * scale + 10) = kTitle + 40;
  return EncodeBmp8(w, h, px, BannerPalette());
}
