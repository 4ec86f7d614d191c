// The set-up dialog's banner: 384 x 96, 256 colours, with the demo's title.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/content/art/image.h"

constexpr int kBannerWidth = 384, kBannerHeight = 96;

// The banner's 256 colours: 0..127 background ramp, 128..191 title ramp,
// 192..223 the planet's rim glow, 224 shadow, 225..255 star brightness. The
// program's icon is painted with them too.
constexpr int kBannerBack = 0, kBannerTitle = 128, kBannerGlow = 192, kBannerShadow = 224, kBannerStar = 225;
std::vector<Colour> BannerPalette();

std::vector<std::uint8_t> EncodeBanner();
