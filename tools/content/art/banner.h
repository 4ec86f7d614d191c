// The set-up dialog's banner: 384 x 96, 256 colours, with the demo's title.
#pragma once

#include <cstdint>
#include <vector>

constexpr int kBannerWidth = 384, kBannerHeight = 96;

std::vector<std::uint8_t> EncodeBanner();
