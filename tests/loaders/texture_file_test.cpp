// Targa files: the texel layout, mip levels and chain sizes, the truncating
// average, and every kind of file that is refused.
#include "loader_fixture.h"
#include "loaders/texture_file.h"

TEST_F(LoaderTest, TexelsAreStoredRedGreenBlueWithTheirMipChain) {
  // 2 x 2: red 10, 11, 12, 13; green and blue differ per texel.
  WriteFile("Textures/SMALL.TGA", TargaFile(2, 2, {10, 1, 200, 11, 2, 201, 12, 3, 202, 13, 5, 203}));
  Texture* texture = LoadTexture("Textures\\small.tga");
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->width, 2);
  EXPECT_EQ(texture->height, 2);
  EXPECT_FLOAT_EQ(texture->halfWidth, 1.0f);
  EXPECT_EQ(texture->mipMapped, 1);
  EXPECT_EQ(texture->mipLevels, 2);
  const std::uint8_t top[16] = {10, 1, 200, 0, 11, 2, 201, 0, 12, 3, 202, 0, 13, 5, 203, 0};
  EXPECT_EQ(std::memcmp(texture->pixels, top, 16), 0);
  // (10+11+12+13)/4 = 11.5, (1+2+3+5)/4 = 2.75, (200+...+203)/4 = 201.5: all rounded down.
  const std::uint8_t level1[4] = {11, 2, 201, 0};
  EXPECT_EQ(std::memcmp(texture->pixels + 16, level1, 4), 0);
}

TEST_F(LoaderTest, ChainLengthFollowsTheSide) {
  WriteFile("Textures/ONE.TGA", TargaFile(1, 1, {7, 8, 9}));
  Texture* one = LoadTexture("Textures\\ONE.TGA");
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->mipLevels, 1);

  std::vector<std::uint8_t> rgb(256 * 256 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 200 : 40);
  WriteFile("Textures/BIG.TGA", TargaFile(256, 256, rgb));
  Texture* big = LoadTexture("Textures\\BIG.TGA");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->mipLevels, 9);
  // The last of the 87381 texels is the 1 x 1 level, averaged down from the top.
  const std::uint8_t* last = big->pixels + 4 * (87381 - 1);
  EXPECT_EQ(last[0], 200);
  EXPECT_EQ(last[1], 40);
  EXPECT_EQ(last[2], 40);
  // The 40 spare bytes behind the chain are there and zero.
  for (int i = 0; i < 40; ++i) EXPECT_EQ(big->pixels[4 * 87381 + i], 0);
}

TEST_F(LoaderTest, UnusableFilesAreRefusedAndLeaveAnEmptyEntry) {
  WriteFile("Textures/W48.TGA", TargaFile(48, 48));
  WriteFile("Textures/W512.TGA", TargaFile(512, 512));
  WriteFile("Textures/WIDE.TGA", TargaFile(4, 2));
  std::vector<std::uint8_t> cut = TargaFile(8, 8);
  cut.pop_back();
  WriteFile("Textures/CUT.TGA", cut);
  WriteFile("Textures/HEAD.TGA", std::vector<std::uint8_t>(10, 0));
  for (const char* path : {"Textures\\W48.TGA", "Textures\\W512.TGA", "Textures\\WIDE.TGA", "Textures\\CUT.TGA",
                           "Textures\\HEAD.TGA", "Textures\\NONE.TGA"}) {
    EXPECT_EQ(LoadTexture(path), nullptr) << path;
    ASSERT_NE(Textures.last, nullptr);
    EXPECT_EQ(Textures.last->pixels, nullptr) << path;
    EXPECT_EQ(Textures.last->mipMapped, 0) << path;
  }
  EXPECT_EQ(CountRecords(Textures.first), 6);
}

TEST_F(LoaderTest, EveryLoadAddsItsOwnRecord) {
  WriteFile("Textures/TWICE.TGA", TargaFile(4, 4));
  Texture* a = LoadTexture("Textures\\TWICE.TGA");
  Texture* b = LoadTexture("Textures\\TWICE.TGA");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_NE(a->pixels, b->pixels);
  EXPECT_EQ(CountRecords(Textures.first), 2);
}
