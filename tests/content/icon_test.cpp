// The program's icon: every hicolor size written where a desktop looks for
// it, read back as a square RGBA PNG with transparent rounded corners, the
// banner's night sky and the gold letter; the same bytes on every run.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

#include "support/process_folder.h"
#include "tools/content/art/icon.h"
#include "tools/content/content.h"

namespace {

struct Rgba {
  int width = 0, height = 0;
  std::vector<std::uint8_t> px;
  const std::uint8_t* At(int x, int y) const { return &px[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

bool ReadRgba(const std::string& path, Rgba* out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  out->width = static_cast<int>(image.width);
  out->height = static_cast<int>(image.height);
  out->px.resize(PNG_IMAGE_SIZE(image));
  return png_image_finish_read(&image, nullptr, out->px.data(), 0, nullptr) != 0;
}

}  // namespace

TEST(IconTest, EverySizeIsWrittenAsTheThemeLaysItOutAndLooksLikeTheBanner) {
  const std::filesystem::path theme = ProcessFolder("icons");
  ASSERT_TRUE(WriteIcons(theme.string()));
  for (const int size : kIconSizes) {
    SCOPED_TRACE(size);
    const std::string n = std::to_string(size);
    Rgba icon;
    ASSERT_TRUE(ReadRgba((theme / (n + "x" + n) / "apps/kavret.png").string(), &icon));
    ASSERT_EQ(icon.width, size);
    ASSERT_EQ(icon.height, size);
    // Rounded corners: the corner pixels are transparent, the edges' middles opaque.
    for (const auto& [x, y] : {std::pair{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}}) {
      EXPECT_EQ(icon.At(x, y)[3], 0) << x << "," << y;
    }
    EXPECT_EQ(icon.At(size / 2, 0)[3], 255);
    EXPECT_EQ(icon.At(0, size / 2)[3], 255);
    // Night sky at the top left: dark and blue above red.
    const std::uint8_t* sky = icon.At(size / 8, size / 8);
    EXPECT_LT(sky[0] + sky[1] + sky[2], 150);
    EXPECT_GT(sky[2], sky[0]);
    // The letter's upright stroke, a quarter across, halfway down: gold.
    const std::uint8_t* gold = icon.At(size * 80 / 256, size / 2);
    EXPECT_GT(gold[0], 180);
    EXPECT_GT(gold[1], 100);
    EXPECT_LT(gold[2], gold[1]);
  }
}

TEST(IconTest, SameBytesEveryTimeAndUnsupportedSizesAreRefused) {
  for (const int size : kIconSizes) {
    const std::vector<std::uint8_t> png = EncodeIconPng(size);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png, EncodeIconPng(size)) << size;
  }
  EXPECT_TRUE(EncodeIconPng(0).empty());
  EXPECT_TRUE(EncodeIconPng(-4).empty());
  EXPECT_TRUE(EncodeIconPng(512).empty());  // larger than the master picture
}
